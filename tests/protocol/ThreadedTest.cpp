// The protocol with answers on their own thread, as the link's reader delivers
// them, and the window's thread clicking and ticking meanwhile.

#include "FakeWheel.h"
#include "ProtocolFixture.h"

#include <atomic>
#include <condition_variable>
#include <thread>

namespace {

using namespace wheeltest;

// Answers each report from a reader thread, like the wheel light behind UsbLink.
class ThreadedWheel : public wheel::IReportLink {
public:
    explicit ThreadedWheel(RecordingView& view) : m_view(view) {}
    ~ThreadedWheel() override { Stop(); }

    void Start(wheel::WheelProtocol& protocol)
    {
        m_reader = std::thread([this, &protocol] {
            std::unique_lock lock(m_mutex);
            for (;;) {
                m_wake.wait(lock, [this] { return m_stop || !m_answers.empty(); });
                if (m_stop)
                    return;
                const std::uint8_t code = m_answers.front();
                m_answers.pop_front();
                lock.unlock();
                protocol.OnAnswer(code);
                lock.lock();
            }
        });
    }
    void Stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_reader.joinable())
            m_reader.join();
    }

    bool ConnectDevice() override { return true; }
    bool SendReport(std::uint8_t slot, std::uint8_t chunk, std::span<const std::uint8_t, 62>) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_slots.push_back(slot);
            m_answers.push_back(chunk < 7 ? wheel::AnswerNext : wheel::AnswerDone);
        }
        m_wake.notify_all();
        return true;
    }
    std::size_t Reports()
    {
        std::lock_guard lock(m_mutex);
        return m_slots.size();
    }

private:
    RecordingView& m_view;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::uint8_t> m_answers;
    std::vector<std::uint8_t> m_slots;
    bool m_stop = false;
    std::thread m_reader;
};

TEST(ProtocolThreads, FullDownloadWithAnswersOnTheReaderThread)
{
    RecordingView view;
    ThreadedWheel link(view);
    wheel::WheelProtocol protocol(link, view);
    link.Start(protocol);

    wheel::ProtocolInputs values;
    values.m_bPictureLoaded = 1;
    values.m_slotChecks.fill(1);
    wheel::TransferBlock block = RenderedBlock();
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(protocol.OnDownload(values, block));
        // Meanwhile the window's thread reads state and ticks the watchdog.
        for (int i = 0; i < 100 && protocol.CurrentOperation() != wheel::WheelProtocol::Operation::None; ++i) {
            protocol.Tick();
            (void)protocol.Percent();
            protocol.WaitForIdle(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(protocol.WaitForIdle(std::chrono::seconds(10)));
        EXPECT_EQ(protocol.LastResult(), wheel::WheelProtocol::Result::Succeeded);
    }
    link.Stop();
    EXPECT_EQ(link.Reports(), 3u * 160);
    EXPECT_EQ(view.With("box").size(), 3u);
    EXPECT_EQ(view.Events().back(), "buttons: on");
}

TEST(ProtocolThreads, UnplugRacesTheAnswers)
{
    RecordingView view;
    ThreadedWheel link(view);
    wheel::WheelProtocol protocol(link, view);
    link.Start(protocol);

    wheel::ProtocolInputs values;
    values.m_bPictureLoaded = 1;
    values.m_slotChecks.fill(1);
    wheel::TransferBlock block = RenderedBlock();
    ASSERT_TRUE(protocol.OnDownload(values, block));
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    protocol.OnDeviceRemoved();
    ASSERT_TRUE(protocol.WaitForIdle(std::chrono::seconds(10)));
    link.Stop();
    // Either the download finished first or the unplug ended it; never both,
    // and the buttons are back either way.
    const auto boxes = view.With("box");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(view.With("buttons: on").size(), 1u);
}

} // namespace
