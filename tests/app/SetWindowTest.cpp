// The picture-set window driven as a user drives it: pictures dropped on its
// cells (drag events synthesized), 下载全部 on the simulated wheel light, the
// record shown beside the cells, and the question before unsaved changes go.
// The QApplication comes from WheelDlgTest.cpp's environment.

#include "app/AdjustmentsDlg.h"
#include "app/MainMenu.h"
#include "app/SetCell.h"
#include "app/SetWindow.h"
#include "app/WheelDlg.h"
#include "app/WheelDlgDevice.h"
#include "dialogs/Dialogs.h"
#include "protocol/SlotTable.h"
#include "sets/RecordAsSet.h"
#include "sets/SetFile.h"
#include "usb/SimulatedWheelLight.h"
#include "tests/support/WindowTestSupport.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <memory>

namespace {

using wheeltest::WaitUntil;

class SetWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        wheel::MessageBox::StartRecording();
    }
    void TearDown() override
    {
        dlg.reset();
        wheel::MessageBox::StopRecording();
        wheel::QuestionBox::SetNextAnswer(-1);
        wheel::FileDialog::SetNextFileName(QString());
        wheel::FileDialog::GetOpenFileName(nullptr, {}, {});   // consume what a failed test left
    }

    // The main window and its set window, with no record of what the wheel
    // light holds (tests before may have left one).
    CSetWindow* Open(wheel::Simulation simulation)
    {
        QFile::remove(wheel::RecordFilePath(simulation != wheel::Simulation::Off));
        wheel::AppOptions options;
        options.simulate = simulation;
        dlg = std::make_unique<CWheelDlg>(options);
        dlg->show();
        CSetWindow* window = dlg->OpenSetWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        return window;
    }

    // Picture n: a dark disc of its own size on white, so that every picture
    // makes a frame of its own.
    QString Picture(int n)
    {
        cv::Mat image(160, 160, CV_8UC3, cv::Scalar(255, 255, 255));
        cv::circle(image, {80, 80}, 20 + 15 * n, cv::Scalar(0, 0, 0), cv::FILLED);
        const QString path = dir.filePath(QStringLiteral("p%1.png").arg(n));
        EXPECT_TRUE(cv::imwrite(QFile::encodeName(path).toStdString(), image));
        return path;
    }

    // Drags the files over the cell and drops them; true when the drag was
    // taken on entering.
    bool Drop(CSetWindow* window, int box, const QStringList& paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        QWidget* cell = window->Cell(box);
        const QPoint at = cell->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QCoreApplication::sendEvent(cell, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(cell, &drop);
        QCoreApplication::processEvents();   // the cell hands the drop over after it
        return enter.isAccepted();
    }

    static QString PictureIn(const CSetWindow* window, int box)
    {
        const auto& cell = window->Document().Set().Cell(box);
        return cell ? cell->picture : QString();
    }

    static QLabel* Label(CSetWindow* window, int box, const char* name)
    {
        return window->Cell(box)->findChild<QLabel*>(QString::fromLatin1(name));
    }

    QTemporaryDir dir;
    std::unique_ptr<CWheelDlg> dlg;
};

