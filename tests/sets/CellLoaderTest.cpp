// The cell loader renders a set's cells on several threads exactly as one
// thread does, and a set started anew cancels the old one's results.

#include "sets/CellLoader.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>
#include <png.h>

#include <QTemporaryDir>

#include <atomic>
#include <map>
#include <mutex>

namespace {

using wheel::CellRendering;
using wheel::PictureSet;

// Written with libpng itself: OpenCV's codecs start GDAL, whose own locks
// ThreadSanitizer reports.
bool WritePng(const QString& path, const cv::Mat& grey)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(grey.cols);
    image.height = static_cast<png_uint_32>(grey.rows);
    image.format = PNG_FORMAT_GRAY;
    return png_image_write_to_file(&image, path.toLocal8Bit().constData(), 0, grey.data,
                                   static_cast<png_int_32>(grey.step), nullptr) != 0;
}

TEST(CellLoader, RendersEveryCellOnThreadsAsOneThreadDoesAndCancels)
{
    QTemporaryDir dir;
    PictureSet set;
    const int boxes[] = {2, 5, 7, 11, 19, 20};
    for (int i = 0; i < 6; ++i) {
        cv::Mat picture(300 + 40 * i, 400, CV_8UC1, cv::Scalar(255));
        cv::rectangle(picture, {30 * i, 20}, {200, 100 + 30 * i}, cv::Scalar(20), cv::FILLED);
        const QString path = dir.filePath(QStringLiteral("p%1.png").arg(i));
        ASSERT_TRUE(WritePng(path, picture));
        wheel::PictureAdjustments adjustments;
        adjustments.rotate = static_cast<wheel::Rotation>(90 * (i % 4));
        adjustments.invert = i % 2;
        adjustments.fit = static_cast<wheel::FitMode>(i % 3);
        set.Cell(boxes[i]) = wheel::SetCell{path, adjustments};
    }
    set.Cell(9) = wheel::SetCell{dir.filePath(QStringLiteral("gone.png")), {}};

    std::mutex mutex;
    std::map<int, CellRendering> results;
    std::map<int, int> deliveries;
    wheel::CellLoader loader(3);
    const std::uint64_t generation = loader.Start(set, [&](std::uint64_t g, int box, const CellRendering& rendering) {
        std::lock_guard lock(mutex);
        EXPECT_EQ(g, generation);
        results[box] = rendering;
        ++deliveries[box];
    });
    ASSERT_TRUE(loader.WaitForIdle(std::chrono::seconds(60)));
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(results.size(), 7u);
        EXPECT_EQ(results[9].error, wheel::LoadError::Missing);
        for (int box : boxes) {
            SCOPED_TRACE(box);
            EXPECT_EQ(deliveries[box], 1);
            const CellRendering alone = wheel::RenderCell(*set.Cell(box), true);
            EXPECT_EQ(results[box].block, alone.block);
            EXPECT_EQ(cv::norm(results[box].preview, alone.preview, cv::NORM_INF), 0);
        }
    }

    // Started anew at once: nothing of the first round arrives after that.
    std::atomic<bool> restarted{false};
    std::atomic<int> late{0}, second{0};
    const std::uint64_t first = loader.Start(set, [&](std::uint64_t g, int, const CellRendering&) {
        if (restarted && g == generation + 1)
            ++late;
    });
    PictureSet small;
    small.Cell(1) = set.Cell(2);
    const std::uint64_t next = loader.Start(small, [&](std::uint64_t g, int box, const CellRendering& rendering) {
        EXPECT_EQ(box, 1);
        EXPECT_TRUE(rendering);
        second += g == first + 1;
    });
    restarted = true;
    ASSERT_TRUE(loader.WaitForIdle(std::chrono::seconds(60)));
    EXPECT_EQ(late, 0);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(loader.Generation(), next);

    // Cancelled while busy, then destroyed: it waits for its threads.
    loader.Start(set, [&](std::uint64_t, int, const CellRendering&) { ++late; });
    loader.Cancel();
    const int afterCancel = late;
    ASSERT_TRUE(loader.WaitForIdle(std::chrono::seconds(60)));
    EXPECT_EQ(late, afterCancel);
}

} // namespace
