#include "picture/Binarize.h"

#include <cstdint>

namespace wheel {

int BinarizeOtsu(cv::Mat& image)
{
    CV_Assert(image.depth() == CV_8U);
    const int rowBytes = image.cols * image.channels();

    float hist[256] = {};
    for (int y = 0; y < image.rows; ++y) {
        const std::uint8_t* row = image.ptr<std::uint8_t>(y);
        for (int x = 0; x < rowBytes; ++x)
            hist[row[x]] += 1.0f;
    }
    const int n = rowBytes * image.rows;
    if (n == 0)
        return 20;
    for (float& h : hist)
        h /= static_cast<float>(n);

    float meanTotal = 0.0f;
    for (int k = 0; k < 256; ++k)
        meanTotal += static_cast<float>(k) * hist[k];

    // The best value is kept in single precision on purpose: on a run of equal
    // variances it decides which k wins.
    float best = 0.0f;
    int threshold = 20;
    double w = 0.0;
    double mu = 0.0;
    for (int k = 0; k < 256; ++k) {
        w += hist[k];
        mu += static_cast<float>(k) * hist[k];
        const double t = meanTotal * w - mu;
        const double sigma = t * t / w / (1.0 - w);
        if (sigma > best) {  // NaN never wins
            best = static_cast<float>(sigma);
            threshold = k;
        }
    }

    for (int y = 0; y < image.rows; ++y) {
        std::uint8_t* row = image.ptr<std::uint8_t>(y);
        for (int x = 0; x < rowBytes; ++x)
            row[x] = row[x] > threshold ? 255 : 0;
    }
    return threshold;
}

} // namespace wheel
