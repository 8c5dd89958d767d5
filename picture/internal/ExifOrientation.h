#pragma once
// The EXIF orientation of a picture, read and applied the way OpenCV's imread
// does it, so that our own decoders turn a phone photo upright exactly as
// cv::imread would.

#include <opencv2/core.hpp>

#include <cstddef>
#include <cstdint>

namespace wheel {

// The orientation tag (1 to 8 when sound) of the first directory of an EXIF
// block that starts with its TIFF header ("II*\0" or "MM\0*"); 0 when there
// is none. Entries are read in order as OpenCV reads them: an entry that
// points outside the block ends the reading, and what was read before it
// counts.
int ExifOrientation(const std::uint8_t* tiff, std::size_t size);

// Turns `image` so that its first row is the picture's top, for orientations
// 2 to 8; anything else leaves it as it is.
void ApplyExifOrientation(cv::Mat& image, int orientation);

} // namespace wheel
