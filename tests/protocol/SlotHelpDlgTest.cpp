#include "protocol/SlotHelpDlg.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(SlotHelpDlg, ShowsTheHelpAndClosesOnItsButton)
{
    int argc = 1;
    char name[] = "slot-help-test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    CSlotHelpDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("下载位置说明"));
    EXPECT_EQ(dialog.size(), QSize(324, 212));
    const auto* text = dialog.findChild<QLabel*>("helpText");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), QString::fromUtf8("\"驰光\"自行车风火轮为用户提供20幅可编程空间，请从以下选择框中选择需要下载的位置，可以多选！"));
    auto* ok = dialog.findChild<QPushButton*>("okButton");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QString::fromUtf8("知道啦！！"));
    EXPECT_TRUE(ok->isDefault());

    bool clicked = false;
    QTimer::singleShot(0, [&] {
        clicked = true;
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    QTimer::singleShot(5000, &dialog, &QDialog::reject);  // never hang
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(clicked);
}

} // namespace
