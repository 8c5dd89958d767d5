// Every window in both languages: under fonts other than the editor's own
// every text stays whole (at 9, 11 and 14 points), with the default font not a
// pixel moves, and a screen reader finds a name for every control (walking
// Qt's accessibility interface). The QApplication comes from WheelDlgTest.cpp.

#include "app/AboutDlg.h"
#include "app/AdjustmentsDlg.h"
#include "app/SetCell.h"
#include "app/SetWindow.h"
#include "app/WheelDlg.h"
#include "dialogs/Fonts.h"
#include "dialogs/TemplateLayout.h"
#include "diy/DiyDlg.h"
#include "diy/DiyTemplate.h"
#include "protocol/SlotHelpDlg.h"
#include "tests/support/WindowTestSupport.h"
#include "texts/Language.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using wheel::UiLanguage;

// Every visible text fits its control both ways, less a check box's or radio
// button's indicator and a button's bevel; a wrapping label runs out neither
// at the bottom nor within a Latin word. The count of texts checked.
int ExpectTextsFit(QWidget& window, const std::string& when)
{
    window.ensurePolished();
    int checked = 0;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        const QFontMetrics fm = w->fontMetrics();
        const auto metric = [w](QStyle::PixelMetric m) { return w->style()->pixelMetric(m, nullptr, w); };
        auto* label = qobject_cast<QLabel*>(w);
        auto* button = qobject_cast<QAbstractButton*>(w);
        QString text = label ? label->text() : button ? button->text() : QString();
        if (auto* group = qobject_cast<QGroupBox*>(w))
            text = group->title();
        QSize room = w->size();
        if (qobject_cast<QCheckBox*>(w))
            room.rwidth() -= metric(QStyle::PM_IndicatorWidth) + metric(QStyle::PM_CheckBoxLabelSpacing);
        else if (qobject_cast<QRadioButton*>(w))
            room.rwidth() -= metric(QStyle::PM_ExclusiveIndicatorWidth) + metric(QStyle::PM_RadioButtonLabelSpacing);
        else if (button)
            room -= QSize(8, 4);
        text.remove(QLatin1Char('&'));
        if (text.isEmpty() || !w->isVisibleTo(&window))
            continue;
        if (label && label->wordWrap()) {
            EXPECT_LE(label->heightForWidth(room.width()), room.height()) << when << ": \"" << text.toStdString() << "\"";
            const QStringList words = text.split(QRegularExpression(QStringLiteral("[ \\x{2e80}-\\x{9fff}\\x{ff00}-\\x{ffef}]")));
            text = *std::max_element(words.begin(), words.end(), [&fm](const QString& x, const QString& y) {
                return fm.horizontalAdvance(x) < fm.horizontalAdvance(y);
            });
        }
        ++checked;
        EXPECT_LE(fm.horizontalAdvance(text), room.width()) << when << ": \"" << text.toStdString() << "\" is clipped";
        EXPECT_LE(fm.tightBoundingRect(text).height(), room.height()) << when << ": \"" << text.toStdString() << "\" is cut";
    }
    return checked;
}

// The objects without a name that are visible, and focusable or more than a
// container (an empty label has nothing to read either); `count` counts all.
void Unnamed(QAccessibleInterface* iface, QStringList& unnamed, int& count)
{
    if (!iface)
        return;
    ++count;
    const QAccessible::Role role = iface->role();
    const bool container = role == QAccessible::Client || role == QAccessible::Pane || role == QAccessible::Grouping
                        || role == QAccessible::Separator || role == QAccessible::ScrollBar;
    auto* label = qobject_cast<QLabel*>(iface->object());
    const bool blank = label && label->text().isEmpty() && label->pixmap().isNull();
    if (!iface->state().invisible && (iface->state().focusable || !container) && !blank
        && iface->text(QAccessible::Name).trimmed().isEmpty())
        unnamed << QString::fromLatin1(iface->object()->metaObject()->className()) + QLatin1Char(' ')
                       + iface->object()->objectName();
    for (int i = 0; i < iface->childCount(); ++i)
        Unnamed(iface->child(i), unnamed, count);
}

void ExpectAllNamed(QWidget& window, int atLeast)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QStringList unnamed;
    int count = 0;
    Unnamed(QAccessible::queryAccessibleInterface(&window), unnamed, count);
    EXPECT_TRUE(unnamed.isEmpty()) << window.metaObject()->className() << ": " << unnamed.join(u"; ").toStdString();
    EXPECT_GE(count, atLeast) << window.metaObject()->className();
}

// On the screen, each slot box shows as much of its text as the same box
// with all the room it wants ("Slot 1" where "Slot 10" is meant ends earlier).
void ExpectSlotNumbersShown(CWheelDlg& main)
{
    auto rightmostInk = [](QWidget& widget) {
        const QImage image = widget.grab().toImage();
        int right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = right + 1; x < image.width(); ++x)
                right = qGray(image.pixel(x, y)) < 110 ? x : right;
        return right;
    };
    for (QCheckBox* box : main.findChildren<QCheckBox*>(QRegularExpression(QStringLiteral("^chkSlot")))) {
        QCheckBox roomy(box->text());
        roomy.setFont(box->font());
        roomy.resize(3 * box->width(), box->height());
        EXPECT_EQ(rightmostInk(*box), rightmostInk(roomy)) << box->text().toStdString();
    }
}

// As a theme sets the font while the event loop runs, when the open windows
// get the news too (outside exec() Qt leaves them alone).
void SetApplicationFont(const QString& family, int points)
{
    QFont font = wheel::DefaultUiFont();
    if (!family.isEmpty())
        font.setFamilies({family});
    if (points > 0)
        font.setPointSize(points);
    QApplication::setFont(font);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        QEvent changed(QEvent::ApplicationFontChange);
        QApplication::sendEvent(window, &changed);
    }
}

