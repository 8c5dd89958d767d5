// The canvas's BMP reader on arbitrary bytes: every refusal must be clean,
// and whatever it accepts must decode and re-encode inside its buffers.
#include "diy/BmpFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    wheel::bmp::BmpImage image;
    if (wheel::bmp::ParseBmp({data, size}, image) != wheel::bmp::BmpError::None)
        return 0;
    if (image.width <= 0 || image.height <= 0 || image.bits.size() != image.imageSize ||
        image.bits.size() < image.RowBytes() * static_cast<std::size_t>(image.height))
        std::abort();
    // Big pictures are valid but slow to convert; the header checks above
    // are what matters for them.
    if (static_cast<std::int64_t>(image.width) * image.height > 1 << 20)
        return 0;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(image.width) * image.height);
    wheel::bmp::DecodeRows(image, pixels.data(), static_cast<std::size_t>(image.width));
    const std::vector<std::uint8_t> file =
        wheel::bmp::EncodeBmpFile(image, pixels.data(), static_cast<std::size_t>(image.width));
    wheel::bmp::BmpImage again;
    if (wheel::bmp::ParseBmp(file, again) != wheel::bmp::BmpError::None || again.bits.size() != image.bits.size())
        std::abort();
    return 0;
}
