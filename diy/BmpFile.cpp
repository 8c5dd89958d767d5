#include "diy/BmpFile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <fstream>
#include <functional>

namespace wheel::bmp {

namespace {

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Get32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void Put16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Where the bytes come from: a size and a bounded read at an offset.
struct Source {
    std::uint64_t size = 0;
    std::function<bool(std::uint64_t offset, std::size_t count, std::uint8_t* dst)> read;
};

// A mask the canvas can show: non-empty, one run of bits, inside the pixel.
bool UsableMask(std::uint32_t mask, int bitCount)
{
    if (mask == 0)
        return false;
    if (bitCount == 16 && mask > 0xFFFFu)
        return false;
    const std::uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

BmpError Parse(const Source& src, BmpImage& out)
{
    std::uint8_t fh[kFileHeaderSize] = {};
    if (src.size < kFileHeaderSize || !src.read(0, kFileHeaderSize, fh))
        return BmpError::CannotRead;
    if (Get16(fh) != 0x4D42)
        return BmpError::NotBmp;

    const std::uint32_t offBits = Get32(fh + 10);
    if (offBits < kFileHeaderSize + kInfoHeaderSize || offBits > src.size)
        return BmpError::Damaged;

    BmpImage img;
    const std::size_t infoLen = offBits - kFileHeaderSize;
    std::vector<std::uint8_t> block(infoLen);
    if (!src.read(kFileHeaderSize, infoLen, block.data()))
        return BmpError::Damaged;
    const std::uint8_t* h = block.data();

    const std::uint32_t biSize = Get32(h);
    const std::int32_t width = static_cast<std::int32_t>(Get32(h + 4));
    const std::int32_t height = static_cast<std::int32_t>(Get32(h + 8));
    const std::uint16_t bitCount = Get16(h + 14);
    const std::uint32_t compression = Get32(h + 16);
    const std::uint32_t sizeImage = Get32(h + 20);
    const std::uint32_t clrUsed = Get32(h + 32);

    // A bit count without a rule and no biClrUsed gives no colour count at
    // all; such a file is not a picture the canvas knows.
    const int colors = UpdateColorCount(clrUsed, bitCount, -1);
    if (colors < 0)
        return BmpError::Unsupported;
    if (colors != 0)
        return BmpError::NotTrueColour;

    if (biSize != kInfoHeaderSize)
        return BmpError::Unsupported;
    if (width <= 0 || height <= 0)  // top-down rows and empty pictures
        return BmpError::Unsupported;
    if (width > kMaxSide || height > kMaxSide ||
        static_cast<std::int64_t>(width) * height > kMaxPixels)
        return BmpError::TooLarge;

    img.width = width;
    img.height = height;
    img.bitCount = bitCount;
    img.compression = compression;
    img.colors = 0;

    if (compression == kBiRgb) {
        if (bitCount == 16) {
            img.masks[0] = 0x7C00;
            img.masks[1] = 0x03E0;
            img.masks[2] = 0x001F;
        } else if (bitCount == 32) {
            img.masks[0] = 0x00FF0000;
            img.masks[1] = 0x0000FF00;
            img.masks[2] = 0x000000FF;
        }
    } else if (compression == kBiBitfields && (bitCount == 16 || bitCount == 32)) {
        if (infoLen < kInfoHeaderSize + 12)
            return BmpError::Damaged;
        for (int i = 0; i < 3; ++i) {
            img.masks[i] = Get32(h + kInfoHeaderSize + 4 * i);
            if (!UsableMask(img.masks[i], bitCount))
                return BmpError::Unsupported;
        }
        if ((img.masks[0] & img.masks[1]) || (img.masks[0] & img.masks[2]) || (img.masks[1] & img.masks[2]))
            return BmpError::Unsupported;
    } else {
        return BmpError::Unsupported;  // run-length, JPEG, PNG and the like
    }

    // The rows the picture needs. A biSizeImage below that would make the
    // platform read past the buffer; one above it is padding nobody shows.
    const std::uint64_t needed = RowBytes(width, bitCount) * static_cast<std::uint64_t>(height);
    if (sizeImage != 0 && sizeImage < needed)
        return BmpError::Damaged;
    if (src.size - offBits < needed)
        return BmpError::Damaged;

    img.imageSize = static_cast<std::uint32_t>(needed);
    const std::size_t keep = kInfoHeaderSize + (compression == kBiBitfields ? 12 : 0);
    img.info.assign(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(keep));
    Put32(img.info.data() + 20, img.imageSize);

    img.bits.resize(static_cast<std::size_t>(needed));
    if (!src.read(offBits, img.bits.size(), img.bits.data()))
        return BmpError::Damaged;

    out = std::move(img);
    return BmpError::None;
}

struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int width = 0;
};

Channel MakeChannel(std::uint32_t mask)
{
    Channel c;
    c.mask = mask;
    if (mask) {
        c.shift = std::countr_zero(mask);
        c.width = std::popcount(mask);
    }
    return c;
}

std::uint32_t Expand(std::uint32_t pixel, const Channel& c)
{
    const std::uint32_t v = (pixel & c.mask) >> c.shift;
    if (c.width >= 8)
        return v >> (c.width - 8);
    const std::uint32_t max = (1u << c.width) - 1;
    return (v * 255 + max / 2) / max;
}

std::uint32_t Reduce(std::uint32_t value8, const Channel& c)
{
    std::uint32_t v;
    if (c.width >= 8) {
        v = value8 << (c.width - 8);
    } else {
        const std::uint32_t max = (1u << c.width) - 1;
        v = (value8 * max + 127) / 255;
    }
    return (v << c.shift) & c.mask;
}

} // namespace

const char* BmpErrorText(BmpError error)
{
    switch (error) {
    case BmpError::None: return "";
    case BmpError::CannotRead: return "读取位图文件出错";
    case BmpError::NotBmp: return "本文件不是位图图片";
    case BmpError::NotTrueColour: return "本图片不是一个真彩色位图";
    case BmpError::Damaged: return "位图文件不完整或已损坏";
    case BmpError::Unsupported:
        return "不支持这种位图：只能打开不压缩（或带颜色掩码）、自下而上存放的16、24或32位位图";
    case BmpError::TooLarge: return "位图尺寸太大";
    }
    return "读取位图文件出错";
}

std::uint64_t RowBytes(std::int64_t width, int bitCount)
{
    const std::uint64_t bits = static_cast<std::uint64_t>(bitCount) * static_cast<std::uint64_t>(width);
    std::uint64_t words = bits / 32;
    if (bits % 32)
        ++words;
    return words * 4;
}

std::size_t BmpImage::RowBytes() const
{
    return static_cast<std::size_t>(bmp::RowBytes(width, bitCount));
}

int UpdateColorCount(std::uint32_t biClrUsed, int bitCount, int previous)
{
    if (biClrUsed != 0)
        return biClrUsed > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(biClrUsed);
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    case 16:
    case 24:
    case 32: return 0;
    default: return previous;
    }
}

