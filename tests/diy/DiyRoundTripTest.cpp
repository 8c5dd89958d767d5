// "DIY" in the main window, as a user goes through it: the template opens
// in the DIY dialog, the text typed there comes back as the loaded picture.
#include "dialogs/Fonts.h"
#include "app/PictureArea.h"
#include "app/WheelDlg.h"
#include "dialogs/Dialogs.h"
#include "diy/BmpFile.h"
#include "diy/DiyDlg.h"
#include "diy/DiyRoundTrip.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "tests/support/ImageChecks.h"
#include "tests/support/WindowTestSupport.h"

#include <functional>

namespace {

[[maybe_unused]] auto* const g_env = ::testing::AddGlobalTestEnvironment(new wheeltest::QtEnvironment);
using wheeltest::DarkPixels;
using wheeltest::WaitUntil;



// Plays the user in the DIY dialog once it is up: types `text` through the
// input method and presses `button`.
void WhenDiyDialogOpens(const QString& text, const char* button, bool* done)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto* dlg = qobject_cast<wheel::CDiyDlg*>(QApplication::activeModalWidget());
        if (!dlg || !dlg->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        auto* edit = dlg->findChild<QLineEdit*>(QStringLiteral("textEdit"));
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(edit, &event);
        QTest::mouseClick(dlg->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
        *done = true;
    });
    poll->start(20);
}

class DiyRoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        wheel::MessageBox::StartRecording();
        g_bDiyPictureReady = false;
        dlg = std::make_unique<CWheelDlg>(wheeltest::NoWheelLight());
        dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    }
    void TearDown() override
    {
        dlg.reset();
        wheel::MessageBox::StopRecording();
        QFile::remove(wheel::DiyPicturePath());
    }
    QImage GrabOriginal() { return dlg->findChild<CPictureArea*>(QStringLiteral("picOriginal"))->grab().toImage(); }

    std::unique_ptr<CWheelDlg> dlg;
};

} // namespace

TEST_F(DiyRoundTrip, ConfirmedDrawingBecomesTheLoadedPicture)
{
    bool played = false;
    WhenDiyDialogOpens(QStringLiteral("风火轮"), "okButton", &played);
    QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("btnDiy")), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return played; }));
    ASSERT_TRUE(WaitUntil([&] { return dlg->m_bPictureLoaded == 1; }, 3000));
    EXPECT_FALSE(g_bDiyPictureReady);
    EXPECT_EQ(dlg->m_bPreviewDone, 1);
    EXPECT_EQ(dlg->m_strDiyPicturePath, wheel::DiyPicturePath());
    EXPECT_TRUE(dlg->m_strPicturePath.isEmpty());

    // The text shows in the "原图" area (the top band of the picture).
    const QImage shown = GrabOriginal();
    EXPECT_GT(DarkPixels(shown, QRect(0, 0, shown.width(), shown.height() * 2 / 5)), 200);

    // The working file: the template with the text, without the frame.
    wheel::bmp::BmpImage file;
    ASSERT_EQ(wheel::bmp::ReadBmpFile(QFile::encodeName(dlg->m_strDiyPicturePath).toStdString(), file),
              wheel::bmp::BmpError::None);
    QImage saved(file.width, file.height, QImage::Format_RGB32);
    wheel::bmp::DecodeRows(file, reinterpret_cast<std::uint32_t*>(saved.bits()), std::size_t(saved.bytesPerLine() / 4));
    EXPECT_EQ(saved.size(), QSize(440, 440));
    EXPECT_GT(DarkPixels(saved, QRect(20, 20, 400, 130)), 1000);
    EXPECT_EQ(saved.pixel(11, 11), qRgb(255, 255, 255));
    EXPECT_EQ(saved.pixel(220 + 71, 220), qRgb(255, 0, 0));
    EXPECT_TRUE(wheel::MessageBox::Recorded().empty());
}

TEST_F(DiyRoundTrip, CancelLeavesTheMainWindowAsItWas)
{
    bool played = false;
    WhenDiyDialogOpens(QStringLiteral("不要"), "cancelButton", &played);
    QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("btnDiy")), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return played; }));
    QTest::qWait(700);  // more than one timer period
    EXPECT_FALSE(g_bDiyPictureReady);
    EXPECT_EQ(dlg->m_bPictureLoaded, 0);
    EXPECT_TRUE(QFile::exists(dlg->m_strDiyPicturePath));  // the template stays on disk
}
