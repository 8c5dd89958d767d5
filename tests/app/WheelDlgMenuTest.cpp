// The main window's menu bar and the adjustments window it opens.

#include "tests/app/WheelDlgFixture.h"

namespace {

using wheeltest::WheelDlgTest;
using namespace wheeltest;

// The adjustments window from the menu: the preview follows the slider while
// it is dragged; a picture opened anew starts from the defaults; a download
// locks the adjustments as it locks "打开图片".
TEST_F(WheelDlgTest, AdjustmentsFollowTheSliderUntilANewPicture)
{
    // Otsu splits the ramp in the middle, and a higher threshold darkens
    // more of it.
    auto* window = OpenRampAndAdjustments();
    ASSERT_TRUE(window && QTest::qWaitForWindowExposed(window));
    auto* slider = window->findChild<QSlider*>(QStringLiteral("sliderThreshold"));
    auto* automatic = window->findChild<QCheckBox*>(QStringLiteral("chkAutoThreshold"));
    EXPECT_EQ(slider->value(), 127);
    EXPECT_TRUE(automatic->isChecked());

    const QImage before = GrabPreview();
    const int lightBefore = LightSamples(dlg->Picture().Frame());
    const QPoint from = SliderHandle(slider);
    QTest::mousePress(slider, Qt::LeftButton, {}, from);
    QTest::mouseMove(slider, from + QPoint(40, 0));
    // Not let go yet, and the wheel shows the new threshold.
    EXPECT_GT(slider->value(), 150);
    EXPECT_FALSE(automatic->isChecked());
    EXPECT_EQ(dlg->Picture().Threshold(), slider->value());
    EXPECT_LT(LightSamples(dlg->Picture().Frame()), lightBefore * 9 / 10);
    EXPECT_NE(GrabPreview(), before);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, from + QPoint(40, 0));
    window->findChild<QCheckBox*>(QStringLiteral("chkInvert"))->click();
    EXPECT_TRUE(dlg->Picture().Adjustments().invert);
    // A quarter turn clockwise: "原图" shows the dark end at the top.
    window->findChild<QComboBox*>(QStringLiteral("comboRotate"))->setCurrentIndex(1);
    const QImage turned = GrabOriginal();
    EXPECT_LT(qGray(turned.pixel(turned.width() / 2, 5)), 40);
    EXPECT_GT(qGray(turned.pixel(turned.width() / 2, turned.height() - 6)), 215);
    EXPECT_TRUE(dlg->MenuBar()->ResetAdjustments()->isEnabled());

    dlg->Device()->EnableOperationButtons(false);   // as a download starts
    dlg->Device()->DrainEffects();
    EXPECT_FALSE(slider->isEnabled());
    EXPECT_FALSE(dlg->MenuBar()->ResetAdjustments()->isEnabled());
    EXPECT_FALSE(dlg->MenuBar()->OpenPicture()->isEnabled());
    EXPECT_FALSE(dlg->MenuBar()->Download()->isEnabled());
    dlg->Device()->EnableOperationButtons(true);
    dlg->Device()->DrainEffects();
    EXPECT_TRUE(slider->isEnabled());
    EXPECT_TRUE(dlg->MenuBar()->Download()->isEnabled());

    Open(RedBluePicture());
    EXPECT_TRUE(dlg->Picture().Adjustments().IsDefault());
    EXPECT_TRUE(automatic->isChecked());
    EXPECT_FALSE(window->findChild<QCheckBox*>(QStringLiteral("chkInvert"))->isChecked());
    EXPECT_EQ(slider->value(), dlg->Picture().OtsuThreshold());
    EXPECT_FALSE(dlg->MenuBar()->ResetAdjustments()->isEnabled());
}

// 色调: 抖动 and 轮廓线 change the preview at once and leave the threshold
// aside; 按LED显示 draws the frame as the wheel's LEDs, is remembered, and
// 导出预览图 then saves what is shown.
TEST_F(WheelDlgTest, TonesAndTheLedView)
{
    auto* window = OpenRampAndAdjustments();
    auto* slider = window->findChild<QSlider*>(QStringLiteral("sliderThreshold"));
    const QImage dots = GrabPreview();
    const wheel::WheelFrame twoTones = dlg->Picture().Frame();
    for (const char* name : {"radToneDither", "radToneOutline"}) {
        window->findChild<QRadioButton*>(QString::fromLatin1(name))->click();
        EXPECT_NE(dlg->Picture().Adjustments().tone, wheel::Tone::Threshold) << name;
        EXPECT_NE(dlg->Picture().Frame(), twoTones) << name;
        EXPECT_NE(GrabPreview(), dots) << name;
        EXPECT_FALSE(slider->isEnabled()) << name;
    }
    window->findChild<QRadioButton*>(QStringLiteral("radToneThreshold"))->click();
    EXPECT_TRUE(slider->isEnabled());
    EXPECT_EQ(dlg->Picture().Frame(), twoTones);
    EXPECT_EQ(GrabPreview(), dots);

    QAction* leds = dlg->MenuBar()->ShowLeds();
    ASSERT_FALSE(leds->isChecked());
    leds->trigger();
    EXPECT_NE(GrabPreview(), dots);
    EXPECT_EQ(cv::norm(dlg->ShownPreview(), dlg->Picture().LedView(), cv::NORM_INF), 0);
    const QString out = dir.filePath(QStringLiteral("leds.png"));
    wheel::FileDialog::SetNextFileName(out);
    dlg->MenuBar()->ExportPreview()->trigger();
    const cv::Mat written = cv::imread(QFile::encodeName(out).toStdString(), cv::IMREAD_COLOR);
    EXPECT_EQ(cv::norm(written, dlg->Picture().LedView(), cv::NORM_INF), 0);
    EXPECT_TRUE(CWheelDlg(wheeltest::NoWheelLight()).MenuBar()->ShowLeds()->isChecked());  // remembered
    leds->trigger();
    EXPECT_EQ(GrabPreview(), dots);
    EXPECT_FALSE(CWheelDlg(wheeltest::NoWheelLight()).MenuBar()->ShowLeds()->isChecked());
}