BmpError ParseBmp(std::span<const std::uint8_t> file, BmpImage& out)
{
    Source src;
    src.size = file.size();
    src.read = [file](std::uint64_t offset, std::size_t count, std::uint8_t* dst) {
        if (offset > file.size() || count > file.size() - offset)
            return false;
        if (count)
            std::memcpy(dst, file.data() + offset, count);
        return true;
    };
    return Parse(src, out);
}

BmpError ReadBmpFile(const std::string& path, BmpImage& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return BmpError::CannotRead;
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    if (end < 0)
        return BmpError::CannotRead;
    in.seekg(0, std::ios::beg);
    Source src;
    src.size = static_cast<std::uint64_t>(end);
    src.read = [&in, &src](std::uint64_t offset, std::size_t count, std::uint8_t* dst) {
        if (offset > src.size || count > src.size - offset)
            return false;
        in.clear();
        in.seekg(static_cast<std::streamoff>(offset));
        in.read(reinterpret_cast<char*>(dst), static_cast<std::streamsize>(count));
        return static_cast<std::size_t>(in.gcount()) == count;
    };
    return Parse(src, out);
}

void DecodeRows(const BmpImage& image, std::uint32_t* dst, std::size_t dstStride)
{
    const std::size_t rowBytes = image.RowBytes();
    const Channel r = MakeChannel(image.masks[0]);
    const Channel g = MakeChannel(image.masks[1]);
    const Channel b = MakeChannel(image.masks[2]);
    for (std::int32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.bits.data() + rowBytes * static_cast<std::size_t>(image.height - 1 - y);
        std::uint32_t* out = dst + dstStride * static_cast<std::size_t>(y);
        switch (image.bitCount) {
        case 24:
            for (std::int32_t x = 0; x < image.width; ++x, row += 3)
                out[x] = 0xFF000000u | (std::uint32_t(row[2]) << 16) | (std::uint32_t(row[1]) << 8) | row[0];
            break;
        case 16:
            for (std::int32_t x = 0; x < image.width; ++x, row += 2) {
                const std::uint32_t p = Get16(row);
                out[x] = 0xFF000000u | (Expand(p, r) << 16) | (Expand(p, g) << 8) | Expand(p, b);
            }
            break;
        case 32:
            for (std::int32_t x = 0; x < image.width; ++x, row += 4) {
                const std::uint32_t p = Get32(row);
                out[x] = 0xFF000000u | (Expand(p, r) << 16) | (Expand(p, g) << 8) | Expand(p, b);
            }
            break;
        default:
            break;
        }
    }
}

