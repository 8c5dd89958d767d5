// The picture decoders on arbitrary bytes: the header probe, the JPEG and
// PNG decoders with their longjmp error paths, the EXIF reader and the
// run-length check in front of OpenCV's BMP reader. Every input must end in
// a picture or a refusal, never in a crash, a leak or an overrun.
#include "picture/internal/ExifOrientation.h"
#include "picture/PictureDecode.h"

#include <opencv2/imgcodecs.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    wheel::ExifOrientation(data, size);

    // The decoders read files; a memory file stands in for one.
    const int fd = ::memfd_create("picture", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, data, size) != static_cast<ssize_t>(size))
        std::abort();
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    wheel::PictureHeader header;
    // Big pictures are valid but slow to decode; their headers are what matters.
    if (wheel::ProbePicture(path, header) == wheel::LoadError::None
        && static_cast<std::int64_t>(header.width) * header.height <= 1 << 18) {
        for (int flags : {cv::IMREAD_GRAYSCALE, cv::IMREAD_REDUCED_COLOR_2}) {
            const wheel::DecodedPicture decoded = wheel::DecodePicture(path, header.format, flags);
            if ((decoded.error == wheel::LoadError::None) == decoded.image.empty())
                std::abort();
        }
    }
    ::close(fd);
    return 0;
}
