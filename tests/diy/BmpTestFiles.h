#pragma once
// Small BMP files built byte by byte for the tests.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace wheel::test {

struct BmpLayout {
    int width = 4;
    int height = 3;
    int bitCount = 24;
    std::uint32_t biSize = 40;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::uint32_t clrUsed = 0;
    std::vector<std::uint32_t> masks;  // written after the header
    int gap = 0;                       // extra bytes before the rows
    long long offBitsOverride = -1;
    long long truncateTo = -1;         // cut the file to this many bytes
    std::uint8_t fill = 0;             // value of every pixel byte
};

inline void Put16(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x)
{
    v[at] = static_cast<std::uint8_t>(x);
    v[at + 1] = static_cast<std::uint8_t>(x >> 8);
}
inline void Put32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v[at + i] = static_cast<std::uint8_t>(x >> (8 * i));
}
inline std::uint32_t Get32(const std::vector<std::uint8_t>& v, std::size_t at)
{
    return v[at] | (v[at + 1] << 8) | (v[at + 2] << 16) | (std::uint32_t(v[at + 3]) << 24);
}

inline std::vector<std::uint8_t> MakeBmp(const BmpLayout& s)
{
    const std::size_t infoLen = 40 + 4 * s.masks.size() + static_cast<std::size_t>(s.gap);
    const std::size_t offBits = 14 + infoLen;
    const std::size_t rowBytes = ((static_cast<std::size_t>(s.bitCount) * s.width + 31) / 32) * 4;
    // A file that is cut short never holds all its rows: absurd sizes stay cheap.
    const std::size_t rows = s.truncateTo >= 0 ? 0 : rowBytes * static_cast<std::size_t>(s.height < 0 ? -s.height : s.height);
    std::vector<std::uint8_t> v(std::max<std::size_t>(offBits + rows, s.truncateTo >= 0 ? std::size_t(s.truncateTo) : 0), s.fill);
    v[0] = 'B';
    v[1] = 'M';
    Put32(v, 2, static_cast<std::uint32_t>(offBits + rows));
    Put32(v, 6, 0);
    Put32(v, 10, static_cast<std::uint32_t>(s.offBitsOverride >= 0 ? s.offBitsOverride : offBits));
    Put32(v, 14, s.biSize);
    Put32(v, 18, static_cast<std::uint32_t>(s.width));
    Put32(v, 22, static_cast<std::uint32_t>(s.height));
    Put16(v, 26, 1);
    Put16(v, 28, static_cast<std::uint32_t>(s.bitCount));
    Put32(v, 30, s.compression);
    Put32(v, 34, s.sizeImage);
    Put32(v, 38, 2835);
    Put32(v, 42, 2835);
    Put32(v, 46, s.clrUsed);
    Put32(v, 50, 0);
    for (std::size_t i = 0; i < s.masks.size(); ++i)
        Put32(v, 54 + 4 * i, s.masks[i]);
    for (std::size_t i = 54 + 4 * s.masks.size(); i < offBits; ++i)
        v[i] = 0xEE;
    if (s.truncateTo >= 0)
        v.resize(static_cast<std::size_t>(s.truncateTo));
    return v;
}

} // namespace wheel::test