TEST(DesktopFont, EveryTextFitsAndEveryControlIsNamedInBothLanguages)
{
    QTemporaryDir dir;
    const QString diyPath = dir.filePath(QStringLiteral("diy.bmp"));
    ASSERT_TRUE(wheel::WriteDiyTemplate(diyPath));
    // The editor's own face, and the generic sans a theme like qt6ct sets.
    for (const QString& family : {QString(), QStringLiteral("Sans Serif")})
        for (UiLanguage language : {UiLanguage::Chinese, UiLanguage::English})
            for (int points : {9, 11, 14}) {
                wheel::InstallLanguage(language);
                SetApplicationFont(family, points);
                const std::string when = family.toStdString() + (language == UiLanguage::English ? " en " : " zh ")
                                       + std::to_string(points) + " pt";
                const bool named = points == 9 && family.isEmpty();   // the names do not depend on the font
                CWheelDlg main(wheeltest::NoWheelLight());
                EXPECT_GE(ExpectTextsFit(main, when), 35);
                if (points == 11 && language == UiLanguage::English)
                    ExpectSlotNumbersShown(main);
                CSetWindow* sets = main.OpenSetWindow();
                EXPECT_GE(ExpectTextsFit(*sets, when), 60);
                if (named) {
                    ExpectAllNamed(main, 60);
                    ExpectAllNamed(*sets, 150);
                    EXPECT_EQ(sets->Cell(3)->accessibleName(), language == UiLanguage::English
                                                                   ? QStringLiteral("Slot 3: Empty, on the wheel: unknown")
                                                                   : QStringLiteral("第3幅：空，轮上：未知"));
                }
                sets->close();
                CAboutDlg about(&main);
                CSlotHelpDlg help(&main);
                CAdjustmentsDlg adjustments(&main);
                adjustments.show();
                // The DIY template keeps its own 宋体 10 pt (which grows with
                // the resolution); here it is given the size.
                wheel::CDiyDlg diy(&main);
                diy.SetPath(diyPath);
                diy.setFont(QFont(diy.font().family(), points + 1));
                EXPECT_GE(ExpectTextsFit(about, when) + ExpectTextsFit(help, when) + ExpectTextsFit(adjustments, when)
                              + ExpectTextsFit(diy, when),
                          20);
                for (QWidget* window : {static_cast<QWidget*>(&about), static_cast<QWidget*>(&help),
                                        static_cast<QWidget*>(&adjustments), static_cast<QWidget*>(&diy)})
                    if (named)
                        ExpectAllNamed(*window, 3);
            }
    SetApplicationFont({}, 0);
    wheel::InstallLanguage(UiLanguage::Chinese);
}

// With the editor's font the template's pixels; a font changed while the
// window is open lays it out again in proportion, and back.
TEST(DesktopFont, AFontChangedWhileTheWindowIsOpenRelaysItOutAndBack)
{
    CWheelDlg main(wheeltest::NoWheelLight());
    main.show();
    // Near the screen's right and bottom edges, where the larger window
    // would stick out: it is moved back within the screen.
    const QRect area = main.screen()->availableGeometry();
    main.move(area.right() - main.frameGeometry().width(), area.bottom() - main.frameGeometry().height());
    auto* client = main.findChild<QWidget*>(QStringLiteral("clientArea"));
    auto* slot20 = main.findChild<QWidget*>(QStringLiteral("chkSlot20"));
    EXPECT_EQ(client->size(), QSize(680, 575));
    EXPECT_EQ(slot20->geometry(), QRect(585, 500, 60, 27));
    EXPECT_EQ(wheel::CDiyDlg().size(), QSize(558, 523));
    SetApplicationFont({}, 14);
    const QSizeF scale = wheel::CTemplateLayout::Of(client)->Scale();
    EXPECT_TRUE(scale.width() > 1.2 && scale.height() > 1.2);
    EXPECT_EQ(slot20->geometry(), wheel::ScaleTemplateRect(QRect(585, 500, 60, 27), scale));
    EXPECT_EQ(client->size(), wheel::ScaleTemplateRect(QRect(0, 0, 680, 575), scale).size());
    EXPECT_TRUE(QTest::qWaitFor([&] { return main.width() == client->width() && area.contains(main.frameGeometry()); }))
        << main.frameGeometry().x() << "," << main.frameGeometry().y() << " " << main.frameGeometry().width();
    SetApplicationFont({}, 0);
    EXPECT_EQ(slot20->geometry(), QRect(585, 500, 60, 27));
    EXPECT_EQ(client->size(), QSize(680, 575));
    // A smaller font keeps the template's size.
    EXPECT_EQ(wheel::TemplateScale({3, 7, 6}, {6, 14, 12}), QSizeF(1, 1));
}

// Run by CTest under the qt6ct theme with an 11-point font, which the theme
// sets from the event loop: "Slot 10" ... "Slot 20" whole in English.
TEST(Qt6ct, SlotBoxesShowTheirNumbersUnderTheThemesFont)
{
    QTest::qWait(50);
    if (QApplication::font().pointSize() != 11)
        GTEST_SKIP() << "run by CTest with QT_QPA_PLATFORMTHEME=qt6ct";
    wheel::InstallLanguage(UiLanguage::English);
    CWheelDlg main(wheeltest::NoWheelLight());
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    EXPECT_GE(ExpectTextsFit(main, "qt6ct 11 pt"), 35);
    ExpectSlotNumbersShown(main);
    wheel::InstallLanguage(UiLanguage::Chinese);
}

} // namespace
