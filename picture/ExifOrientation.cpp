#include "picture/internal/ExifOrientation.h"

#include <opencv2/core.hpp>

namespace wheel {

namespace {

// Reads the TIFF block with OpenCV's rules: little-endian only for "II",
// big-endian otherwise; a read past the end fails the whole entry.
class TiffReader {
public:
    TiffReader(const std::uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size)
        , m_intel(size >= 1 && (size == 1 || data[0] == data[1]) && data[0] == 'I')
    {
    }

    bool U16(std::size_t at, std::uint32_t& value) const
    {
        if (at + 1 >= m_size)
            return false;
        value = m_intel ? m_data[at] | (m_data[at + 1] << 8) : (m_data[at] << 8) | m_data[at + 1];
        return true;
    }
    bool U32(std::size_t at, std::uint32_t& value) const
    {
        if (at + 3 >= m_size)
            return false;
        const std::uint8_t* p = m_data + at;
        value = m_intel ? std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16
                              | std::uint32_t(p[3]) << 24
                        : std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8
                              | std::uint32_t(p[3]);
        return true;
    }
    // `count` rationals at the offset the entry holds.
    bool Rationals(std::size_t entry, int count) const
    {
        std::uint32_t at = 0, unused = 0;
        if (!U32(entry + 8, at))
            return false;
        for (int i = 0; i < count; ++i, at += 8)
            if (!U32(at, unused) || !U32(std::size_t(at) + 4, unused))
                return false;
        return true;
    }
    // A string entry: up to four bytes stand at offset 8 of the block (sic),
    // longer ones where the entry points.
    bool String(std::size_t entry) const
    {
        std::uint32_t length = 0, at = 8;
        if (!U32(entry + 4, length) || (length > 4 && !U32(entry + 8, at)))
            return false;
        return at <= m_size && std::size_t(at) + length <= m_size;
    }
    std::size_t Size() const { return m_size; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    bool m_intel;
};

} // namespace

int ExifOrientation(const std::uint8_t* tiff, std::size_t size)
{
    if (!tiff || size == 0)
        return 0;
    const TiffReader r(tiff, size);
    std::uint32_t mark = 0, offset = 0, entries = 0;
    if (!r.U16(2, mark) || mark != 0x2A || !r.U32(4, offset) || !r.U16(offset, entries))
        return 0;
    offset += 2;
    int orientation = 0;
    for (std::uint32_t i = 0; i < entries; ++i, offset += 12) {
        std::uint32_t tag = 0, value = 0;
        if (!r.U16(offset, tag))
            break;
        bool ok = true;
        switch (tag) {
        case 0x010E: case 0x010F: case 0x0110: case 0x0131: case 0x0132: case 0x8298:
            ok = r.String(offset);  // description, make, model, software, date, copyright
            break;
        case 0x0112:  // orientation: the first one counts
            ok = r.U16(std::size_t(offset) + 8, value);
            if (ok && orientation == 0)
                orientation = value == 0 ? -1 : int(value);
            break;
        case 0x0128: case 0x0213:  // resolution unit, YCbCr positioning
            ok = r.U16(std::size_t(offset) + 8, value);
            break;
        case 0x011A: case 0x011B:  // x and y resolution
            ok = r.Rationals(offset, 1);
            break;
        case 0x013E:  // white point
            ok = r.Rationals(offset, 2);
            break;
        case 0x0211:  // YCbCr coefficients
            ok = r.Rationals(offset, 3);
            break;
        case 0x013F: case 0x0214:  // primary chromaticities, reference black and white
            ok = r.Rationals(offset, 6);
            break;
        default:
            break;
        }
        if (!ok)
            break;
    }
    return orientation < 0 ? 0 : orientation;
}

void ApplyExifOrientation(cv::Mat& image, int orientation)
{
    switch (orientation) {
    case 2: cv::flip(image, image, 1); break;
    case 3: cv::flip(image, image, -1); break;
    case 4: cv::flip(image, image, 0); break;
    case 5: cv::transpose(image, image); break;
    case 6: cv::transpose(image, image); cv::flip(image, image, 1); break;
    case 7: cv::transpose(image, image); cv::flip(image, image, -1); break;
    case 8: cv::transpose(image, image); cv::flip(image, image, 0); break;
    default: break;
    }
}

} // namespace wheel
