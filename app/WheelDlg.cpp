#include "app/WheelDlg.h"

#include "app/AboutDlg.h"
#include "app/AppTexts.h"
#include "app/DiyHandoff.h"
#include "app/LogText.h"
#include "app/MainMenu.h"
#include "app/PictureArea.h"
#include "app/PictureDrop.h"
#include "app/PictureFilters.h"
#include "app/RecentPictures.h"
#include "app/SetWindow.h"
#include "app/WheelDlgDevice.h"
#include "app/WindowBeside.h"
#include "dialogs/Dialogs.h"
#include "diy/DiyRoundTrip.h"
#include "io/LocalPath.h"
#include "picture/PictureFile.h"
#include "picture/PictureLoader.h"
#include "picture/RenderWheel.h"
#include "protocol/SlotHelpDlg.h"
#include "protocol/SlotTable.h"
#include "texts/AppTitle.h"
#include "texts/ShownText.h"

#include "ui_main.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QThread>
#include <QTime>
#include <QTimer>
#include <QUrl>

CWheelDlg::CWheelDlg(const wheel::AppOptions& options, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::CWheelDlg>())
    , m_options(options)
{
    Q_INIT_RESOURCE(wheel);
    ui->setupUi(this);
    m_progress = ui->progressDownload;
    m_editLog = ui->editLog;
    m_staticOriginal = ui->picOriginal;
    m_staticPreview = ui->picPreview;

    const std::array<QCheckBox*, wheel::kSlotCount> byLabel = {
        ui->chkSlot1, ui->chkSlot2, ui->chkSlot3, ui->chkSlot4, ui->chkSlot5,
        ui->chkSlot6, ui->chkSlot7, ui->chkSlot8, ui->chkSlot9, ui->chkSlot10,
        ui->chkSlot11, ui->chkSlot12, ui->chkSlot13, ui->chkSlot14, ui->chkSlot15,
        ui->chkSlot16, ui->chkSlot17, ui->chkSlot18, ui->chkSlot19, ui->chkSlot20,
    };
    for (int label = 1; label <= wheel::kSlotCount; ++label)
        m_slotBoxes[std::size_t(wheel::SlotIndexOfLabel(label))] = byLabel[std::size_t(label - 1)];

    // A fixed-size window with a minimise box and no maximise box, shown with
    // its own task-bar entry.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    BuildMenuBar();
    setWindowIcon(QIcon(QStringLiteral(":/icons/wheel.png")));
    setContextMenuPolicy(Qt::DefaultContextMenu);

    connect(ui->btnOpenPicture, &QPushButton::clicked, this, &CWheelDlg::OnOpenPicture);
    connect(ui->btnClearLog, &QPushButton::clicked, this, &CWheelDlg::ClearLog);
    connect(ui->btnDownload, &QPushButton::clicked, this, &CWheelDlg::OnDownload);
    connect(ui->btnDiy, &QPushButton::clicked, this, &CWheelDlg::OnDiy);
    connect(ui->btnSelectAll, &QPushButton::clicked, this, &CWheelDlg::OnSelectAll);
    connect(ui->btnDeselectAll, &QPushButton::clicked, this, &CWheelDlg::OnDeselectAll);
    connect(ui->btnSelectionHelp, &QPushButton::clicked, this, &CWheelDlg::OnSelectionHelp);
    connect(ui->btnFactoryReset, &QPushButton::clicked, this, &CWheelDlg::OnFactoryReset);
    connect(ui->btnCalibrate, &QPushButton::clicked, this, &CWheelDlg::OnCalibrate);

    // Tab lands on the selected direction (the arrow keys choose the other);
    // with neither selected, on either.
    auto tabToSelected = [this] {
        const bool any = ui->radLeft->isChecked() || ui->radRight->isChecked();
        for (QRadioButton* radio : {ui->radLeft, ui->radRight})
            radio->setFocusPolicy(!any || radio->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    };
    connect(ui->radLeft, &QRadioButton::toggled, this, tabToSelected);
    connect(ui->radRight, &QRadioButton::toggled, this, tabToSelected);

    // A picture file dropped on the window opens as through "打开图片", a
    // picture set in the set window.
    auto* drop = new wheel::CPictureDrop(this, ui->btnOpenPicture, [this](const QString& path) { OpenFiles({path}); });
    drop->Watch(m_editLog->viewport());
    drop->Watch(ui->editAngle);

    m_timer = new QTimer(this);
    m_timer->setInterval(500);
    connect(m_timer, &QTimer::timeout, this, &CWheelDlg::OnTimer);

    m_device = std::make_unique<WheelDlgDevice>(*this, m_options.simulate);
    // The menu's device entries follow their buttons (EnableOperationButtons);
    // a running operation holds adjusting.
    connect(m_device.get(), &CDeviceOperations::operationChanged, this, &CWheelDlg::UpdatePictureActions);
    // Closing waited for a download to stop.
    connect(m_device.get(), &CDeviceOperations::operationChanged, this, [this](bool running) {
        if (!running && m_bClosing)
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    });
    UpdatePictureActions();
    OnInitDialog();
}

CWheelDlg::~CWheelDlg() = default;

void CWheelDlg::OnInitDialog()
{
    m_b48Mode = 1;
    ui->chk48Mode->setChecked(true);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    UpdateData(false);
    m_timer->start();
}

// ---- data exchange ---------------------------------------------------------

wheel::ControlState CWheelDlg::ReadControlState() const
{
    wheel::ControlState state;
    state.logText = wheel::WidgetTextToLog(m_editLog->toPlainText());
    for (std::size_t i = 0; i < m_slotBoxes.size(); ++i)
        state.slotTicked[i] = m_slotBoxes[i]->isChecked();
    state.mode48 = ui->chk48Mode->isChecked();
    state.angleText = ui->editAngle->text();
    state.left = ui->radLeft->isChecked();
    state.right = ui->radRight->isChecked();
    return state;
}

void CWheelDlg::ApplyControlState(const wheel::ControlState& state)
{
    const QString widgetText = wheel::LogTextToWidget(state.logText);
    if (m_editLog->toPlainText() != widgetText)
        m_editLog->setPlainText(widgetText);
    for (std::size_t i = 0; i < m_slotBoxes.size(); ++i)
        m_slotBoxes[i]->setChecked(state.slotTicked[i]);
    ui->chk48Mode->setChecked(state.mode48);
    ui->editAngle->setText(state.angleText);
    // Neither button may be selected, which an exclusive pair cannot show.
    ui->radLeft->setAutoExclusive(false);
    ui->radRight->setAutoExclusive(false);
    ui->radLeft->setChecked(state.left);
    ui->radRight->setChecked(state.right);
    ui->radLeft->setAutoExclusive(true);
    ui->radRight->setAutoExclusive(true);
}

bool CWheelDlg::UpdateData(bool saveAndValidate)
{
    wheel::DialogValues values;
    values.m_strLog = m_strLog;
    values.m_slotChecks = m_slotChecks;
    values.m_b48Mode = m_b48Mode;
    values.m_nAngle = m_nAngle;
    values.m_nDirection = m_nDirection;

    if (!saveAndValidate) {
        ApplyControlState(wheel::WriteControls(values));
        return true;
    }

    const wheel::ExchangeResult result = wheel::ReadControls(ReadControlState(), values);
    m_strLog = values.m_strLog;
    m_slotChecks = values.m_slotChecks;
    m_b48Mode = values.m_b48Mode;
    m_nAngle = values.m_nAngle;
    m_nDirection = values.m_nDirection;
    if (result == wheel::ExchangeResult::AngleNotInteger) {
        wheel::MessageBox::Show(this, QString::fromUtf8(wheel::kNotAnIntegerText), QString::fromUtf8(wheel::kApplicationTitle));
        ui->editAngle->setFocus();
        ui->editAngle->selectAll();
        return false;
    }
    return true;
}

// ---- message log -----------------------------------------------------------

void CWheelDlg::AppendLog(const QString& text, int withTime, int withNewline)
{
    AppendLog(text, QTime::currentTime(), withTime, withNewline);
}

void CWheelDlg::AppendLog(const QString& text, const QTime& madeAt, int withTime, int withNewline)
{
    const QString line = wheel::FormatLogLine(wheel::TranslateShown(text), madeAt, withTime, withNewline);
    if (QThread::currentThread() == thread()) {
        AppendLogLine(line);
        return;
    }
    // Queued to the window's thread; dropped if the window is gone by then.
    QMetaObject::invokeMethod(this, [this, line] { AppendLogLine(line); }, Qt::QueuedConnection);
}

void CWheelDlg::AppendLog(const char* text, int withTime, int withNewline)
{
    AppendLog(QString::fromUtf8(text), withTime, withNewline);
}

void CWheelDlg::AppendLogLine(const QString& line)
{
    // The same as reading the whole text, appending and writing it back, but
    // without resetting what the user is doing in the box.
    QTextCursor cursor(m_editLog->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(wheel::LogTextToWidget(line));
    QScrollBar* bar = m_editLog->verticalScrollBar();
    bar->setValue(bar->maximum());
}

void CWheelDlg::ClearLog()
{
    m_editLog->clear();
}

// ---- picture ---------------------------------------------------------------

void CWheelDlg::OpenFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    const QString first = QFileInfo(paths.first()).absoluteFilePath();
    if (first.endsWith(QStringLiteral(".wheelset"), Qt::CaseInsensitive))
        OpenSetFile(first);
    else
        OpenPictureFile(first);
    if (paths.size() == 1)
        return;
    QStringList rest;
    for (qsizetype i = 1; i < paths.size(); ++i)
        rest << QFileInfo(paths.at(i)).absoluteFilePath();
    wheel::MessageBox::Show(this, QStringLiteral("一次只能打开一个文件，以下文件没有打开：\n%1").arg(rest.join(QLatin1Char('\n'))),
                            QString::fromUtf8(wheel::kCaptionHint));
}

void CWheelDlg::OpenSetFile(const QString& path)
{
    // A window made for this file goes again when the file is refused.
    const bool made = !m_setWindow;
    CSetWindow* window = made ? MakeSetWindow() : m_setWindow.data();
    if (window->OpenSetFile(path))
        OpenSetWindow();
    else if (made)
        delete window;
}

CSetWindow* CWheelDlg::MakeSetWindow()
{
    m_setWindow = new CSetWindow(*m_device, this);
    connect(m_setWindow, &CSetWindow::closed, this, [this] { m_setWindow = nullptr; });
    return m_setWindow;
}

CSetWindow* CWheelDlg::SetWindow() const
{
    return m_setWindow;
}

CSetWindow* CWheelDlg::OpenSetWindow()
{
    if (!m_setWindow)
        MakeSetWindow();
    if (!m_setWindow->isVisible()) {
        const QSize room = screen()->availableGeometry().size();
        PlaceBeside(m_setWindow, this, m_setWindow->WantedSize(room), m_setWindow->MinimumUsefulSize());
    }
    m_setWindow->show();
    m_setWindow->raise();
    m_setWindow->activateWindow();
    return m_setWindow;
}

void CWheelDlg::RenderWheel()
{
    if (!m_bPictureLoaded) {
        wheel::MessageBox::Show(this, QString::fromUtf8(wheel::kNoPictureText), QString::fromUtf8(wheel::kCaptionHint));
        return;
    }
    if (m_bPreviewDone)
        return;
    m_bPreviewDone = 1;
    const auto result = m_picture.RenderWheel(static_cast<std::uint8_t>(m_b48Mode & 0xFF));
    if (result == wheel::WheelPicture::RenderResult::NoPicture)
        return;
    OnPaint();
}

void CWheelDlg::OnPaint()
{
    if (m_picture.PictureLoaded())
        DrawImageToControl(m_picture.Shown(), m_staticOriginal);
    if (m_bPreviewDone && m_picture.PreviewDone()) {
        // On a screen with more pixels than the preview has, the dots are
        // drawn again at the screen's pixels from the same working picture.
        CPictureArea::Sharper sharper;
        if (!m_bShowLeds)
            sharper = [work = m_picture.Work().clone()](QSize pixels) {
                return MatToQImage(wheel::RenderPreviewAt(work, std::max(pixels.width(), pixels.height())));
            };
        DrawImageToControl(ShownPreview(), m_staticPreview, std::move(sharper));
    }
}

cv::Mat CWheelDlg::ShownPreview() const
{
    if (!m_bPreviewDone || !m_picture.PreviewDone())
        return {};
    return m_bShowLeds ? m_picture.LedView() : m_picture.Preview();
}

// ---- window life -----------------------------------------------------------

void CWheelDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    OnShowWindow(true);
}

