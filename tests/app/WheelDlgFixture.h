#pragma once
// The main window as the window tests build it: shown, on no wheel light,
// with message boxes recorded; and the helpers those tests share.

#include "app/AdjustmentsDlg.h"
#include "app/DiyHandoff.h"
#include "dialogs/Fonts.h"
#include "app/MainMenu.h"
#include "app/PictureArea.h"
#include "app/RecentPictures.h"
#include "app/SetWindow.h"
#include "app/WheelDlg.h"
#include "app/WheelDlgDevice.h"
#include "dialogs/Dialogs.h"
#include "picture/PictureFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QComboBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "tests/support/WindowTestSupport.h"
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <bit>
#include <functional>
#include <map>
#include <thread>
#include <vector>

namespace wheeltest {

// Chinese text arrives from an input method as a committed string.
inline void TypeChinese(QWidget* widget, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(widget, &event);
}

struct Rgb {
    int r, g, b;
};

inline Rgb At(const QImage& image, int x, int y)
{
    const QColor c = image.pixelColor(x, y);
    return {c.red(), c.green(), c.blue()};
}

inline bool Near(Rgb a, Rgb b, int tolerance = 40)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

inline bool Uniform(const QImage& image)
{
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first)
                return false;
    return true;
}

inline int CountNear(const QImage& image, Rgb colour, int tolerance = 40)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += Near(At(image, x, y), colour, tolerance) ? 1 : 0;
    return n;
}

// Where the mouse takes the slider's handle.
inline QPoint SliderHandle(const QSlider* slider)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = option.sliderValue = slider->value();
    option.subControls = QStyle::SC_All;
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider).center();
}

// The LEDs that stay unlit (light samples) in a frame.
inline int LightSamples(const wheel::WheelFrame& frame)
{
    int n = 0;
    for (std::uint8_t byte : frame)
        n += std::popcount(byte);
    return n;
}

class WheelDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        wheel::MessageBox::StartRecording();
        g_bDiyPictureReady = false;
        dlg = std::make_unique<CWheelDlg>(wheeltest::NoWheelLight());
        dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    }
    void TearDown() override
    {
        dlg.reset();
        wheel::MessageBox::StopRecording();
        wheel::FileDialog::SetNextFileName(QString());
        // Consume a hook a failed test may have left.
        wheel::FileDialog::GetOpenFileName(nullptr, {}, {});
    }

    template <typename T>
    T* Find(const char* name)
    {
        T* w = dlg->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    QString Write(const QString& name, const cv::Mat& image)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(cv::imwrite(QFile::encodeName(path).toStdString(), image));
        return path;
    }

    // Left half red, right half blue: the grey copy binarises to a light left
    // half and a dark right half.
    QString RedBluePicture()
    {
        cv::Mat image(200, 200, CV_8UC3, cv::Scalar(0, 0, 255));
        image(cv::Rect(100, 0, 100, 200)).setTo(cv::Scalar(255, 0, 0));
        return Write(QStringLiteral("redblue.png"), image);
    }

    QString BlackPicture()
    {
        return Write(QStringLiteral("black.bmp"), cv::Mat(120, 160, CV_8UC3, cv::Scalar(0, 0, 0)));
    }

    // Pictures load on a thread of their own: until the load has ended.
    void Loaded() { EXPECT_TRUE(WaitUntil([&] { return !dlg->PictureLoading(); })); }

    void Open(const QString& path)
    {
        wheel::FileDialog::SetNextFileName(path);
        QTest::mouseClick(Find<QPushButton>("btnOpenPicture"), Qt::LeftButton);
        Loaded();
    }

    // Grey rising evenly from black to white, opened, and the adjustments
    // window from the menu.
    CAdjustmentsDlg* OpenRampAndAdjustments()
    {
        cv::Mat ramp(100, 256, CV_8UC3);
        for (int x = 0; x < 256; ++x)
            ramp.col(x).setTo(cv::Scalar(x, x, x));
        Open(Write(QStringLiteral("ramp.png"), ramp));
        dlg->MenuBar()->Adjustments()->trigger();
        return Find<CAdjustmentsDlg>("adjustmentsWindow");
    }

    QImage GrabOriginal() { return Find<CPictureArea>("picOriginal")->grab().toImage(); }
    QImage GrabPreview() { return Find<CPictureArea>("picPreview")->grab().toImage(); }
    QString LogText() { return Find<QPlainTextEdit>("editLog")->toPlainText(); }

    QTemporaryDir dir;
    std::unique_ptr<CWheelDlg> dlg;
};

} // namespace wheeltest
