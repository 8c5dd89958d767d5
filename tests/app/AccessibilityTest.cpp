// What a screen reader finds: every control a user can reach in every window
// has a name (and the ones whose name is not enough a description), walked
// through Qt's accessibility interface in both languages. The QApplication
// comes from WheelDlgTest.cpp.

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
#include <QMenuBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

using wheel::UiLanguage;

// Roles that hold other things and say nothing of their own.
bool IsContainer(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Client:
    case QAccessible::Pane:
    case QAccessible::Grouping:
    case QAccessible::Separator:
    case QAccessible::Whitespace:
    case QAccessible::ScrollBar:   // named by Qt after its direction; no text of ours
    case QAccessible::Indicator:
        return true;
    default:
        return false;
    }
}

// Walks the window's accessible tree; the objects that are visible, and
// focusable or a control, without a name. `count` gets the objects walked.
QStringList Unnamed(QWidget& window, int* count)
{
    QStringList unnamed;
    std::function<void(QAccessibleInterface*, int)> walk = [&](QAccessibleInterface* iface, int depth) {
        if (!iface || depth > 40)
            return;
        ++*count;
        const QAccessible::State state = iface->state();
        QObject* object = iface->object();
        // A label with nothing in it has nothing to read either.
        auto* label = qobject_cast<QLabel*>(object);
        const bool blank = label && label->text().isEmpty() && label->pixmap().isNull();
        const bool reachable = state.focusable || !IsContainer(iface->role());
        if (!state.invisible && reachable && !blank && iface->text(QAccessible::Name).trimmed().isEmpty()) {
            unnamed << QStringLiteral("%1 %2 (role %3)")
                           .arg(object ? QString::fromLatin1(object->metaObject()->className()) : QStringLiteral("?"),
                                object ? object->objectName() : QString())
                           .arg(int(iface->role()));
        }
        for (int i = 0; i < iface->childCount(); ++i)
            walk(iface->child(i), depth + 1);
    };
    walk(QAccessible::queryAccessibleInterface(&window), 0);
    return unnamed;
}

class ScreenReader : public ::testing::TestWithParam<UiLanguage> {
protected:
    void SetUp() override { wheel::InstallLanguage(GetParam()); }
    void TearDown() override { wheel::InstallLanguage(UiLanguage::Chinese); }

    void ExpectAllNamed(QWidget& window, int atLeast)
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        int count = 0;
        const QStringList unnamed = Unnamed(window, &count);
        EXPECT_TRUE(unnamed.isEmpty()) << window.metaObject()->className() << ": "
                                       << unnamed.join(QStringLiteral("; ")).toStdString();
        EXPECT_GE(count, atLeast) << window.metaObject()->className();
    }
};

TEST_P(ScreenReader, EveryReachableControlOfEveryWindowHasAName)
{
    CWheelDlg main(wheeltest::NoWheelLight());
    ExpectAllNamed(main, 60);
    CSetWindow* sets = main.OpenSetWindow();
    ExpectAllNamed(*sets, 150);
    CAdjustmentsDlg adjustments(&main);
    ExpectAllNamed(adjustments, 15);
    CAboutDlg about(&main);
    ExpectAllNamed(about, 5);
    CSlotHelpDlg help(&main);
    ExpectAllNamed(help, 2);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("diy.bmp"));
    ASSERT_TRUE(wheel::WriteDiyTemplate(path));
    wheel::CDiyDlg diy(&main);
    diy.SetPath(path);
    ExpectAllNamed(diy, 8);
    sets->close();
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ScreenReader, ::testing::Values(UiLanguage::Chinese, UiLanguage::English),
                         [](const ::testing::TestParamInfo<UiLanguage>& info) {
                             return std::string(info.param == UiLanguage::English ? "English" : "Chinese");
                         });

} // namespace
