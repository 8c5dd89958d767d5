#include "diy/DiyDlg.h"

#include "diy/CanvasText.h"
#include "diy/DiyTemplate.h"
#include "diy/PaintCanvas.h"
#include "diy/TextFont.h"
#include "dialogs/Fonts.h"
#include "dialogs/Dialogs.h"
#include "dialogs/TemplateLayout.h"
#include "io/LocalPath.h"
#include "picture/Codecs.h"
#include "ui_DiyDlg.h"

#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include <opencv2/imgcodecs.hpp>  // the IMREAD_ flags only

namespace wheel {

QValidator::State GbkLimitValidator::validate(QString& input, int&) const
{
    if (m_nLimit >= 0 && GbkUnits(input) > m_nLimit)
        return Invalid;
    return Acceptable;
}

CDiyDlg::CDiyDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDiyDlg>())
{
    InstallCjkFontSubstitutions();  // the template's 宋体
    m_ui->setupUi(this);
    setFixedSize(size());
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    m_canvas = m_ui->canvas;
    m_editText = m_ui->textEdit;
    // The template's rectangles are measured in 宋体 10 pt at 96 dpi; the
    // canvas is placed in pixels by the dialog itself.
    QImage at96Dpi(1, 1, QImage::Format_RGB32);
    at96Dpi.setDotsPerMeterX(CPaintCanvas::kDotsPerMeter);
    at96Dpi.setDotsPerMeterY(CPaintCanvas::kDotsPerMeter);
    auto* layout = new CTemplateLayout(this, font(), &at96Dpi);
    layout->KeepGeometry(m_canvas);
    m_limit = new GbkLimitValidator(this);
    m_editText->setValidator(m_limit);

    connect(m_ui->okButton, &QPushButton::clicked, this, &CDiyDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CDiyDlg::reject);
    connect(m_ui->saveNowButton, &QPushButton::clicked, this, &CDiyDlg::OnSaveNow);
    connect(m_ui->fontButton, &QPushButton::clicked, this, &CDiyDlg::OnFontSettings);
    connect(m_editText, &QLineEdit::textChanged, this, &CDiyDlg::OnChangeText);
}

CDiyDlg::~CDiyDlg() = default;

bool CDiyDlg::SetPath(const QString& path)
{
    if (path.isEmpty())
        return false;
    m_strPath = path;
    return true;
}

int CDiyDlg::DoModal()
{
    return exec();
}

void CDiyDlg::setVisible(bool visible)
{
    if (visible && !m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

void CDiyDlg::UpdateData(bool bSaveAndValidate)
{
    if (bSaveAndValidate)
        m_strInputText = m_editText->text();
    else
        m_editText->setText(m_strInputText);
}

bool CDiyDlg::OnInitDialog()
{
    UpdateData(false);
    m_canvas->setGeometry(0, 0, 450, 450);
    m_editText->setEnabled(false);
    if (m_strPath.isEmpty()) {
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return true;
    }
    int capacity = 0;
    if (!m_canvas->LoadBitmapFile(m_strPath, &capacity)) {
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return true;
    }
    m_limit->SetLimit(capacity);
    m_editText->setEnabled(true);
    m_editText->setFocus();
    return true;
}

void CDiyDlg::OnChangeText()
{
    UpdateData(true);
    m_canvas->SetCanvasText(m_strInputText, true);
}

QFont CDiyDlg::FontForDialog(const QFont& font)
{
    // The face as installed (a substitute for "黑体"), so that the dialog
    // finds it in its list; a size held in pixels as the points that draw
    // it on the canvas's 96-dpi picture.
    QFont shown = font;
    shown.setFamily(QFontInfo(font).family());
    if (font.pointSizeF() <= 0 && font.pixelSize() > 0)
        shown.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    return shown;
}

bool CDiyDlg::SameChoice(const QFont& a, const QFont& b)
{
    return a.family() == b.family() && qFuzzyCompare(a.pointSizeF(), b.pointSizeF()) && a.weight() == b.weight()
        && a.italic() == b.italic() && a.underline() == b.underline() && a.strikeOut() == b.strikeOut();
}

void CDiyDlg::OnFontSettings()
{
    // The dialog opens with the font the canvas draws in, at its real size;
    // confirming it unchanged changes nothing.
    const QFont initial = FontForDialog(m_canvas->TextFont());
    const std::optional<QFont> chosen = FontDialog::GetFont(this, initial);
    if (!chosen || SameChoice(*chosen, initial))
        return;
    g_TextLogFont = *chosen;
    g_TextFont = *chosen;
    m_strFaceName = chosen->family();
    update();
    OnChangeText();
}

void CDiyDlg::OnSaveNow()
{
    // A save that failed has told the user so; the typed text stays in the
    // box and on the canvas rather than being dropped by the reload.
    if (!m_strPath.isEmpty() && !m_canvas->SaveBitmapFile(m_strPath))
        return;
    m_editText->setText(QString());
    m_pImage = wheel::codecs::Read(wheel::LocalPath(m_strPath), cv::IMREAD_COLOR);
    if (!m_pImage.empty())
        ShowImage(m_pImage);
    OnInitDialog();
    update();
}

void CDiyDlg::accept()
{
    // Only a drawing that is in the working file is handed over; when the
    // save failed the dialog stays open, so the drawing is not lost and the
    // main window does not load an older picture in its place.
    if (!m_strPath.isEmpty() && !m_canvas->SaveBitmapFile(m_strPath))
        return;
    g_bDiyPictureReady = true;
    UpdateData(true);
    QDialog::accept();
}

CRect CDiyDlg::ShowImageRect(int W, int H, int w, int h)
{
    const int left = (W - w) / 2;
    const int top = (H - h) / 2;
    return {left, top, left + w, top + h};
}

void CDiyDlg::ShowImage(const cv::Mat& image)
{
    if (image.empty() || image.type() != CV_8UC3)
        return;
    const QImage shown = QImage(image.data, image.cols, image.rows, static_cast<qsizetype>(image.step),
                                QImage::Format_BGR888).copy();
    m_canvas->ShowOverlayImage(shown, ShowImageRect(m_canvas->width(), m_canvas->height(), image.cols, image.rows));
}

} // namespace wheel
