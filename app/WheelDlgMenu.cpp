// The main window's menu bar and its adjustments window: what the menu's own
// entries do, and how the picture on show is adjusted live.

#include "app/WheelDlg.h"

#include "app/AdjustmentsDlg.h"
#include "app/AppTexts.h"
#include "app/MainMenu.h"
#include "app/PictureArea.h"
#include "app/RecentPictures.h"
#include "app/SetTexts.h"
#include "app/UserSettings.h"
#include "app/WheelDlgDevice.h"
#include "app/WindowBeside.h"
#include "dialogs/Dialogs.h"
#include "dialogs/Fonts.h"
#include "dialogs/TemplateLayout.h"
#include "io/LocalPath.h"
#include "io/OutputFile.h"
#include "texts/ShownText.h"

#include "ui_main.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// The image as a PNG file's bytes, pixel for pixel.
QByteArray PngBytes(const cv::Mat& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!MatToQImage(image).save(&buffer, "PNG"))
        return {};
    return bytes;
}

} // namespace

void CWheelDlg::BuildMenuBar()
{
    // The controls keep the places the template gives them, in a client area
    // of the template's size; the window grows by the bar's height (nothing
    // where the desktop shows menus in a bar of its own).
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(size());
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != client)
            child->setParent(client);

    // Under another font than the editor's own (a desktop theme's, a larger
    // size) the template's rectangles grow with the font's dialog units.
    new wheel::CTemplateLayout(client, wheel::DefaultUiFont());

    m_menu = new CMainMenu(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setMenuBar(m_menu);
    layout->addWidget(client);
    layout->activate();

    connect(m_menu->OpenPicture(), &QAction::triggered, this, &CWheelDlg::OnOpenPicture);
    QAction* sets = m_menu->AddOpenAction(wheel::Shown(wheel::kSetWindowMenuText), QKeySequence(Qt::CTRL | Qt::Key_G));
    sets->setObjectName(QStringLiteral("setWindowAction"));
    connect(sets, &QAction::triggered, this, &CWheelDlg::OpenSetWindow);
    connect(m_menu, &CMainMenu::RecentPictureChosen, this, &CWheelDlg::OnOpenRecent);
    connect(m_menu->ExportPreview(), &QAction::triggered, this, &CWheelDlg::OnExportPreview);
    connect(m_menu->Quit(), &QAction::triggered, this, &QWidget::close);
    connect(m_menu->Adjustments(), &QAction::triggered, this, &CWheelDlg::OnAdjustments);
    connect(m_menu->ResetAdjustments(), &QAction::triggered, this, &CWheelDlg::OnResetAdjustments);
    m_bShowLeds = wheel::ShowLedsSetting();
    m_menu->ShowLeds()->setChecked(m_bShowLeds);
    connect(m_menu->ShowLeds(), &QAction::toggled, this, &CWheelDlg::OnShowLeds);
    connect(m_menu->Diy(), &QAction::triggered, this, &CWheelDlg::OnDiy);
    connect(m_menu->Download(), &QAction::triggered, this, &CWheelDlg::OnDownload);
    connect(m_menu->Calibrate(), &QAction::triggered, this, &CWheelDlg::OnCalibrate);
    connect(m_menu->FactoryReset(), &QAction::triggered, this, &CWheelDlg::OnFactoryReset);
    connect(m_menu->About(), &QAction::triggered, this, &CWheelDlg::OnAbout);
    connect(m_menu->MakerPage(), &QAction::triggered, this, &CWheelDlg::OnMakerPage);
    connect(m_menu->ShopPage(), &QAction::triggered, this, &CWheelDlg::OnShopPage);
}

void CWheelDlg::UpdatePictureActions()
{
    const bool notDownloading = !m_device->OperationRunning();
    m_menu->ExportPreview()->setEnabled(m_bPictureLoaded && m_picture.PreviewDone());
    m_menu->ResetAdjustments()->setEnabled(notDownloading && m_picture.CanAdjust()
                                           && !m_picture.Adjustments().IsDefault());
    if (m_adjustments)
        m_adjustments->SetEditable(notDownloading);
}

void CWheelDlg::ShowAdjustmentsTarget()
{
    if (!m_adjustments)
        return;
    if (!m_picture.CanAdjust()) {
        m_adjustments->ClearTarget();
        return;
    }
    m_adjustments->SetTarget(m_picture.Adjustments(), m_picture.OtsuThreshold(),
                             [this](const wheel::PictureAdjustments& wanted) { return ApplyAdjustments(wanted); });
}

bool CWheelDlg::ApplyAdjustments(const wheel::PictureAdjustments& wanted)
{
    if (!m_picture.Adjust(wanted)) {
        wheel::MessageBox::Show(this, QString::fromUtf8(wheel::kCannotAdjustText), QString::fromUtf8(wheel::kCaptionHint));
        return false;
    }
    m_bPreviewDone = 0;
    RenderWheel();
    UpdatePictureActions();
    return true;
}

void CWheelDlg::OnAdjustments()
{
    const bool first = !m_adjustments;
    if (first) {
        m_adjustments = new CAdjustmentsDlg(this);
        m_adjustments->setObjectName(QStringLiteral("adjustmentsWindow"));
        ShowAdjustmentsTarget();
        UpdatePictureActions();
    }
    // Beside the window, so that both pictures stay in view while the slider
    // moves.
    ShowBeside(m_adjustments, this, first);
}

void CWheelDlg::OnResetAdjustments()
{
    if (ApplyAdjustments({}))
        ShowAdjustmentsTarget();
}

void CWheelDlg::OnShowLeds(bool on)
{
    m_bShowLeds = on;
    wheel::SetShowLedsSetting(on);
    OnPaint();
}

void CWheelDlg::OnExportPreview()
{
    if (!m_bPictureLoaded || !m_picture.PreviewDone())
        return;
    const QFileInfo picture(m_strShownPicturePath);
    const QString folder = QFileInfo(picture.absolutePath()).isWritable() ? picture.absolutePath() : QDir::homePath();
    const QString name = wheel::TranslateShown(QString::fromUtf8(wheel::kPreviewFileName).arg(picture.completeBaseName()));
    const QString path = wheel::FileDialog::GetSaveFileName(this, QString::fromUtf8(wheel::kExportDialogCaption),
                                                            {QString::fromUtf8(wheel::kPngFilter)},
                                                            QDir(folder).filePath(name));
    if (path.isEmpty())
        return;
    const QByteArray png = PngBytes(ShownPreview());
    wheel::OutputError error;
    if (png.isEmpty()) {
        error.reason = "PNG encoding failed";
    } else if (wheel::WriteOutputFile(wheel::LocalPath(path),
                                      {reinterpret_cast<const std::uint8_t*>(png.constData()), std::size_t(png.size())},
                                      &error)) {
        return;
    }
    wheel::MessageBox::Show(this,
                            QString::fromUtf8(wheel::kCannotExportText).arg(path, QString::fromStdString(error.reason)),
                            QString::fromUtf8(wheel::kCaptionHint));
}
