#pragma once
// The "图片调整" tool window: rotation, framing, tone, threshold and
// inversion of one picture, applied live, with no button to confirm. It edits the
// adjustments of a target that its owner gives it: the value in effect, the
// picture's Otsu threshold (where a manual threshold starts) and the function
// that applies every change. The main window's picture is one such target; a
// cell of a picture set can be another.

#include "picture/PictureAdjustments.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class CAdjustmentsDlg;
}

class CAdjustmentsDlg : public QDialog {
    Q_OBJECT
public:
    // Applies `wanted` to the target. False when the target refused it; the
    // window then shows the value in effect before.
    using Apply = std::function<bool(const wheel::PictureAdjustments& wanted)>;

    explicit CAdjustmentsDlg(QWidget* parent = nullptr);
    ~CAdjustmentsDlg() override;

    // Edits a target from `current` on. Nothing is applied until the user
    // changes something; calling it again with the same target shows a value
    // the owner changed itself.
    void SetTarget(const wheel::PictureAdjustments& current, int otsuThreshold, Apply apply);
    // No target: the defaults are shown and nothing can be changed.
    void ClearTarget();
    // While false (during a download, say) nothing can be changed; the
    // target stays.
    void SetEditable(bool editable);

    bool HasTarget() const { return static_cast<bool>(m_apply); }
    const wheel::PictureAdjustments& Current() const { return m_current; }

private:
    void Show(const wheel::PictureAdjustments& value);
    void UpdateEnabled();
    // What the controls show.
    wheel::PictureAdjustments FromControls() const;
    void Change(const wheel::PictureAdjustments& wanted);

    std::unique_ptr<Ui::CAdjustmentsDlg> ui;
    wheel::PictureAdjustments m_current;
    int m_nOtsuThreshold = 0;
    Apply m_apply;
    int m_nTarget = 0;   // counts the targets given, to tell them apart
    bool m_bEditable = true;
};
