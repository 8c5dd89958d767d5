#pragma once
// One cell of the picture-set window: a slot box's picture as the wheel will
// show it (a small round preview), its file name and adjustments in short,
// and beside it what the wheel light holds in that slot now. It takes
// picture files dropped on it and offers 选择图片…, 调整… and 清除; what they
// do is for the window to say.

#include "picture/PictureAdjustments.h"

#include <QFrame>
#include <QImage>
#include <QString>
#include <QStringList>

class QLabel;

class CSetCell : public QFrame {
    Q_OBJECT
public:
    // The side of the round preview and of the one of what the wheel holds.
    static constexpr int kPreviewSide = 104;
    static constexpr int kOnWheelSide = 56;

    CSetCell(int box, QWidget* parent = nullptr);
    int Box() const { return m_nBox; }

    // What the cell shows of its picture.
    void ShowEmpty();
    void ShowLoading(const QString& picture, const wheel::PictureAdjustments& adjustments);
    void ShowPreview(const QString& picture, const wheel::PictureAdjustments& adjustments, const QImage& preview);
    void ShowProblem(const QString& picture, const wheel::PictureAdjustments& adjustments, const QString& problem);
    // What the wheel light holds: a preview and the picture's name, or a
    // null image and no name for unknown.
    void ShowOnWheel(const QImage& preview, const QString& name, const QString& toolTip);

    // While false (during a download) nothing is dropped and the menu is off.
    void SetEditable(bool editable) { m_bEditable = editable; }

    // The adjustments in short: "默认调整", or "旋转90° · 裁剪 · 阈值140 · 反色"
    // (each part translated; "抖动" or "轮廓线" stands where the threshold
    // would for those tones).
    static QString AdjustmentsText(const wheel::PictureAdjustments& adjustments);

signals:
    // Local picture files dropped on the cell, in the order dragged.
    void picturesDropped(int box, const QStringList& paths);
    void choosePicture(int box);
    void adjust(int box);
    void clear(int box);
    // An arrow key: the focus goes to the next cell that way.
    void stepFocus(int box, int dx, int dy);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Arrows move to the next cell, Enter or Space chooses a picture, Delete
    // clears, the Menu key or Shift+F10 opens the menu.
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ShowPicture(const QString& picture, const wheel::PictureAdjustments& adjustments);
    void ElideName();
    void FitToFont();
    void OpenMenu(const QPoint& at);
    enum class Tone { Plain, Muted, Problem };
    void SetPreviewTone(Tone tone);
    void UpdateAccessibleName();

    const int m_nBox;
    bool m_bFilled = false;
    bool m_bEditable = true;
    bool m_bKeyboardMenuShown = false;
    Tone m_tone = Tone::Plain;
    QString m_strPicture;   // the picture's file name; empty for an empty cell
    QString m_strOnWheel;   // what the wheel holds; empty when unknown
    QString m_strName;   // the file name, elided to fit when shown
    QLabel* m_preview = nullptr;
    QLabel* m_onWheel = nullptr;
    QLabel* m_onWheelLabel = nullptr;
    QLabel* m_name = nullptr;
    QLabel* m_adjustments = nullptr;
};
