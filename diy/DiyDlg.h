#pragma once
// The DIY dialog: the user types text onto the working picture, places it
// with the mouse, picks its font, burns it in with "保存一下" (and places
// more), and hands the drawing to the main window with "画好了".

#include "diy/TextTracker.h"

#include <QDialog>
#include <QString>
#include <QValidator>

#include <opencv2/core.hpp>

#include <memory>

class QLineEdit;
namespace Ui { class CDiyDlg; }

namespace wheel {

class CPaintCanvas;

// Refuses any edit that would take the text past `limit` GBK units (a
// Chinese character, or one GBK cannot encode, counts two). A negative
// limit takes everything.
class GbkLimitValidator : public QValidator {
    Q_OBJECT
public:
    explicit GbkLimitValidator(QObject* parent = nullptr) : QValidator(parent) {}
    void SetLimit(int limit) { m_nLimit = limit; }
    int Limit() const { return m_nLimit; }
    State validate(QString& input, int& pos) const override;

private:
    int m_nLimit = -1;
};

class CDiyDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDiyDlg(QWidget* parent = nullptr);
    ~CDiyDlg() override;

    // Stores the working file; false and no change for an empty path.
    bool SetPath(const QString& path);
    // Runs the dialog modally; Accepted after "画好了" (or Enter).
    int DoModal();

    // Draws `image` (BGR) at its own size, centred, over the canvas.
    void ShowImage(const cv::Mat& image);
    // Where ShowImage puts a w x h image in a W x H control.
    static CRect ShowImageRect(int W, int H, int w, int h);

    CPaintCanvas* Canvas() const { return m_canvas; }

    // The canvas's font as the font dialog shows it: the installed face and
    // a size in points (a size in pixels converted at the canvas's 96 dpi).
    static QFont FontForDialog(const QFont& font);
    // Whether the font dialog's answer is the font it was opened with.
    static bool SameChoice(const QFont& a, const QFont& b);
    int TextLimit() const { return m_limit->Limit(); }

    void setVisible(bool visible) override;

public slots:
    void accept() override;  // OnOK

private slots:
    void OnChangeText();
    void OnFontSettings();
    void OnSaveNow();

private:
    bool OnInitDialog();
    void UpdateData(bool bSaveAndValidate);

    std::unique_ptr<Ui::CDiyDlg> m_ui;
    QString m_strFaceName;
    cv::Mat m_pImage;
    CPaintCanvas* m_canvas = nullptr;
    QLineEdit* m_editText = nullptr;
    QString m_strInputText;
    QString m_strPath;
    GbkLimitValidator* m_limit = nullptr;
    bool m_bInitialised = false;
};

} // namespace wheel
