#include "picture/GreyCounter.h"

#include <array>

namespace wheel {

GreyCounter::~GreyCounter()
{
    End();
}

void GreyCounter::Begin(const cv::Mat& image)
{
    CV_Assert(image.type() == CV_8UC1 && !m_thread.joinable());
    m_image = image;
    m_nRows = image.rows;
    m_thread = std::thread([this] { Count(); });
}

void GreyCounter::RowsReady(int rows)
{
    m_state.store(std::int64_t{rows} * 2, std::memory_order_release);
    m_state.notify_one();
}

void GreyCounter::End()
{
    if (!m_thread.joinable())
        return;
    m_state.fetch_or(1, std::memory_order_release);
    m_state.notify_one();
    m_thread.join();
    m_image.release();
}

void GreyCounter::Count()
{
    // Four tables, so that runs of one value do not wait on one counter.
    std::array<std::array<std::uint32_t, 256>, 4> tables{};
    int done = 0;
    for (;;) {
        const std::int64_t state = m_state.load(std::memory_order_acquire);
        const int ready = static_cast<int>(state / 2);
        if (ready == done) {
            if (state & 1)
                break;
            m_state.wait(state, std::memory_order_acquire);
            continue;
        }
        for (int y = done; y < ready; ++y) {
            const std::uint8_t* p = m_image.ptr<std::uint8_t>(y);
            const int width = m_image.cols;
            int x = 0;
            for (; x + 4 <= width; x += 4) {
                ++tables[0][p[x]];
                ++tables[1][p[x + 1]];
                ++tables[2][p[x + 2]];
                ++tables[3][p[x + 3]];
            }
            for (; x < width; ++x)
                ++tables[0][p[x]];
        }
        done = ready;
    }
    for (int v = 0; v < 256; ++v)
        for (const auto& table : tables)
            m_counts[static_cast<std::size_t>(v)] += table[static_cast<std::size_t>(v)];
    m_nCounted = done;
}

} // namespace wheel
