#include "picture/internal/JpegDecode.h"

#include "picture/internal/ExifOrientation.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <exception>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace wheel {

namespace {

struct Errors {
    jpeg_error_mgr pub;  // first member: libjpeg hands it back as cinfo->err
    std::jmp_buf jump;
    bool fileEnded;      // the file ended before the picture did
    bool dataLost;       // rows or coefficients were made up (grey) or skipped
};

[[noreturn]] void OnError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<Errors*>(cinfo->err)->jump, 1);
}

// Warnings are remembered, never printed. Only those that mean lost picture
// data refuse the file: extraneous bytes before a marker (common in camera
// files whose rows are all there), an unknown JFIF revision or Adobe
// transform leave every pixel as the encoder meant it.
void OnMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0)
        return;  // trace messages
    auto* errors = reinterpret_cast<Errors*>(cinfo->err);
    ++errors->pub.num_warnings;
    switch (errors->pub.msg_code) {
    case JWRN_JPEG_EOF:
        errors->fileEnded = true;
        break;
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
        errors->dataLost = true;
        break;
    default:
        break;
    }
}

void Quiet(j_common_ptr) {}

// OpenCV's CMYK conversions (libjpeg hands CMYK over as stored).
int Ink(int value, int k) { return k - ((255 - value) * k >> 8); }

void CmykRowToBgr(const JSAMPLE* cmyk, uchar* bgr, int width)
{
    for (int i = 0; i < width; ++i, cmyk += 4, bgr += 3) {
        const int k = cmyk[3];
        bgr[0] = uchar(Ink(cmyk[2], k));
        bgr[1] = uchar(Ink(cmyk[1], k));
        bgr[2] = uchar(Ink(cmyk[0], k));
    }
}

void CmykRowToGray(const JSAMPLE* cmyk, uchar* gray, int width)
{
    constexpr int kShift = 14;
    constexpr int kR = int(0.299 * (1 << kShift) + 0.5);
    constexpr int kG = int(0.587 * (1 << kShift) + 0.5);
    constexpr int kB = (1 << kShift) - kR - kG;
    for (int i = 0; i < width; ++i, cmyk += 4) {
        const int k = cmyk[3];
        const int sum = Ink(cmyk[2], k) * kB + Ink(cmyk[1], k) * kG + Ink(cmyk[0], k) * kR;
        gray[i] = uchar((sum + (1 << (kShift - 1))) >> kShift);
    }
}

// Everything a longjmp must not lose lives here and is reached through a
// reference, never in locals of the frame that calls setjmp.
struct Job {
    jpeg_decompress_struct cinfo;
    Errors errors;
    std::vector<char> readBuffer;  // the file's, until it is closed
    std::FILE* file = nullptr;
    int flags = 0;
    cv::Mat image;
    int orientation = 0;
};

bool Run(Job& job)
{
    jpeg_decompress_struct& cinfo = job.cinfo;
    if (setjmp(job.errors.jump) != 0)
        return false;
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, job.file);
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xffff);
    jpeg_read_header(&cinfo, TRUE);

    const bool colour = WantsColour(job.flags);
    const bool cmyk = cinfo.num_components == 4;
    cinfo.scale_num = 1;
    cinfo.scale_denom = static_cast<unsigned>(ReductionOf(job.flags));
    cinfo.out_color_space = cmyk ? JCS_CMYK : colour ? JCS_EXT_BGR : JCS_GRAYSCALE;

    // Like OpenCV, the first APP1 segment is taken as EXIF, its TIFF header
    // six bytes in.
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1) {
            if (m->data_length > 6)
                job.orientation = ExifOrientation(m->data + 6, m->data_length - 6);
            break;
        }
    }

    jpeg_start_decompress(&cinfo);
    const int width = int(cinfo.output_width);
    try {
        job.image.create(int(cinfo.output_height), width, colour ? CV_8UC3 : CV_8UC1);
    } catch (const std::exception&) {
        return false;
    }
    if (cmyk) {
        JSAMPARRAY buffer = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                         JDIMENSION(width) * 4, 1);
        while (cinfo.output_scanline < cinfo.output_height) {
            uchar* row = job.image.ptr(int(cinfo.output_scanline));
            jpeg_read_scanlines(&cinfo, buffer, 1);
            if (colour)
                CmykRowToBgr(buffer[0], row, width);
            else
                CmykRowToGray(buffer[0], row, width);
        }
    } else {
        constexpr int kRowsPerCall = 8;
        JSAMPROW rows[kRowsPerCall];
        while (cinfo.output_scanline < cinfo.output_height) {
            const int first = int(cinfo.output_scanline);
            const int count = std::min(kRowsPerCall, int(cinfo.output_height) - first);
            for (int i = 0; i < count; ++i)
                rows[i] = job.image.ptr(first + i);
            jpeg_read_scanlines(&cinfo, rows, JDIMENSION(count));
        }
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

} // namespace

DecodedPicture DecodeJpeg(const std::string& path, int flags)
{
    DecodedPicture result;
    Job job{};
    job.file = OpenForDecoding(path, job.readBuffer);
    if (!job.file) {
        result.error = LoadError::Unreadable;
        return result;
    }
    job.flags = flags;
    job.cinfo.err = jpeg_std_error(&job.errors.pub);
    job.errors.pub.error_exit = OnError;
    job.errors.pub.emit_message = OnMessage;
    job.errors.pub.output_message = Quiet;

    const bool finished = Run(job);
    jpeg_destroy_decompress(&job.cinfo);
    std::fclose(job.file);

    if (job.errors.fileEnded)
        result.error = LoadError::Truncated;
    else if (!finished || job.errors.dataLost)
        result.error = LoadError::DecodeFailed;
    if (result.error != LoadError::None)
        return result;
    ApplyExifOrientation(job.image, job.orientation);
    result.image = std::move(job.image);
    return result;
}

} // namespace wheel
