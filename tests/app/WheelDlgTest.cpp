// The main window built from its template, driven through its widgets.

#include "tests/app/WheelDlgFixture.h"

namespace {

[[maybe_unused]] auto* const g_env = ::testing::AddGlobalTestEnvironment(new wheeltest::QtEnvironment);
using wheeltest::WaitUntil;
using wheeltest::WheelDlgTest;
using namespace wheeltest;

TEST_F(WheelDlgTest, StartState)
{
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("驰光--自行车风火轮编辑软件V2.0"));
    // The template's client area keeps its size under the menu bar.
    const int bar = Find<QMenuBar>("mainMenu")->height();
    EXPECT_GT(bar, 10);
    EXPECT_EQ(Find<QWidget>("clientArea")->geometry(), QRect(0, bar, 680, 575));
    EXPECT_EQ(dlg->size(), QSize(680, 575 + bar));
    EXPECT_EQ(dlg->minimumSize(), dlg->maximumSize());
    EXPECT_FALSE(dlg->windowFlags() & Qt::WindowMaximizeButtonHint);

    for (int label = 1; label <= 20; ++label) {
        auto* box = Find<QCheckBox>(QStringLiteral("chkSlot%1").arg(label).toLatin1().constData());
        ASSERT_NE(box, nullptr);
        EXPECT_FALSE(box->isChecked()) << label;
        EXPECT_EQ(box->text(), QStringLiteral("第%1幅").arg(label));
    }
    EXPECT_TRUE(Find<QCheckBox>("chk48Mode")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>("radRight")->isChecked());
    EXPECT_FALSE(Find<QRadioButton>("radLeft")->isChecked());
    EXPECT_EQ(Find<QLineEdit>("editAngle")->text(), QStringLiteral("0"));
    EXPECT_EQ(Find<QProgressBar>("progressDownload")->value(), 0);
    EXPECT_EQ(Find<QProgressBar>("progressDownload")->maximum(), 100);
    EXPECT_EQ(Find<QLabel>("lblProgress")->text(), QStringLiteral("下载进度:  0%"));
    EXPECT_TRUE(LogText().isEmpty());
    EXPECT_FALSE(Find<QPushButton>("btnClearLog")->isVisible());
    for (const char* name : {"btnOpenPicture", "btnDownload", "btnFactoryReset", "btnDiy", "btnSelectAll",
                             "btnDeselectAll", "btnSelectionHelp", "btnCalibrate"})
        EXPECT_TRUE(Find<QPushButton>(name)->isEnabled()) << name;

    EXPECT_EQ(dlg->m_b48Mode, 1);
    EXPECT_EQ(dlg->m_nDirection, 1);
    EXPECT_EQ(dlg->m_nAngle, 0);
    EXPECT_EQ(dlg->m_bPictureLoaded, 0);
    EXPECT_EQ(dlg->m_bConnected, 0);

    // Template positions, dialog units at 1.5 pixels each.
    EXPECT_EQ(Find<QPushButton>("btnOpenPicture")->geometry(), QRect(533, 17, 118, 40));
    EXPECT_EQ(Find<CPictureArea>("picOriginal")->geometry(), QRect(17, 26, 234, 234));
    EXPECT_EQ(Find<QCheckBox>("chkSlot20")->geometry(), QRect(585, 500, 60, 27));

    // The UI font has Chinese glyphs.
    const QFontInfo info(Find<QLabel>("lblProgress")->font());
    EXPECT_TRUE(QFontMetrics(Find<QLabel>("lblProgress")->font()).inFont(QChar(0x4E0B))) << info.family().toStdString();
}

