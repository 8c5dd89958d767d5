#pragma once
#include <opencv2/core.hpp>

#include <array>
#include <cstdint>

namespace wheel {

// How many bytes of each value a picture holds.
using GreyCounts = std::array<std::uint64_t, 256>;

// Otsu's global threshold over the image's bytes (all channels), in place:
// bytes at or below the threshold become 0, the others 255. Returns the
// threshold (20 when no split beats the others, e.g. a single grey value).
// Only thresholds that leave both classes non-empty compete, so a picture of
// two or more grey values always keeps its lightest ones light.
int BinarizeOtsu(cv::Mat& image);

// The threshold BinarizeOtsu would choose, leaving the image as it is. The
// histogram holds exact counts, also of a value that occurs more than 2^24
// times (where single-precision counters would stop growing).
int OtsuThreshold(const cv::Mat& image);
// The same from the picture's counts.
int OtsuThreshold(const GreyCounts& counts);

// dst = src with bytes at or below `threshold` set to 0 and the others to 255
// (all 0 for a threshold of 255 or more). dst may be src, or a view of the
// same size into a larger picture.
void BinarizeAt(const cv::Mat& src, cv::Mat& dst, int threshold);

} // namespace wheel
