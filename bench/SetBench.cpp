// Opening a picture set of twenty 12-megapixel JPEG photos: every cell loaded,
// adjusted and rendered by the cell loader (one thread per processor),
// against twenty plain OpenCV grey decodes of the same files one after
// another. The ratio of the two is the figure that counts (goal <= 0.6 on
// two cores).

#include "bench/BenchPhotos.h"
#include "protocol/FactoryPictures.h"
#include "sets/CellLoader.h"
#include "sets/RecordAsSet.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgcodecs.hpp>

#include <QString>

namespace {

using wheel::bench::kPhotos;
using wheel::bench::Photos;

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

// What the set window draws on the window's thread when the record changes:
// the small preview of a recorded block, here of all twenty slots.
void BM_TwentyRecordedPreviews(benchmark::State& state)
{
    for (auto _ : state)
        for (const wheel::TransferBlock& block : wheel::kFactoryPictures)
            benchmark::DoNotOptimize(wheel::RecordedPreview(block, 56).data);
}

BENCHMARK(BM_TwentyGreyDecodes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenSetOfTwentyPhotos)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TwentyRecordedPreviews)->Unit(benchmark::kMillisecond);

} // namespace