void CWheelDlg::OnShowWindow(bool show)
{
    Q_UNUSED(show);
    if (m_bStarted)
        return;
    m_bStarted = true;
    // The blank preview (white with its red rim) exists since construction.
    StartDeviceLink();
}

void CWheelDlg::StartDeviceLink()
{
    m_device->Start();
}

void CWheelDlg::StopDeviceLink()
{
    m_device->Stop();
}

void CWheelDlg::OnTimer()
{
    if (g_bDiyPictureReady.exchange(false))
        LoadPicture(m_strDiyPicturePath);
}

void CWheelDlg::closeEvent(QCloseEvent* event)
{
    // A download is not cut off half way: asked first, it stops after the
    // report in flight, so that the record keeps what the wheel light
    // confirmed, and the window closes once it has.
    if (m_device->Protocol().CurrentOperation() == wheel::WheelProtocol::Operation::Download) {
        event->ignore();
        if (m_bClosing)
            return;
        const int answer = wheel::QuestionBox::Ask(
            this, QString::fromUtf8(wheel::kQuitDuringDownloadText), QString::fromUtf8(wheel::kCaptionHint),
            {QString::fromUtf8(wheel::kStopAndQuitButton), QString::fromUtf8(wheel::kKeepDownloadingButton)},
            QString::fromUtf8(wheel::kQuitDuringDownloadName));
        if (answer != 0 || m_device->Protocol().CurrentOperation() != wheel::WheelProtocol::Operation::Download) {
            if (answer == 0)
                QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);  // it ended meanwhile
            return;
        }
        m_bClosing = true;
        m_device->Protocol().RequestStop();
        return;
    }
    // A picture set with unsaved changes is saved or dropped first, or the
    // editor stays.
    if (m_setWindow && !m_setWindow->close()) {
        m_bClosing = false;
        event->ignore();
        return;
    }
    // A picture still loading is left behind, not waited for.
    CancelPictureLoad();
    OnClose();
    QDialog::closeEvent(event);
}

