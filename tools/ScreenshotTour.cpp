// Takes the user's guide's screenshots from the real window: builds CWheelDlg
// on the simulated wheel light, plays the user (opens the sample picture,
// ticks slots, downloads, calibrates, draws a DIY picture, adjusts a picture
// through the menu bar, downloads a picture set) and grabs the window, its
// dialogs, menus and message boxes into PNG files.
//   wheel-screenshots OUTPUT_DIR SAMPLE_PICTURE
// Run it under a real X server (scripts/screenshots uses xvfb-run).

#include "texts/Language.h"
#include "app/MainMenu.h"
#include "app/PictureArea.h"
#include "app/SetCell.h"
#include "app/SetWindow.h"
#include "app/WheelDlg.h"
#include "dialogs/Dialogs.h"
#include "dialogs/Fonts.h"
#include "picture/RenderWheel.h"
#include "protocol/FactoryPictures.h"
#include "sets/RecordAsSet.h"
#include "sets/SetFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

QString g_outDir;
int g_failures = 0;

void Fail(const QString& what)
{
    std::fprintf(stderr, "wheel-screenshots: %s\n", qPrintable(what));
    ++g_failures;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

// Xvfb runs no window manager, so a window's grab has no title bar; a plain
// one is drawn above it, since captions ("恭喜", "温馨提示") carry meaning.
QImage WithTitleBar(const QImage& content, const QString& title)
{
    const int bar = 26;
    QImage image(content.width(), content.height() + bar, QImage::Format_RGB888);
    image.fill(QColor(0x3a, 0x4a, 0x5c));
    QPainter painter(&image);
    painter.drawImage(0, bar, content);
    QFont font = QApplication::font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(10, 0, content.width() - 20, bar), Qt::AlignVCenter | Qt::AlignLeft, title);
    return image;
}

void SaveImage(const QImage& image, const char* name)
{
    const QString path = QDir(g_outDir).filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    // Quality 0 asks for the strongest PNG compression.
    if (!image.convertToFormat(QImage::Format_RGB888).save(path, "PNG", 0))
        Fail(QStringLiteral("cannot write ") + path);
    else
        std::printf("%s\n", qPrintable(path));
}

void Save(QWidget* widget, const char* name)
{
    QTest::qWait(150);   // let the last paint land
    QImage image = widget->grab().toImage();
    if (widget->isWindow())
        image = WithTitleBar(image, widget->windowTitle());
    SaveImage(image, name);
}

template <typename T>
T* Find(QWidget* parent, const char* name);
void Click(QWidget* parent, const char* name);

// Windows and open menus as they stand on the screen, in one picture; the
// windows with their title bars.
void SaveTogether(std::initializer_list<QWidget*> widgets, const char* name)
{
    QTest::qWait(150);
    const int bar = 26;   // as WithTitleBar draws it
    auto titled = [](QWidget* w) { return w->windowType() != Qt::Popup; };
    QRect bounds;
    for (QWidget* w : widgets)
        bounds |= w->geometry().adjusted(0, titled(w) ? -bar : 0, 0, 0);
    QImage image(bounds.size(), QImage::Format_RGB888);
    image.fill(QColor(0xd4, 0xd8, 0xdd));
    QPainter painter(&image);
    for (QWidget* w : widgets) {
        const QImage content = w->grab().toImage();
        const QPoint at = w->geometry().topLeft() - bounds.topLeft();
        if (titled(w))
            painter.drawImage(at - QPoint(0, bar), WithTitleBar(content, w->windowTitle()));
        else
            painter.drawImage(at, content);
    }
    painter.end();
    SaveImage(image, name);
}

// The menu bar's 文件 menu open, as a click on it opens it.
void SaveFileMenu(CWheelDlg& dlg, const char* name)
{
    QMenu* file = dlg.MenuBar()->FileMenu();
    dlg.MenuBar()->setActiveAction(file->menuAction());
    if (!WaitUntil([&] { return file->isVisible(); }, 3000)) {
        Fail(QStringLiteral("the 文件 menu did not open"));
        return;
    }
    SaveTogether({&dlg, file}, name);
    file->hide();
}

