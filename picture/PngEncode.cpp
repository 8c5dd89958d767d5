#include "picture/PngEncode.h"

#include <png.h>
#include <zlib.h>

namespace wheel {

namespace {

// Everything a longjmp must not lose lives here and is reached through a
// reference, never in locals of the frame that calls setjmp.
struct Job {
    const cv::Mat* image = nullptr;
    std::vector<std::uint8_t>* out = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_bytep> rows;
};

void WriteToVector(png_structp png, png_bytep data, size_t length)
{
    auto* job = static_cast<Job*>(png_get_io_ptr(png));
    job->out->insert(job->out->end(), data, data + length);
}
void Flush(png_structp) {}

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
    const cv::Mat& image = *job.image;
    png_set_write_fn(png, &job, WriteToVector, Flush);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(png, Z_BEST_SPEED);
    png_set_compression_strategy(png, Z_RLE);
    const int channels = image.channels();
    png_set_IHDR(png, job.info, png_uint_32(image.cols), png_uint_32(image.rows), 8,
                 channels == 1 ? PNG_COLOR_TYPE_GRAY : channels == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, job.info);
    png_set_bgr(png);
    png_write_image(png, job.rows.data());
    png_write_end(png, job.info);
    return true;
}

} // namespace

bool EncodePng(const cv::Mat& image, std::vector<std::uint8_t>& out)
{
    out.clear();
    const int channels = image.channels();
    if (image.empty() || image.dims != 2 || image.depth() != CV_8U || (channels != 1 && channels != 3 && channels != 4))
        return false;
    Job job;
    job.image = &image;
    job.out = &out;
    for (int y = 0; y < image.rows; ++y)
        job.rows.push_back(const_cast<png_bytep>(image.ptr<std::uint8_t>(y)));
    job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    job.info = job.png ? png_create_info_struct(job.png) : nullptr;
    const bool ok = job.info && Run(job);
    png_destroy_write_struct(&job.png, &job.info);
    if (!ok)
        out.clear();
    return ok;
}

} // namespace wheel
