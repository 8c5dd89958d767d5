// Opening a picture set of twenty 12-megapixel JPEG photos: every cell loaded,
// adjusted and rendered by the cell loader (one thread per processor),
// against twenty plain OpenCV grey decodes of the same files one after
// another. The ratio of the two is the figure that counts (goal <= 0.6 on
// two cores).

#include "sets/CellLoader.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <QString>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

constexpr int kPhotos = 20;

// A photo-like 4000 x 3000 picture, a little different for each box.
cv::Mat MakePhoto(int n)
{
    cv::Mat photo(3000, 4000, CV_8UC3);
    for (int y = 0; y < photo.rows; ++y) {
        auto* row = photo.ptr<cv::Vec3b>(y);
        for (int x = 0; x < photo.cols; ++x)
            row[x] = cv::Vec3b(uchar((x + 13 * n) * 255 / photo.cols), uchar(y * 255 / photo.rows), uchar((x + y) % 256));
    }
    for (int i = 0; i < 30; ++i)
        cv::circle(photo, {130 * i + 7 * n, 97 * ((i + n) % 30)}, 200 + 9 * i, cv::Scalar(30 * i % 256, 90, 200 - 5 * i),
                   cv::FILLED);
    cv::Mat grain(photo.size(), CV_8UC3);
    cv::randu(grain, 0, 24);
    photo += grain;
    return photo;
}

// Kept between runs, beside the 24-megapixel pictures of PictureBench.
const std::vector<std::string>& Photos()
{
    static const std::vector<std::string> paths = [] {
        std::vector<std::string> list;
        for (int n = 0; n < kPhotos; ++n) {
            const fs::path path = fs::temp_directory_path() / ("wheel-bench-12mp-" + std::to_string(n) + ".jpg");
            if (!fs::exists(path)) {
                const fs::path tmp = path.string() + ".tmp.jpg";
                cv::imwrite(tmp.string(), MakePhoto(n));
                fs::rename(tmp, path);
            }
            list.push_back(path.string());
        }
        return list;
    }();
    return paths;
}

void BM_TwentyGreyDecodes(benchmark::State& state)
{
    for (auto _ : state)
        for (const std::string& path : Photos())
            benchmark::DoNotOptimize(cv::imread(path, cv::IMREAD_GRAYSCALE).data);
}

void BM_OpenSetOfTwentyPhotos(benchmark::State& state)
{
    wheel::PictureSet set;
    for (int box = 1; box <= kPhotos; ++box)
        set.Cell(box) = wheel::SetCell{QString::fromStdString(Photos()[box - 1]), {}};
    wheel::CellLoader loader;
    for (auto _ : state) {
        int failed = 0;
        loader.Start(set, [&](std::uint64_t, int, const wheel::CellRendering& cell) { failed += !cell; });
        loader.WaitForIdle(std::chrono::minutes(10));
        if (failed)
            state.SkipWithError("a photo did not load");
    }
}

BENCHMARK(BM_TwentyGreyDecodes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenSetOfTwentyPhotos)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
