// Our decoders against cv::imread, byte for byte, on pictures made here in
// every layout a camera, an editor or a phone writes.

#include "picture/GreyCounter.h"
#include "picture/PictureDecode.h"

#include <gtest/gtest.h>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <filesystem>
#include <fstream>

#include <jpeglib.h>
#include <png.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uchar>;

cv::Mat Drawing(int w, int h, int channels)
{
    cv::Mat image(h, w, CV_8UC3);
    cv::randu(image, 0, 256);
    cv::GaussianBlur(image, image, {9, 9}, 3);
    cv::circle(image, {w / 3, h / 2}, std::max(1, std::min(w, h) / 3), cv::Scalar(20, 60, 230), cv::FILLED);
    cv::rectangle(image, {w / 2, 0}, {w - 1, h / 3}, cv::Scalar(250, 250, 250), cv::FILLED);
    if (channels == 1)
        cv::cvtColor(image, image, cv::COLOR_BGR2GRAY);
    if (channels == 4)
        cv::cvtColor(image, image, cv::COLOR_BGR2BGRA);
    return image;
}

Bytes Encode(const std::string& ext, const cv::Mat& image, std::vector<int> params = {})
{
    Bytes bytes;
    EXPECT_TRUE(cv::imencode(ext, image, bytes, params));
    return bytes;
}

// libjpeg straight, for what OpenCV cannot write: CMYK and YCCK.
Bytes EncodeCmykJpeg(const cv::Mat& cmyk, J_COLOR_SPACE stored)
{
    jpeg_compress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(cmyk.cols);
    c.image_height = JDIMENSION(cmyk.rows);
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, stored);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<uchar*>(cmyk.ptr(int(c.next_scanline)));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    Bytes bytes(out, out + size);
    std::free(out);
    return bytes;
}

// An APP1 EXIF segment holding one orientation entry, right after SOI.
Bytes WithOrientation(Bytes jpeg, int orientation, bool intel)
{
    Bytes tiff = intel ? Bytes{'I', 'I', 0x2A, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0}
                       : Bytes{'M', 'M', 0, 0x2A, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1};
    tiff.insert(tiff.end(), {0, 0, 0, 0, 0, 0, 0, 0});
    tiff[intel ? 18 : 19] = uchar(orientation);
    Bytes app1 = {0xFF, 0xE1, 0, uchar(tiff.size() + 8), 'E', 'x', 'i', 'f', 0, 0};
    app1.insert(app1.end(), tiff.begin(), tiff.end());
    jpeg.insert(jpeg.begin() + 2, app1.begin(), app1.end());
    return jpeg;
}