// Tab walks the controls in the order the window's template lists them, past
// the hidden "清除信息" and out of the log as in a dialog; Shift+Tab walks back.
TEST_F(WheelDlgTest, TabFollowsTheTemplateOrder)
{
    std::vector<std::string> expected = {"editLog", "btnDownload", "btnFactoryReset", "btnDiy"};
    for (int label = 1; label <= 20; ++label)
        expected.push_back("chkSlot" + std::to_string(label));
    // Of the two directions Tab visits the selected one, 向右调 at start.
    expected.insert(expected.end(), {"btnSelectAll", "btnDeselectAll", "chk48Mode", "btnSelectionHelp", "editAngle",
                                     "radRight", "btnCalibrate", "btnOpenPicture"});
    Find<QPushButton>("btnOpenPicture")->setFocus();
    std::vector<std::string> walked;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QTest::keyClick(dlg->focusWidget(), Qt::Key_Tab);
        walked.push_back(dlg->focusWidget()->objectName().toStdString());
    }
    EXPECT_EQ(walked, expected);
    QTest::keyClick(dlg->focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(dlg->focusWidget()->objectName().toStdString(), "btnCalibrate");

    // An arrow key selects 向左调; from then on Tab lands there.
    QApplication::setActiveWindow(dlg.get());   // the arrows look for the focus of the active window
    QTest::keyClick(dlg->focusWidget(), Qt::Key_Backtab);
    ASSERT_EQ(dlg->focusWidget()->objectName().toStdString(), "radRight");
    QTest::keyClick(dlg->focusWidget(), Qt::Key_Left);
    EXPECT_TRUE(Find<QRadioButton>("radLeft")->isChecked());
    Find<QLineEdit>("editAngle")->setFocus();
    QTest::keyClick(dlg->focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dlg->focusWidget()->objectName().toStdString(), "radLeft");
    QTest::keyClick(dlg->focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dlg->focusWidget()->objectName().toStdString(), "btnCalibrate");
}

// A device line carries the time it was made, however long it then waits for
// the window (behind an open message box).
TEST_F(WheelDlgTest, DeviceLogLinesKeepTheTimeTheyWereMade)
{
    auto* device = dlg->findChild<WheelDlgDevice*>();
    auto now = [] { return QTime::currentTime().toString(QStringLiteral("HH:mm:ss")); };
    const QString before = now();
    std::thread([device] { device->AppendLog(std::string("设备已连接"), 1, 1); }).join();
    const QString after = now();
    while (now() == after)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    device->DrainEffects();
    const QString log = LogText();
    EXPECT_TRUE(log == QStringLiteral("设备已连接 (%1)\n").arg(before) || log == QStringLiteral("设备已连接 (%1)\n").arg(after))
        << log.toStdString();
}

TEST(Fonts, WindowsFacesMapToTheInstalledCjkFace)
{
    const QString family = wheel::CjkSansFamily();
    ASSERT_FALSE(family.isEmpty()) << "no CJK face installed (fonts-wqy-zenhei)";
    for (const char* face : {"黑体", "宋体"}) {
        const QFont font(QString::fromUtf8(face), 20);
        EXPECT_TRUE(QFontMetrics(font).inFont(QChar(0x9A70))) << face;   // 驰
        if (!QFontDatabase::hasFamily(QString::fromUtf8(face))) {
            EXPECT_EQ(QFontInfo(font).family(), family) << face;
        }
    }
    // Calling it again adds nothing twice.
    wheel::InstallCjkFontSubstitutions();
    EXPECT_EQ(QFont::substitutes(QStringLiteral("黑体")).filter(family, Qt::CaseInsensitive).size(), 1);
}

TEST_F(WheelDlgTest, AreasStayEmptyUntilAPictureIsLoaded)
{
    dlg->repaint();
    EXPECT_TRUE(Uniform(GrabOriginal()));
    EXPECT_TRUE(Uniform(GrabPreview()));

    dlg->RenderWheel();
    const auto shown = wheel::MessageBox::Recorded();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("请导入图片!"));
    EXPECT_EQ(shown[0].caption, QStringLiteral("温馨提示"));
    EXPECT_TRUE(Uniform(GrabPreview()));
}

