#pragma once
// The codec module: OpenCV's image codecs (imread, imdecode, imencode) in a
// shared library of their own, wheel-codecs.so. Linking them into the
// programs costs every start about 140 further libraries (GDAL and what it
// pulls in), so the programs load the module with dlopen only when a picture
// needs it; picture/Codecs.h is the side that loads and calls it.
//
// Both sides are built together against the same OpenCV, so the table can
// pass C++ types; the version guards against a stale module left in place.

#include <opencv2/core.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wheel::codecs {

inline constexpr int kModuleVersion = 1;
inline constexpr char kModuleEntry[] = "wheel_codecs_module";

// None of these throws: a failure is an empty picture or false.
struct ModuleTable {
    int version;
    cv::Mat (*read)(const std::string& path, int flags);
    cv::Mat (*decode)(const std::uint8_t* data, std::size_t size, int flags);
    bool (*encode)(const std::string& ext, const cv::Mat& image, std::vector<std::uint8_t>& out);
};

} // namespace wheel::codecs

extern "C" const wheel::codecs::ModuleTable* wheel_codecs_module();
