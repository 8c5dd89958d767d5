#pragma once
// 8-bit pictures as PNG files through libpng, byte for byte what
// cv::imencode(".png") writes with its default parameters (the sub filter,
// zlib's fastest level, its run-length strategy), without loading OpenCV's
// codecs for it.

#include <opencv2/core.hpp>

#include <cstdint>
#include <vector>

namespace wheel {

// One, three (BGR) or four (BGRA) channels of 8 bits; false for anything
// else, or when libpng fails, with `out` emptied.
bool EncodePng(const cv::Mat& image, std::vector<std::uint8_t>& out);

} // namespace wheel
