// The tones on the wheel's LED grid: how far each tone's frame is from the
// picture it shows, for the example photos of Debian's opencv-doc package,
// and what the diffusion and the LED view cost.
//
// The error of a frame: each LED's footprint grey level (0 to 1) against its
// bit (1 light, 0 dark), both blurred on the LED grid with a Gaussian of one
// LED (round each ring, and from ring to ring), compared by mean absolute
// difference weighted by each LED's radius (its footprint's size). The photos
// come from WHEEL_TONE_PHOTOS, or /usr/share/doc/opencv-doc/examples/data;
// without them those benchmarks are not registered.

#include "picture/AdjustPicture.h"
#include "picture/LedFootprints.h"
#include "picture/PictureFile.h"
#include "picture/RenderWheel.h"
#include "picture/Tone.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace wheel;

cv::Mat Bits(const WheelFrame& frame)
{
    cv::Mat bits(kLeds, kColumns, CV_32F);
    for (int led = 0; led < kLeds; ++led)
        for (int entry = 0; entry < kColumns; ++entry)
            bits.at<float>(led, entry) = LedIsLight(frame, entry, led) ? 1.0f : 0.0f;
    return bits;
}

// A Gaussian of one LED on the grid: columns wrap round the ring, rings end
// at the outermost and innermost LED.
cv::Mat BlurOnLeds(const cv::Mat& grid)
{
    constexpr int kReach = 3;
    std::array<float, 2 * kReach + 1> weight{};
    float sum = 0;
    for (int d = -kReach; d <= kReach; ++d)
        sum += weight[static_cast<std::size_t>(d + kReach)] = std::exp(-0.5f * static_cast<float>(d * d));
    for (float& w : weight)
        w /= sum;
    cv::Mat along(grid.size(), CV_32F, cv::Scalar(0)), blurred(grid.size(), CV_32F, cv::Scalar(0));
    for (int led = 0; led < kLeds; ++led)
        for (int entry = 0; entry < kColumns; ++entry)
            for (int d = -kReach; d <= kReach; ++d)
                along.at<float>(led, entry) += weight[static_cast<std::size_t>(d + kReach)]
                                               * grid.at<float>(led, (entry + d + kColumns) % kColumns);
    for (int led = 0; led < kLeds; ++led)
        for (int d = -kReach; d <= kReach; ++d)
            blurred.row(led) += weight[static_cast<std::size_t>(d + kReach)] * along.row(std::clamp(led + d, 0, kLeds - 1));
    return blurred;
}

double ToneError(const cv::Mat& levels, const WheelFrame& frame)
{
    const cv::Mat difference = cv::abs(BlurOnLeds(levels / 255.0) - BlurOnLeds(Bits(frame)));
    double weighted = 0, weights = 0;
    for (int led = 0; led < kLeds; ++led) {
        weighted += LedRadius(led) * cv::sum(difference.row(led))[0];
        weights += LedRadius(led) * kColumns;
    }
    return weighted / weights;
}

WheelFrame FrameOfWork(const cv::Mat& work)
{
    WheelFrame frame{};
    RenderFrame(work, frame);
    return frame;
}

// The error of the default conversion and of dither for one photo.
void BM_ToneQuality(benchmark::State& state, const std::string& path)
{
    LoadOptions options;
    options.wantOriginal = false;
    options.keepGray = true;
    for (auto _ : state) {
        const LoadResult loaded = LoadPicture(path, options);
        if (!loaded) {
            state.SkipWithError("the photo cannot be loaded");
            return;
        }
        const cv::Mat levels = FootprintLevels(MakeToneSquare(loaded.picture.gray, FitMode::Stretch).grey);
        PictureAdjustments dither;
        dither.tone = Tone::Dither;
        const double plain = ToneError(levels, FrameOfWork(loaded.picture.work));
        const double dithered = ToneError(levels, FrameOfWork(MakeToneWork(loaded.picture.gray, dither)));
        state.counters["default"] = plain;
        state.counters["dither"] = dithered;
        state.counters["dither/default"] = dithered / plain;
    }
}

const int kPhotosRegistered = [] {
    const char* folder = std::getenv("WHEEL_TONE_PHOTOS");
    const fs::path dir = folder ? folder : "/usr/share/doc/opencv-doc/examples/data";
    std::error_code error;
    std::vector<fs::path> photos;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, error)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && (ext == ".jpg" || ext == ".jpeg" || ext == ".png"))
            photos.push_back(entry.path());
    }
    std::sort(photos.begin(), photos.end());
    for (const fs::path& photo : photos)
        benchmark::RegisterBenchmark(("BM_ToneQuality/" + photo.filename().string()).c_str(), BM_ToneQuality,
                                     photo.string())
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    return static_cast<int>(photos.size());
}();

// The diffusion itself, on grey levels of noise.
void BM_DiffuseOnLeds(benchmark::State& state)
{
    cv::Mat levels(kLeds, kColumns, CV_32F);
    cv::randu(levels, 0.0f, 255.0f);
    for (auto _ : state) {
        const WheelFrame frame = DiffuseOnLeds(levels);
        benchmark::DoNotOptimize(frame.data());
    }
}

// 按LED显示: the frame drawn as the wheel's LEDs, half of them dark.
void BM_RenderLedView(benchmark::State& state)
{
    std::mt19937 random(5);
    WheelFrame frame;
    for (auto& byte : frame)
        byte = static_cast<std::uint8_t>(random());
    for (auto _ : state)
        benchmark::DoNotOptimize(RenderLedView(frame).data);
}

BENCHMARK(BM_DiffuseOnLeds)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderLedView)->Unit(benchmark::kMillisecond);

} // namespace
