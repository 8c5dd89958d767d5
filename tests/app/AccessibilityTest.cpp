// What a screen reader finds, walking every window's tree through Qt's
// accessibility interface in both languages: no control a user can reach (or
// see) without a name. The QApplication comes from WheelDlgTest.cpp.

#include "app/AboutDlg.h"
#include "app/AdjustmentsDlg.h"
#include "app/SetCell.h"
#include "app/SetWindow.h"
#include "app/WheelDlg.h"
#include "diy/DiyDlg.h"
#include "diy/DiyTemplate.h"
#include "protocol/SlotHelpDlg.h"
#include "tests/support/WindowTestSupport.h"
#include "texts/Language.h"

#include <QAccessible>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

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

TEST(ScreenReader, EveryReachableControlOfEveryWindowHasANameInBothLanguages)
{
    for (wheel::UiLanguage language : {wheel::UiLanguage::Chinese, wheel::UiLanguage::English}) {
        wheel::InstallLanguage(language);
        CWheelDlg main(wheeltest::NoWheelLight());
        ExpectAllNamed(main, 60);
        CSetWindow* sets = main.OpenSetWindow();
        ExpectAllNamed(*sets, 150);
        EXPECT_EQ(sets->Cell(3)->accessibleName(), language == wheel::UiLanguage::English
                                                       ? QStringLiteral("Slot 3: Empty, on the wheel: unknown")
                                                       : QStringLiteral("第3幅：空，轮上：未知"));
        sets->close();
        CAdjustmentsDlg adjustments(&main);
        ExpectAllNamed(adjustments, 15);
        CAboutDlg about(&main);
        ExpectAllNamed(about, 5);
        CSlotHelpDlg help(&main);
        ExpectAllNamed(help, 2);
        QTemporaryDir dir;
        ASSERT_TRUE(wheel::WriteDiyTemplate(dir.filePath(QStringLiteral("diy.bmp"))));
        wheel::CDiyDlg diy(&main);
        diy.SetPath(dir.filePath(QStringLiteral("diy.bmp")));
        ExpectAllNamed(diy, 8);
    }
    wheel::InstallLanguage(wheel::UiLanguage::Chinese);
}

} // namespace
