#include "picture/PictureFile.h"

#include "picture/AdjustPicture.h"
#include "picture/GreyCounter.h"
#include "picture/PictureDecode.h"

#include <opencv2/imgcodecs.hpp>  // the IMREAD_ flags only
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <future>

namespace wheel {

namespace {

int ReducedColourFlag(const PictureHeader& header, int displayLongSide)
{
    const int longSide = std::max(header.width, header.height);
    if (longSide / 8 >= displayLongSide)
        return cv::IMREAD_REDUCED_COLOR_8;
    if (longSide / 4 >= displayLongSide)
        return cv::IMREAD_REDUCED_COLOR_4;
    if (longSide / 2 >= displayLongSide)
        return cv::IMREAD_REDUCED_COLOR_2;
    return cv::IMREAD_COLOR;
}

} // namespace

LoadResult LoadPicture(const std::string& path, const LoadOptions& options)
{
    LoadResult result;
    PictureHeader header;
    if (const LoadError e = ProbePicture(path, header); e != LoadError::None) {
        result.error = e;
        return result;
    }

    // The two decodes are independent: the colour copy for display runs on a
    // second thread while this one decodes the grey picture at full size.
    std::future<DecodedPicture> colour;
    if (options.wantOriginal) {
        const int flag = ReducedColourFlag(header, options.displayLongSide);
        colour = std::async(std::launch::async,
                            [path, header, flag] { return DecodePicture(path, header.format, flag); });
    }
    // Otsu's histogram is counted on a thread of its own while the decoder
    // is still at work (where the decoder tells of its rows).
    GreyCounter counter;
    DecodedPicture gray = DecodePicture(path, header.format, cv::IMREAD_GRAYSCALE, &counter);
    DecodedPicture original = options.wantOriginal ? colour.get() : DecodedPicture{};
    const LoadError failed = gray.error != LoadError::None ? gray.error : original.error;
    if (failed != LoadError::None || gray.image.type() != CV_8UC1
        || (options.wantOriginal && original.image.empty())) {
        result.error = failed != LoadError::None ? failed : LoadError::DecodeFailed;
        return result;
    }

    result.picture.header = header;
    AdjustDecodedPicture(std::move(gray.image), options.adjustments, options.keepGray, result.picture,
                         counter.Complete() ? &counter.Counts() : nullptr);
    result.picture.original = std::move(original.image);
    return result;
}

std::string LoadErrorText(LoadError error)
{
    switch (error) {
    case LoadError::None: return "";
    case LoadError::Missing: return "文件不存在";
    case LoadError::Unreadable: return "文件无法读取";
    case LoadError::Empty: return "文件是空的";
    case LoadError::NotAPicture: return "不是BMP、JPEG或PNG图片";
    case LoadError::Truncated: return "文件不完整，可能已损坏";
    case LoadError::TooLarge: return "图片太大（超过1亿像素）";
    case LoadError::DecodeFailed: return "图片已损坏，无法解码";
    case LoadError::NoCodecs: return "无法加载图片解码模块，请重新安装本程序";
    }
    return "";
}

} // namespace wheel
