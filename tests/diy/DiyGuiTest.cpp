// The paint canvas and the DIY dialog as a user drives them: real widgets,
// found by object name, under a real X server.
#include "BmpTestFiles.h"
#include "tests/support/ImageChecks.h"

#include "dialogs/Dialogs.h"
#include "diy/BmpFile.h"
#include "diy/CanvasText.h"
#include "diy/DiyDlg.h"
#include "diy/DiyRoundTrip.h"
#include "diy/DiyTemplate.h"
#include "diy/PaintCanvas.h"
#include "diy/TextFont.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>

using namespace wheel;

namespace {

using wheeltest::DarkPixels;

QString U(const char* s) { return QString::fromUtf8(s); }

// Types `text` one character at a time, as key events that carry the
// character (QTest::keyClicks knows only ASCII).
void Type(QWidget* w, const QString& text)
{
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &release);
    }
}

class DiyGui : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!qApp) {
            static int argc = 1;
            static char name[] = "diy_gui_tests";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath(kDiyPictureName);
        MessageBox::StartRecording();
        g_bDiyPictureReady = false;
        g_TextFont.reset();
    }
    void TearDown() override { MessageBox::StopRecording(); }

    void WriteBytes(const QString& path, const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream(QFile::encodeName(path).toStdString(), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<std::uint8_t> ReadBytes(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QByteArray b = f.readAll();
        return {b.begin(), b.end()};
    }
    // The saved picture, decoded top row first.
    QImage ReadPicture(const QString& path)
    {
        bmp::BmpImage image;
        if (bmp::ReadBmpFile(QFile::encodeName(path).toStdString(), image) != bmp::BmpError::None)
            return {};
        QImage out(image.width, image.height, QImage::Format_RGB32);
        bmp::DecodeRows(image, reinterpret_cast<std::uint32_t*>(out.bits()), std::size_t(out.bytesPerLine() / 4));
        return out;
    }
    QString LastMessage()
    {
        const auto shown = MessageBox::Recorded();
        return shown.empty() ? QString() : shown.back().text;
    }
    // The canvas and the round trip speak for the program, whatever Qt's
    // display name is.
    std::string LastCaption()
    {
        const auto shown = MessageBox::Recorded();
        return shown.empty() ? std::string() : shown.back().caption.toStdString();
    }
    const std::string kTitle = "驰光--自行车风火轮编辑软件V2.0";

    QTemporaryDir m_dir;
    QString m_path;
};

// The canvas in a 450 x 450 client area, as the dialog sets it up.
struct Canvas {
    CPaintCanvas widget;
    Canvas() { widget.resize(450, 450); }
};

} // namespace

TEST_F(DiyGui, CanvasLoadsTheTemplateAndSavesTheComputedImageSize)
{
    ASSERT_TRUE(WriteDiyTemplate(m_path));
    Canvas c;
    int capacity = 0;
    ASSERT_TRUE(c.widget.LoadBitmapFile(m_path, &capacity));
    EXPECT_GT(capacity, 1);
    EXPECT_EQ(c.widget.DisplayRect(), (CRect{5, 5, 445, 445}));
    EXPECT_EQ(c.widget.Tracker().m_rect, (CRect{15, 15, 435, 165}));
    EXPECT_EQ(c.widget.Composed().size(), QSize(450, 450));

    ASSERT_TRUE(c.widget.SaveBitmapFile(m_path));  // over the existing file
    const std::vector<std::uint8_t> saved = ReadBytes(m_path);
    ASSERT_EQ(saved.size(), 580854u);
    EXPECT_EQ(test::Get32(saved, 2), 0u);
    EXPECT_EQ(test::Get32(saved, 10), 54u);
    EXPECT_EQ(test::Get32(saved, 34), 580800u);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{kDiyPictureName});  // no temporary left

    // A second load into the same canvas counts with the "黑体" font.
    int again = 0;
    ASSERT_TRUE(c.widget.LoadBitmapFile(m_path, &again));
    EXPECT_GE(again, 1);
    EXPECT_LT(again, capacity);
    EXPECT_TRUE(MessageBox::Recorded().empty());
}