// Pictures load off the window's thread under a busy cursor; the newer of
// two loads is the one shown, and closing the window drops a load still
// running.
TEST_F(WheelDlgTest, ANewerLoadSupersedesAnOlderOneAndClosingDropsIt)
{
    const QString first = RedBluePicture();
    const QString second = BlackPicture();
    wheel::FileDialog::SetNextFileName(first);
    QTest::mouseClick(Find<QPushButton>("btnOpenPicture"), Qt::LeftButton);
    EXPECT_TRUE(dlg->PictureLoading());
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
    Open(second);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    QTest::qWait(50);  // whatever the first load still had to say
    EXPECT_EQ(dlg->m_strPicturePath, second);
    EXPECT_EQ(wheel::RecentPictures().value(0), second);
    EXPECT_TRUE(wheel::MessageBox::Recorded().empty());

    dlg->LoadPicture(first);
    dlg->close();
    EXPECT_FALSE(dlg->PictureLoading());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    QTest::qWait(50);
    EXPECT_EQ(dlg->m_strPicturePath, second);
    EXPECT_TRUE(Uniform(GrabOriginal()));  // black, not red and blue
}

TEST_F(WheelDlgTest, LoadingDrawsBothAreas)
{
    const QString path = RedBluePicture();
    Open(path);
    EXPECT_TRUE(wheel::MessageBox::Recorded().empty());
    EXPECT_EQ(dlg->m_strPicturePath, path);
    EXPECT_EQ(dlg->m_bPictureLoaded, 1);
    EXPECT_EQ(dlg->m_bPreviewDone, 1);

    const QImage original = GrabOriginal();
    const int w = original.width(), h = original.height();
    EXPECT_TRUE(Near(At(original, w / 4, h / 2), {255, 0, 0})) << "left half red";
    EXPECT_TRUE(Near(At(original, 3 * w / 4, h / 2), {0, 0, 255})) << "right half blue";

    const QImage preview = GrabPreview();
    const int pw = preview.width(), ph = preview.height();
    // Dark right half: coloured dots; light left half: white dots.
    EXPECT_GT(CountNear(preview.copy(pw / 2 + 2, 0, pw / 2 - 2, ph), {0, 255, 0}, 90), 100);
    EXPECT_EQ(CountNear(preview.copy(0, 0, pw / 2 - 8, ph), {0, 255, 0}, 90), 0);
    EXPECT_TRUE(Near(At(preview, pw / 4, ph / 2), {255, 255, 255}));
    // The red rim at the top.
    bool rim = false;
    for (int y = 0; y < 4 && !rim; ++y)
        rim = Near(At(preview, pw / 2, y), {255, 0, 0}, 100);
    EXPECT_TRUE(rim);

    // The frame: the dark right half (angles 0 to 180) holds 0 bits.
    const wheel::WheelFrame frame = dlg->Picture().Frame();
    EXPECT_EQ(frame[3 * 122], 0x00);   // 90 degrees, outer LEDs
    EXPECT_EQ(frame[3 * 40], 0xFF);    // 270 degrees
    EXPECT_EQ(dlg->Picture().Block()[493], 0xAA);
    EXPECT_EQ(dlg->Picture().Block()[492], 1);
}

TEST_F(WheelDlgTest, EachLoadRendersAgain)
{
    const QString redBlue = RedBluePicture();
    const QString black = BlackPicture();
    Open(redBlue);
    const QImage first = GrabPreview();
    const wheel::TransferBlock firstBlock = dlg->Picture().Block();

    Open(black);
    const QImage second = GrabPreview();
    EXPECT_NE(first, second);
    EXPECT_GT(CountNear(second.copy(0, 0, second.width() / 2 - 8, second.height()), {0, 255, 0}, 90), 100);
    EXPECT_EQ(dlg->m_strPicturePath, black);

    Open(redBlue);
    EXPECT_EQ(GrabPreview(), first);
    EXPECT_EQ(dlg->Picture().Block(), firstBlock);

    // The same file again, with the mode changed in between: the trailer
    // shows that it was rendered once more.
    dlg->m_b48Mode = 0;
    Open(redBlue);
    EXPECT_EQ(dlg->Picture().Block()[492], 0);
    EXPECT_TRUE(wheel::MessageBox::Recorded().empty());
}

