// A file dropped on the main window opens as through "打开图片": the same
// load, the same path update, the same refusal of what is not a picture, and
// nothing while the open button is disabled. Drag events are synthesized.
// The QApplication comes from WheelDlgTest.cpp's environment.

#include "app/WheelDlg.h"
#include "app/WheelDlgDevice.h"
#include "dialogs/Dialogs.h"
#include "usb/SimulatedWheelLight.h"
#include "tests/support/WindowTestSupport.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

namespace {

QString Sample()
{
    return qEnvironmentVariable("WHEEL_SOURCE_DIR") + QStringLiteral("/res/samples/wheel-sample.png");
}

class PictureDropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QFile::exists(Sample()));
        wheel::MessageBox::StartRecording();
        dlg = std::make_unique<CWheelDlg>(wheeltest::NoWheelLight());
        dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    }
    void TearDown() override
    {
        dlg.reset();
        wheel::MessageBox::StopRecording();
    }

    // Drags the data over target and drops it there; the result is whether
    // the drag was accepted on entering.
    bool DragAndDrop(QWidget* target, const QMimeData& data)
    {
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QCoreApplication::sendEvent(target, &enter);
        const bool accepted = enter.isAccepted();
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QCoreApplication::processEvents();   // the open runs after the drop
        QCoreApplication::processEvents();
        EXPECT_TRUE(wheeltest::WaitUntil([&] { return !dlg->PictureLoading(); }));  // and loads on a thread
        return accepted;
    }

    bool DropFiles(QWidget* target, const QStringList& paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        return DragAndDrop(target, data);
    }

    QString TextFile()
    {
        const QString path = dir.filePath(QStringLiteral("notes.png"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a picture at all\n");
        return path;
    }

    QPushButton* OpenButton() { return dlg->findChild<QPushButton*>(QStringLiteral("btnOpenPicture")); }
    QPlainTextEdit* Log() { return dlg->findChild<QPlainTextEdit*>(QStringLiteral("editLog")); }

    QTemporaryDir dir;
    std::unique_ptr<CWheelDlg> dlg;
};

TEST_F(PictureDropTest, DroppedPictureLoadsAsTheOpenButtonDoes)
{
    // The open button's result, in a window of its own.
    CWheelDlg opened(wheeltest::NoWheelLight());
    wheel::FileDialog::SetNextFileName(Sample());
    QTest::mouseClick(opened.findChild<QPushButton*>(QStringLiteral("btnOpenPicture")), Qt::LeftButton);
    ASSERT_TRUE(wheeltest::WaitUntil([&] { return !opened.PictureLoading(); }));
    ASSERT_TRUE(opened.m_bPictureLoaded);

    EXPECT_TRUE(DropFiles(dlg.get(), {Sample()}));
    EXPECT_EQ(dlg->m_bPictureLoaded, 1);
    EXPECT_EQ(dlg->m_bPreviewDone, 1);
    EXPECT_EQ(dlg->m_strPicturePath, Sample());
    EXPECT_EQ(dlg->m_strPicturePath, opened.m_strPicturePath);
    const auto& a = dlg->Picture().Frame();
    const auto& b = opened.Picture().Frame();
    EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end()));
    EXPECT_TRUE(wheel::MessageBox::Recorded().empty());
}

TEST_F(PictureDropTest, DroppedNonPictureIsRefusedWithTheOpenMessage)
{
    ASSERT_TRUE(DropFiles(dlg.get(), {Sample()}));
    const QString bad = TextFile();

    CWheelDlg opened(wheeltest::NoWheelLight());
    wheel::FileDialog::SetNextFileName(bad);
    QTest::mouseClick(opened.findChild<QPushButton*>(QStringLiteral("btnOpenPicture")), Qt::LeftButton);
    ASSERT_TRUE(wheeltest::WaitUntil([&] { return !opened.PictureLoading(); }));
    const auto openMessages = wheel::MessageBox::Recorded();
    ASSERT_EQ(openMessages.size(), 1u);
    wheel::MessageBox::ClearRecorded();

    DropFiles(dlg.get(), {bad});
    const auto dropMessages = wheel::MessageBox::Recorded();
    ASSERT_EQ(dropMessages.size(), 1u);
    EXPECT_EQ(dropMessages[0].text, openMessages[0].text);
    EXPECT_EQ(dropMessages[0].caption, openMessages[0].caption);
    // The earlier picture and its path stay.
    EXPECT_EQ(dlg->m_strPicturePath, Sample());
    EXPECT_EQ(dlg->m_bPictureLoaded, 1);
}

TEST_F(PictureDropTest, NothingOpensDuringADownload)
{
    // A download into a simulated wheel light that takes the reports and
    // never answers: it runs, with the open button disabled, until the
    // watchdog gives up.
    wheel::AppOptions options;
    options.simulate = wheel::Simulation::Present;
    dlg = std::make_unique<CWheelDlg>(options);
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    auto* device = dlg->findChild<WheelDlgDevice*>(QStringLiteral("wheelDevice"));
    ASSERT_TRUE(device && device->Simulated());
    wheel::SimulatedWheelLight::Faults silent;
    silent.silent = true;
    device->Simulated()->SetFaults(silent);

    ASSERT_TRUE(DropFiles(dlg.get(), {Sample()}));
    const QString other = dir.filePath(QStringLiteral("other.png"));
    ASSERT_TRUE(QFile::copy(Sample(), other));
    QTest::mouseClick(dlg->findChild<QCheckBox*>(QStringLiteral("chkSlot1")), Qt::LeftButton);
    QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("btnDownload")), Qt::LeftButton);
    ASSERT_FALSE(OpenButton()->isEnabled());

    EXPECT_FALSE(DropFiles(dlg.get(), {other}));
    EXPECT_FALSE(DropFiles(Log()->viewport(), {other}));
    EXPECT_EQ(dlg->m_strPicturePath, Sample());
    EXPECT_TRUE(wheel::MessageBox::Recorded().empty());
}

TEST_F(PictureDropTest, DropAcceptedAgainOnceTheOpenButtonIsBack)
{
    OpenButton()->setEnabled(false);
    EXPECT_FALSE(DropFiles(dlg.get(), {Sample()}));
    EXPECT_EQ(dlg->m_bPictureLoaded, 0);
    OpenButton()->setEnabled(true);
    EXPECT_TRUE(DropFiles(dlg.get(), {Sample()}));
    EXPECT_EQ(dlg->m_bPictureLoaded, 1);
}

TEST_F(PictureDropTest, FileDroppedOnTheLogOpensInsteadOfPastingItsName)
{
    dlg->AppendLog("设备已连接", 0, 1);
    const QString before = Log()->toPlainText();
    EXPECT_TRUE(DropFiles(Log()->viewport(), {Sample()}));
    EXPECT_EQ(dlg->m_strPicturePath, Sample());
    EXPECT_EQ(Log()->toPlainText(), before);
}

TEST_F(PictureDropTest, TextSeveralFilesAndRemoteFilesAreNotTaken)
{
    QMimeData text;
    text.setText(Sample());
    EXPECT_FALSE(DragAndDrop(dlg.get(), text));

    EXPECT_FALSE(DropFiles(dlg.get(), {Sample(), Sample()}));

    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.com/wheel.png"))});
    EXPECT_FALSE(DragAndDrop(dlg.get(), remote));

    EXPECT_EQ(dlg->m_bPictureLoaded, 0);
    EXPECT_TRUE(wheel::MessageBox::Recorded().empty());
}

} // namespace
