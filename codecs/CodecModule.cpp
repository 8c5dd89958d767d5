#include "codecs/CodecModule.h"

#include <opencv2/imgcodecs.hpp>

#include <exception>

namespace {

cv::Mat Read(const std::string& path, int flags)
{
    try {
        return cv::imread(path, flags);
    } catch (const std::exception&) {
        return {};
    }
}

cv::Mat Decode(const std::uint8_t* data, std::size_t size, int flags)
{
    try {
        // imdecode only reads the bytes; the header wants a non-const pointer.
        return cv::imdecode(cv::Mat(1, int(size), CV_8UC1, const_cast<std::uint8_t*>(data)), flags);
    } catch (const std::exception&) {
        return {};
    }
}

bool Encode(const std::string& ext, const cv::Mat& image, std::vector<std::uint8_t>& out)
{
    try {
        return cv::imencode(ext, image, out);
    } catch (const std::exception&) {
        out.clear();
        return false;
    }
}

const wheel::codecs::ModuleTable kTable = {wheel::codecs::kModuleVersion, Read, Decode, Encode};

} // namespace

extern "C" __attribute__((visibility("default"))) const wheel::codecs::ModuleTable* wheel_codecs_module()
{
    return &kTable;
}
