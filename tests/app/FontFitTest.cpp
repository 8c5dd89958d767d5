// The template windows under fonts other than the editor's own: every text
// stays whole at 9, 11 and 14 points, in both languages, and with the default
// font not a pixel moves. The QApplication comes from WheelDlgTest.cpp.

#include "app/AboutDlg.h"
#include "app/AdjustmentsDlg.h"
#include "app/SetWindow.h"
#include "app/WheelDlg.h"
#include "dialogs/Fonts.h"
#include "dialogs/TemplateLayout.h"
#include "diy/DiyDlg.h"
#include "protocol/SlotHelpDlg.h"
#include "tests/support/WindowTestSupport.h"
#include "texts/Language.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using wheel::UiLanguage;

// The text a control shows and the room its rectangle leaves for it; an
// empty text for controls without one.
struct Room {
    QString text;
    int width = 0;
    int height = 0;
};

Room RoomOf(QWidget* w)
{
    QStyle* style = w->style();
    Room room{{}, w->width(), w->height()};
    if (auto* check = qobject_cast<QCheckBox*>(w)) {
        room.text = check->text();
        room.width -= style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w)
                    + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
    } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        room.text = radio->text();
        room.width -= style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w)
                    + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w);
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        room.text = button->text();
        room.width -= 8;   // the bevel
        room.height -= 4;
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        room.text = label->text();
        if (label->wordWrap() && !room.text.isEmpty()) {
            // A label that wraps must not run out at the bottom, and cannot
            // break a Latin word (Chinese breaks between any characters).
            EXPECT_LE(label->heightForWidth(label->width()), label->height()) << label->text().toStdString();
            QString widest;
            for (const QString& word : room.text.split(QLatin1Char(' ')))
                if (!word.contains(QRegularExpression(QStringLiteral("[\\x{2e80}-\\x{9fff}\\x{ff00}-\\x{ffef}]")))
                    && label->fontMetrics().horizontalAdvance(word) > label->fontMetrics().horizontalAdvance(widest))
                    widest = word;
            room.text = widest;
        }
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        room.text = group->title();
    }
    room.text.remove(QLatin1Char('&'));
    return room;
}

// Every visible text of the window fits its control, both ways. The count of
// texts checked.
int ExpectTextsFit(QWidget& window, const std::string& when)
{
    window.ensurePolished();
    int checked = 0;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window))
            continue;
        const Room room = RoomOf(w);
        if (room.text.isEmpty())
            continue;
        ++checked;
        const QFontMetrics metrics = w->fontMetrics();
        EXPECT_LE(metrics.horizontalAdvance(room.text), room.width)
            << when << ": " << window.metaObject()->className() << " " << w->objectName().toStdString() << " \""
            << room.text.toStdString() << "\" is clipped";
        // The glyphs' own height: the template's radio buttons are a line
        // box high, less a pixel of the face's descent.
        EXPECT_LE(metrics.tightBoundingRect(room.text).height(), room.height)
            << when << ": " << w->objectName().toStdString() << " \"" << room.text.toStdString() << "\" is cut";
    }
    return checked;
}

// The rightmost column with ink of a widget's picture.
int RightmostInk(QWidget& widget)
{
    const QImage image = widget.grab().toImage();
    int right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = right + 1; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 110)
                right = x;
    return right;
}

// What the screen shows of the slot boxes: each as much of its text as the
// same box with all the room it wants ("Slot 1" where "Slot 10" is meant
// would end earlier).
void ExpectSlotNumbersShown(CWheelDlg& main)
{
    for (int slot = 1; slot <= 20; ++slot) {
        auto* box = main.findChild<QCheckBox*>(QStringLiteral("chkSlot%1").arg(slot));
        QCheckBox roomy(box->text());
        roomy.setFont(box->font());
        roomy.resize(3 * box->width(), box->height());
        EXPECT_EQ(RightmostInk(*box), RightmostInk(roomy)) << box->text().toStdString();
    }
}

// The desktop's font for a test, put back afterwards.
class DesktopFont : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetApplicationFont(wheel::DefaultUiFont());
        wheel::InstallLanguage(UiLanguage::Chinese);
    }
    static void UseFont(const QString& family, int points)
    {
        QFont font = wheel::DefaultUiFont();
        if (!family.isEmpty())
            font.setFamilies({family});
        font.setPointSize(points);
        SetApplicationFont(font);
    }
    // As a theme sets it while the event loop runs: the windows open get
    // the news too (outside exec() Qt leaves them alone).
    static void SetApplicationFont(const QFont& font)
    {
        QApplication::setFont(font);
        for (QWidget* window : QApplication::topLevelWidgets()) {
            QEvent changed(QEvent::ApplicationFontChange);
            QApplication::sendEvent(window, &changed);
        }
    }
};

