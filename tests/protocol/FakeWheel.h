#pragma once
// Test doubles for the protocol: a report link that answers like the wheel
// light (seven 0xAA, then 0x44 per block) and a view that records its effects.

#include "protocol/ProtocolView.h"
#include "protocol/WheelProtocol.h"
#include "usb/ReportLink.h"

#include <array>
#include <deque>
#include <utility>
#include <mutex>
#include <string>
#include <vector>

namespace wheeltest {

struct SentReport {
    std::uint8_t slot = 0;
    std::uint8_t chunk = 0;
    std::array<std::uint8_t, 62> data{};
};

class RecordingView : public wheel::IProtocolView {
public:
    void AppendLog(const std::string& text, bool withTime) override { Add((withTime ? "log: " : "log-: ") + text); }
    void ReplaceLog(const std::string& text) override { Add("replace: " + text); }
    void ShowMessage(const std::string& text, const std::string& caption) override
    {
        Add("box[" + caption + "]: " + text);
    }
    void SetProgress(int percent) override { Add("progress: " + std::to_string(percent)); }
    void EnableOperationButtons(bool enable) override { Add(enable ? "buttons: on" : "buttons: off"); }
    void SetAllSlotBoxes(bool ticked) override { Add(ticked ? "slots: on" : "slots: off"); }
    void Set48Mode(bool ticked) override { Add(ticked ? "48: on" : "48: off"); }

    void Add(const std::string& event)
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(event);
    }
    std::vector<std::string> Events() const
    {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    std::vector<std::string> Take()
    {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_events, {});
    }
    // The events that start with `prefix`, in order.
    std::vector<std::string> With(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const auto& e : Events())
            if (e.rfind(prefix, 0) == 0)
                out.push_back(e);
        return out;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
};

// Answers are queued, not delivered from inside SendReport; Pump() hands them
// to the protocol one by one, as the reader thread would.
class FakeWheel : public wheel::IReportLink {
public:
    explicit FakeWheel(RecordingView& view) : m_view(view) {}

    bool present = true;   // a wheel light is attached
    bool answers = true;   // it answers the reports it takes

    bool ConnectDevice() override
    {
        m_view.AppendLog("尝试连接风火轮", true);
        if (!present) {
            m_view.AppendLog("风火轮连接失败", true);
            return false;
        }
        m_view.AppendLog("风火轮已经找到", true);
        return true;
    }

    bool SendReport(std::uint8_t slot, std::uint8_t chunk, std::span<const std::uint8_t, 62> data) override
    {
        std::lock_guard lock(m_mutex);
        SentReport r;
        r.slot = slot;
        r.chunk = chunk;
        std::copy(data.begin(), data.end(), r.data.begin());
        m_sent.push_back(r);
        if (answers)
            m_answers.push_back(chunk < 7 ? wheel::AnswerNext : wheel::AnswerDone);
        return true;
    }

    // Delivers up to `limit` queued answers; returns how many.
    int Pump(wheel::WheelProtocol& protocol, int limit = 1 << 30)
    {
        int n = 0;
        while (n < limit) {
            std::uint8_t code;
            {
                std::lock_guard lock(m_mutex);
                if (m_answers.empty())
                    break;
                code = m_answers.front();
                m_answers.pop_front();
            }
            protocol.OnAnswer(code);
            ++n;
        }
        return n;
    }

    std::vector<SentReport> Sent() const
    {
        std::lock_guard lock(m_mutex);
        return m_sent;
    }
    void ClearSent()
    {
        std::lock_guard lock(m_mutex);
        m_sent.clear();
    }
    void DropAnswers()
    {
        std::lock_guard lock(m_mutex);
        m_answers.clear();
    }

private:
    RecordingView& m_view;
    mutable std::mutex m_mutex;
    std::vector<SentReport> m_sent;
    std::deque<std::uint8_t> m_answers;
};

} // namespace wheeltest