// Opens the picture again from 最近打开, turns it a quarter, inverts it in the
// adjustments window and grabs the window beside the main window.
void SaveAdjusted(CWheelDlg& dlg, const char* name)
{
    QMenu* recent = dlg.MenuBar()->RecentMenu();
    emit recent->aboutToShow();   // the list is read from the settings as it opens
    if (recent->actions().isEmpty() || !recent->actions().first()->isEnabled()) {
        Fail(QStringLiteral("no recent picture"));
        return;
    }
    recent->actions().first()->trigger();
    dlg.MenuBar()->Adjustments()->trigger();
    auto* window = dlg.findChild<QDialog*>(QStringLiteral("adjustmentsWindow"));
    if (!window || !QTest::qWaitForWindowExposed(window)) {
        Fail(QStringLiteral("the adjustments window did not open"));
        return;
    }
    if (auto* rotate = Find<QComboBox>(window, "comboRotate"))
        rotate->setCurrentIndex(1);
    if (auto* invert = Find<QCheckBox>(window, "chkInvert"))
        invert->click();
    SaveTogether({&dlg, window}, name);
    window->close();
}

// Shows a message box as the program would have shown it and grabs it.
void SaveMessage(QWidget* parent, const wheel::MessageBox::Shown& shown, const char* name)
{
    QMessageBox box(QMessageBox::NoIcon, shown.caption, shown.text, QMessageBox::Ok, parent);
    box.show();
    QTest::qWaitForWindowExposed(&box);
    Save(&box, name);
    box.close();
}

// Saves the last message box the program showed, if it showed one.
void SaveLastMessage(QWidget* parent, const char* name)
{
    const auto shown = wheel::MessageBox::Recorded();
    if (shown.empty()) {
        Fail(QStringLiteral("no message box for ") + QString::fromLatin1(name));
        return;
    }
    SaveMessage(parent, shown.back(), name);
    wheel::MessageBox::ClearRecorded();
}

// Starts trigger, which opens a modal dialog, and runs play on that dialog
// once it is up; play closes it. False when no dialog came up in time.
bool WithModal(const std::function<void()>& trigger, const std::function<void(QWidget*)>& play, int timeoutMs = 3000)
{
    bool played = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || played)
            return;
        poll.stop();
        QTest::qWaitForWindowExposed(modal);
        play(modal);
        played = true;
    });
    poll.start(20);
    trigger();
    WaitUntil([&] { return played; }, timeoutMs);
    poll.stop();
    return played;
}

template <typename T>
T* Find(QWidget* parent, const char* name)
{
    T* w = parent->findChild<T*>(QString::fromLatin1(name));
    if (!w)
        Fail(QStringLiteral("no widget ") + QString::fromLatin1(name));
    return w;
}

void Click(QWidget* parent, const char* name)
{
    if (auto* button = Find<QAbstractButton>(parent, name))
        QTest::mouseClick(button, Qt::LeftButton);
}

void Type(QWidget* edit, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(edit, &event);
}

// A set of eight in `folder`: six of the built-in pictures, the sample turned
// a quarter and inverted, and a picture that is gone.
QString WriteTourSet(const QString& folder, const QString& sample)
{
    wheel::PictureSet set;
    for (int box = 1; box <= 6; ++box) {
        const wheel::WheelFrame frame = wheel::FrameOfBlock(wheel::kFactoryPictures.at(std::size_t(3 * box - 2)));
        const QString path = QDir(folder).filePath(QStringLiteral("built-in-%1.png").arg(box));
        if (!MatToQImage(wheel::PictureOfFrame(frame)).save(path))
            Fail(QStringLiteral("cannot write ") + path);
        set.Cell(box) = wheel::SetCell{path, {}};
    }
    wheel::PictureAdjustments turned;
    turned.rotate = wheel::Rotation::Deg90;
    turned.invert = true;
    set.Cell(7) = wheel::SetCell{QFileInfo(sample).absoluteFilePath(), turned};
    set.Cell(8) = wheel::SetCell{QDir(folder).filePath(QStringLiteral("holiday.jpg")), {}};
    const QString path = QDir(folder).filePath(QStringLiteral("club.wheelset"));
    if (!wheel::WriteSetFile(set, path))
        Fail(QStringLiteral("cannot write ") + path);
    return path;
}

