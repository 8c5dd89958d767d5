#pragma once
// JPEG files through libjpeg itself (the library OpenCV uses, with OpenCV's
// settings, CMYK formulas and EXIF orientation, so the pixels are those of
// cv::imread), with libjpeg's warnings counted instead of printed: a file
// that ends early, or whose data runs out before its rows do, is refused.

#include "picture/PictureDecode.h"

namespace wheel {

DecodedPicture DecodeJpeg(const std::string& path, int flags, RowSink* rows = nullptr);

} // namespace wheel
