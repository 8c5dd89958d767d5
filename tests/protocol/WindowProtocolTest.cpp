// The device buttons of the main window clicked for real, with the simulated
// wheel light behind them.

#include "dialogs/Fonts.h"
#include "app/WheelDlg.h"
#include "app/WheelDlgDevice.h"
#include "dialogs/Dialogs.h"
#include "protocol/FactoryPictures.h"
#include "protocol/SlotHelpDlg.h"
#include "record/WheelRecord.h"
#include "usb/SimulatedWheelLight.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "tests/support/WindowTestSupport.h"
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <functional>

namespace {

[[maybe_unused]] auto* const g_env = ::testing::AddGlobalTestEnvironment(new wheeltest::QtEnvironment);
using wheeltest::WaitUntil;


QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class WindowProtocol : public ::testing::Test {
protected:
    void SetUp() override
    {
        wheel::MessageBox::StartRecording();
        wheel::MessageBox::ClearRecorded();
        wheel::AppOptions options;
        options.simulate = wheel::Simulation::Present;
        window = std::make_unique<CWheelDlg>(options);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        device = window->findChild<WheelDlgDevice*>("wheelDevice");
        ASSERT_NE(device, nullptr);
        ASSERT_NE(device->Simulated(), nullptr);
    }
    void TearDown() override
    {
        window.reset();
        wheel::MessageBox::StopRecording();
    }

    template <class T>
    T* Find(const char* name)
    {
        T* w = window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Click(const char* name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }
    void LoadPicture()
    {
        cv::Mat drawing(200, 200, CV_8UC3, cv::Scalar(0, 0, 0));
        cv::circle(drawing, {100, 100}, 80, cv::Scalar(255, 255, 255), 20);
        const QString path = dir.filePath("ring.png");
        ASSERT_TRUE(cv::imwrite(path.toStdString(), drawing));
        window->LoadPicture(path);
        ASSERT_EQ(window->m_bPictureLoaded, 1);
    }
    bool BoxShown(const QString& text)
    {
        for (const auto& box : wheel::MessageBox::Recorded())
            if (box.text == text)
                return true;
        return false;
    }
    bool OperationButtonsEnabled()
    {
        return Find<QPushButton>("btnOpenPicture")->isEnabled() && Find<QPushButton>("btnDownload")->isEnabled()
               && Find<QPushButton>("btnFactoryReset")->isEnabled();
    }

    QTemporaryDir dir;
    std::unique_ptr<CWheelDlg> window;
    WheelDlgDevice* device = nullptr;
};

TEST_F(WindowProtocol, DownloadIntoAllTwentySlotsRunsToTheEnd)
{
    LoadPicture();
    Click("btnSelectAll");
    for (int label = 1; label <= 20; ++label)
        EXPECT_TRUE(Find<QCheckBox>(("chkSlot" + std::to_string(label)).c_str())->isChecked()) << label;
    EXPECT_TRUE(Find<QCheckBox>("chk48Mode")->isChecked());

    Click("btnDownload");
    ASSERT_TRUE(WaitUntil([&] { return BoxShown(U("图片下载完成!")); })) << window->m_strLog.toStdString();
    QTest::qWait(20);
    EXPECT_EQ(Find<QProgressBar>("progressDownload")->value(), 100);
    EXPECT_EQ(Find<QLabel>("lblProgress")->text(), U("下载进度:100%"));
    EXPECT_TRUE(OperationButtonsEnabled());
    const QString log = Find<QPlainTextEdit>("editLog")->toPlainText();
    for (const char* line : {"尝试连接风火轮", "风火轮已经找到", "下载成功！"})
        EXPECT_TRUE(log.contains(U(line))) << line << "\n" << log.toStdString();
    EXPECT_EQ(wheel::MessageBox::Recorded().back().caption, U("恭喜"));
    EXPECT_EQ(window->m_bConnected, 1);
    // The slots the simulated light received.
    for (int slot = 0; slot < 20; ++slot)
        EXPECT_TRUE(device->Simulated()->Slot(static_cast<std::uint8_t>(slot)).has_value()) << slot;

    Click("btnDeselectAll");
    EXPECT_FALSE(Find<QCheckBox>("chkSlot20")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("chk48Mode")->isChecked());
}

TEST_F(WindowProtocol, RefusalsAndTheButtonsDuringADownload)
{
    Click("btnDownload");
    EXPECT_TRUE(BoxShown(U("请导入图片,然后下载!")));
    LoadPicture();
    Click("btnDownload");
    EXPECT_TRUE(BoxShown(U("请先选择需要下载的位置!")));

    wheel::SimulatedWheelLight::Faults slow;
    slow.latency = std::chrono::milliseconds(5);
    device->Simulated()->SetFaults(slow);
    QTest::mouseClick(Find<QCheckBox>("chkSlot3"), Qt::LeftButton);
    Click("btnDownload");
    EXPECT_FALSE(Find<QPushButton>("btnDownload")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("btnOpenPicture")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("btnFactoryReset")->isEnabled());
    Find<QLineEdit>("editAngle")->setText("30");
    Click("btnCalibrate");
    EXPECT_TRUE(BoxShown(U("正在下载图片，请等下载完成后再试！")));
    ASSERT_TRUE(WaitUntil([&] { return BoxShown(U("图片下载完成!")); }));
    QTest::qWait(20);
    EXPECT_TRUE(OperationButtonsEnabled());
    EXPECT_TRUE(Find<QCheckBox>("chkSlot3")->isChecked());  // a normal end keeps the ticks
}

TEST_F(WindowProtocol, UnplugDuringADownload)
{
    LoadPicture();
    for (const char* box : {"chkSlot1", "chkSlot2", "chkSlot3"})
        QTest::mouseClick(Find<QCheckBox>(box), Qt::LeftButton);
    wheel::SimulatedWheelLight::Faults faults;
    faults.removeAfterReports = 17;
    device->Simulated()->SetFaults(faults);
    Click("btnDownload");
    ASSERT_TRUE(WaitUntil([&] { return BoxShown(U("下载失败，USB被拔出!")); }));
    QTest::qWait(20);
    EXPECT_EQ(Find<QProgressBar>("progressDownload")->value(), 66);
    EXPECT_TRUE(OperationButtonsEnabled());
    EXPECT_FALSE(Find<QCheckBox>("chkSlot1")->isChecked());
    EXPECT_EQ(window->m_bConnected, 0);
    const QString log = Find<QPlainTextEdit>("editLog")->toPlainText();
    EXPECT_TRUE(log.contains(U("设备被拔出"))) << log.toStdString();
}

TEST_F(WindowProtocol, ALightGoneWithoutNewsEndsTheDownloadAndIsFoundAgain)
{
    LoadPicture();
    Find<QCheckBox>("chkSlot3")->setChecked(true);
    wheel::SimulatedWheelLight::Faults faults;
    faults.removeAfterReports = 5;
    faults.removeUnannounced = true;
    device->Simulated()->SetFaults(faults);
    Click("btnDownload");
    ASSERT_TRUE(WaitUntil([&] { return BoxShown(U("下载失败，USB被拔出!")) && OperationButtonsEnabled(); }));
    EXPECT_EQ(window->m_bConnected, 0);
    EXPECT_TRUE(Find<QPlainTextEdit>("editLog")->toPlainText().contains(U("设备被拔出")));

    // Back, again without news: the next download connects afresh.
    device->Simulated()->Plug(false);
    device->Simulated()->SetFaults({});
    Find<QCheckBox>("chkSlot3")->setChecked(true);
    Click("btnDownload");
    ASSERT_TRUE(WaitUntil([&] { return BoxShown(U("图片下载完成!")); }));
    EXPECT_EQ(Find<QPlainTextEdit>("editLog")->toPlainText().count(U("尝试连接风火轮")), 2);
}

TEST_F(WindowProtocol, CalibrationReplacesTheLogAndFactoryResetFillsEverySlot)
{
    // A calibration is an operation like a download for the other windows,
    // though it leaves the buttons as they are.
    std::vector<bool> told;
    QObject::connect(device, &CDeviceOperations::operationChanged, [&](bool running) { told.push_back(running); });
    wheel::SimulatedWheelLight::Faults slow;
    slow.latency = std::chrono::milliseconds(30);
    device->Simulated()->SetFaults(slow);
    Find<QLineEdit>("editAngle")->setText(" 45");
    QTest::mouseClick(Find<QRadioButton>("radLeft"), Qt::LeftButton);
    Click("btnCalibrate");
    EXPECT_TRUE(device->OperationRunning());
    EXPECT_TRUE(OperationButtonsEnabled());
    ASSERT_TRUE(WaitUntil([&] { return BoxShown(U("风火轮位置校准成功!")) && !device->OperationRunning(); }));
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
    device->Simulated()->SetFaults({});
    QTest::qWait(20);
    const QString log = Find<QPlainTextEdit>("editLog")->toPlainText();
    EXPECT_TRUE(log.startsWith(U("您需要调整的角度是: 45  向左调整！"))) << log.toStdString();
    const auto calibration = device->Simulated()->Calibration();
    ASSERT_TRUE(calibration.has_value());
    EXPECT_EQ((*calibration)[494], 0);
    EXPECT_EQ((*calibration)[495], 27);

    Find<QCheckBox>("chk48Mode")->setChecked(false);
    Click("btnFactoryReset");
    EXPECT_TRUE(Find<QCheckBox>("chk48Mode")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("chkSlot1")->isChecked());  // cleared right after the first report
    ASSERT_TRUE(WaitUntil([&] { return BoxShown(U("图片下载完成!")); }));
    EXPECT_TRUE(device->Simulated()->Slot(0).has_value());
    EXPECT_EQ(window->m_bPictureLoaded, 0);
}

// The window's downloads keep the record of what the wheel light holds: the
// factory pictures, a picture's file name, a set's pictures; an unplug leaves
// the slot it was writing unknown.
TEST_F(WindowProtocol, DownloadsKeepTheRecordOfTheSlots)
{
    QFile::remove(window->Device()->RecordPath());
    Click("btnFactoryReset");
    const auto recorded = [&](int box, const char* name) {
        return WaitUntil([&] { return wheel::ReadRecord(window->Device()->RecordPath()).Box(box).name == U(name); });
    };
    ASSERT_TRUE(recorded(20, "出厂图片"));
    wheel::WheelRecord record = wheel::ReadRecord(window->Device()->RecordPath());
    for (int box = 1; box <= 20; ++box) {
        ASSERT_TRUE(record.Box(box).Holds()) << box;
        EXPECT_EQ(record.Box(box).name, U("出厂图片"));
    }
    EXPECT_EQ(record.Box(20).block, wheel::kFactoryPictures[19]);

    LoadPicture();
    for (const char* box : {"chkSlot2", "chkSlot3"})
        QTest::mouseClick(Find<QCheckBox>(box), Qt::LeftButton);
    wheel::SimulatedWheelLight::Faults faults;
    faults.removeAfterReports = 12;
    device->Simulated()->SetFaults(faults);
    Click("btnDownload");
    ASSERT_TRUE(WaitUntil([&] { return BoxShown(U("下载失败，USB被拔出!")); }));
    ASSERT_TRUE(recorded(2, "ring.png"));
    record = wheel::ReadRecord(window->Device()->RecordPath());
    EXPECT_EQ(record.Box(2).block, *device->Simulated()->Slot(2));
    EXPECT_FALSE(record.Box(3).known);
    EXPECT_EQ(record.Box(4).name, U("出厂图片"));

    // "下载全部" of a set goes through the window's protocol the same way.
    device->Simulated()->Plug();
    device->Simulated()->SetFaults({});
    wheel::WheelFrame frame{};
    frame.fill(0x5A);
    const auto pictures = wheel::PlanPictures({{5, frame}}, 1);
    ASSERT_TRUE(window->Device()->DownloadPictures(pictures, {{{5, wheel::PictureName::OfFile(U("/sets/five.png"))}}, {}}));
    ASSERT_TRUE(recorded(5, "five.png"));
    EXPECT_EQ(*device->Simulated()->Slot(5), pictures[0].block);
}

TEST_F(WindowProtocol, ButtonsComeBackOnlyAfterTheFinalBoxIsClosed)
{
    LoadPicture();
    QTest::mouseClick(Find<QCheckBox>("chkSlot5"), Qt::LeftButton);
    wheel::MessageBox::StopRecording();  // the real box this time

    QString shown;
    bool enabledWhileOpen = true;
    int progressWhileOpen = -1;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown = box->text();
        enabledWhileOpen = OperationButtonsEnabled();
        progressWhileOpen = Find<QProgressBar>("progressDownload")->value();
        box->accept();
    });
    poll.start();
    Click("btnDownload");
    ASSERT_TRUE(WaitUntil([&] { return !shown.isEmpty() && OperationButtonsEnabled(); }));
    poll.stop();
    EXPECT_EQ(shown, U("图片下载完成!"));
    EXPECT_FALSE(enabledWhileOpen);
    EXPECT_EQ(progressWhileOpen, 100);
    wheel::MessageBox::StartRecording();
}

TEST_F(WindowProtocol, SelectionHelpOpensTheHelpBox)
{
    bool seen = false;
    QTimer::singleShot(50, [&] {
        auto* help = qobject_cast<CSlotHelpDlg*>(QApplication::activeModalWidget());
        if (help) {
            seen = help->windowTitle() == U("下载位置说明");
            QTest::mouseClick(help->findChild<QPushButton*>("okButton"), Qt::LeftButton);
        }
    });
    QTimer::singleShot(5000, [] {
        if (auto* w = QApplication::activeModalWidget())
            w->close();
    });
    Click("btnSelectionHelp");
    EXPECT_TRUE(seen);
}

} // namespace