void CWheelDlg::OnClose()
{
    StopDeviceLink();
}

void CWheelDlg::keyPressEvent(QKeyEvent* event)
{
    // Escape does not close the editor behind the device's back, and Enter
    // presses only a button that has the focus.
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CWheelDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(wheel::Shown(wheel::kAboutMenuText), this, &CWheelDlg::OnAbout);
    menu.addSeparator();
    menu.addAction(wheel::Shown(wheel::kMakerPageMenuText), this, &CWheelDlg::OnMakerPage);
    menu.addAction(wheel::Shown(wheel::kShopPageMenuText), this, &CWheelDlg::OnShopPage);
    menu.exec(event->globalPos());
}

void CWheelDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CWheelDlg::OnMakerPage()
{
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(wheel::kMakerPageUrl)));
}

void CWheelDlg::OnShopPage()
{
    QDesktopServices::openUrl(QUrl(QString::fromUtf8(wheel::kShopPageUrl)));
}

// ---- device, slot and DIY controls -----------------------------------------

// The values the device protocol reads, after the data exchange.
wheel::ProtocolInputs CWheelDlg::ProtocolInputsFromMembers() const
{
    wheel::ProtocolInputs inputs;
    inputs.m_slotChecks = m_slotChecks;
    inputs.m_b48Mode = m_b48Mode;
    inputs.m_nAngle = m_nAngle;
    inputs.m_nDirection = m_nDirection;
    inputs.m_bPictureLoaded = m_bPictureLoaded;
    inputs.angleText = ui->editAngle->text().toStdString();
    return inputs;
}

