#pragma once
// PNG files through libpng with OpenCV's transformations (so the pixels are
// those of cv::imread, EXIF orientation included) and our own error and
// warning handlers: libpng never prints, a file that ends early is told
// from one whose data is damaged.

#include "picture/PictureDecode.h"

namespace wheel {

DecodedPicture DecodePng(const std::string& path, int flags);

} // namespace wheel