// Opens the set in the set window, downloads it (skipping the picture that
// is gone) and grabs the window once it shows what the wheel light holds.
void SaveSetWindow(CWheelDlg& dlg, const QString& setFile, const char* name)
{
    dlg.OpenSetFile(setFile);
    CSetWindow* window = dlg.SetWindow();
    if (!window || !QTest::qWaitForWindowExposed(window) || !WaitUntil([&] { return window->AllRendered(); }, 20000)) {
        Fail(QStringLiteral("the set window did not show the set"));
        return;
    }
    wheel::MessageBox::ClearRecorded();
    wheel::QuestionBox::SetNextAnswer(0);
    Click(window, "btnDownloadAll");
    auto* progress = Find<QProgressBar>(window, "progressSet");
    auto* onWheel = Find<QLabel>(window->Cell(7), "onWheel");
    if (!progress || !onWheel
        || !WaitUntil([&] { return progress->value() == 100 && wheel::MessageBox::Recorded().size() == 2
                                   && !onWheel->pixmap().isNull(); }, 20000))
        Fail(QStringLiteral("the set's download did not finish"));
    Save(window, name);
    window->close();
}

// One photo in the three tones, as the preview area shows each, beside the
// photo as "原图" shows it; then 抖动 with 按LED显示, both windows.
void SaveTones(CWheelDlg& dlg, const QString& photo)
{
    wheel::FileDialog::SetNextFileName(photo);
    Click(&dlg, "btnOpenPicture");
    dlg.MenuBar()->Adjustments()->trigger();
    auto* window = dlg.findChild<QDialog*>(QStringLiteral("adjustmentsWindow"));
    auto* original = Find<CPictureArea>(&dlg, "picOriginal");
    auto* preview = Find<CPictureArea>(&dlg, "picPreview");
    if (!dlg.m_bPictureLoaded || !window || !original || !preview) {
        Fail(QStringLiteral("the photo for the tones did not open: ") + photo);
        return;
    }
    const std::pair<const char*, const char*> tones[] = {
        {"radToneThreshold", "黑白 (threshold)"}, {"radToneDither", "抖动 (dither)"}, {"radToneOutline", "轮廓线 (outline)"}};
    const int side = preview->width(), label = 24, gap = 8;
    QImage strip(4 * side + 3 * gap, side + label, QImage::Format_RGB888);
    strip.fill(Qt::white);
    QPainter painter(&strip);
    painter.setFont(QApplication::font());
    auto place = [&](int i, const QImage& image, const QString& caption) {
        const QRect at(i * (side + gap), label, side, side);
        painter.drawImage(at, image);
        painter.drawText(QRect(at.left(), 0, side, label), Qt::AlignCenter, caption);
    };
    place(0, original->grab().toImage(), QStringLiteral("原图 (picture)"));
    for (int i = 0; i < 3; ++i) {
        Click(window, tones[i].first);
        QTest::qWait(150);
        place(i + 1, preview->grab().toImage(), QString::fromUtf8(tones[i].second));
    }
    painter.end();
    SaveImage(strip, "17-tones");

    Click(window, "radToneDither");
    dlg.MenuBar()->ShowLeds()->trigger();
    SaveTogether({&dlg, window}, "18-dither-leds");
    dlg.MenuBar()->ShowLeds()->trigger();
    Click(window, "btnDefaults");
    window->close();
}