TEST_F(DiyGui, SavedPictureHoldsTheTextButNeverTheFrame)
{
    ASSERT_TRUE(WriteDiyTemplate(m_path));
    Canvas c;
    int capacity = 0;
    ASSERT_TRUE(c.widget.LoadBitmapFile(m_path, &capacity));
    c.widget.SetCanvasText(U("风火轮"), true);
    // The frame's top-left handle sits at the box corner, in picture coordinates (10, 10).
    EXPECT_EQ(c.widget.Composed().pixel(11, 11), qRgb(0, 0, 0));
    const QRect box(10, 10, 420, 150);
    EXPECT_GT(DarkPixels(c.widget.Composed(), box.adjusted(10, 10, -10, -10)), 500);

    ASSERT_TRUE(c.widget.SaveBitmapFile(m_path));
    const QImage saved = ReadPicture(m_path);
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.pixel(11, 11), qRgb(255, 255, 255));
    EXPECT_EQ(saved.pixel(220, 11), qRgb(255, 255, 255));
    EXPECT_GT(DarkPixels(saved, box.adjusted(10, 10, -10, -10)), 500);
    EXPECT_EQ(DarkPixels(saved, QRect(0, 0, 440, 10)), 0);  // nothing of the frame's top edge

    // Emptying the text restores the bare picture (the frame stays on screen).
    c.widget.SetCanvasText(QString(), true);
    EXPECT_EQ(DarkPixels(c.widget.Composed(), box.adjusted(10, 10, -10, -10)), 0);
}

TEST_F(DiyGui, RefusedFilesLeaveTheCanvasAsItWas)
{
    ASSERT_TRUE(WriteDiyTemplate(m_path));
    Canvas c;
    int capacity = 0;
    ASSERT_TRUE(c.widget.LoadBitmapFile(m_path, &capacity));
    c.widget.SetCanvasText(U("A"), true);
    const QImage before = c.widget.Composed();

    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* message;
    };
    test::BmpLayout palette;
    palette.bitCount = 8;
    palette.masks.assign(256, 0);
    test::BmpLayout clrUsed;
    clrUsed.clrUsed = 5;
    test::BmpLayout v5;
    v5.biSize = 124;
    v5.gap = 84;
    test::BmpLayout topDown;
    topDown.height = -3;
    test::BmpLayout cut;
    cut.truncateTo = 60;
    std::vector<std::uint8_t> notBmp = test::MakeBmp({});
    notBmp[0] = 'P';
    const std::vector<Case> cases = {
        {test::MakeBmp(palette), "本图片不是一个真彩色位图"},
        {test::MakeBmp(clrUsed), "本图片不是一个真彩色位图"},
        {notBmp, "本文件不是位图图片"},
        {{}, "读取位图文件出错"},
        {test::MakeBmp(v5), bmp::BmpErrorText(bmp::BmpError::Unsupported)},
        {test::MakeBmp(topDown), bmp::BmpErrorText(bmp::BmpError::Unsupported)},
        {test::MakeBmp(cut), "位图文件不完整或已损坏"},
    };
    const QString bad = m_dir.filePath(U("bad.bmp"));
    for (const Case& k : cases) {
        WriteBytes(bad, k.bytes);
        MessageBox::ClearRecorded();
        int n = -7;
        EXPECT_FALSE(c.widget.LoadBitmapFile(bad, &n));
        EXPECT_EQ(n, -7);
        EXPECT_EQ(LastMessage(), U(k.message));
        EXPECT_EQ(LastCaption(), kTitle);
        EXPECT_EQ(c.widget.Picture()->width, 440);
        EXPECT_EQ(c.widget.DisplayRect(), (CRect{5, 5, 445, 445}));
    }
    EXPECT_FALSE(c.widget.LoadBitmapFile(m_dir.filePath(U("missing.bmp")), &capacity));
    EXPECT_EQ(LastMessage(), U("读取位图文件出错"));
    c.widget.SetCanvasText(U("A"), true);
    EXPECT_EQ(c.widget.Composed(), before);
}

