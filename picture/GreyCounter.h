#pragma once
// Counting a grey picture's values while its decoder is still at work: the
// decoder reports each batch of finished rows, and a thread of the counter's
// own counts them, so that Otsu's histogram costs no time after the decode.

#include "picture/Binarize.h"
#include "picture/PictureDecode.h"

#include <atomic>
#include <cstdint>
#include <thread>

namespace wheel {

class GreyCounter final : public RowSink {
public:
    GreyCounter() = default;
    GreyCounter(const GreyCounter&) = delete;
    GreyCounter& operator=(const GreyCounter&) = delete;
    ~GreyCounter() override;

    // RowSink, on the decoder's thread.
    void Begin(const cv::Mat& image) override;
    void RowsReady(int rows) override;
    void End() override;

    // After End: whether every row of the picture was counted, and the counts.
    bool Complete() const { return m_nRows > 0 && m_nCounted == m_nRows; }
    const GreyCounts& Counts() const { return m_counts; }

private:
    void Count();

    cv::Mat m_image;  // 8-bit, one channel; let go at End, so that it can be freed
    int m_nRows = 0;
    // The rows ready, times two, plus one once the decoder has ended: one
    // value, so that the counting thread never misses the last change.
    std::atomic<std::int64_t> m_state{0};
    std::thread m_thread;
    GreyCounts m_counts{};
    int m_nCounted = 0;  // the counting thread's until it is joined
};

} // namespace wheel
