// The yardstick for wheelctl convert: one plain colour decode by OpenCV.
#include <opencv2/imgcodecs.hpp>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: wheel-plain-decode PICTURE\n");
        return 2;
    }
    const cv::Mat image = cv::imread(argv[1], cv::IMREAD_COLOR);
    std::printf("%dx%d\n", image.cols, image.rows);
    return image.empty() ? 1 : 0;
}
