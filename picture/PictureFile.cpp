#include "picture/PictureFile.h"

#include "picture/AdjustPicture.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <future>
#include <sys/stat.h>
#include <vector>

namespace wheel {

namespace {

constexpr std::size_t kHeadBytes = 64 * 1024;

std::uint32_t Be32(const unsigned char* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
std::uint16_t Be16(const unsigned char* p) { return std::uint16_t((p[0] << 8) | p[1]); }
std::uint32_t Le32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t Le16(const unsigned char* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

struct FileBytes {
    std::vector<unsigned char> head;  // the first bytes
    std::vector<unsigned char> tail;  // the last bytes
    std::uint64_t size = 0;
};

LoadError ReadEnds(const std::string& path, FileBytes& out)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? LoadError::Missing : LoadError::Unreadable;
    if (!S_ISREG(st.st_mode))
        return LoadError::Unreadable;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return LoadError::Unreadable;
    out.size = static_cast<std::uint64_t>(st.st_size);
    out.head.resize(std::min<std::uint64_t>(out.size, kHeadBytes));
    bool ok = std::fread(out.head.data(), 1, out.head.size(), f) == out.head.size();
    const std::uint64_t tailSize = std::min<std::uint64_t>(out.size, kHeadBytes);
    out.tail.resize(tailSize);
    if (ok && tailSize > 0) {
        ok = std::fseek(f, -static_cast<long>(tailSize), SEEK_END) == 0
            && std::fread(out.tail.data(), 1, tailSize, f) == tailSize;
    }
    std::fclose(f);
    if (!ok)
        return LoadError::Unreadable;
    return out.size == 0 ? LoadError::Empty : LoadError::None;
}

bool Contains(const std::vector<unsigned char>& bytes, const char* needle, std::size_t n)
{
    if (bytes.size() < n)
        return false;
    for (std::size_t i = bytes.size() - n + 1; i-- > 0;)
        if (std::memcmp(bytes.data() + i, needle, n) == 0)
            return true;
    return false;
}

LoadError ProbePng(const FileBytes& file, PictureHeader& header)
{
    const auto& h = file.head;
    if (h.size() < 33 || std::memcmp(h.data() + 12, "IHDR", 4) != 0)
        return LoadError::Truncated;
    const std::uint32_t w = Be32(h.data() + 16);
    const std::uint32_t ht = Be32(h.data() + 20);
    if (w == 0 || ht == 0 || w > 0x7fffffff || ht > 0x7fffffff)
        return LoadError::DecodeFailed;
    header = {PictureFormat::Png, int(w), int(ht)};
    // A complete PNG ends with its IEND chunk (some writers add bytes after it).
    return Contains(file.tail, "IEND", 4) ? LoadError::None : LoadError::Truncated;
}

LoadError ProbeJpeg(const FileBytes& file, PictureHeader& header)
{
    const auto& h = file.head;
    std::size_t i = 2;
    while (true) {
        while (i < h.size() && h[i] != 0xFF)
            ++i;  // tolerate stray bytes between segments, as decoders do
        while (i < h.size() && h[i] == 0xFF)
            ++i;
        if (i + 2 >= h.size())
            return file.size > h.size() ? LoadError::DecodeFailed : LoadError::Truncated;
        const unsigned char marker = h[i++];
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (marker == 0xD9 || marker == 0xDA)
            return LoadError::DecodeFailed;  // image data or end before any frame header
        const std::size_t length = Be16(h.data() + i);
        const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof) {
            if (i + 7 > h.size())
                return LoadError::Truncated;
            const int ht = Be16(h.data() + i + 3);
            const int w = Be16(h.data() + i + 5);
            if (w == 0 || ht == 0)
                return LoadError::DecodeFailed;
            header = {PictureFormat::Jpeg, w, ht};
            break;
        }
        if (length < 2)
            return LoadError::DecodeFailed;
        i += length;
    }
    // The entropy-coded data must run up to an end-of-image marker.
    const auto& t = file.tail;
    for (std::size_t k = t.size(); k-- > 1;)
        if (t[k - 1] == 0xFF && t[k] == 0xD9)
            return LoadError::None;
    return LoadError::Truncated;
}

LoadError ProbeBmp(const FileBytes& file, PictureHeader& header)
{
    const auto& h = file.head;
    if (h.size() < 26)
        return LoadError::Truncated;
    const std::uint32_t offBits = Le32(h.data() + 10);
    const std::uint32_t infoSize = Le32(h.data() + 14);
    std::int64_t w = 0, ht = 0;
    int bits = 0;
    std::uint32_t compression = 0;
    if (infoSize == 12) {
        w = Le16(h.data() + 18);
        ht = Le16(h.data() + 20);
        bits = Le16(h.data() + 24);
    } else if (infoSize >= 40) {
        if (h.size() < 34)
            return LoadError::Truncated;
        w = static_cast<std::int32_t>(Le32(h.data() + 18));
        ht = static_cast<std::int32_t>(Le32(h.data() + 22));
        bits = Le16(h.data() + 28);
        compression = Le32(h.data() + 30);
    } else {
        return LoadError::DecodeFailed;
    }
    if (ht < 0)
        ht = -ht;
    if (w <= 0 || ht <= 0 || w > 0x7fffffff || ht > 0x7fffffff)
        return LoadError::DecodeFailed;
    header = {PictureFormat::Bmp, int(w), int(ht)};
    if (offBits > file.size)
        return LoadError::Truncated;
    // Uncompressed and bit-field rows have a known size; RLE data does not.
    if ((compression == 0 || compression == 3) && bits > 0) {
        const std::uint64_t stride = ((std::uint64_t(w) * bits + 31) / 32) * 4;
        if (offBits + stride * std::uint64_t(ht) > file.size)
            return LoadError::Truncated;
    }
    return LoadError::None;
}

int ReducedColourFlag(const PictureHeader& header, int displayLongSide)
{
    const int longSide = std::max(header.width, header.height);
    if (longSide / 8 >= displayLongSide)
        return cv::IMREAD_REDUCED_COLOR_8;
    if (longSide / 4 >= displayLongSide)
        return cv::IMREAD_REDUCED_COLOR_4;
    if (longSide / 2 >= displayLongSide)
        return cv::IMREAD_REDUCED_COLOR_2;
    return cv::IMREAD_COLOR;
}

cv::Mat DecodeOrEmpty(const std::string& path, int flags)
{
    try {
        return cv::imread(path, flags);
    } catch (const cv::Exception&) {
        return {};
    }
}

} // namespace

LoadError ProbePicture(const std::string& path, PictureHeader& header)
{
    header = {};
    FileBytes file;
    if (const LoadError e = ReadEnds(path, file); e != LoadError::None)
        return e;
    const auto& h = file.head;
    static const unsigned char kPngSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    LoadError result;
    if (h.size() >= 8 && std::memcmp(h.data(), kPngSig, 8) == 0)
        result = ProbePng(file, header);
    else if (h.size() >= 3 && h[0] == 0xFF && h[1] == 0xD8 && h[2] == 0xFF)
        result = ProbeJpeg(file, header);
    else if (h.size() >= 2 && h[0] == 'B' && h[1] == 'M')
        result = ProbeBmp(file, header);
    else
        return LoadError::NotAPicture;
    if (result == LoadError::None && std::int64_t(header.width) * header.height > kMaxPicturePixels)
        return LoadError::TooLarge;
    return result;
}

LoadResult LoadPicture(const std::string& path, const LoadOptions& options)
{
    LoadResult result;
    PictureHeader header;
    if (const LoadError e = ProbePicture(path, header); e != LoadError::None) {
        result.error = e;
        return result;
    }

    // The two decodes are independent: the colour copy for display runs on a
    // second thread while this one decodes the grey picture at full size.
    std::future<cv::Mat> colour;
    if (options.wantOriginal) {
        const int flag = ReducedColourFlag(header, options.displayLongSide);
        colour = std::async(std::launch::async, [path, flag] { return DecodeOrEmpty(path, flag); });
    }
    cv::Mat gray = DecodeOrEmpty(path, cv::IMREAD_GRAYSCALE);
    cv::Mat original = options.wantOriginal ? colour.get() : cv::Mat();
    if (gray.empty() || gray.type() != CV_8UC1 || (options.wantOriginal && original.empty())) {
        result.error = LoadError::DecodeFailed;
        return result;
    }

    result.picture.header = header;
    AdjustDecodedPicture(std::move(gray), options.adjustments, options.keepGray, result.picture);
    result.picture.original = std::move(original);
    return result;
}

std::string LoadErrorText(LoadError error)
{
    switch (error) {
    case LoadError::None: return "";
    case LoadError::Missing: return "文件不存在";
    case LoadError::Unreadable: return "文件无法读取";
    case LoadError::Empty: return "文件是空的";
    case LoadError::NotAPicture: return "不是BMP、JPEG或PNG图片";
    case LoadError::Truncated: return "文件不完整，可能已损坏";
    case LoadError::TooLarge: return "图片太大（超过1亿像素）";
    case LoadError::DecodeFailed: return "图片已损坏，无法解码";
    }
    return "";
}

std::string LoadErrorTextEnglish(LoadError error)
{
    switch (error) {
    case LoadError::None: return "";
    case LoadError::Missing: return "no such file";
    case LoadError::Unreadable: return "cannot be read";
    case LoadError::Empty: return "the file is empty";
    case LoadError::NotAPicture: return "not a BMP, JPEG or PNG picture";
    case LoadError::Truncated: return "the file is truncated";
    case LoadError::TooLarge: return "the picture is too large (more than 100 megapixels)";
    case LoadError::DecodeFailed: return "the picture is damaged and cannot be decoded";
    }
    return "";
}

} // namespace wheel