// libpng straight, for palettes, bit depths, interlacing and eXIf; `rows`
// holds the packed samples of each row.
Bytes EncodePng(const cv::Mat& rows, int width, int colourType, int bitDepth, bool interlaced, int orientation = 0)
{
    Bytes bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &bytes, [](png_structp p, png_bytep data, size_t n) {
        auto* out = static_cast<Bytes*>(png_get_io_ptr(p));
        out->insert(out->end(), data, data + n);
    }, nullptr);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(rows.rows), bitDepth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[256];
    png_byte alpha[256];
    for (int i = 0; i < 256; ++i) {
        palette[i] = {png_byte(i), png_byte(255 - i), png_byte(i * 7)};
        alpha[i] = png_byte(i);
    }
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(png, info, palette, 256);
        png_set_tRNS(png, info, alpha, 256, nullptr);
    }
    png_byte exif[] = {'M', 'M', 0, 0x2A, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1,
                       0, png_byte(orientation), 0, 0, 0, 0, 0, 0, 0, 0};
    if (orientation)
        png_set_eXIf_1(png, info, sizeof exif, exif);
    std::vector<png_bytep> pointers;
    for (int y = 0; y < rows.rows; ++y)
        pointers.push_back(const_cast<uchar*>(rows.ptr(y)));
    png_set_rows(png, info, pointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

TEST(PictureDecode, GivesThePixelsOfImreadForEveryLayout)
{
    const fs::path dir = fs::temp_directory_path() / ("wheel-decode-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    struct Case {
        std::string name;
        wheel::PictureFormat format;
        Bytes bytes;
    };
    cv::Mat deep, wide16;
    Drawing(50, 31, 3).convertTo(deep, CV_16U, 257.0);
    Drawing(37, 21, 3).convertTo(wide16, CV_16U, 251.0);
    const auto jpeg = wheel::PictureFormat::Jpeg;
    const auto png = wheel::PictureFormat::Png;
    std::vector<Case> cases = {
        {"baseline", jpeg, Encode(".jpg", Drawing(333, 217, 3))},
        {"progressive", jpeg, Encode(".jpg", Drawing(301, 199, 3), {cv::IMWRITE_JPEG_PROGRESSIVE, 1})},
        {"restarts", jpeg, Encode(".jpg", Drawing(97, 45, 3), {cv::IMWRITE_JPEG_RST_INTERVAL, 3})},
        {"grey", jpeg, Encode(".jpg", Drawing(129, 65, 1))},
        {"tiny", jpeg, Encode(".jpg", Drawing(1, 1, 3))},
        {"thin", jpeg, Encode(".jpg", Drawing(1037, 5, 3))},
        {"cmyk", jpeg, EncodeCmykJpeg(Drawing(75, 41, 4), JCS_CMYK)},
        {"ycck", jpeg, EncodeCmykJpeg(Drawing(64, 33, 4), JCS_YCCK)},
        {"rgb8", png, Encode(".png", Drawing(91, 37, 3))},
        {"grey8", png, Encode(".png", Drawing(33, 70, 1))},
        {"rgba8", png, Encode(".png", Drawing(40, 29, 4))},
        {"rgb16", png, Encode(".png", deep)},
        {"bilevel", png, Encode(".png", Drawing(77, 23, 1), {cv::IMWRITE_PNG_BILEVEL, 1})},
        {"palette", png, EncodePng(Drawing(45, 26, 1), 45, PNG_COLOR_TYPE_PALETTE, 8, false)},
        {"interlaced16", png, EncodePng(wide16, 37, PNG_COLOR_TYPE_RGB, 16, true)},
        {"onebit", png, EncodePng(Drawing(5, 19, 1), 40, PNG_COLOR_TYPE_GRAY, 1, true)},
        {"pngturned", png, EncodePng(Drawing(52, 30, 1), 52, PNG_COLOR_TYPE_GRAY, 8, false, 6)},
    };
    for (int o = 1; o <= 8; ++o)
        cases.push_back(
            {"turned" + std::to_string(o), jpeg, WithOrientation(Encode(".jpg", Drawing(63, 34, 3)), o, o % 2)});
    // Run-length coded rows: a run that fills a row, pixels given one by one,
    // a move right and down, the end of the bitmap.
    Bytes rle = Encode(".bmp", Drawing(16, 8, 1));
    rle.resize(rle[10] | (rle[11] << 8));
    rle[30] = 1;
    rle.insert(rle.end(), {16, 10, 0, 0, 0, 4, 1, 50, 99, 7, 12, 60, 0, 0, 0, 2, 2, 1, 3, 200, 0, 1});
    cases.push_back({"rle8", wheel::PictureFormat::Bmp, rle});
    // OpenCV reads only the first APP1 segment, so EXIF behind an XMP block is not applied.
    Bytes xmpFirst = WithOrientation(Encode(".jpg", Drawing(40, 20, 3)), 6, true);
    const Bytes xmp = {0xFF, 0xE1, 0, 14, 'h', 't', 't', 'p', ':', '/', '/', 'n', 's', '.', 'a', 0};
    xmpFirst.insert(xmpFirst.begin() + 2, xmp.begin(), xmp.end());
    cases.push_back({"xmpfirst", jpeg, xmpFirst});

    for (const Case& c : cases) {
        const std::string path = (dir / c.name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(c.bytes.data()), std::streamsize(c.bytes.size()));
        for (int flags : {cv::IMREAD_GRAYSCALE, cv::IMREAD_COLOR, cv::IMREAD_REDUCED_COLOR_2,
                          cv::IMREAD_REDUCED_COLOR_4, cv::IMREAD_REDUCED_COLOR_8}) {
            const cv::Mat expected = cv::imread(path, flags);
            ASSERT_FALSE(expected.empty()) << c.name << " flags " << flags;
            wheel::GreyCounter counter;
            const wheel::DecodedPicture ours = wheel::DecodePicture(path, c.format, flags, &counter);
            ASSERT_EQ(ours.error, wheel::LoadError::None) << c.name << " flags " << flags;
            ASSERT_EQ(ours.image.size(), expected.size()) << c.name << " flags " << flags;
            ASSERT_EQ(ours.image.type(), expected.type()) << c.name << " flags " << flags;
            EXPECT_EQ(cv::norm(ours.image, expected, cv::NORM_INF), 0.0) << c.name << " flags " << flags;
            // A grey JPEG's values are counted while it decodes, every row.
            EXPECT_EQ(counter.Complete(), c.format == jpeg && flags == cv::IMREAD_GRAYSCALE) << c.name;
            if (counter.Complete()) {
                wheel::GreyCounts counts{};
                for (int y = 0; y < expected.rows; ++y)
                    for (int x = 0; x < expected.cols; ++x)
                        ++counts[expected.at<uchar>(y, x)];
                EXPECT_EQ(counter.Counts(), counts) << c.name;
                // Nor does it keep the picture: a turned copy must not
                // leave the unturned one in memory.
                EXPECT_EQ(ours.image.u->refcount, 1) << c.name;
            }
        }
    }
    fs::remove_all(dir);
}

} // namespace
