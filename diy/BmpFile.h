#pragma once
// Windows BMP files as the paint canvas reads and writes them: a 14-byte file
// header, a 40-byte BITMAPINFOHEADER (plus the three colour masks when the
// rows are BI_BITFIELDS), then bottom-up rows padded to 4 bytes. Only
// pictures without a colour table are taken: 16, 24 and 32 bits per pixel.
//
// Plain C++ without Qt, so that the fuzz target and the sanitizer builds can
// use it. Every length is checked against the bytes actually present before
// anything is read or allocated; a refused file leaves nothing behind.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace wheel::bmp {

enum class BmpError {
    None,
    CannotRead,     // cannot open, or fewer than 14 bytes
    NotBmp,         // bfType is not "BM"
    NotTrueColour,  // the picture has (or would need) a colour table
    Damaged,        // header or rows cut short, offsets past the end
    Unsupported,    // a kind of BMP the canvas cannot show correctly
    TooLarge,       // dimensions that would need an absurd allocation
};

// The message the canvas shows for a refusal (UTF-8); empty for None.
const char* BmpErrorText(BmpError error);

inline constexpr std::size_t kFileHeaderSize = 14;
inline constexpr std::size_t kInfoHeaderSize = 40;
inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiBitfields = 3;

// Accepted pictures are at most this many pixels each way and in all.
inline constexpr std::int64_t kMaxSide = 16384;
inline constexpr std::int64_t kMaxPixels = 40'000'000;

struct BmpImage {
    // The 40-byte info header as the canvas keeps it (biSizeImage filled in
    // when the file left it 0), followed by the 12 mask bytes for
    // BI_BITFIELDS pictures. Gap bytes before the rows are not kept.
    std::vector<std::uint8_t> info;
    // The pixel rows, bottom-up, `imageSize` bytes.
    std::vector<std::uint8_t> bits;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue (16 and 32 bits)
    std::uint32_t imageSize = 0;
    int colors = 0;                     // colour-table entries; 0 when accepted

    std::size_t RowBytes() const;
};

// Bytes per row of a picture, padded to a multiple of 4.
std::uint64_t RowBytes(std::int64_t width, int bitCount);

// The colour-table entry count of an info header: biClrUsed when set,
// otherwise by bit count (1, 4, 8 -> 2, 16, 256; 16, 24, 32 -> 0); any other
// bit count leaves `previous`.
int UpdateColorCount(std::uint32_t biClrUsed, int bitCount, int previous);

// Reads a whole BMP from memory or from a file. On an error `out` is left as
// it was.
BmpError ParseBmp(std::span<const std::uint8_t> file, BmpImage& out);
BmpError ReadBmpFile(const std::string& path, BmpImage& out);

// Converts the rows into 0xffRRGGBB pixels, top row first; `dst` holds
// height rows of `dstStride` pixels.
void DecodeRows(const BmpImage& image, std::uint32_t* dst, std::size_t dstStride);

// A complete file in the picture's own format (bit count, compression and
// masks kept) holding the given 0x..RRGGBB pixels, top row first: "BM",
// bfSize 0, bfOffBits 54 (66 with masks), the info header, then imageSize
// bytes of rows.
std::vector<std::uint8_t> EncodeBmpFile(const BmpImage& format, const std::uint32_t* src,
                                        std::size_t srcStride);

} // namespace wheel::bmp