// One picture goes where it is dropped, filled or not; several fill the
// cells from there on up to the first filled one or the last, and the rest
// are refused in one message.
TEST_F(SetWindowTest, DroppedPicturesFillTheCellsFromTheOneDroppedOn)
{
    CSetWindow* window = Open(wheel::Simulation::Absent);
    const QString p1 = Picture(1), p2 = Picture(2), p3 = Picture(3), p4 = Picture(4);

    ASSERT_TRUE(Drop(window, 5, {p1}));
    ASSERT_TRUE(Drop(window, 5, {p2}));
    ASSERT_TRUE(Drop(window, 8, {p3}));
    EXPECT_EQ(PictureIn(window, 5), p2);
    EXPECT_TRUE(wheel::MessageBox::Recorded().empty());

    ASSERT_TRUE(Drop(window, 6, {p1, p2, p3, p4}));
    EXPECT_EQ(PictureIn(window, 6), p1);
    EXPECT_EQ(PictureIn(window, 7), p2);
    EXPECT_EQ(PictureIn(window, 8), p3);   // was filled: kept
    EXPECT_EQ(PictureIn(window, 9), QString());
    ASSERT_TRUE(Drop(window, 19, {p4, p1, p2}));
    EXPECT_EQ(PictureIn(window, 19), p4);
    EXPECT_EQ(PictureIn(window, 20), p1);
    EXPECT_EQ(window->Document().Set().FilledCount(), 6);
    const auto shown = wheel::MessageBox::Recorded();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, QStringLiteral("从第6幅起的空位放不下所有图片，以下图片没有放入：\n") + p3 + "\n" + p4);
    EXPECT_EQ(shown[1].text, QStringLiteral("从第19幅起的空位放不下所有图片，以下图片没有放入：\n") + p2);

    // Each filled cell shows its preview once rendered, a picture that cannot
    // be loaded says why, and an empty cell says so.
    const QString text = dir.filePath(QStringLiteral("notes.png"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("not a picture") > 0);
    file.close();
    ASSERT_TRUE(Drop(window, 1, {text}));
    ASSERT_TRUE(WaitUntil([&] { return window->AllRendered(); }));
    for (int box : {5, 6, 7, 8, 19, 20})
        EXPECT_FALSE(Label(window, box, "preview")->pixmap().isNull()) << box;
    EXPECT_EQ(Label(window, 6, "name")->text(), QStringLiteral("p1.png"));
    EXPECT_EQ(Label(window, 1, "preview")->text(), QStringLiteral("不是BMP、JPEG或PNG图片"));
    EXPECT_EQ(Label(window, 2, "preview")->text(), QStringLiteral("空"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("未命名* - 图片组"));
}

// Three pictures dropped and downloaded in one go into the simulated wheel
// light, after the user is told about the cell that cannot be loaded; the
// set cannot be changed meanwhile, and the cells show what the wheel holds.
TEST_F(SetWindowTest, DownloadAllSendsTheCellsAndShowsWhatTheWheelHolds)
{
    CSetWindow* window = Open(wheel::Simulation::Present);
    auto* device = dlg->findChild<WheelDlgDevice*>(QStringLiteral("wheelDevice"));
    wheel::SimulatedWheelLight::Faults slow;
    slow.latency = std::chrono::milliseconds(20);   // a download outlasts the click by far
    device->Simulated()->SetFaults(slow);
    auto* downloadAll = window->findChild<QPushButton*>(QStringLiteral("btnDownloadAll"));

    // The frames the main window makes of each picture.
    std::vector<QString> pictures;
    std::vector<wheel::TransferBlock> expected;
    for (int n = 1; n <= 3; ++n) {
        pictures.push_back(Picture(n));
        dlg->LoadPicture(pictures.back());
        ASSERT_TRUE(WaitUntil([&] { return !dlg->PictureLoading(); }));
        expected.push_back(dlg->Picture().Block());
    }
    ASSERT_TRUE(Drop(window, 2, {pictures[0], pictures[1], pictures[2]}));
    ASSERT_TRUE(Drop(window, 9, {dir.filePath(QStringLiteral("gone.jpg"))}));
    ASSERT_TRUE(WaitUntil([&] { return window->AllRendered() && downloadAll->isEnabled(); }));

    QTest::mouseClick(downloadAll, Qt::LeftButton);   // asked, and cancelled
    ASSERT_EQ(wheel::MessageBox::Recorded().size(), 1u);
    EXPECT_EQ(wheel::MessageBox::Recorded()[0].text,
              QStringLiteral("以下位置的图片无法载入，下载时将跳过：\n第9幅：文件不存在\n仍然下载其余的图片吗？"));
    EXPECT_TRUE(downloadAll->isEnabled());

    wheel::QuestionBox::SetNextAnswer(0);
    QTest::mouseClick(downloadAll, Qt::LeftButton);
    EXPECT_FALSE(downloadAll->isEnabled());
    EXPECT_FALSE(window->findChild<QPushButton*>(QStringLiteral("btnOpenSet"))->isEnabled());
    EXPECT_FALSE(dlg->findChild<QPushButton*>(QStringLiteral("btnDownload"))->isEnabled());
    EXPECT_FALSE(Drop(window, 12, {pictures[0]}));
    ASSERT_TRUE(WaitUntil([&] { return downloadAll->isEnabled(); }, 30000));
    EXPECT_EQ(wheel::MessageBox::Recorded().back().text, QStringLiteral("图片下载完成!"));
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("lblSetProgress"))->text(), QStringLiteral("下载进度:100%"));
    EXPECT_FALSE(window->Document().Set().Cell(12).has_value());

    for (int i = 0; i < 3; ++i) {
        const std::optional<wheel::TransferBlock> got = device->Simulated()->Slot(wheel::SlotNumberForLabel(2 + i));
        ASSERT_TRUE(got.has_value()) << i;
        EXPECT_TRUE(std::equal(got->begin(), got->begin() + wheel::kFrameBytes, expected[i].begin())) << i;
        EXPECT_EQ((*got)[wheel::kTrailerMarker], i == 2 ? wheel::MarkerLastPicture : wheel::MarkerPicture) << i;
    }
    for (int box : {2, 3, 4}) {
        EXPECT_TRUE(WaitUntil([&] { return !Label(window, box, "onWheel")->pixmap().isNull(); })) << box;
        EXPECT_TRUE(Label(window, box, "onWheel")->toolTip().contains(QStringLiteral("p%1.png").arg(box - 1))) << box;
    }
    for (int box : {1, 5, 9})
        EXPECT_EQ(Label(window, box, "onWheel")->text(), QStringLiteral("未知")) << box;

    // A calibration, too, keeps the set from changing while it runs.
    wheel::SimulatedWheelLight::Faults silent;
    silent.silent = true;
    device->Simulated()->SetFaults(silent);
    dlg->findChild<QLineEdit*>(QStringLiteral("editAngle"))->setText(QStringLiteral("10"));
    QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("btnCalibrate")), Qt::LeftButton);
    EXPECT_FALSE(downloadAll->isEnabled());
    EXPECT_FALSE(Drop(window, 12, {pictures[0]}));
}

