#pragma once
// Decoding a probed picture file into pixels. Every format gives the pixels
// cv::imread gives for the same flags, but the decoders' own verdicts are
// kept: a file whose data ends before its picture does is refused rather
// than shown half grey, and nothing the libraries say reaches stderr.

#include "picture/PictureFile.h"

#include <opencv2/core.hpp>

#include <cstdio>
#include <string>
#include <vector>

namespace wheel {

struct DecodedPicture {
    cv::Mat image;
    LoadError error = LoadError::None;
};

// Told of a picture's rows as the decoder finishes them, top to bottom, on
// the decoder's thread: Begin with the picture once it is allocated, then
// RowsReady with the count of rows finished so far, then End, after which
// the picture may change (an EXIF orientation turns it). Only the JPEG
// decoder tells; End is not called when Begin was not.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void Begin(const cv::Mat& image) = 0;
    virtual void RowsReady(int rows) = 0;
    virtual void End() = 0;
};

// `flags`: cv::IMREAD_GRAYSCALE, cv::IMREAD_COLOR or
// cv::IMREAD_REDUCED_COLOR_2, _4 or _8.
DecodedPicture DecodePicture(const std::string& path, PictureFormat format, int flags, RowSink* rows = nullptr);

// The denominator of a reduced flag (1, 2, 4 or 8) and whether it asks for colour.
int ReductionOf(int flags);
bool WantsColour(int flags);

// A picture decoded at full size, reduced as cv::imread reduces formats
// without a scaled decoder (each side divided, at least one pixel).
void ReduceLikeImread(cv::Mat& image, int reduction);

// Opens a file for a decoder that reads it through stdio, with `buffer` as
// its read buffer (keep it alive until the file is closed). Null when the
// file cannot be opened.
std::FILE* OpenForDecoding(const std::string& path, std::vector<char>& buffer);

} // namespace wheel
