// The English translation: which language the editor chooses, that every text
// it shows has a translation, and the window and its messages in English.
// The QApplication comes from WheelDlgTest.cpp's environment.

#include "texts/Language.h"
#include "app/WheelDlg.h"
#include "dialogs/Dialogs.h"
#include "texts/ShownText.h"
#include "app/AboutDlg.h"
#include "app/AdjustmentsDlg.h"
#include "app/SetWindow.h"
#include "diy/DiyDlg.h"
#include "protocol/SlotHelpDlg.h"
#include "tests/support/WindowTestSupport.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <set>

namespace {

using wheel::UiLanguage;

QString SourceDir()
{
    const QString dir = qEnvironmentVariable("WHEEL_SOURCE_DIR");
    EXPECT_FALSE(dir.isEmpty()) << "WHEEL_SOURCE_DIR names the source tree (CTest sets it)";
    return dir;
}

UiLanguage Chosen(const QString& requested, const char* system)
{
    return wheel::ChooseLanguage(requested, QLocale(QString::fromLatin1(system))).language;
}

TEST(Language, RequestedLanguageWinsOverTheSystem)
{
    EXPECT_EQ(Chosen(QStringLiteral("en"), "zh_CN"), UiLanguage::English);
    EXPECT_EQ(Chosen(QStringLiteral("en_GB"), "C"), UiLanguage::English);
    EXPECT_EQ(Chosen(QStringLiteral("en-US.UTF-8"), "C"), UiLanguage::English);
    EXPECT_EQ(Chosen(QStringLiteral("zh"), "en_US"), UiLanguage::Chinese);
    EXPECT_EQ(Chosen(QStringLiteral("zh_CN"), "en_US"), UiLanguage::Chinese);
    EXPECT_TRUE(wheel::ChooseLanguage(QStringLiteral("zh"), QLocale(QStringLiteral("en_US"))).warning.isEmpty());
}

TEST(Language, UntranslatedRequestFallsBackToChineseWithAWarning)
{
    for (const char* bad : {"fr", "xx", "de_DE", "--", "english please"}) {
        const wheel::LanguageChoice choice = wheel::ChooseLanguage(QString::fromLatin1(bad), QLocale(QStringLiteral("en_US")));
        EXPECT_EQ(choice.language, UiLanguage::Chinese) << bad;
        EXPECT_TRUE(choice.warning.contains(QString::fromLatin1(bad))) << bad << " " << choice.warning.toStdString();
    }
}

TEST(Language, SystemLocaleDecidesWithoutARequest)
{
    EXPECT_EQ(Chosen(QString(), "en_US"), UiLanguage::English);
    EXPECT_EQ(Chosen(QString(), "en_AU"), UiLanguage::English);
    EXPECT_EQ(Chosen(QString(), "zh_CN"), UiLanguage::Chinese);
    EXPECT_EQ(Chosen(QString(), "zh_TW"), UiLanguage::Chinese);
    EXPECT_EQ(Chosen(QString(), "de_DE"), UiLanguage::Chinese);
    EXPECT_EQ(Chosen(QString(), "C"), UiLanguage::Chinese);
}

// Loads the built catalogue itself, so that a missing entry shows as an empty
// answer even where the English is spelled like the Chinese ("DIY").
class Catalogue : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(translator.load(QStringLiteral(":/i18n/wheel-editor_en.qm"))); }
    bool Has(const char* context, const QString& source)
    {
        return !translator.translate(context, source.toUtf8().constData()).isEmpty();
    }
    QTranslator translator;
};

TEST_F(Catalogue, EveryShownTextAndPatternHasATranslation)
{
    const wheel::ShownTextCatalogue& shown = wheel::ShownTexts();
    for (const char* text : shown.texts)
        EXPECT_TRUE(Has(wheel::kShownTextContext, QString::fromUtf8(text))) << text;
    for (const char* pattern : shown.patterns) {
        ASSERT_TRUE(Has(wheel::kShownTextContext, QString::fromUtf8(pattern))) << pattern;
        // The translation keeps every placeholder of the pattern.
        const QString english = translator.translate(wheel::kShownTextContext, pattern);
        for (const QRegularExpressionMatch& m :
             QRegularExpression(QStringLiteral("%\\d")).globalMatch(QString::fromUtf8(pattern)))
            EXPECT_TRUE(english.contains(m.captured(0))) << pattern;
    }
}