// The title names the file and marks unsaved changes; closing with unsaved
// changes asks: cancel stays, save writes the file, don't save drops them,
// and the main window asks the same before it closes.
TEST_F(SetWindowTest, TitleMarksChangesAndClosingAsks)
{
    CSetWindow* window = Open(wheel::Simulation::Absent);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("未命名 - 图片组"));
    ASSERT_TRUE(Drop(window, 3, {Picture(1)}));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("未命名* - 图片组"));

    EXPECT_FALSE(window->close());
    ASSERT_EQ(wheel::MessageBox::Recorded().size(), 1u);
    EXPECT_EQ(wheel::MessageBox::Recorded()[0].text, QStringLiteral("图片组“未命名”有没有保存的修改，要保存吗？"));
    EXPECT_TRUE(window->isVisible());

    const QString path = dir.filePath(QStringLiteral("trip.wheelset"));
    wheel::QuestionBox::SetNextAnswer(0);
    wheel::FileDialog::SetNextFileName(path);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(dlg->SetWindow(), nullptr);
    const std::optional<wheel::PictureSet> saved = wheel::ReadSetFile(path);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->FilledCount(), 1);
    EXPECT_EQ(saved->Cell(3)->picture, dir.filePath(QStringLiteral("p1.png")));

    dlg->OpenSetFile(path);
    window = dlg->SetWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("trip.wheelset - 图片组"));
    window->findChild<QCheckBox*>(QStringLiteral("chkSet48Mode"))->click();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("trip.wheelset* - 图片组"));
    EXPECT_FALSE(dlg->close());   // cancelled: both windows stay
    EXPECT_TRUE(dlg->isVisible() && window->isVisible());
    wheel::QuestionBox::SetNextAnswer(1);
    EXPECT_TRUE(dlg->close());
    EXPECT_TRUE(wheel::ReadSetFile(path)->mode48);   // the change was dropped
}

