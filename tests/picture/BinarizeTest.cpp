#include "picture/Binarize.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(BinarizeOtsu, SingleGreyValueKeepsThreshold20)
{
    for (int value : {0, 20, 21, 200}) {
        cv::Mat image(4, 5, CV_8UC1, cv::Scalar(value));
        EXPECT_EQ(wheel::BinarizeOtsu(image), 20) << value;
        const int expected = value > 20 ? 255 : 0;
        EXPECT_EQ(cv::countNonZero(image == expected), 20) << value;
    }
}

TEST(BinarizeOtsu, HalfBlackHalfWhiteGivesThresholdZero)
{
    cv::Mat image(10, 10, CV_8UC1, cv::Scalar(0));
    image.rowRange(0, 5).setTo(255);
    EXPECT_EQ(wheel::BinarizeOtsu(image), 0);
    EXPECT_EQ(cv::countNonZero(image), 50);
    EXPECT_EQ(image.at<uchar>(0, 0), 255);
    EXPECT_EQ(image.at<uchar>(9, 9), 0);
}

TEST(BinarizeOtsu, ValueEqualToThresholdBecomesBlack)
{
    // Two clusters, 10 and 200: the best split is right after 10.
    cv::Mat image(1, 4, CV_8UC1);
    image.at<uchar>(0, 0) = 10;
    image.at<uchar>(0, 1) = 10;
    image.at<uchar>(0, 2) = 200;
    image.at<uchar>(0, 3) = 200;
    const int t = wheel::BinarizeOtsu(image);
    EXPECT_EQ(t, 10);
    EXPECT_EQ(image.at<uchar>(0, 0), 0);
    EXPECT_EQ(image.at<uchar>(0, 2), 255);
}

TEST(BinarizeOtsu, CountsEveryChannelAndIgnoresRowPadding)
{
    // A view into a wider image: the bytes outside the view must not count
    // and must not change.
    cv::Mat parent(4, 8, CV_8UC1, cv::Scalar(7));
    cv::Mat view = parent.colRange(0, 4);
    view.rowRange(0, 2).setTo(0);
    view.rowRange(2, 4).setTo(255);
    EXPECT_EQ(wheel::BinarizeOtsu(view), 0);
    EXPECT_EQ(parent.at<uchar>(0, 6), 7);

    // Two thirds 0, one third 255: the variance of the run 0..254 is not exact
    // in single precision, so each equal value beats the rounded-down best and
    // the last k of the run wins.
    cv::Mat colour(2, 2, CV_8UC3, cv::Scalar(0, 0, 255));
    EXPECT_EQ(wheel::BinarizeOtsu(colour), 254);
    EXPECT_EQ(colour.at<cv::Vec3b>(1, 1), cv::Vec3b(0, 0, 255));
}

TEST(BinarizeOtsu, CountsOfOneValueBeyond2To24StayExact)
{
    // 2^25 pixels: 2^22 of 0, the rest (more than 2^24) of 255. With exact
    // counts p(0) = 1/8 and p(255) = 7/8: two values, so the split after 0
    // wins and nothing changes. Counters that stopped at 2^24 would give
    // p(255) = 1/2, a split after 255 and an all-dark picture.
    cv::Mat image(4096, 8192, CV_8UC1, cv::Scalar(255));
    image.rowRange(0, 512).setTo(0);
    EXPECT_EQ(wheel::OtsuThreshold(image), 0);
    EXPECT_EQ(wheel::BinarizeOtsu(image), 0);
    EXPECT_EQ(cv::countNonZero(image), 4096 * 8192 - 512 * 8192);
}

// 13 rows of 60 over 87 rows of 200: the normalised histogram sums to just
// under 1, so past the last grey value the variance is rounding noise over
// almost nothing. That must not win: the split is between the two values.
TEST(BinarizeOtsu, TheLightestValuePresentStaysLight)
{
    cv::Mat image(100, 100, CV_8UC1, cv::Scalar(200));
    image.rowRange(0, 13).setTo(60);
    const int t = wheel::OtsuThreshold(image);
    EXPECT_GE(t, 60);
    EXPECT_LT(t, 200);
    wheel::BinarizeOtsu(image);
    EXPECT_EQ(cv::countNonZero(image), 87 * 100);

    // Every split of two values, and pictures of a few values in random
    // amounts: the threshold lies from the darkest value present up to,
    // not including, the lightest, so both tones remain.
    for (int rows = 1; rows < 100; ++rows) {
        cv::Mat two(100, 64, CV_8UC1, cv::Scalar(25));
        two.rowRange(0, rows).setTo(5);
        const int split = wheel::OtsuThreshold(two);
        EXPECT_TRUE(split >= 5 && split < 25) << rows << " rows: " << split;
    }
    std::mt19937 random(11);
    for (int n = 0; n < 300; ++n) {
        cv::Mat few(1, 20 + static_cast<int>(random() % 400), CV_8UC1);
        const int values = 2 + static_cast<int>(random() % 4);
        int lowest = 255, highest = 0;
        for (int x = 0; x < few.cols; ++x) {
            const int v = static_cast<int>((x * values / few.cols) * 50 + random() % 40);
            few.at<uchar>(0, x) = static_cast<uchar>(v);
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
        const int split = wheel::OtsuThreshold(few);
        if (lowest < highest) {
            EXPECT_TRUE(split >= lowest && split < highest) << n << ": " << split << " of " << lowest << ".." << highest;
        }
    }
}

} // namespace