TEST_F(DesktopFont, EveryTextFitsInBothLanguagesAtEverySize)
{
    // The editor's own face, and the generic sans a theme like qt6ct sets.
    for (const QString& family : {QString(), QStringLiteral("Sans Serif")})
        for (UiLanguage language : {UiLanguage::Chinese, UiLanguage::English})
            for (int points : {9, 11, 14}) {
                wheel::InstallLanguage(language);
                UseFont(family, points);
                const std::string when = (family.isEmpty() ? std::string("default face") : family.toStdString())
                                       + (language == UiLanguage::English ? " en " : " zh ") + std::to_string(points)
                                       + " pt";
                CWheelDlg main(wheeltest::NoWheelLight());
                EXPECT_GE(ExpectTextsFit(main, when), 35) << when;
                if (points == 11 && language == UiLanguage::English)
                    ExpectSlotNumbersShown(main);
                CSetWindow* sets = main.OpenSetWindow();
                EXPECT_GE(ExpectTextsFit(*sets, when), 60) << when;
                sets->close();
                CAboutDlg about;
                EXPECT_GE(ExpectTextsFit(about, when), 4) << when;
                CSlotHelpDlg help;
                EXPECT_GE(ExpectTextsFit(help, when), 1) << when;
                CAdjustmentsDlg adjustments;
                adjustments.show();
                EXPECT_GE(ExpectTextsFit(adjustments, when), 10) << when;
                // The DIY template keeps its own 宋体 10 pt; its size follows
                // the resolution, so it is given the size here.
                wheel::CDiyDlg diy;
                QFont diyFont = diy.font();
                diyFont.setPointSize(points + 1);
                diy.setFont(diyFont);
                EXPECT_GE(ExpectTextsFit(diy, when), 5) << when;
            }
}

TEST_F(DesktopFont, TheDefaultFontKeepsTheTemplatesPixels)
{
    CWheelDlg main(wheeltest::NoWheelLight());
    auto* client = main.findChild<QWidget*>(QStringLiteral("clientArea"));
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->size(), QSize(680, 575));
    EXPECT_EQ(main.findChild<QWidget*>(QStringLiteral("chkSlot20"))->geometry(), QRect(585, 500, 60, 27));
    EXPECT_EQ(main.findChild<QWidget*>(QStringLiteral("btnDownload"))->geometry(), QRect(533, 77, 118, 39));
    EXPECT_EQ(wheel::CTemplateLayout::Of(client)->Scale(), QSizeF(1, 1));
    wheel::CDiyDlg diy;
    EXPECT_EQ(diy.size(), QSize(558, 523));
    CAboutDlg about;
    EXPECT_EQ(about.size(), QSize(300, 105));
}

TEST_F(DesktopFont, AFontChangedWhileTheWindowIsOpenRelaysItOutAndBack)
{
    CWheelDlg main(wheeltest::NoWheelLight());
    main.show();
    auto* client = main.findChild<QWidget*>(QStringLiteral("clientArea"));
    auto* slot20 = main.findChild<QWidget*>(QStringLiteral("chkSlot20"));
    UseFont({}, 14);
    const QSizeF scale = wheel::CTemplateLayout::Of(client)->Scale();
    EXPECT_GT(scale.width(), 1.2);
    EXPECT_GT(scale.height(), 1.2);
    // The proportions are the template's: edges scaled, the window with them.
    EXPECT_EQ(slot20->geometry(), wheel::ScaleTemplateRect(QRect(585, 500, 60, 27), scale));
    EXPECT_EQ(client->size(), wheel::ScaleTemplateRect(QRect(0, 0, 680, 575), scale).size());
    SetApplicationFont(wheel::DefaultUiFont());
    EXPECT_EQ(slot20->geometry(), QRect(585, 500, 60, 27));
    EXPECT_EQ(client->size(), QSize(680, 575));
}

// Run by CTest under the qt6ct theme with an 11-point font: the theme sets
// the font once the event loop runs, and the English slot boxes show
// "Slot 10" ... "Slot 20" whole.
TEST(Qt6ct, SlotBoxesShowTheirNumbersUnderTheThemesFont)
{
    QTest::qWait(50);   // the theme applies its settings from the event loop
    if (QApplication::font().pointSize() != 11)
        GTEST_SKIP() << "run by CTest with QT_QPA_PLATFORMTHEME=qt6ct";
    wheel::InstallLanguage(UiLanguage::English);
    CWheelDlg main(wheeltest::NoWheelLight());
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    EXPECT_GT(wheel::CTemplateLayout::Of(main.findChild<QWidget*>(QStringLiteral("clientArea")))->Scale().width(), 1.0);
    EXPECT_GE(ExpectTextsFit(main, "qt6ct 11 pt"), 35);
    ExpectSlotNumbersShown(main);
    wheel::InstallLanguage(UiLanguage::Chinese);
}

TEST(TemplateScale, GrowsWithTheFontAndNeverShrinks)
{
    const wheel::DialogBaseUnits base{6, 12, 14};
    EXPECT_EQ(wheel::TemplateScale(base, base), QSizeF(1, 1));
    EXPECT_EQ(wheel::TemplateScale({7.5, 12, 21}, base), QSizeF(1.25, 1.5));
    // The wider of the Latin and the Chinese growth counts.
    EXPECT_EQ(wheel::TemplateScale({6.6, 18, 14}, base), QSizeF(1.5, 1));
    EXPECT_EQ(wheel::TemplateScale({3, 6, 7}, base), QSizeF(1, 1));
    // Neighbours that meet in the template still meet.
    const QRect a(3, 303, 40, 18), b(43, 303, 40, 18);
    EXPECT_EQ(wheel::ScaleTemplateRect(a, {1.37, 1.37}).right() + 1, wheel::ScaleTemplateRect(b, {1.37, 1.37}).left());
}

} // namespace
