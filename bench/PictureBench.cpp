// Loading and rendering benchmarks on generated 24-megapixel pictures.

#include "picture/PictureFile.h"
#include "picture/RenderWheel.h"
#include "picture/WheelPicture.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// A photo-like 6000 x 4000 picture: smooth gradients, shapes and grain, so
// that the encoders produce files of a realistic size.
cv::Mat MakePhoto()
{
    cv::Mat photo(4000, 6000, CV_8UC3);
    for (int y = 0; y < photo.rows; ++y) {
        auto* row = photo.ptr<cv::Vec3b>(y);
        for (int x = 0; x < photo.cols; ++x)
            row[x] = cv::Vec3b(uchar(x * 255 / photo.cols), uchar(y * 255 / photo.rows), uchar((x + y) % 256));
    }
    for (int i = 0; i < 40; ++i)
        cv::circle(photo, {150 * i, 100 * (i % 40)}, 300 + 10 * i, cv::Scalar(30 * i % 256, 90, 200 - 4 * i), cv::FILLED);
    cv::Mat grain(photo.size(), CV_8UC3);
    cv::randu(grain, 0, 24);
    photo += grain;
    return photo;
}

// The generated files are kept between runs (and shared with the wall-clock
// measurement in scripts/bench-convert).
std::string BenchFile(const std::string& ext)
{
    const fs::path path = fs::temp_directory_path() / ("wheel-bench-24mp" + ext);
    if (!fs::exists(path)) {
        static const cv::Mat photo = MakePhoto();
        const fs::path tmp = path.string() + ".tmp" + ext;
        cv::imwrite(tmp.string(), photo);
        fs::rename(tmp, path);
    }
    return path.string();
}

void BM_PlainColourDecode(benchmark::State& state, const char* ext)
{
    const std::string path = BenchFile(ext);
    for (auto _ : state)
        benchmark::DoNotOptimize(cv::imread(path, cv::IMREAD_COLOR));
}

void BM_LoadPicture(benchmark::State& state, const char* ext)
{
    const std::string path = BenchFile(ext);
    for (auto _ : state) {
        wheel::LoadResult result = wheel::LoadPicture(path);
        if (!result)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(result.picture.work.data);
    }
}

// What wheelctl convert pays: the grey decode only, then render.
void BM_ConvertWithoutColour(benchmark::State& state, const char* ext)
{
    const std::string path = BenchFile(ext);
    wheel::LoadOptions options;
    options.wantOriginal = false;
    for (auto _ : state) {
        wheel::WheelPicture picture;
        picture.SetPicture(wheel::LoadPicture(path, options).picture);
        picture.RenderWheel(1);
        benchmark::DoNotOptimize(picture.Block().data());
    }
}

// The picture as the window holds it: the full-size grey picture kept, so
// that each step below is what one move of an adjustment costs.
wheel::WheelPicture OpenForAdjusting(const std::string& path)
{
    wheel::LoadOptions options;
    options.keepGray = true;
    wheel::WheelPicture picture;
    picture.SetPicture(wheel::LoadPicture(path, options).picture);
    picture.RenderWheel(1);
    return picture;
}

// One step of the threshold slider: binarise, frame, preview.
void BM_AdjustThreshold(benchmark::State& state)
{
    wheel::WheelPicture picture = OpenForAdjusting(BenchFile(".jpg"));
    wheel::PictureAdjustments adjustments;
    int step = 0;
    for (auto _ : state) {
        adjustments.threshold = 100 + step++ % 50;
        if (!picture.Adjust(adjustments))
            state.SkipWithError("adjust failed");
        picture.RenderWheel(1);
        benchmark::DoNotOptimize(picture.Block().data());
    }
}

// A quarter turn more each time.
void BM_AdjustRotate(benchmark::State& state)
{
    wheel::WheelPicture picture = OpenForAdjusting(BenchFile(".jpg"));
    wheel::PictureAdjustments adjustments;
    int degrees = 0;
    for (auto _ : state) {
        degrees = (degrees + 90) % 360;
        adjustments.rotate = *wheel::RotationFromDegrees(degrees);
        if (!picture.Adjust(adjustments))
            state.SkipWithError("adjust failed");
        picture.RenderWheel(1);
        benchmark::DoNotOptimize(picture.Block().data());
    }
}

// One click in 色调, round 黑白, 抖动 and 轮廓线: the other tones read the
// full-size grey picture down to the 312 x 312 square each time.
void BM_AdjustTone(benchmark::State& state)
{
    wheel::WheelPicture picture = OpenForAdjusting(BenchFile(".jpg"));
    wheel::PictureAdjustments adjustments;
    int step = 0;
    for (auto _ : state) {
        adjustments.tone = static_cast<wheel::Tone>(++step % 3);
        if (!picture.Adjust(adjustments))
            state.SkipWithError("adjust failed");
        picture.RenderWheel(1);
        benchmark::DoNotOptimize(picture.Block().data());
    }
}

void BM_RenderWheel(benchmark::State& state)
{
    cv::Mat work(312, 312, CV_8UC1);
    cv::randu(work, 0, 256);
    cv::Mat preview = wheel::MakeBlankPreview();
    wheel::WheelFrame frame{};
    for (auto _ : state) {
        wheel::RenderPreview(work, preview);
        wheel::RenderFrame(work, frame);
        benchmark::DoNotOptimize(frame.data());
    }
}

BENCHMARK_CAPTURE(BM_PlainColourDecode, jpeg, ".jpg")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LoadPicture, jpeg, ".jpg")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ConvertWithoutColour, jpeg, ".jpg")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainColourDecode, png, ".png")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_LoadPicture, png, ".png")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_ConvertWithoutColour, png, ".png")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AdjustThreshold)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AdjustRotate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AdjustTone)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenderWheel)->Unit(benchmark::kMicrosecond);

} // namespace
