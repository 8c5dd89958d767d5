// The editor on the desktops people run: colours that stay readable on light
// and dark palettes, file dialog filters as written, dates and menus in the
// editor's language, and (run by CTest at a scale of 2 and of 1.5) previews at
// the screen's pixels and windows that fit the screen. The QApplication comes
// from WheelDlgTest.cpp.

#include "app/PictureArea.h"
#include "app/PictureFilters.h"
#include "app/SetCell.h"
#include "app/SetWindow.h"
#include "app/WheelDlg.h"
#include "dialogs/Contrast.h"
#include "dialogs/Dialogs.h"
#include "dialogs/Fonts.h"
#include "dialogs/MenuFont.h"
#include "diy/DiyDlg.h"
#include "diy/DiyTemplate.h"
#include "diy/PaintCanvas.h"
#include "picture/RenderWheel.h"
#include "tests/support/WindowTestSupport.h"
#include "texts/Language.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The red of a cell whose picture cannot be loaded and the grey of one still
// loading keep 4.5:1 against the cell, on light and on dark palettes, also
// when the palette changes while the cell is shown.
TEST(Desktop, CellTextsKeepTheirContrastOnLightAndDarkPalettes)
{
    const QPalette light = QApplication::palette();
    QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x2b, 0x2b, 0x2b));   // button, window
    dark.setColor(QPalette::PlaceholderText, QColor(0x55, 0x55, 0x55));
    CSetCell cell(3);
    auto* preview = cell.findChild<QLabel*>(QStringLiteral("preview"));
    auto contrast = [&] {
        return wheel::ContrastRatio(preview->palette().color(QPalette::WindowText), cell.palette().color(QPalette::Window));
    };
    for (const QPalette& palette : {light, dark}) {
        QApplication::setPalette(palette);
        cell.ShowLoading(QStringLiteral("slow.jpg"), {});
        EXPECT_GE(contrast(), 4.5) << palette.color(QPalette::Window).name().toStdString();
        cell.ShowProblem(QStringLiteral("gone.jpg"), {}, QStringLiteral("the file does not exist"));
        EXPECT_GE(contrast(), 4.5) << palette.color(QPalette::Window).name().toStdString();
    }
    EXPECT_EQ(preview->text(), QStringLiteral("The file does not exist"));   // alone, a sentence
    QApplication::setPalette(light);   // changed while shown
    EXPECT_GE(contrast(), 4.5);
}

// The open dialog's filters read as written: "所有文件(*.*)", not
// "所有文件(*.*) (*.bmp *.jpg *.jpeg *.png)".
TEST(Desktop, FileDialogFiltersShowTheirLabelsAsWritten)
{
    QStringList shown;
    QTimer::singleShot(100, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
            for (int i = 0; i < types->count(); ++i)
                shown << types->itemText(i);
        dialog->reject();
    });
    wheel::FileDialog::GetOpenFileName(nullptr, QStringLiteral("打开"), wheel::PictureFileFilters());
    EXPECT_EQ(shown, QStringList({QStringLiteral("所有文件(*.*)"), QStringLiteral("BMP(*.bmp)"),
                                  QStringLiteral("JPEG(*.jpg,*.jpeg)"), QStringLiteral("PNG(*.png)")}));
}

TEST(Desktop, DatesAndMenusInTheEditorsLanguage)
{
    wheel::InstallLanguage(wheel::UiLanguage::English);
    EXPECT_EQ(wheel::ShownLocale(QLocale(QStringLiteral("zh_CN"))).language(), QLocale::English);
    EXPECT_EQ(wheel::ShownLocale(QLocale(QStringLiteral("en_GB"))).territory(), QLocale::UnitedKingdom);
    // The CJK face centres "…", which reads as "⋯" after English words.
    EXPECT_FALSE(wheel::EllipsisOnBaseline(wheel::DefaultUiFont()));
    wheel::UseLatinMenuFont(true);
    QMenu menu;
    menu.ensurePolished();
    EXPECT_TRUE(wheel::EllipsisOnBaseline(menu.font()));
    wheel::UseLatinMenuFont(false);
    wheel::InstallLanguage(wheel::UiLanguage::Chinese);
    EXPECT_EQ(wheel::ShownLocale(QLocale(QStringLiteral("en_US"))).language(), QLocale::Chinese);
}

// The soft edge of drawn text (grey pixels per inked pixel), which stretching widens.
double SoftEdge(const QImage& image)
{
    int ink = 0, soft = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(image.pixel(x, y));
            ink += grey < 200;
            soft += grey >= 60 && grey < 200;
        }
    return ink ? double(soft) / ink : 1.0;
}

// Run by CTest at QT_SCALE_FACTOR 1.5 and 2: the set window fits the screen,
// its cells in as many columns as fit beside the scroll bar; at 2 the round
// preview and the DIY canvas are drawn at the screen's pixels, the 312 x 312
// preview staying as it was.
TEST(ScaledScreen, WindowsFitAndPreviewsAreDrawnAtTheScreensPixels)
{
    CWheelDlg dlg(wheeltest::NoWheelLight());
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    if (dlg.devicePixelRatioF() < 1.5)
        GTEST_SKIP() << "run by CTest at QT_SCALE_FACTOR=1.5 and 2";
    CSetWindow* sets = dlg.OpenSetWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sets));
    EXPECT_TRUE(sets->screen()->availableGeometry().contains(sets->frameGeometry()));
    EXPECT_FALSE(sets->findChild<QScrollArea*>(QStringLiteral("setCells"))->horizontalScrollBar()->isVisible());
    if (dlg.devicePixelRatioF() < 2)
        return;
    sets->Cell(1)->ShowPreview(QStringLiteral("a.png"), {}, QImage(208, 208, QImage::Format_RGB888));
    EXPECT_EQ(sets->Cell(1)->findChild<QLabel*>(QStringLiteral("preview"))->pixmap().devicePixelRatio(), 2.0);

    dlg.LoadPicture(qEnvironmentVariable("WHEEL_SOURCE_DIR") + QStringLiteral("/res/samples/wheel-sample.png"));
    ASSERT_TRUE(wheeltest::WaitUntil([&] { return !dlg.PictureLoading(); }));
    ASSERT_EQ(dlg.Picture().Preview().cols, 312);
    auto* preview = dlg.findChild<CPictureArea*>(QStringLiteral("picPreview"));
    EXPECT_EQ(preview->grab().toImage().convertToFormat(QImage::Format_RGB888),
              MatToQImage(wheel::RenderPreviewAt(dlg.Picture().Work(), preview->DevicePixels().width())));

    QTemporaryDir dir;
    ASSERT_TRUE(wheel::WriteDiyTemplate(dir.filePath(QStringLiteral("diy.bmp"))));
    wheel::CDiyDlg diy;
    diy.SetPath(dir.filePath(QStringLiteral("diy.bmp")));
    diy.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&diy));
    diy.findChild<QLineEdit*>(QStringLiteral("textEdit"))->setText(QStringLiteral("风火轮"));
    const QRect text(15, 15, 410, 150);
    const QImage sharp = diy.Canvas()->DisplayImage(2.0).copy(QRect(text.topLeft() * 2, text.size() * 2));
    const QImage stretched = diy.Canvas()->Composed().copy(text).scaled(text.size() * 2, Qt::IgnoreAspectRatio,
                                                                         Qt::SmoothTransformation);
    EXPECT_LT(SoftEdge(sharp), 0.8 * SoftEdge(stretched));
    sets->close();
}

} // namespace