TEST_F(DiyGui, SixteenAndThirtyTwoBitPicturesReadBackTheSame)
{
    for (int bits : {16, 32}) {
        test::BmpLayout s;
        s.width = 311;
        s.height = 300;
        s.bitCount = bits;
        if (bits == 16) {
            s.compression = bmp::kBiBitfields;
            s.masks = {0xF800, 0x07E0, 0x001F};
        }
        s.fill = 0x5A;
        const QString path = m_dir.filePath(QStringLiteral("p%1.bmp").arg(bits));
        WriteBytes(path, test::MakeBmp(s));
        Canvas c;
        int capacity = 0;
        ASSERT_TRUE(c.widget.LoadBitmapFile(path, &capacity)) << bits;
        EXPECT_EQ(c.widget.DisplayRect().left, 69);
        const QImage before = ReadPicture(path);
        ASSERT_TRUE(c.widget.SaveBitmapFile(path));
        EXPECT_EQ(ReadPicture(path), before) << bits;
        const std::vector<std::uint8_t> saved = ReadBytes(path);
        EXPECT_EQ(test::Get32(saved, 10), bits == 16 ? 66u : 54u);
    }
    Canvas empty;
    EXPECT_FALSE(empty.widget.SaveBitmapFile(m_dir.filePath(U("nothing.bmp"))));
    EXPECT_FALSE(QFile::exists(m_dir.filePath(U("nothing.bmp"))));
    EXPECT_TRUE(MessageBox::Recorded().empty());
}

TEST_F(DiyGui, SaveThatCannotBeWrittenSaysSo)
{
    ASSERT_TRUE(WriteDiyTemplate(m_path));
    Canvas c;
    int capacity = 0;
    ASSERT_TRUE(c.widget.LoadBitmapFile(m_path, &capacity));
    EXPECT_FALSE(c.widget.SaveBitmapFile(m_path + U("/no/such/dir.bmp")));
    EXPECT_EQ(LastMessage(), U("保存位图失败"));
    EXPECT_EQ(LastCaption(), kTitle);
}

TEST_F(DiyGui, MouseMovesAndResizesTheBox)
{
    ASSERT_TRUE(WriteDiyTemplate(m_path));
    Canvas c;
    c.widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&c.widget));
    int capacity = 0;
    ASSERT_TRUE(c.widget.LoadBitmapFile(m_path, &capacity));
    const CRect start = c.widget.Tracker().m_rect;

    QTest::mousePress(&c.widget, Qt::LeftButton, {}, QPoint(5, 300));  // outside: nothing
    QTest::mouseRelease(&c.widget, Qt::LeftButton, {}, QPoint(5, 300));
    EXPECT_EQ(c.widget.Tracker().m_rect, start);

    QTest::mousePress(&c.widget, Qt::LeftButton, {}, QPoint(200, 90));
    QTest::mouseMove(&c.widget, QPoint(210, 190));
    QTest::mouseRelease(&c.widget, Qt::LeftButton, {}, QPoint(210, 190));
    // A move keeps the size, but never below the minimum (the layout's box may be lower).
    const CRect after = c.widget.Tracker().m_rect;
    EXPECT_EQ(after.left, start.left + 10);
    EXPECT_EQ(after.top, start.top + 100);
    EXPECT_EQ(after.Width(), start.Width());
    EXPECT_EQ(after.Height(), std::max(start.Height(), c.widget.Tracker().MinHeight()));

    // Dragging the bottom-right handle up to the top-left corner stops at the minimum size.
    const CRect moved = c.widget.Tracker().m_rect;
    QTest::mousePress(&c.widget, Qt::LeftButton, {}, QPoint(moved.right - 2, moved.bottom - 2));
    QTest::mouseMove(&c.widget, QPoint(moved.left + 2, moved.top + 2));
    QTest::mouseRelease(&c.widget, Qt::LeftButton, {}, QPoint(moved.left + 2, moved.top + 2));
    const CRect small = c.widget.Tracker().m_rect;
    EXPECT_EQ(small.left, moved.left);
    EXPECT_EQ(small.Width(), c.widget.Tracker().MinWidth());
    EXPECT_EQ(small.Height(), c.widget.Tracker().MinHeight());
    EXPECT_GT(c.widget.Tracker().MinWidth(), 50);  // the "黑体" 110-point widest character

    // Escape during a drag puts the box back.
    QTest::mousePress(&c.widget, Qt::LeftButton, {}, QPoint(small.left + 20, small.top + 20));
    QTest::mouseMove(&c.widget, QPoint(small.left + 60, small.top + 80));
    QTest::keyClick(&c.widget, Qt::Key_Escape);
    QTest::mouseRelease(&c.widget, Qt::LeftButton, {}, QPoint(small.left + 60, small.top + 80));
    EXPECT_EQ(c.widget.Tracker().m_rect, small);
}