TEST_F(WheelDlgTest, BadFileOrCancelKeepsThePicture)
{
    const QString good = RedBluePicture();
    Open(good);
    const QImage original = GrabOriginal();
    const QImage preview = GrabPreview();
    const wheel::TransferBlock block = dlg->Picture().Block();

    const QString bad = dir.filePath(QStringLiteral("broken.png"));
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is not a picture at all");
    }
    Open(bad);
    const auto shown = wheel::MessageBox::Recorded();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.contains(bad)) << shown[0].text.toStdString();
    EXPECT_TRUE(shown[0].text.contains(QString::fromStdString(wheel::LoadErrorText(wheel::LoadError::NotAPicture))))
        << shown[0].text.toStdString();
    EXPECT_EQ(shown[0].caption, QStringLiteral("温馨提示"));
    EXPECT_EQ(dlg->m_strPicturePath, good);
    EXPECT_EQ(GrabOriginal(), original);
    EXPECT_EQ(GrabPreview(), preview);
    EXPECT_EQ(dlg->Picture().Block(), block);

    wheel::MessageBox::ClearRecorded();
    Open(dir.filePath(QStringLiteral("missing.jpg")));
    ASSERT_EQ(wheel::MessageBox::Recorded().size(), 1u);
    EXPECT_TRUE(wheel::MessageBox::Recorded()[0].text.contains(QStringLiteral("missing.jpg")));

    wheel::MessageBox::ClearRecorded();
    Open(QString());   // cancel
    EXPECT_TRUE(wheel::MessageBox::Recorded().empty());
    EXPECT_EQ(dlg->m_strPicturePath, good);
    EXPECT_EQ(GrabOriginal(), original);
    EXPECT_EQ(GrabPreview(), preview);
    EXPECT_EQ(dlg->Picture().Block(), block);
}

// Files named at start, relative to the working folder: the first opens, the
// others are named in one refusal; a picture set goes to its own hook.
TEST_F(WheelDlgTest, FilesNamedAtStart)
{
    const QString good = RedBluePicture();
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    dlg->OpenFiles({QStringLiteral("redblue.png"), QStringLiteral("b.png"), QStringLiteral("c.wheelset")});
    QDir::setCurrent(cwd);
    Loaded();
    EXPECT_EQ(dlg->m_bPictureLoaded, 1);
    EXPECT_EQ(dlg->m_strPicturePath, good);
    auto shown = wheel::MessageBox::Recorded();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("一次只能打开一个文件，以下文件没有打开：\n") + dir.filePath(QStringLiteral("b.png"))
                                 + QStringLiteral("\n") + dir.filePath(QStringLiteral("c.wheelset")));

    // A set file opens in the set window; a refused one is named with the
    // reason and opens no window. The picture on show stays either way.
    wheel::MessageBox::ClearRecorded();
    const wheel::TransferBlock block = dlg->Picture().Block();
    const QString missing = dir.filePath(QStringLiteral("Club.WheelSet"));
    dlg->OpenFiles({missing});
    shown = wheel::MessageBox::Recorded();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("无法打开图片组“%1”：文件不存在").arg(missing));
    EXPECT_EQ(dlg->SetWindow(), nullptr);

    QFile file(dir.filePath(QStringLiteral("club.wheelset")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"format": "wheel-set", "version": 1, "slots": [{"box": 4, "picture": "redblue.png", "rotate": 90}]})");
    file.close();
    dlg->OpenFiles({file.fileName()});
    ASSERT_NE(dlg->SetWindow(), nullptr);
    EXPECT_TRUE(dlg->SetWindow()->isVisible());
    wheel::PictureAdjustments turned;
    turned.rotate = wheel::Rotation::Deg90;
    EXPECT_EQ(dlg->SetWindow()->Document().Set().Cell(4), (wheel::SetCell{good, turned}));
    EXPECT_EQ(wheel::MessageBox::Recorded().size(), 1u);
    EXPECT_EQ(dlg->m_strPicturePath, good);
    EXPECT_EQ(dlg->Picture().Block(), block);
}

TEST_F(WheelDlgTest, CancelBeforeAnyPictureChangesNothing)
{
    Open(QString());
    EXPECT_EQ(dlg->m_bPictureLoaded, 0);
    EXPECT_TRUE(dlg->m_strPicturePath.isEmpty());
    EXPECT_TRUE(Uniform(GrabOriginal()));
    EXPECT_TRUE(Uniform(GrabPreview()));
}