std::vector<std::uint8_t> EncodeBmpFile(const BmpImage& format, const std::uint32_t* src, std::size_t srcStride)
{
    const std::size_t infoLen = kInfoHeaderSize + (format.compression == kBiBitfields ? 12 : 0);
    const std::size_t offBits = kFileHeaderSize + infoLen;
    std::vector<std::uint8_t> file(offBits + format.imageSize, 0);

    std::uint8_t* fh = file.data();
    Put16(fh, 0x4D42);
    Put32(fh + 2, 0);
    Put32(fh + 6, 0);
    Put32(fh + 10, static_cast<std::uint32_t>(offBits));

    std::uint8_t* h = fh + kFileHeaderSize;
    if (format.info.size() >= kInfoHeaderSize) {
        std::memcpy(h, format.info.data(), kInfoHeaderSize);
    } else {
        Put32(h, kInfoHeaderSize);
        Put32(h + 4, static_cast<std::uint32_t>(format.width));
        Put32(h + 8, static_cast<std::uint32_t>(format.height));
        Put16(h + 12, 1);
        Put16(h + 14, format.bitCount);
        Put32(h + 16, format.compression);
    }
    Put32(h + 20, format.imageSize);
    if (format.compression == kBiBitfields)
        for (int i = 0; i < 3; ++i)
            Put32(h + kInfoHeaderSize + 4 * i, format.masks[i]);

    const std::size_t rowBytes = format.RowBytes();
    if (rowBytes * static_cast<std::size_t>(format.height) > format.imageSize)
        return {};
    const Channel r = MakeChannel(format.masks[0]);
    const Channel g = MakeChannel(format.masks[1]);
    const Channel b = MakeChannel(format.masks[2]);
    std::uint8_t* bits = file.data() + offBits;
    for (std::int32_t y = 0; y < format.height; ++y) {
        const std::uint32_t* in = src + srcStride * static_cast<std::size_t>(y);
        std::uint8_t* row = bits + rowBytes * static_cast<std::size_t>(format.height - 1 - y);
        for (std::int32_t x = 0; x < format.width; ++x) {
            const std::uint32_t p = in[x];
            const std::uint32_t cr = (p >> 16) & 0xFF, cg = (p >> 8) & 0xFF, cb = p & 0xFF;
            switch (format.bitCount) {
            case 24:
                row[3 * x] = static_cast<std::uint8_t>(cb);
                row[3 * x + 1] = static_cast<std::uint8_t>(cg);
                row[3 * x + 2] = static_cast<std::uint8_t>(cr);
                break;
            case 16:
                Put16(row + 2 * x, Reduce(cr, r) | Reduce(cg, g) | Reduce(cb, b));
                break;
            case 32:
                Put32(row + 4 * x, Reduce(cr, r) | Reduce(cg, g) | Reduce(cb, b));
                break;
            default:
                break;
            }
        }
    }
    return file;
}

} // namespace wheel::bmp