void CWheelDlg::AfterDeviceHandler()
{
    m_device->AfterHandler();
}

void CWheelDlg::OnDownload()
{
    UpdateData(true);  // a bad angle is prompted for; the download goes on
    const bool diy = !m_strDiyPicturePath.isEmpty() && m_strShownPicturePath == m_strDiyPicturePath;
    m_device->SetNextNames({{}, diy ? wheel::PictureName::Builtin(wheel::kDiyRecordName)
                                    : wheel::PictureName::OfFile(m_strShownPicturePath)});
    m_device->Protocol().OnDownload(ProtocolInputsFromMembers(), m_picture.Block());
    AfterDeviceHandler();
}

void CWheelDlg::OnFactoryReset()
{
    UpdateData(true);
    m_device->SetNextNames({{}, wheel::PictureName::Builtin(wheel::kFactoryRecordName)});
    m_device->Protocol().OnFactoryReset(ProtocolInputsFromMembers(), m_picture.Block());
    AfterDeviceHandler();
}

void CWheelDlg::OnCalibrate()
{
    UpdateData(true);  // a bad angle is prompted for; the checks below decide
    m_device->Protocol().OnCalibrate(ProtocolInputsFromMembers(), m_picture.Block());
    AfterDeviceHandler();
}

void CWheelDlg::OnSelectAll()
{
    m_device->Protocol().OnSelectAll();
    m_device->DrainEffects();
}