void Tour(CWheelDlg& dlg, const QString& sample, const QString& setFile, const QString& photo)
{
    Save(&dlg, "01-start");

    wheel::FileDialog::SetNextFileName(sample);
    Click(&dlg, "btnOpenPicture");
    if (!dlg.m_bPictureLoaded)
        Fail(QStringLiteral("the sample did not load: ") + sample);
    Save(&dlg, "02-picture-opened");

    for (const char* slot : {"chkSlot1", "chkSlot2", "chkSlot3"})
        Click(&dlg, slot);
    Save(&dlg, "03-slots-ticked");

    if (!WithModal([&] { Click(&dlg, "btnSelectionHelp"); }, [](QWidget* help) {
            Save(help, "04-slot-help");
            help->close();
        }))
        Fail(QStringLiteral("the slot help did not open"));

    // Download into the ticked slots of the simulated wheel light.
    wheel::MessageBox::ClearRecorded();
    Click(&dlg, "btnDownload");
    auto* progress = Find<QProgressBar>(&dlg, "progressDownload");
    if (progress && WaitUntil([&] { return progress->value() == 100 && !wheel::MessageBox::Recorded().empty(); }, 20000)) {
        Save(&dlg, "05-downloaded");
        SaveLastMessage(&dlg, "05-message-download-done");
    } else {
        Fail(QStringLiteral("the download did not finish"));
    }

    // Calibration: 45 degrees to the left.
    if (auto* angle = Find<QLineEdit>(&dlg, "editAngle")) {
        angle->setText(QStringLiteral("45"));
        Click(&dlg, "radLeft");
        wheel::MessageBox::ClearRecorded();
        Click(&dlg, "btnCalibrate");
        if (WaitUntil([&] { return !wheel::MessageBox::Recorded().empty(); }, 10000)) {
            Save(&dlg, "06-calibrated");
            SaveLastMessage(&dlg, "06-message-calibrated");
        } else {
            Fail(QStringLiteral("the calibration did not finish"));
        }
    }

    // A refusal: downloading with no slot ticked.
    Click(&dlg, "btnDeselectAll");
    wheel::MessageBox::ClearRecorded();
    Click(&dlg, "btnDownload");
    if (WaitUntil([&] { return !wheel::MessageBox::Recorded().empty(); }, 3000))
        SaveLastMessage(&dlg, "07-message-no-slot");

    // DIY: type a text, save it, back in the main window.
    if (!WithModal([&] { Click(&dlg, "btnDiy"); }, [](QWidget* diy) {
            // A smaller face than the default, chosen through the font button.
            wheel::FontDialog::SetNextFont(QFont(QStringLiteral("黑体"), 26));
            Click(diy, "fontButton");
            if (auto* edit = Find<QLineEdit>(diy, "textEdit"))
                Type(edit, QStringLiteral("驰光风火轮"));
            Save(diy, "08-diy");
            Click(diy, "okButton");
        }))
        Fail(QStringLiteral("the DIY dialog did not open"));
    QTest::qWait(700);   // the window's timer picks the drawing up within 500 ms
    Save(&dlg, "09-diy-loaded");

    // F1 or the window's context menu; here the handler behind both.
    if (!WithModal([&] { QMetaObject::invokeMethod(&dlg, "OnAbout"); }, [](QWidget* about) {
            Save(about, "10-about");
            about->close();
        }))
        Fail(QStringLiteral("the About box did not open"));

    SaveFileMenu(dlg, "12-menu");
    SaveAdjusted(dlg, "13-adjustments");
    if (!photo.isEmpty())
        SaveTones(dlg, photo);
    SaveSetWindow(dlg, setFile, "15-set-window");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("wheel-editor"));
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: wheel-screenshots OUTPUT_DIR SAMPLE_PICTURE [PHOTO]\n");
        return 2;
    }
    const QString photo = args.value(3);
    g_outDir = args.at(1);
    // The sample goes into a list of recent pictures of the tour's own.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QTemporaryDir pictures;
    const QString setFile = WriteTourSet(pictures.path(), args.at(2));
    QDir().mkpath(g_outDir);
    wheel::InstallApplicationFont();
    wheel::MessageBox::StartRecording();

    {
        wheel::InstallLanguage(wheel::UiLanguage::Chinese);
        wheel::AppOptions options;
        options.simulate = wheel::Simulation::Present;
        CWheelDlg dlg(options);
        dlg.show();
        QTest::qWaitForWindowExposed(&dlg);
        Tour(dlg, args.at(2), setFile, photo);
        dlg.close();
    }
    {
        // The same window in English, with a picture downloaded.
        wheel::InstallLanguage(wheel::UiLanguage::English);
        wheel::AppOptions options;
        options.simulate = wheel::Simulation::Present;
        CWheelDlg dlg(options);
        dlg.show();
        QTest::qWaitForWindowExposed(&dlg);
        wheel::FileDialog::SetNextFileName(args.at(2));
        Click(&dlg, "btnOpenPicture");
        Click(&dlg, "chkSlot1");
        wheel::MessageBox::ClearRecorded();
        Click(&dlg, "btnDownload");
        auto* progress = Find<QProgressBar>(&dlg, "progressDownload");
        if (!progress || !WaitUntil([&] { return progress->value() == 100 && !wheel::MessageBox::Recorded().empty(); }, 20000))
            Fail(QStringLiteral("the English download did not finish"));
        Save(&dlg, "11-english");
        SaveLastMessage(&dlg, "11-message-english");
        SaveAdjusted(dlg, "14-english-adjustments");
        SaveSetWindow(dlg, setFile, "16-english-set-window");
        dlg.close();
    }
    return g_failures == 0 ? 0 : 1;
}