TEST_F(Catalogue, EveryTemplateTextHasATranslation)
{
    QDirIterator it(SourceDir() + QStringLiteral("/res"), {QStringLiteral("*.ui")}, QDir::Files,
                    QDirIterator::Subdirectories);
    int strings = 0;
    while (it.hasNext()) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QByteArray context;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == QLatin1String("class") && context.isEmpty())
                context = xml.readElementText().toUtf8();
            else if (xml.name() == QLatin1String("string")
                     && xml.attributes().value(QLatin1String("notr")) != QLatin1String("true")) {
                const QString text = xml.readElementText();
                if (text.isEmpty())
                    continue;
                ++strings;
                EXPECT_TRUE(Has(context.constData(), text)) << file.fileName().toStdString() << ": " << text.toStdString();
            }
        }
    }
    EXPECT_GT(strings, 40);
}

// Every Chinese string literal of the program's sources is a shown text of
// the catalogue (or a piece of one), or one of the few that are never shown.
TEST(ShownTexts, EveryChineseLiteralOfTheSourcesIsCatalogued)
{
    const std::set<QString> neverShown = {
        QStringLiteral("黑体"), QStringLiteral("宋体"),      // font faces
        QStringLiteral("自行车风火轮.bmp"),                  // the working file's name
    };
    const wheel::ShownTextCatalogue& shown = wheel::ShownTexts();
    auto catalogued = [&](const QString& literal) {
        for (const char* text : shown.texts)
            if (QString::fromUtf8(text).contains(literal))
                return true;
        for (const char* pattern : shown.patterns)
            if (QString::fromUtf8(pattern).contains(literal))
                return true;
        return false;
    };
    const QRegularExpression literalRe(QStringLiteral("\"((?:[^\"\\\\\\n]|\\\\.)*)\""));
    const QRegularExpression cjk(QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    int found = 0;
    for (const char* folder : {"app", "usb", "protocol", "diy", "dialogs", "picture", "record", "sets", "texts"}) {
        QDirIterator it(SourceDir() + QLatin1Char('/') + QLatin1String(folder),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith(QStringLiteral("/ShownText.cpp")))
                continue;
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            int lineNo = 0;
            for (const QByteArray& raw : file.readAll().split('\n')) {
                ++lineNo;
                QString line = QString::fromUtf8(raw);
                const qsizetype comment = line.indexOf(QStringLiteral("//"));
                if (comment >= 0 && line.left(comment).count(QLatin1Char('"')) % 2 == 0)
                    line.truncate(comment);
                for (const QRegularExpressionMatch& m : literalRe.globalMatch(line)) {
                    QString literal = m.captured(1);
                    if (!literal.contains(cjk))
                        continue;
                    ++found;
                    literal.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
                    if (neverShown.count(literal))
                        continue;
                    EXPECT_TRUE(catalogued(literal))
                        << path.toStdString() << ":" << lineNo << ": \"" << literal.toStdString()
                        << "\" is shown to the user but not in texts/ShownText.cpp";
                }
            }
        }
    }
    EXPECT_GT(found, 30);
}

class English : public ::testing::Test {
protected:
    void SetUp() override
    {
        wheel::MessageBox::StartRecording();
        ASSERT_TRUE(wheel::InstallLanguage(UiLanguage::English));
    }
    void TearDown() override
    {
        wheel::InstallLanguage(UiLanguage::Chinese);
        wheel::MessageBox::StopRecording();
    }
};

TEST_F(English, WithoutATranslatorShownTextsStayAsTheyAre)
{
    wheel::InstallLanguage(UiLanguage::Chinese);
    EXPECT_EQ(wheel::TranslateShown(QStringLiteral("设备已连接")), QStringLiteral("设备已连接"));
    EXPECT_EQ(wheel::TranslateShown(QStringLiteral("发送失败，错误代码：31")), QStringLiteral("发送失败，错误代码：31"));
}

