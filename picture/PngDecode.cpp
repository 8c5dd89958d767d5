#include "picture/internal/PngDecode.h"

#include "picture/internal/ExifOrientation.h"

#include <png.h>

#include <cstdio>
#include <exception>
#include <vector>

namespace wheel {

namespace {

// Everything a longjmp must not lose lives here and is reached through a
// reference, never in locals of the frame that calls setjmp.
struct Job {
    std::vector<char> readBuffer;  // the file's, until it is closed
    std::FILE* file = nullptr;
    bool fileEnded = false;
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_infop endInfo = nullptr;
    std::vector<png_bytep> rows;
    int flags = 0;
    cv::Mat image;
    int orientation = 0;
};

void ReadFromFile(png_structp png, png_bytep data, size_t length)
{
    auto* job = static_cast<Job*>(png_get_io_ptr(png));
    if (std::fread(data, 1, length, job->file) != length) {
        job->fileEnded = true;
        png_error(png, "end of file");
    }
}

// Errors end the decode at Run's setjmp; libpng would print them if this
// handler returned. Warnings (a misnamed ICC profile and the like) are
// ignored as cv::imread ignores them, only silently.
[[noreturn]] void OnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

bool Run(Job& job)
{
    png_structp png = job.png;
    if (setjmp(png_jmpbuf(png)) != 0)
        return false;
    png_set_read_fn(png, &job, ReadFromFile);
    png_read_info(png, job.info);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    png_get_IHDR(png, job.info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
    if (bitDepth > 8 && bitDepth != 16)
        return false;

    // OpenCV's transformations for an 8-bit picture of one or three channels.
    const bool colour = WantsColour(job.flags);
    if (bitDepth == 16)
        png_set_strip_16(png);
    png_set_strip_alpha(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if ((colourType & PNG_COLOR_MASK_COLOR) == 0 && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if ((colourType & PNG_COLOR_MASK_COLOR) && colour)
        png_set_bgr(png);
    else if (colour)
        png_set_gray_to_rgb(png);
    else
        png_set_rgb_to_gray(png, 1, 0.299, 0.587);
    png_set_interlace_handling(png);
    png_read_update_info(png, job.info);

    try {
        job.image.create(int(height), int(width), colour ? CV_8UC3 : CV_8UC1);
        job.rows.resize(height);
    } catch (const std::exception&) {
        return false;
    }
    for (png_uint_32 y = 0; y < height; ++y)
        job.rows[y] = job.image.ptr(int(y));
    png_read_image(png, job.rows.data());
    png_read_end(png, job.endInfo);

    png_uint_32 exifSize = 0;
    png_bytep exif = nullptr;
    if (png_get_valid(png, job.info, PNG_INFO_eXIf))
        png_get_eXIf_1(png, job.info, &exifSize, &exif);
    else if (png_get_valid(png, job.endInfo, PNG_INFO_eXIf))
        png_get_eXIf_1(png, job.endInfo, &exifSize, &exif);
    if (exif && exifSize > 0)
        job.orientation = ExifOrientation(exif, exifSize);
    return true;
}

} // namespace

DecodedPicture DecodePng(const std::string& path, int flags)
{
    DecodedPicture result;
    Job job;
    job.flags = flags;
    job.file = OpenForDecoding(path, job.readBuffer);
    if (!job.file) {
        result.error = LoadError::Unreadable;
        return result;
    }
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
    if (job.png) {
        job.info = png_create_info_struct(job.png);
        job.endInfo = png_create_info_struct(job.png);
    }
    const bool finished = job.info && job.endInfo && Run(job);
    png_destroy_read_struct(&job.png, &job.info, &job.endInfo);
    std::fclose(job.file);

    if (job.fileEnded)
        result.error = LoadError::Truncated;
    else if (!finished)
        result.error = LoadError::DecodeFailed;
    if (result.error != LoadError::None)
        return result;
    ReduceLikeImread(job.image, ReductionOf(flags));
    ApplyExifOrientation(job.image, job.orientation);
    result.image = std::move(job.image);
    return result;
}

} // namespace wheel
