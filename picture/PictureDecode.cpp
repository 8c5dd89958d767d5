#include "picture/PictureDecode.h"

#include "io/ReadFile.h"
#include "picture/Codecs.h"
#include "picture/internal/JpegDecode.h"
#include "picture/internal/PngDecode.h"

#include <opencv2/imgcodecs.hpp>  // the IMREAD_ flags only
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <span>
#include <vector>

namespace wheel {

namespace {

std::uint32_t Le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

// Whether run-length coded rows reach the picture's end (an end-of-bitmap
// code, or every row given) before the data does. OpenCV's decoder throws,
// and prints, when it reads past the end of the file instead.
bool RleRowsComplete(std::span<const std::uint8_t> data, std::int64_t width, std::int64_t height, bool fourBit)
{
    std::size_t at = 0;
    std::int64_t x = 0, y = 0;
    bool wrapped = false;  // a run ended exactly at the row's end: the next end-of-row is that one
    while (y < height) {
        if (at + 2 > data.size())
            return false;
        const int count = data[at], code = data[at + 1];
        at += 2;
        if (count > 0) {
            x += count;
            wrapped = !fourBit && x >= width;
            if (wrapped) {
                x = 0;
                ++y;
            }
            continue;
        }
        if (code == 0) {  // end of row
            if (!wrapped) {
                x = 0;
                ++y;
            }
        } else if (code == 1) {  // end of bitmap
            return true;
        } else if (code == 2) {  // move right and down
            if (at + 2 > data.size())
                return false;
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else {  // `code` pixels given one by one, padded to 16 bits
            const std::size_t bytes = fourBit ? ((code + 1) / 2 + 1) & ~1 : (code + 1) & ~1;
            if (at + bytes > data.size())
                return false;
            at += bytes;
            x += code;
        }
        wrapped = false;
    }
    return true;
}

// BMP files go to OpenCV's own reader, in the codec module. A run-length
// coded one is checked for its end first, then read from memory with
// end-of-bitmap codes after it, so that the reader never runs off the end of
// the file.
DecodedPicture DecodeBmp(const std::string& path, int flags)
{
    DecodedPicture result;
    const int imreadFlags = WantsColour(flags) ? cv::IMREAD_COLOR : cv::IMREAD_GRAYSCALE;
    std::vector<std::uint8_t> bytes;
    std::uint8_t head[34] = {};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    const bool haveHead = f && std::fread(head, 1, sizeof head, f) == sizeof head;
    if (f)
        std::fclose(f);
    const std::uint32_t compression = haveHead && Le32(head + 14) >= 40 ? Le32(head + 30) : 0;
    if (compression == 1 || compression == 2) {
        ReadResult read = ReadFile(path, std::numeric_limits<std::uint64_t>::max());
        if (!read) {
            result.error = LoadError::Unreadable;
            return result;
        }
        bytes = std::move(read.bytes);
        const std::int64_t width = std::int32_t(Le32(head + 18));
        const std::int64_t height = std::abs(std::int64_t(std::int32_t(Le32(head + 22))));
        const std::uint32_t offBits = Le32(head + 10);
        if (offBits > bytes.size()
            || !RleRowsComplete(std::span(bytes).subspan(offBits), width, height, compression == 2)) {
            result.error = LoadError::Truncated;
            return result;
        }
        for (std::int64_t i = 0; i <= height; ++i) {
            bytes.push_back(0);
            bytes.push_back(1);
        }
        result.image = codecs::Decode(bytes, imreadFlags);
    } else {
        result.image = codecs::Read(path, imreadFlags);
    }
    if (result.image.empty()) {
        result.error = codecs::Available() ? LoadError::DecodeFailed : LoadError::NoCodecs;
        return result;
    }
    ReduceLikeImread(result.image, ReductionOf(flags));
    return result;
}

} // namespace

int ReductionOf(int flags)
{
    if (flags <= cv::IMREAD_LOAD_GDAL)
        return 1;
    if (flags & cv::IMREAD_REDUCED_GRAYSCALE_2)
        return 2;
    if (flags & cv::IMREAD_REDUCED_GRAYSCALE_4)
        return 4;
    if (flags & cv::IMREAD_REDUCED_GRAYSCALE_8)
        return 8;
    return 1;
}

bool WantsColour(int flags)
{
    return (flags & cv::IMREAD_COLOR) != 0;
}

void ReduceLikeImread(cv::Mat& image, int reduction)
{
    // cv::imread refuses a picture with a side shorter than the reduction;
    // a picture that thin still has one row or column to show.
    if (reduction > 1)
        cv::resize(image, image, cv::Size(std::max(1, image.cols / reduction), std::max(1, image.rows / reduction)),
                   0, 0, cv::INTER_LINEAR_EXACT);
}

DecodedPicture DecodePicture(const std::string& path, PictureFormat format, int flags, RowSink* rows)
{
    switch (format) {
    case PictureFormat::Jpeg: return DecodeJpeg(path, flags, rows);
    case PictureFormat::Png: return DecodePng(path, flags);
    case PictureFormat::Bmp: return DecodeBmp(path, flags);
    case PictureFormat::Unknown: break;
    }
    return {cv::Mat(), LoadError::NotAPicture};
}

std::FILE* OpenForDecoding(const std::string& path, std::vector<char>& buffer)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return nullptr;
    // A few large reads instead of thousands of 4 KiB ones (glibc ignores a
    // size given without a buffer).
    constexpr std::size_t kReadBuffer = 256 * 1024;
    buffer.resize(kReadBuffer);
    std::setvbuf(file, buffer.data(), _IOFBF, kReadBuffer);
    return file;
}

} // namespace wheel