// 调整… edits the cell's own adjustments, and the cell follows each change;
// 清除 empties the cell and leaves the adjustments window without a target.
TEST_F(SetWindowTest, CellAdjustedLiveAndCleared)
{
    CSetWindow* window = Open(wheel::Simulation::Absent);
    ASSERT_TRUE(Drop(window, 3, {Picture(1)}));
    ASSERT_TRUE(WaitUntil([&] { return window->AllRendered(); }));
    const QImage before = Label(window, 3, "preview")->pixmap().toImage();

    emit window->Cell(3)->adjust(3);   // as the cell's context menu does
    auto* adjustments = window->findChild<CAdjustmentsDlg*>(QStringLiteral("setAdjustmentsWindow"));
    ASSERT_NE(adjustments, nullptr);
    EXPECT_TRUE(adjustments->isVisible());
    adjustments->findChild<QCheckBox*>(QStringLiteral("chkInvert"))->click();
    EXPECT_TRUE(window->Document().Set().Cell(3)->adjustments.invert);
    ASSERT_TRUE(WaitUntil([&] { return window->AllRendered(); }));
    EXPECT_NE(Label(window, 3, "preview")->pixmap().toImage(), before);
    EXPECT_EQ(Label(window, 3, "adjustments")->text(), QStringLiteral("反色"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("未命名* - 图片组"));
    adjustments->findChild<QRadioButton*>(QStringLiteral("radToneDither"))->click();
    EXPECT_EQ(window->Document().Set().Cell(3)->adjustments.tone, wheel::Tone::Dither);
    EXPECT_EQ(Label(window, 3, "adjustments")->text(), QStringLiteral("抖动 · 反色"));

    emit window->Cell(3)->clear(3);
    EXPECT_FALSE(adjustments->HasTarget());
    EXPECT_EQ(Label(window, 3, "preview")->text(), QStringLiteral("空"));
}

// What the wheel light holds, saved as a set: nothing known is said so, a
// picture file in the way is replaced only when the user says so, and the
// picture saved converts back into the frame that was downloaded.
TEST_F(SetWindowTest, WheelsPicturesSavedAsASetAskBeforeReplacing)
{
    CSetWindow* window = Open(wheel::Simulation::Present);
    auto* save = window->findChild<QPushButton*>(QStringLiteral("btnSaveRecordAsSet"));
    save->click();
    ASSERT_EQ(wheel::MessageBox::Recorded().size(), 1u);
    EXPECT_TRUE(wheel::MessageBox::Recorded()[0].text.startsWith(QStringLiteral("还不知道风火轮上有哪些图片")));

    dlg->LoadPicture(Picture(2));

    ASSERT_TRUE(WaitUntil([&] { return !dlg->PictureLoading(); }));
    const wheel::TransferBlock sent = dlg->Picture().Block();
    QTest::mouseClick(dlg->findChild<QCheckBox*>(QStringLiteral("chkSlot2")), Qt::LeftButton);
    QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("btnDownload")), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !Label(window, 2, "onWheel")->pixmap().isNull() && save->isEnabled(); }, 30000));

    const QString png = dir.filePath(QStringLiteral("wheel-02.png"));
    QFile old(png);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    const QString setPath = dir.filePath(QStringLiteral("wheel.wheelset"));
    wheel::MessageBox::ClearRecorded();
    wheel::FileDialog::SetNextFileName(setPath);
    save->click();   // asked, and cancelled
    ASSERT_EQ(wheel::MessageBox::Recorded().size(), 1u);
    EXPECT_EQ(wheel::MessageBox::Recorded()[0].text, QStringLiteral("以下文件已经存在，要替换吗？\n") + png);
    EXPECT_EQ(QFileInfo(png).size(), 3);
    EXPECT_FALSE(QFile::exists(setPath));

    wheel::QuestionBox::SetNextAnswer(0);
    wheel::FileDialog::SetNextFileName(setPath);
    save->click();
    const std::optional<wheel::PictureSet> set = wheel::ReadSetFile(setPath);
    ASSERT_TRUE(set.has_value());
    EXPECT_EQ(set->FilledCount(), 1);
    ASSERT_TRUE(set->Cell(2).has_value());
    EXPECT_EQ(set->Cell(2)->picture, png);
    dlg->LoadPicture(png);
    ASSERT_TRUE(WaitUntil([&] { return !dlg->PictureLoading(); }));
    EXPECT_TRUE(std::equal(sent.begin(), sent.begin() + wheel::kFrameBytes, dlg->Picture().Block().begin()));
}