// 导出预览图 writes the preview's pixels; 最近打开 lists what was opened and
// drops a picture that is gone, after the usual message.
TEST_F(WheelDlgTest, MenuExportsThePreviewAndForgetsMissingPictures)
{
    wheel::SetRecentPictures({});
    EXPECT_FALSE(dlg->MenuBar()->ExportPreview()->isEnabled());
    const QString redBlue = RedBluePicture();
    const QString black = BlackPicture();
    Open(redBlue);
    Open(black);
    EXPECT_EQ(wheel::RecentPictures(), (QStringList{black, redBlue}));

    const QString out = dir.filePath(QStringLiteral("preview.png"));
    wheel::FileDialog::SetNextFileName(out);
    dlg->MenuBar()->ExportPreview()->trigger();
    const cv::Mat written = cv::imread(QFile::encodeName(out).toStdString(), cv::IMREAD_UNCHANGED);
    ASSERT_EQ(written.size(), cv::Size(312, 312));
    ASSERT_EQ(written.type(), CV_8UC3);
    EXPECT_EQ(cv::norm(written, dlg->Picture().Preview(), cv::NORM_INF), 0);
    const QString nowhere = dir.filePath(QStringLiteral("no/such/folder/p.png"));
    wheel::FileDialog::SetNextFileName(nowhere);
    dlg->MenuBar()->ExportPreview()->trigger();
    ASSERT_EQ(wheel::MessageBox::Recorded().size(), 1u);
    EXPECT_TRUE(wheel::MessageBox::Recorded()[0].text.startsWith(QStringLiteral("无法写入预览图“%1”：").arg(nowhere)));
    wheel::MessageBox::ClearRecorded();

    ASSERT_TRUE(QFile::remove(redBlue));
    QMenu* recent = dlg->MenuBar()->RecentMenu();
    emit recent->aboutToShow();
    recent->actions().at(1)->trigger();
    Loaded();
    const auto shown = wheel::MessageBox::Recorded();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, QStringLiteral("无法打开图片“%1”：文件不存在").arg(redBlue));
    EXPECT_EQ(wheel::RecentPictures(), QStringList{black});
    EXPECT_EQ(dlg->m_strPicturePath, black);
}

// The device entries do what their buttons do; 退出 closes as the window's
// close button does.
TEST_F(WheelDlgTest, DeviceEntriesAsTheirButtonsAndQuitCloses)
{
    const std::pair<const char*, QAction*> pairs[] = {{"btnDownload", dlg->MenuBar()->Download()},
                                                      {"btnCalibrate", dlg->MenuBar()->Calibrate()},
                                                      {"btnFactoryReset", dlg->MenuBar()->FactoryReset()}};
    for (const auto& [button, action] : pairs) {
        wheel::MessageBox::ClearRecorded();
        QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton);
        const auto byButton = wheel::MessageBox::Recorded();
        wheel::MessageBox::ClearRecorded();
        action->trigger();
        const auto byMenu = wheel::MessageBox::Recorded();
        ASSERT_EQ(byMenu.size(), 1u) << button;
        ASSERT_EQ(byButton.size(), 1u) << button;
        EXPECT_EQ(byMenu[0].text, byButton[0].text) << button;
    }
    dlg->MenuBar()->Quit()->trigger();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(WaitUntil([&] { return LogText().contains(QStringLiteral("关闭设备")); })) << LogText().toStdString();
}

// The adjustments window on a target of its own, as a cell of a picture set
// would give it: each change goes to the target, a refused one is taken back.
TEST(AdjustmentsWindow, EditsAnyTargetAndTakesBackWhatItRefuses)
{
    CAdjustmentsDlg window;
    auto* rotate = window.findChild<QComboBox*>(QStringLiteral("comboRotate"));
    auto* spin = window.findChild<QSpinBox*>(QStringLiteral("spinThreshold"));
    EXPECT_FALSE(rotate->isEnabled());   // nothing to edit yet

    std::vector<wheel::PictureAdjustments> asked;
    bool accept = true;
    wheel::PictureAdjustments start;
    start.fit = wheel::FitMode::Crop;
    window.SetTarget(start, 90, [&](const wheel::PictureAdjustments& wanted) {
        asked.push_back(wanted);
        return accept;
    });
    EXPECT_TRUE(window.findChild<QRadioButton*>(QStringLiteral("radCrop"))->isChecked());
    EXPECT_EQ(spin->value(), 90);
    EXPECT_TRUE(asked.empty());

    spin->setValue(200);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].threshold, 200);
    EXPECT_EQ(asked[0].fit, wheel::FitMode::Crop);
    accept = false;
    rotate->setCurrentIndex(3);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].rotate, wheel::Rotation::Deg270);
    EXPECT_EQ(rotate->currentIndex(), 0);
    EXPECT_EQ(window.Current().threshold, 200);

    window.SetEditable(false);
    EXPECT_FALSE(rotate->isEnabled());
    window.ClearTarget();
    window.SetEditable(true);
    EXPECT_FALSE(rotate->isEnabled());
    EXPECT_TRUE(window.Current().IsDefault());
}

} // namespace
