#pragma once
// Loading a picture file into the editor: a header check that refuses what
// cannot be a sane BMP, JPEG or PNG before anything is decoded, then the
// colour decode for display and the grey decode that becomes the 312 x 312
// binarised working picture.

#include "picture/PictureAdjustments.h"
#include "picture/PictureProbe.h"

#include <opencv2/core.hpp>

#include <string>

namespace wheel {

struct LoadedPicture {
    cv::Mat original;   // colour (BGR) copy for display, possibly reduced in size, never rotated
    cv::Mat work;       // 312 x 312, one channel, binarised then scaled bilinearly
    int threshold = 0;  // the Otsu threshold of the grey picture
    PictureHeader header;
    PictureAdjustments adjustments;  // those that made `work`
    cv::Mat gray;       // with LoadOptions::keepGray: the grey picture at full size, rotated
};

struct LoadOptions {
    bool wantOriginal = true;
    // The colour copy is only ever shown in a box of about 234 pixels; it is
    // decoded reduced by a power of two while its longer side stays at least
    // this long.
    int displayLongSide = 1024;
    PictureAdjustments adjustments;
    // Keep the full-size grey picture, which adjusting the open picture needs;
    // otherwise it is binarised in place and released.
    bool keepGray = false;
};

struct LoadResult {
    LoadError error = LoadError::None;
    LoadedPicture picture;
    explicit operator bool() const { return error == LoadError::None; }
};

LoadResult LoadPicture(const std::string& path, const LoadOptions& options = {});

// Why a file was refused, in Chinese (the translation gives its English).
std::string LoadErrorText(LoadError error);

} // namespace wheel