void CWheelDlg::OnDeselectAll()
{
    m_device->Protocol().OnDeselectAll();
    m_device->DrainEffects();
}

void CWheelDlg::OnSelectionHelp()
{
    CSlotHelpDlg help;
    help.exec();
}

// ---- effects of the device protocol ------------------------------------------

void CWheelDlg::ReplaceLogText(const QString& text)
{
    m_strLog = wheel::TranslateShown(text);
    m_editLog->setPlainText(wheel::LogTextToWidget(m_strLog));
}

void CWheelDlg::ShowProgress(int percent)
{
    m_progress->setValue(percent);
    ui->lblProgress->setText(wheel::TranslateShown(QString::fromStdString(wheel::ProgressText(percent))));
}

void CWheelDlg::EnableOperationButtons(bool enable)
{
    ui->btnOpenPicture->setEnabled(enable);
    ui->btnDownload->setEnabled(enable);
    ui->btnFactoryReset->setEnabled(enable);
    // The menu's entries that do the same.
    m_menu->OpenPicture()->setEnabled(enable);
    m_menu->RecentMenu()->setEnabled(enable);
    m_menu->Download()->setEnabled(enable);
    m_menu->FactoryReset()->setEnabled(enable);
}

void CWheelDlg::SetAllSlotBoxes(bool ticked)
{
    for (int label = 1; label <= wheel::kSlotBoxes; ++label) {
        const auto index = static_cast<std::size_t>(wheel::SlotCheckIndex(label));
        m_slotChecks[index] = ticked ? 1 : 0;
        m_slotBoxes[index]->setChecked(ticked);
    }
}

void CWheelDlg::Set48Mode(bool ticked)
{
    m_b48Mode = ticked ? 1 : 0;
    ui->chk48Mode->setChecked(ticked);
}

void CWheelDlg::OnDiy()
{
    // The template goes into the working file and the DIY dialog runs on it;
    // a confirmed drawing comes back through g_bDiyPictureReady and OnTimer.
    m_strDiyPicturePath = wheel::DiyPicturePath();
    wheel::RunDiyRoundTrip(this, m_strDiyPicturePath);
}