// From the keyboard alone: Ctrl+G opens the set window, Tab reaches the
// cells, the arrows move between them, Enter chooses a picture, Delete
// clears, the Menu key and Shift+F10 open the cell's menu, Ctrl+Shift+S saves
// as, Space on 下载全部 downloads and Escape closes.
TEST_F(SetWindowTest, KeyboardOnlyFillsACellAndDownloadsTheSet)
{
    Open(wheel::Simulation::Present)->close();
    // Shortcuts go to the window the display has activated: active, and the
    // keyboard's focus inside it (it follows a moment later). Asked again
    // every quarter second: without a window manager, a focus change that
    // the server reports late (after a menu's grab, on a busy machine) can
    // take the activation away again.
    auto activate = [](QWidget* w) {
        QElapsedTimer asked;
        return WaitUntil([w, &asked] {
            const QWidget* focus = QApplication::focusWidget();
            if (QApplication::activeWindow() == w && focus && focus->window() == w)
                return true;
            if (!asked.isValid() || asked.elapsed() > 250) {
                w->activateWindow();
                asked.start();
            }
            return false;
        });
    };
    ASSERT_TRUE(activate(dlg.get()));
    // A key typed into window w: to the widget with the keyboard's focus there.
    auto press = [&](QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        if (activate(w))
            QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
        else
            ADD_FAILURE() << "the window does not take the keyboard for key " << key;
    };
    press(dlg.get(), Qt::Key_G, Qt::ControlModifier);
    CSetWindow* window = dlg->SetWindow();
    ASSERT_TRUE(window && QTest::qWaitForWindowExposed(window) && activate(window));
    for (int tab = 0; tab < 10 && QApplication::focusWidget() != window->Cell(1); ++tab)
        press(window, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), window->Cell(1));
    // The focus shows: the highlight around the cell.
    const QImage shown = window->Cell(1)->grab().toImage();
    EXPECT_EQ(shown.pixelColor(1, shown.height() / 2), window->palette().color(QPalette::Highlight));
    press(window, Qt::Key_Right);
    press(window, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), window->Cell(2 + window->Columns()));
    press(window, Qt::Key_Up);
    press(window, Qt::Key_Left);

    const QString picture = Picture(1);
    wheel::FileDialog::SetNextFileName(picture);
    press(window, Qt::Key_Return);
    EXPECT_EQ(PictureIn(window, 1), picture);

    press(window, Qt::Key_Delete);
    EXPECT_TRUE(PictureIn(window, 1).isEmpty());
    wheel::FileDialog::SetNextFileName(picture);
    press(window, Qt::Key_Space);
    for (auto [key, modifiers] : {std::pair{Qt::Key_Menu, Qt::NoModifier}, std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
        // Without a window manager nobody gives the focus back after a menu.
        ASSERT_TRUE(activate(window));
        window->Cell(1)->setFocus();
        QTimer::singleShot(50, [] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
                menu->close();
        });
        bool shown = false;
        QTimer::singleShot(20, [&] { shown = qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; });
        press(window, key, modifiers);
        EXPECT_TRUE(shown) << key;
    }

    const QString setPath = dir.filePath(QStringLiteral("keys.wheelset"));
    wheel::FileDialog::SetNextFileName(setPath);
    press(window, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);   // the button's shortcut clicks it a moment later
    EXPECT_TRUE(WaitUntil([&] { return QFile::exists(setPath); }, 3000));

    ASSERT_TRUE(WaitUntil([&] { return window->AllRendered(); }));
    auto* downloadAll = window->findChild<QPushButton*>(QStringLiteral("btnDownloadAll"));
    for (int tab = 0; tab < 30 && QApplication::focusWidget() != downloadAll; ++tab)
        press(window, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), downloadAll);
    press(window, Qt::Key_Space);
    ASSERT_TRUE(WaitUntil([&] { return !Label(window, 1, "onWheel")->pixmap().isNull(); }, 30000));
    EXPECT_TRUE(Label(window, 1, "onWheel")->toolTip().contains(QStringLiteral("p1.png")));
    EXPECT_TRUE(window->Cell(1)->accessibleName().startsWith(QStringLiteral("第1幅：p1.png，轮上：")));

    press(window, Qt::Key_Escape);
    EXPECT_TRUE(WaitUntil([&] { return dlg->SetWindow() == nullptr; }));
    // The adjustments window goes with Ctrl+W, as the set window does.
    press(dlg.get(), Qt::Key_T, Qt::ControlModifier);
    auto* adjustments = dlg->findChild<QDialog*>(QStringLiteral("adjustmentsWindow"));
    ASSERT_TRUE(adjustments && QTest::qWaitForWindowExposed(adjustments) && activate(adjustments));
    press(adjustments, Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(WaitUntil([&] { return !adjustments->isVisible(); }));
}

} // namespace