TEST_F(English, ShownTextsWholeAndByPattern)
{
    EXPECT_EQ(wheel::TranslateShown(QStringLiteral("设备已连接")), QStringLiteral("Device connected"));
    EXPECT_EQ(wheel::TranslateShown(QStringLiteral("发送失败，错误代码：31")),
              QStringLiteral("Sending failed, error code: 31"));
    // The file name is kept as it is, even with pieces of the pattern and a
    // placeholder in it; the reason is translated.
    EXPECT_EQ(wheel::TranslateShown(QStringLiteral("无法打开图片“/tmp/a”：%2.txt”：不是BMP、JPEG或PNG图片")),
              QStringLiteral("Cannot open the picture \"/tmp/a”：%2.txt\": not a BMP, JPEG or PNG picture"));
    EXPECT_EQ(wheel::TranslateShown(QStringLiteral("下载进度:50%")), QStringLiteral("Progress:50%"));
    // The angle stays exactly as typed, blanks and all.
    EXPECT_EQ(wheel::TranslateShown(QStringLiteral("您需要调整的角度是: 45  向左调整！")),
              QStringLiteral("The angle to turn is:  45, to the left!"));
    EXPECT_EQ(wheel::TranslateShown(QStringLiteral("您需要调整的角度是:9x")), QStringLiteral("The angle to turn is: 9x"));
    // Unknown texts and texts typed by the user pass unchanged.
    EXPECT_EQ(wheel::TranslateShown(QStringLiteral("随便写的")), QStringLiteral("随便写的"));
    EXPECT_EQ(wheel::TranslateShown(QString()), QString());
}

TEST_F(English, WindowLogAndMessagesInEnglish)
{
    CWheelDlg dlg(wheeltest::NoWheelLight());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Chiguang - Bicycle Wheel Light Editor V2.0"));
    EXPECT_EQ(dlg.findChild<QPushButton*>(QStringLiteral("btnOpenPicture"))->text(), QStringLiteral("Open picture"));
    EXPECT_EQ(dlg.findChild<QPushButton*>(QStringLiteral("btnCalibrate"))->text(), QStringLiteral("Calibrate"));
    EXPECT_EQ(dlg.findChild<QCheckBox*>(QStringLiteral("chkSlot20"))->text(), QStringLiteral("Slot 20"));
    EXPECT_EQ(dlg.findChild<QGroupBox*>(QStringLiteral("grpPreview"))->title(), QStringLiteral("On the wheel"));
    EXPECT_EQ(dlg.findChild<QLabel*>(QStringLiteral("lblProgress"))->text(), QStringLiteral("Progress:  0%"));

    dlg.AppendLog("设备已连接", 0, 1);
    dlg.AppendLog(QStringLiteral("发送失败，错误代码：31"), 0, 1);
    EXPECT_EQ(dlg.findChild<QPlainTextEdit*>(QStringLiteral("editLog"))->toPlainText(),
              QStringLiteral("Device connected\nSending failed, error code: 31\n"));

    dlg.RenderWheel();   // no picture yet
    const auto shown = wheel::MessageBox::Recorded();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("Please open a picture first!"));
    EXPECT_EQ(shown[0].caption, QStringLiteral("Note"));
}

TEST_F(English, SlotHelpInEnglish)
{
    CSlotHelpDlg help;
    EXPECT_EQ(help.windowTitle(), QStringLiteral("About the slots"));
    bool gotIt = false;
    for (QPushButton* button : help.findChildren<QPushButton*>())
        gotIt = gotIt || button->text() == QStringLiteral("Got it!!");
    EXPECT_TRUE(gotIt);
}