TEST_F(WheelDlgTest, LogLinesAndTheirFormat)
{
    dlg->AppendLog(QStringLiteral("设备已连接"), 1, 1);
    const QRegularExpression stamped(QStringLiteral("^设备已连接 \\((\\d\\d):(\\d\\d):(\\d\\d)\\)\\n$"));
    const auto match = stamped.match(LogText());
    ASSERT_TRUE(match.hasMatch()) << LogText().toStdString();
    EXPECT_LT(match.captured(1).toInt(), 24);
    EXPECT_LT(match.captured(2).toInt(), 60);

    ASSERT_TRUE(dlg->UpdateData(true));
    EXPECT_TRUE(dlg->m_strLog.endsWith(QStringLiteral(")\r\n")));

    dlg->ClearLog();
    dlg->AppendLog("a", 0, 1);
    dlg->AppendLog("b", 0, 0);
    dlg->AppendLog("c", 2, 0);
    dlg->AppendLog("d", 0, 5);
    dlg->AppendLog("e", 0, 1);
    EXPECT_EQ(LogText(), QStringLiteral("a\nbcde\n"));
}

TEST_F(WheelDlgTest, TypedTextSurvivesAndClearEmpties)
{
    auto* log = Find<QPlainTextEdit>("editLog");
    dlg->AppendLog("第一行", 0, 1);
    log->setFocus();
    log->moveCursor(QTextCursor::End);
    QTest::keyClicks(log, QStringLiteral("typed "));
    TypeChinese(log, QStringLiteral("文字"));
    dlg->AppendLog("第二行", 0, 1);
    EXPECT_EQ(LogText(), QStringLiteral("第一行\ntyped 文字第二行\n"));

    // Typed text with the cursor elsewhere stays where it was typed.
    log->moveCursor(QTextCursor::Start);
    QTest::keyClicks(log, QStringLiteral(">"));
    dlg->AppendLog("第三行", 0, 1);
    EXPECT_EQ(LogText(), QStringLiteral(">第一行\ntyped 文字第二行\n第三行\n"));

    // The clear button is hidden; its handler is what the window offers.
    ASSERT_TRUE(QMetaObject::invokeMethod(dlg.get(), "ClearLog"));
    EXPECT_TRUE(LogText().isEmpty());
    dlg->AppendLog("新", 0, 1);
    EXPECT_EQ(LogText(), QStringLiteral("新\n"));

    // Many lines: the last one stays in view.
    for (int i = 0; i < 100; ++i)
        dlg->AppendLog(QStringLiteral("line %1").arg(i), 1, 1);
    auto* bar = log->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(WheelDlgTest, AppendsFromManyThreadsLoseNoLine)
{
    constexpr int kThreads = 4;
    constexpr int kLines = 250;
    dlg->AppendLog("start", 1, 1);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < kLines; ++i)
                dlg->AppendLog(QStringLiteral("t%1 n%2").arg(t).arg(i), 1, 1);
        });
    }
    // The window's thread appends at the same time.
    for (int i = 0; i < kLines; ++i) {
        dlg->AppendLog(QStringLiteral("gui n%1").arg(i), 1, 1);
        if (i % 50 == 0)
            QCoreApplication::processEvents();
    }
    for (auto& th : threads)
        th.join();

    const int expected = 1 + (kThreads + 1) * kLines;
    ASSERT_TRUE(WaitUntil([&] { return LogText().count(QLatin1Char('\n')) >= expected; }))
        << LogText().count(QLatin1Char('\n'));
    const QStringList lines = LogText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), expected);

    const QRegularExpression form(QStringLiteral("^(start|t\\d n\\d+|gui n\\d+) \\(\\d\\d:\\d\\d:\\d\\d\\)$"));
    std::map<QString, int> next;   // each writer's lines arrive in its own order
    for (const QString& line : lines) {
        const auto m = form.match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        const QString who = m.captured(1).section(QLatin1Char(' '), 0, 0);
        if (who == QStringLiteral("start"))
            continue;
        const int n = m.captured(1).section(QLatin1Char('n'), -1).toInt();
        EXPECT_EQ(n, next[who]) << line.toStdString();
        next[who] = n + 1;
    }
    EXPECT_EQ(next.size(), std::size_t(kThreads + 1));
}

