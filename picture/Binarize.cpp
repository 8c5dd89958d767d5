#include "picture/Binarize.h"

#include <opencv2/imgproc.hpp>

namespace wheel {

namespace {

// The counts are exact. (Counters of single precision incremented one by one
// would stop at 2^24, and a picture with more of one value than that would
// get a threshold from a wrong histogram: a large picture that is mostly
// white could come out all dark.)
GreyCounts Histogram(const cv::Mat& bytes)
{
    const int channel = 0;
    const int bins = 256;
    const float range[] = {0.0f, 256.0f};
    const float* ranges[] = {range};
    cv::Mat counts;
    cv::calcHist(&bytes, 1, &channel, cv::noArray(), counts, 1, &bins, ranges, true, false);
    GreyCounts histogram{};
    for (int k = 0; k < 256; ++k)
        histogram[static_cast<std::size_t>(k)] = static_cast<std::uint64_t>(counts.at<float>(k));
    return histogram;
}

} // namespace

int OtsuThreshold(const cv::Mat& image)
{
    CV_Assert(image.depth() == CV_8U && image.dims <= 2);
    if (image.empty())
        return 20;
    // One channel of width x channels bytes per row, without the row padding.
    return OtsuThreshold(Histogram(image.reshape(1)));
}

int OtsuThreshold(const GreyCounts& counts)
{
    // The search works on single-precision probabilities, as it always has:
    // its rounding decides between splits of equal variance.
    std::uint64_t total = 0;
    float hist[256];
    for (int k = 0; k < 256; ++k) {
        total += counts[static_cast<std::size_t>(k)];
        hist[k] = static_cast<float>(counts[static_cast<std::size_t>(k)]);
    }
    if (total == 0)
        return 20;
    const int n = static_cast<int>(total);
    // Only a split that leaves both classes some pixels competes: from the
    // first grey value present up to, not including, the last one. Past the
    // last value the dark class's weight is 1 only up to rounding, the
    // variance is rounding noise over almost nothing, and if it won, every
    // pixel would become dark.
    int first = 0;
    while (first < 256 && hist[first] == 0.0f)
        ++first;
    int last = 255;
    while (last > first && hist[last] == 0.0f)
        --last;
    for (float& h : hist)
        h /= static_cast<float>(n);

    float meanTotal = 0.0f;
    for (int k = 0; k < 256; ++k)
        meanTotal += static_cast<float>(k) * hist[k];

    // The best value is kept in single precision on purpose: on a run of equal
    // variances it decides which k wins.
    float best = 0.0f;
    int threshold = 20;
    double w = 0.0;
    double mu = 0.0;
    for (int k = 0; k < 256; ++k) {
        w += hist[k];
        mu += static_cast<float>(k) * hist[k];
        const double t = meanTotal * w - mu;
        const double sigma = t * t / w / (1.0 - w);
        if (k >= first && k < last && sigma > best) {
            best = static_cast<float>(sigma);
            threshold = k;
        }
    }
    return threshold;
}

void BinarizeAt(const cv::Mat& src, cv::Mat& dst, int threshold)
{
    CV_Assert(src.depth() == CV_8U);
    // OpenCV's binary threshold keeps values above it: > T becomes 255.
    cv::threshold(src, dst, threshold, 255, cv::THRESH_BINARY);
}

int BinarizeOtsu(cv::Mat& image)
{
    const int threshold = OtsuThreshold(image);
    if (image.empty())
        return threshold;
    cv::Mat bytes = image.reshape(1);
    BinarizeAt(bytes, bytes, threshold);
    return threshold;
}

} // namespace wheel
