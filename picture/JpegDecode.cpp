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

// The file handed to libjpeg in large pieces. Its Huffman decoder takes a
// fast path only while a few kilobytes of data lie ready (512 bytes a block
// of an MCU); the 4 KiB pieces of jpeg_stdio_src leave it on the slow path
// most of the time. Otherwise as jpeg_stdio_src: an empty file is an error,
// and one that ends early is warned of and ended with an EOI marker.
struct Source {
    jpeg_source_mgr pub;  // first member: libjpeg hands it back as cinfo->src
    std::FILE* file = nullptr;
    std::vector<JOCTET> buffer;
    bool started = false;
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo)
{
    auto* source = reinterpret_cast<Source*>(cinfo->src);
    std::size_t n = std::fread(source->buffer.data(), 1, source->buffer.size(), source->file);
    if (n == 0) {
        if (!source->started)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        n = 2;
    }
    source->pub.next_input_byte = source->buffer.data();
    source->pub.bytes_in_buffer = n;
    source->started = true;
    return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr& pub = *cinfo->src;
    while (count > static_cast<long>(pub.bytes_in_buffer)) {
        count -= static_cast<long>(pub.bytes_in_buffer);
        FillInput(cinfo);
    }
    pub.next_input_byte += count;
    pub.bytes_in_buffer -= static_cast<std::size_t>(count);
}

void UseSource(jpeg_decompress_struct& cinfo, Source& source, std::FILE* file)
{
    constexpr std::size_t kPiece = 256 * 1024;
    source.file = file;
    source.buffer.resize(kPiece);
    source.pub.init_source = InitSource;
    source.pub.fill_input_buffer = FillInput;
    source.pub.skip_input_data = SkipInput;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = TermSource;
    source.pub.bytes_in_buffer = 0;
    source.pub.next_input_byte = nullptr;
    cinfo.src = &source.pub;
}

// Everything a longjmp must not lose lives here and is reached through a
// reference, never in locals of the frame that calls setjmp.
struct Job {
    jpeg_decompress_struct cinfo;
    Errors errors;
    std::FILE* file = nullptr;
    Source source;
    int flags = 0;
    RowSink* rows = nullptr;  // told of the rows when grey
    bool told = false;        // Begin was called
    cv::Mat image;
    int orientation = 0;
};

bool Run(Job& job)
{
    jpeg_decompress_struct& cinfo = job.cinfo;
    if (setjmp(job.errors.jump) != 0)
        return false;
    jpeg_create_decompress(&cinfo);
    UseSource(cinfo, job.source, job.file);
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
    // A grey picture's rows are told of in batches as they are finished.
    constexpr int kRowsPerReport = 64;
    if (job.rows && !colour) {
        job.rows->Begin(job.image);
        job.told = true;
    }
    const auto tell = [&job, &cinfo] {
        const int done = int(cinfo.output_scanline);
        if (job.told && (done % kRowsPerReport == 0 || done == int(cinfo.output_height)))
            job.rows->RowsReady(done);
    };
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
            tell();
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
            tell();
        }
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

} // namespace

DecodedPicture DecodeJpeg(const std::string& path, int flags, RowSink* rows)
{
    DecodedPicture result;
    Job job{};
    job.file = std::fopen(path.c_str(), "rb");
    if (!job.file) {
        result.error = LoadError::Unreadable;
        return result;
    }
    job.flags = flags;
    job.rows = rows;
    job.cinfo.err = jpeg_std_error(&job.errors.pub);
    job.errors.pub.error_exit = OnError;
    job.errors.pub.emit_message = OnMessage;
    job.errors.pub.output_message = Quiet;

    const bool finished = Run(job);
    if (job.told)
        job.rows->End();
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
