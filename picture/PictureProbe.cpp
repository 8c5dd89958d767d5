// ProbePicture: the format and dimensions of a picture file from its headers,
// before anything is decoded. Whether the data is complete is the decoders'
// verdict (picture/PictureDecode.h); here only what a header promises and
// the file size can settle is checked.

#include "picture/PictureProbe.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace wheel {

namespace {

constexpr std::size_t kHeadBytes = 64 * 1024;

std::uint32_t Be32(const unsigned char* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
std::uint32_t Le32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
std::uint16_t Le16(const unsigned char* p) { return std::uint16_t(p[0] | (p[1] << 8)); }

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Walks the chunks to IEND by their lengths alone: a chunk that claims more
// than the file holds is cut short, and libpng would allocate all it claims
// before finding out (hundreds of megabytes for a few bytes of file).
LoadError ProbePng(std::FILE* f, const std::vector<unsigned char>& h, std::uint64_t fileSize, PictureHeader& header)
{
    if (h.size() < 33 || std::memcmp(h.data() + 12, "IHDR", 4) != 0)
        return LoadError::Truncated;
    const std::uint32_t w = Be32(h.data() + 16);
    const std::uint32_t ht = Be32(h.data() + 20);
    if (w == 0 || ht == 0 || w > 0x7fffffff || ht > 0x7fffffff)
        return LoadError::DecodeFailed;
    header = {PictureFormat::Png, int(w), int(ht)};
    for (std::uint64_t at = 8;;) {
        unsigned char chunk[8];
        if (at + 12 > fileSize)
            return LoadError::Truncated;
        if (::pread(::fileno(f), chunk, sizeof chunk, off_t(at)) != off_t(sizeof chunk))
            return LoadError::Unreadable;
        const std::uint32_t length = Be32(chunk);
        if (length > 0x7fffffff)
            return LoadError::DecodeFailed;
        at += 12 + std::uint64_t(length);
        if (at > fileSize)
            return LoadError::Truncated;
        if (std::memcmp(chunk + 4, "IEND", 4) == 0)
            return LoadError::None;
    }
}

// Walks the segments from the start of the file to the frame header,
// however far in it stands (EXIF, ICC profiles and comments can fill
// megabytes); what follows the picture is never read.
LoadError ProbeJpeg(std::FILE* f, PictureHeader& header)
{
    if (std::fseek(f, 2, SEEK_SET) != 0)
        return LoadError::Unreadable;
    for (;;) {
        int c = std::getc(f);
        while (c != EOF && c != 0xFF)
            c = std::getc(f);  // tolerate stray bytes between segments, as decoders do
        while (c == 0xFF)
            c = std::getc(f);
        if (c == EOF)
            return LoadError::Truncated;
        const int marker = c;
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (marker == 0xD9 || marker == 0xDA)
            return LoadError::DecodeFailed;  // image data or end before any frame header
        unsigned char field[7];
        if (std::fread(field, 1, 2, f) != 2)
            return LoadError::Truncated;
        const long length = (field[0] << 8) | field[1];
        const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof) {
            if (std::fread(field + 2, 1, 5, f) != 5)
                return LoadError::Truncated;
            const int ht = (field[3] << 8) | field[4];
            const int w = (field[5] << 8) | field[6];
            if (w == 0 || ht == 0)
                return LoadError::DecodeFailed;
            header = {PictureFormat::Jpeg, w, ht};
            return LoadError::None;
        }
        if (length < 2)
            return LoadError::DecodeFailed;
        if (std::fseek(f, length - 2, SEEK_CUR) != 0)
            return LoadError::Unreadable;
    }
}

// Everything OpenCV's BMP reader reads before the rows (headers, colour
// table, masks) and the rows of an uncompressed picture must lie inside the
// file: the reader throws, and prints, when they do not.
LoadError ProbeBmp(const std::vector<unsigned char>& h, std::uint64_t fileSize, PictureHeader& header)
{
    if (h.size() < 26)
        return LoadError::Truncated;
    const std::uint32_t offBits = Le32(h.data() + 10);
    const std::uint32_t infoSize = Le32(h.data() + 14);
    std::int64_t w = 0, ht = 0;
    int bits = 0;
    std::uint32_t compression = 0, colours = 0;
    std::uint64_t before = 0;  // bytes the reader takes before the rows
    if (infoSize == 12) {
        w = Le16(h.data() + 18);
        ht = Le16(h.data() + 20);
        bits = Le16(h.data() + 24);
        before = 26 + (bits <= 8 ? 3u << bits : 0u);
    } else if (infoSize >= 40 && infoSize < 0x80000000u) {
        if (h.size() < 54)
            return LoadError::Truncated;
        w = static_cast<std::int32_t>(Le32(h.data() + 18));
        ht = static_cast<std::int32_t>(Le32(h.data() + 22));
        bits = Le16(h.data() + 28);
        compression = Le32(h.data() + 30);
        colours = Le32(h.data() + 46);
        // Run-length (1, 2) and bit fields (3) are the only compressions
        // there are readers for; the reader would refuse others noisily.
        if (compression > 3 || (bits <= 8 && colours > 256))
            return LoadError::DecodeFailed;
        before = 14 + std::uint64_t(infoSize);
        if (bits <= 8)
            before += 4 * std::uint64_t(colours == 0 ? 1u << bits : colours);
        else if (bits == 16 && compression == 3)
            before += 12;
    } else {
        return LoadError::DecodeFailed;
    }
    if (ht < 0)
        ht = -ht;
    if (w <= 0 || ht <= 0 || w > 0x7fffffff || ht > 0x7fffffff)
        return LoadError::DecodeFailed;
    header = {PictureFormat::Bmp, int(w), int(ht)};
    if (offBits > fileSize || before > fileSize)
        return LoadError::Truncated;
    // Uncompressed and bit-field rows have a known size; RLE data does not.
    if ((compression == 0 || compression == 3) && bits > 0) {
        const std::uint64_t stride = ((std::uint64_t(w) * bits + 31) / 32) * 4;
        if (offBits + stride * std::uint64_t(ht) > fileSize)
            return LoadError::Truncated;
    }
    return LoadError::None;
}

} // namespace

LoadError ProbePicture(const std::string& path, PictureHeader& header)
{
    header = {};
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? LoadError::Missing : LoadError::Unreadable;
    if (!S_ISREG(st.st_mode))
        return LoadError::Unreadable;
    const File file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return LoadError::Unreadable;
    const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
    if (size == 0)
        return LoadError::Empty;
    std::vector<unsigned char> h(std::min<std::uint64_t>(size, kHeadBytes));
    if (std::fread(h.data(), 1, h.size(), file.get()) != h.size())
        return LoadError::Unreadable;

    static const unsigned char kPngSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    LoadError result;
    if (h.size() >= 8 && std::memcmp(h.data(), kPngSig, 8) == 0)
        result = ProbePng(file.get(), h, size, header);
    else if (h.size() >= 3 && h[0] == 0xFF && h[1] == 0xD8 && h[2] == 0xFF)
        result = ProbeJpeg(file.get(), header);
    else if (h.size() >= 2 && h[0] == 'B' && h[1] == 'M')
        result = ProbeBmp(h, size, header);
    else
        return LoadError::NotAPicture;
    if (result == LoadError::None && std::int64_t(header.width) * header.height > kMaxPicturePixels)
        return LoadError::TooLarge;
    return result;
}

} // namespace wheel
