#pragma once
#include <opencv2/core.hpp>

namespace wheel {

// Otsu's global threshold over the image's bytes (all channels), in place:
// bytes at or below the threshold become 0, the others 255. Returns the
// threshold (20 when no split beats the others, e.g. a single grey value).
int BinarizeOtsu(cv::Mat& image);

} // namespace wheel
