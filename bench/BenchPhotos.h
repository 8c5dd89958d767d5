#pragma once
// Twenty photo-like 12-megapixel JPEG files for the picture set benchmarks,
// made once and kept between runs in the temporary folder.

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace wheel::bench {

inline constexpr int kPhotos = 20;

// A photo-like 4000 x 3000 picture, a little different for each box.
inline cv::Mat MakePhoto(int n)
{
    cv::Mat photo(3000, 4000, CV_8UC3);
    for (int y = 0; y < photo.rows; ++y) {
        auto* row = photo.ptr<cv::Vec3b>(y);
        for (int x = 0; x < photo.cols; ++x)
            row[x] = cv::Vec3b(uchar((x + 13 * n) * 255 / photo.cols), uchar(y * 255 / photo.rows), uchar((x + y) % 256));
    }
    for (int i = 0; i < 30; ++i)
        cv::circle(photo, {130 * i + 7 * n, 97 * ((i + n) % 30)}, 200 + 9 * i, cv::Scalar(30 * i % 256, 90, 200 - 5 * i),
                   cv::FILLED);
    cv::Mat grain(photo.size(), CV_8UC3);
    cv::randu(grain, 0, 24);
    photo += grain;
    return photo;
}

// Kept between runs, beside the 24-megapixel pictures of PictureBench.
inline const std::vector<std::string>& Photos()
{
    namespace fs = std::filesystem;
    static const std::vector<std::string> paths = [] {
        std::vector<std::string> list;
        for (int n = 0; n < kPhotos; ++n) {
            const fs::path path = fs::temp_directory_path() / ("wheel-bench-12mp-" + std::to_string(n) + ".jpg");
            if (!fs::exists(path)) {
                const fs::path tmp = path.string() + ".tmp.jpg";
                cv::imwrite(tmp.string(), MakePhoto(n));
                fs::rename(tmp, path);
            }
            list.push_back(path.string());
        }
        return list;
    }();
    return paths;
}

} // namespace wheel::bench