// Every English text fits its control in the fixed-size windows.
int ExpectTextsFit(QWidget& window)
{
    window.ensurePolished();
    int checked = 0;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        QString text;
        int room = w->width();
        if (auto* check = qobject_cast<QCheckBox*>(w)) {
            text = check->text();
            room -= w->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w)
                  + w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
        } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
            text = radio->text();
            room -= w->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w)
                  + w->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w);
        } else if (auto* button = qobject_cast<QPushButton*>(w)) {
            text = button->text();
            room -= 8;
        } else if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap()) {
            text = label->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            text = group->title();
        }
        text.remove(QLatin1Char('&'));
        if (text.isEmpty())
            continue;
        ++checked;
        EXPECT_LE(w->fontMetrics().horizontalAdvance(text), room)
            << window.metaObject()->className() << " " << w->objectName().toStdString() << ": \"" << text.toStdString() << "\"";
    }
    return checked;
}

TEST_F(English, TextsFitTheirControls)
{
    CWheelDlg main(wheeltest::NoWheelLight());
    EXPECT_GT(ExpectTextsFit(main), 35);
    EXPECT_GE(ExpectTextsFit(*main.OpenSetWindow()), 60);
    CAboutDlg about;
    EXPECT_GE(ExpectTextsFit(about), 4);
    CSlotHelpDlg help;
    EXPECT_GE(ExpectTextsFit(help), 1);
    wheel::CDiyDlg diy;
    EXPECT_GE(ExpectTextsFit(diy), 5);
    CAdjustmentsDlg adjustments;   // laid out as it is shown
    adjustments.show();
    EXPECT_GE(ExpectTextsFit(adjustments), 10);
}

TEST_F(English, BackToChineseForWindowsMadeAfterwards)
{
    wheel::InstallLanguage(UiLanguage::Chinese);
    CWheelDlg dlg(wheeltest::NoWheelLight());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("驰光--自行车风火轮编辑软件V2.0"));
    EXPECT_EQ(dlg.findChild<QPushButton*>(QStringLiteral("btnOpenPicture"))->text(), QStringLiteral("打开图片"));
}

// Qt's own texts follow: the message box's OK button reads 确定 in Chinese
// (where Qt's translations are installed) and OK in English.
TEST_F(English, QtsOwnButtonsFollowTheLanguage)
{
    auto okText = [] {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("c"), QStringLiteral("t"), QMessageBox::Ok);
        return box.button(QMessageBox::Ok)->text();
    };
    EXPECT_EQ(okText(), QStringLiteral("OK"));
    wheel::InstallLanguage(UiLanguage::Chinese);
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm")))
        GTEST_SKIP() << "Qt's translations (qt6-translations-l10n) are not installed";
    EXPECT_EQ(okText(), QStringLiteral("确定"));
}

TEST_F(English, UntranslatedRequestWarnsAndShowsChinese)
{
    const wheel::LanguageChoice choice = wheel::SetUpLanguage(QStringLiteral("fr"));
    EXPECT_FALSE(choice.warning.isEmpty());
    CWheelDlg dlg(wheeltest::NoWheelLight());
    EXPECT_EQ(dlg.findChild<QPushButton*>(QStringLiteral("btnOpenPicture"))->text(), QStringLiteral("打开图片"));
}

// Run by CTest under LANG=en_US.UTF-8, zh_CN.UTF-8 and C.UTF-8 (and no other
// locale variable), with WHEEL_EXPECT_LANGUAGE naming what should show.
TEST(SystemLanguage, WindowFollowsTheLocale)
{
    const QString expected = qEnvironmentVariable("WHEEL_EXPECT_LANGUAGE");
    if (expected.isEmpty())
        GTEST_SKIP() << "run by CTest with a locale";
    const wheel::LanguageChoice choice = wheel::SetUpLanguage(QString());
    EXPECT_TRUE(choice.warning.isEmpty());
    CWheelDlg dlg(wheeltest::NoWheelLight());
    const QString open = dlg.findChild<QPushButton*>(QStringLiteral("btnOpenPicture"))->text();
    wheel::InstallLanguage(UiLanguage::Chinese);
    EXPECT_EQ(open, expected == QLatin1String("en") ? QStringLiteral("Open picture") : QStringLiteral("打开图片"))
        << "LANG=" << qgetenv("LANG").constData();
}

} // namespace