TEST_F(DiyGui, EntryLimitRefusesExtraTextAndIsSetAgainAfterSaveNow)
{
    ASSERT_TRUE(WriteDiyTemplate(m_path));
    CDiyDlg dlg;
    ASSERT_TRUE(dlg.SetPath(m_path));
    EXPECT_FALSE(dlg.SetPath(QString()));
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    auto* edit = dlg.findChild<QLineEdit*>(U("textEdit"));
    auto* saveNow = dlg.findChild<QPushButton*>(U("saveNowButton"));
    ASSERT_TRUE(edit && saveNow);
    EXPECT_TRUE(edit->isEnabled());
    const int first = dlg.TextLimit();
    ASSERT_GT(first, 2);

    edit->setText(QString(first - 1, u'x'));
    Type(edit, U("风"));  // two units where one is left
    EXPECT_EQ(edit->text().size(), first - 1);
    Type(edit, U("yz"));
    EXPECT_EQ(GbkUnits(edit->text()), first);

    edit->clear();
    Type(edit, U("风火轮"));
    EXPECT_EQ(dlg.Canvas()->CanvasText(), U("风火轮"));
    QTest::mouseClick(saveNow, Qt::LeftButton);
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_TRUE(edit->isEnabled());
    const int second = dlg.TextLimit();
    EXPECT_LT(second, first);  // now counted with "黑体"
    QTest::keyClicks(edit, QString(second + 5, u'A'));
    EXPECT_EQ(edit->text().size(), second);
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(DiyGui, TwoSavesBurnBothTextsIn)
{
    ASSERT_TRUE(WriteDiyTemplate(m_path));
    CDiyDlg dlg;
    dlg.SetPath(m_path);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    auto* edit = dlg.findChild<QLineEdit*>(U("textEdit"));
    auto* saveNow = dlg.findChild<QPushButton*>(U("saveNowButton"));
    Type(edit, U("风"));
    QTest::mouseClick(saveNow, Qt::LeftButton);
    EXPECT_EQ(dlg.Canvas()->Tracker().m_rect, (CRect{15, 15, 435, 165}));  // back where a load puts it

    // Drag the box down by its middle; the entry box keeps the focus.
    QWidget* focus = QApplication::focusWidget();
    QTest::mousePress(dlg.Canvas(), Qt::LeftButton, {}, QPoint(225, 90));
    QTest::mouseMove(dlg.Canvas(), QPoint(225, 290));
    QTest::mouseRelease(dlg.Canvas(), Qt::LeftButton, {}, QPoint(225, 290));
    EXPECT_EQ(dlg.Canvas()->Tracker().m_rect.top, 215);
    EXPECT_EQ(QApplication::focusWidget(), focus);
    Type(edit, U("火"));
    QTest::mouseClick(saveNow, Qt::LeftButton);

    const QImage saved = ReadPicture(m_path);
    EXPECT_GT(DarkPixels(saved, QRect(10, 10, 420, 150)), 500);
    EXPECT_GT(DarkPixels(saved, QRect(10, 210, 420, 150)), 500);
    EXPECT_FALSE(g_bDiyPictureReady);
}

TEST_F(DiyGui, EnterConfirmsSavesAndRaisesTheFlag)
{
    ASSERT_TRUE(WriteDiyTemplate(m_path));
    CDiyDlg dlg;
    dlg.SetPath(m_path);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    auto* edit = dlg.findChild<QLineEdit*>(U("textEdit"));
    Type(edit, U("风火轮"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(g_bDiyPictureReady);
    EXPECT_GT(DarkPixels(ReadPicture(m_path), QRect(10, 10, 420, 150)), 500);
}

TEST_F(DiyGui, CancelAfterSaveNowKeepsTheFileButRaisesNothing)
{
    ASSERT_TRUE(WriteDiyTemplate(m_path));
    CDiyDlg dlg;
    dlg.SetPath(m_path);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    auto* edit = dlg.findChild<QLineEdit*>(U("textEdit"));
    Type(edit, U("轮"));
    QTest::mouseClick(dlg.findChild<QPushButton*>(U("saveNowButton")), Qt::LeftButton);
    Type(edit, U("不要"));
    QTest::mouseClick(dlg.findChild<QPushButton*>(U("cancelButton")), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(g_bDiyPictureReady);
    const QImage saved = ReadPicture(m_path);
    EXPECT_GT(DarkPixels(saved, QRect(10, 10, 420, 150)), 300);
}

TEST_F(DiyGui, FontChoiceRedrawsAndCancelChangesNothing)
{
    ASSERT_TRUE(WriteDiyTemplate(m_path));
    CDiyDlg dlg;
    dlg.SetPath(m_path);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    auto* edit = dlg.findChild<QLineEdit*>(U("textEdit"));
    auto* fontButton = dlg.findChild<QPushButton*>(U("fontButton"));
    Type(edit, U("风"));
    const QImage heiTi = dlg.Canvas()->Composed();

    FontDialog::SetNextFont(std::nullopt);
    QTest::mouseClick(fontButton, Qt::LeftButton);
    EXPECT_FALSE(g_TextFont.has_value());
    EXPECT_EQ(dlg.Canvas()->Composed(), heiTi);

    QFont small(U("WenQuanYi Zen Hei"));
    small.setPointSize(20);
    FontDialog::SetNextFont(small);
    QTest::mouseClick(fontButton, Qt::LeftButton);
    ASSERT_TRUE(g_TextFont.has_value());
    EXPECT_EQ(g_TextFont->pointSize(), 20);
    const int inSmall = DarkPixels(dlg.Canvas()->Composed(), QRect(12, 12, 400, 140));
    EXPECT_LT(inSmall, DarkPixels(heiTi, QRect(12, 12, 400, 140)));
    EXPECT_GT(inSmall, 0);
    g_TextFont.reset();
}

// The font dialog opens with the font the canvas draws in, at its real size
// (pixels as the points that draw them at 96 dpi), and OK without a change
// changes nothing. With the canvas focused by Tab, the arrows move the text
// box a pixel, ten with Shift, and with Ctrl its bottom right corner, through
// the rule a drag takes.
TEST_F(DiyGui, FontDialogAndTextBoxFromTheKeyboard)
{
    ASSERT_TRUE(WriteDiyTemplate(m_path));
    CDiyDlg dlg;
    dlg.SetPath(m_path);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    auto* edit = dlg.findChild<QLineEdit*>(U("textEdit"));
    Type(edit, U("轮"));
    CPaintCanvas* canvas = dlg.Canvas();
    const QImage before = canvas->Composed();
    QFont offered;
    auto unchanged = [&](const QFont& initial) {
        offered = initial;
        return std::optional<QFont>(QFont(initial.family(), initial.pointSize()));
    };
    FontDialog::SetNextAnswer(unchanged);
    QTest::mouseClick(dlg.findChild<QPushButton*>(U("fontButton")), Qt::LeftButton);
    EXPECT_EQ(offered.pointSize(), 110);
    EXPECT_EQ(offered.family(), QFontInfo(HeiTiFont()).family());
    EXPECT_FALSE(g_TextFont.has_value());
    EXPECT_EQ(canvas->Composed(), before);
    QFont inPixels(U("WenQuanYi Zen Hei"));
    inPixels.setPixelSize(40);
    g_TextFont = inPixels;
    FontDialog::SetNextAnswer(unchanged);
    QTest::mouseClick(dlg.findChild<QPushButton*>(U("fontButton")), Qt::LeftButton);
    EXPECT_EQ(offered.pointSizeF(), 30.0);
    EXPECT_EQ(g_TextFont->pixelSize(), 40);
    g_TextFont.reset();

    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Tab);
    ASSERT_EQ(dlg.focusWidget(), canvas);
    const CRect start = canvas->Tracker().m_rect;
    QTest::keyClick(canvas, Qt::Key_Right);
    QTest::keyClick(canvas, Qt::Key_Down, Qt::ShiftModifier);
    const CRect moved = canvas->Tracker().m_rect;   // as any drag makes it, a line of the font high
    EXPECT_EQ(moved, CRect(start.left + 1, start.top + 10, start.right + 1,
                           start.top + 10 + std::max(start.Height(), canvas->Tracker().MinHeight())));
    QTest::keyClick(canvas, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(canvas->Tracker().m_rect.Width(), start.Width() - 10);
    for (int i = 0; i < 100; ++i)
        QTest::keyClick(canvas, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(canvas->Tracker().m_rect.Height(), canvas->Tracker().MinHeight());
    EXPECT_GT(DarkPixels(canvas->Composed(), QRect(10, 10, 420, 150)), 0);   // the text follows the box
}

TEST_F(DiyGui, UnreadableWorkingFileClosesTheDialog)
{
    CDiyDlg dlg;
    dlg.SetPath(m_dir.filePath(U("missing.bmp")));
    dlg.show();
    QTRY_VERIFY_WITH_TIMEOUT(!dlg.isVisible(), 2000);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(LastMessage(), U("读取位图文件出错"));
    EXPECT_FALSE(dlg.findChild<QLineEdit*>(U("textEdit"))->isEnabled());
    EXPECT_FALSE(g_bDiyPictureReady);
}

TEST_F(DiyGui, RoundTripWritesTheTemplateRunsTheDialogAndHandsOver)
{
    // The dialog runs modally; a timer plays the user.
    bool typed = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CDiyDlg*>(QApplication::activeModalWidget());
        if (!dlg)
            return;
        Type(dlg->findChild<QLineEdit*>(U("textEdit")), U("风火轮"));
        QTest::mouseClick(dlg->findChild<QPushButton*>(U("okButton")), Qt::LeftButton);
        typed = true;
    });
    QFile::remove(m_path);
    RunDiyRoundTrip(nullptr, m_path);
    EXPECT_TRUE(typed);
    EXPECT_TRUE(g_bDiyPictureReady);
    const QImage saved = ReadPicture(m_path);
    ASSERT_EQ(saved.size(), QSize(440, 440));
    EXPECT_GT(DarkPixels(saved, QRect(10, 10, 420, 150)), 500);
    EXPECT_EQ(saved.pixel(220 + 71, 220), qRgb(255, 0, 0));  // the template underneath
    EXPECT_TRUE(MessageBox::Recorded().empty());
}

TEST_F(DiyGui, TemplateThatCannotBeWrittenIsReportedAndNoDialogOpens)
{
    bool dialogOpened = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            dialogOpened = true;
            w->close();
        }
    });
    RunDiyRoundTrip(nullptr, m_dir.filePath(U("missing-dir/x.bmp")));
    QTest::qWait(20);
    EXPECT_FALSE(dialogOpened);
    EXPECT_FALSE(g_bDiyPictureReady);
    EXPECT_TRUE(LastMessage().startsWith(U("无法写入DIY模板图片"))) << LastMessage().toStdString();
    EXPECT_EQ(LastCaption(), kTitle);
}

TEST_F(DiyGui, FailedSavesKeepTheTextAndTheDialog)
{
    QTemporaryDir gone;
    const QString path = gone.filePath(kDiyPictureName);
    ASSERT_TRUE(WriteDiyTemplate(path));
    CDiyDlg dlg;
    dlg.SetPath(path);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    auto* edit = dlg.findChild<QLineEdit*>(U("textEdit"));
    Type(edit, U("风火轮"));
    ASSERT_TRUE(gone.remove());  // the working file's directory goes away

    QTest::mouseClick(dlg.findChild<QPushButton*>(U("saveNowButton")), Qt::LeftButton);
    EXPECT_EQ(LastMessage(), U("保存位图失败"));
    EXPECT_EQ(edit->text(), U("风火轮"));
    EXPECT_EQ(dlg.Canvas()->CanvasText(), U("风火轮"));
    EXPECT_TRUE(dlg.isVisible());

    MessageBox::ClearRecorded();
    QTest::mouseClick(dlg.findChild<QPushButton*>(U("okButton")), Qt::LeftButton);
    EXPECT_EQ(LastMessage(), U("保存位图失败"));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(g_bDiyPictureReady);
    QTest::mouseClick(dlg.findChild<QPushButton*>(U("cancelButton")), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}