TEST_F(WheelDlgTest, UpdateDataReadsAndWritesTheControls)
{
    QTest::mouseClick(Find<QCheckBox>("chkSlot20"), Qt::LeftButton);
    QTest::mouseClick(Find<QCheckBox>("chkSlot2"), Qt::LeftButton);
    QTest::mouseClick(Find<QCheckBox>("chk48Mode"), Qt::LeftButton);
    Find<QRadioButton>("radLeft")->click();
    auto* angle = Find<QLineEdit>("editAngle");
    angle->setText(QStringLiteral(" 45"));
    ASSERT_TRUE(dlg->UpdateData(true));
    EXPECT_EQ(dlg->m_slotChecks[12], 1);   // 第20幅
    EXPECT_EQ(dlg->m_slotChecks[11], 1);   // 第2幅
    int ticked = 0;
    for (int v : dlg->m_slotChecks)
        ticked += v;
    EXPECT_EQ(ticked, 2);
    EXPECT_EQ(dlg->m_b48Mode, 0);
    EXPECT_EQ(dlg->m_nAngle, 45);
    EXPECT_EQ(dlg->m_nDirection, 0);
    EXPECT_TRUE(wheel::MessageBox::Recorded().empty());

    angle->setText(QStringLiteral("4x"));
    EXPECT_FALSE(dlg->UpdateData(true));
    ASSERT_EQ(wheel::MessageBox::Recorded().size(), 1u);
    EXPECT_EQ(wheel::MessageBox::Recorded()[0].text, QStringLiteral("请键入一个整数。"));
    EXPECT_EQ(dlg->m_nAngle, 45);

    dlg->m_slotChecks.fill(0);
    dlg->m_slotChecks[1] = 1;   // 第10幅
    dlg->m_nAngle = 7;
    dlg->m_nDirection = 1;
    dlg->m_b48Mode = 1;
    dlg->m_strLog = QStringLiteral("one\r\ntwo\r\n");
    dlg->UpdateData(false);
    EXPECT_TRUE(Find<QCheckBox>("chkSlot10")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("chkSlot20")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("chk48Mode")->isChecked());
    EXPECT_EQ(angle->text(), QStringLiteral("7"));
    EXPECT_TRUE(Find<QRadioButton>("radRight")->isChecked());
    EXPECT_FALSE(Find<QRadioButton>("radLeft")->isChecked());
    EXPECT_EQ(LogText(), QStringLiteral("one\ntwo\n"));
    // The pair still behaves as a radio group afterwards.
    Find<QRadioButton>("radLeft")->click();
    EXPECT_FALSE(Find<QRadioButton>("radRight")->isChecked());
}

TEST_F(WheelDlgTest, TimerLoadsTheDiyPicture)
{
    dlg->m_strDiyPicturePath = RedBluePicture();
    g_bDiyPictureReady = true;
    ASSERT_TRUE(WaitUntil([&] { return dlg->m_bPictureLoaded == 1; }, 3000));
    EXPECT_FALSE(g_bDiyPictureReady);
    EXPECT_EQ(dlg->m_bPreviewDone, 1);
    EXPECT_FALSE(Uniform(GrabOriginal()));
    EXPECT_FALSE(Uniform(GrabPreview()));
    // The path of "打开图片" is not touched.
    EXPECT_TRUE(dlg->m_strPicturePath.isEmpty());
}

TEST_F(WheelDlgTest, F1OpensTheAboutBox)
{
    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    QString title;
    QTimer::singleShot(200, [&title] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            title = modal->windowTitle();
            modal->close();
        }
    });
    QTest::keyClick(dlg.get(), Qt::Key_F1);
    EXPECT_EQ(title, QStringLiteral("关于 Rota"));
    // Escape does not close the editor.
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    EXPECT_TRUE(dlg->isVisible());
}

} // namespace
