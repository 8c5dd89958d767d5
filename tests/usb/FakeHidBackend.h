#pragma once
// A HID backend that tests script: which devices are listed, how each open
// ends, how each write ends (and how long it takes), what the reads deliver.
// It also checks the link's promise never to close a handle under a running
// read or write.

#include "usb/HidBackend.h"
#include "usb/UsbLink.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace wheel::test {

class FakeHidBackend : public IHidBackend {
public:
    // --- script ---
    void SetDevices(std::vector<HidDeviceInfo> devices)
    {
        std::lock_guard lock(m_mutex);
        m_devices = std::move(devices);
    }
    // Each Open takes the next entry; None (or an empty script) opens.
    void ScriptOpens(std::deque<OpenFailure> script)
    {
        std::lock_guard lock(m_mutex);
        m_openScript = std::move(script);
    }
    // Each Write takes the next error code; 0 (or an empty script) succeeds.
    void ScriptWrites(std::deque<int> errorCodes)
    {
        std::lock_guard lock(m_mutex);
        m_writeScript = std::move(errorCodes);
    }
    // While held, writes do not return.
    void HoldWrites(bool hold)
    {
        std::lock_guard lock(m_mutex);
        m_bHoldWrites = hold;
        m_changed.notify_all();
    }
    // Each successful write queues this answer code before it returns, then
    // takes `delay` more: the answer overtakes the write's completion.
    void AnswerEveryWrite(std::uint8_t code, std::chrono::milliseconds delay)
    {
        std::lock_guard lock(m_mutex);
        m_answerCode = code;
        m_answerDelay = delay;
    }
    void QueueInput(std::vector<std::uint8_t> bytes)
    {
        std::lock_guard lock(m_mutex);
        m_input.push_back(std::move(bytes));
        m_changed.notify_all();
    }
    void FailReads(bool fail)
    {
        std::lock_guard lock(m_mutex);
        m_bFailReads = fail;
        m_changed.notify_all();
    }

    // --- observations ---
    std::vector<std::vector<std::uint8_t>> Written() const
    {
        std::lock_guard lock(m_mutex);
        return m_written;
    }
    std::vector<HidHandle> Opened() const
    {
        std::lock_guard lock(m_mutex);
        return m_opened;
    }
    std::vector<HidHandle> Closed() const
    {
        std::lock_guard lock(m_mutex);
        return m_closed;
    }
    int Enumerations() const
    {
        std::lock_guard lock(m_mutex);
        return m_nEnumerations;
    }
    int Reads() const
    {
        std::lock_guard lock(m_mutex);
        return m_nReads;
    }
    bool ClosedWhileBusy() const
    {
        std::lock_guard lock(m_mutex);
        return m_bClosedWhileBusy;
    }
    bool WaitForReadPending(std::chrono::milliseconds limit)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] { return !m_busy.empty(); });
    }

    // --- IHidBackend ---
    std::vector<HidDeviceInfo> Enumerate(std::uint16_t, std::uint16_t) override
    {
        // Deliberately unfiltered: the link must check the identifiers itself.
        std::lock_guard lock(m_mutex);
        ++m_nEnumerations;
        return m_devices;
    }
    HidHandle Open(const std::string&, OpenFailure* failure) override
    {
        std::lock_guard lock(m_mutex);
        OpenFailure result = OpenFailure::None;
        if (!m_openScript.empty()) {
            result = m_openScript.front();
            m_openScript.pop_front();
        }
        if (failure)
            *failure = result;
        if (result != OpenFailure::None)
            return kInvalidHandle;
        const HidHandle handle = m_nextHandle++;
        m_opened.push_back(handle);
        return handle;
    }
    int Write(HidHandle handle, std::span<const std::uint8_t, kInputReportBytes> report, int* errorCode) override
    {
        std::unique_lock lock(m_mutex);
        m_busy.insert(handle);
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return !m_bHoldWrites; });
        int code = 0;
        if (!m_writeScript.empty()) {
            code = m_writeScript.front();
            m_writeScript.pop_front();
        }
        if (code == 0) {
            m_written.emplace_back(report.begin(), report.end());
            if (m_answerCode) {
                std::vector<std::uint8_t> answer(kInputReportBytes, 0);
                answer[1] = *m_answerCode;
                m_input.push_back(answer);
                m_changed.notify_all();
                const auto delay = m_answerDelay;
                lock.unlock();
                std::this_thread::sleep_for(delay);
                lock.lock();
            }
        }
        m_busy.erase(m_busy.find(handle));
        if (code != 0) {
            if (errorCode)
                *errorCode = code;
            return -1;
        }
        return static_cast<int>(report.size());
    }
    int Read(HidHandle handle, std::span<std::uint8_t, kInputReportBytes> report, int timeoutMs) override
    {
        std::unique_lock lock(m_mutex);
        ++m_nReads;
        m_busy.insert(handle);
        m_changed.notify_all();
        int result = 0;
        if (m_bFailReads) {
            result = -1;
        } else if (m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                      [&] { return !m_input.empty() || m_bFailReads; })
                   && !m_input.empty()) {
            const std::vector<std::uint8_t> bytes = std::move(m_input.front());
            m_input.pop_front();
            std::copy_n(bytes.begin(), std::min(bytes.size(), report.size()), report.begin());
            result = static_cast<int>(bytes.size());
        } else if (m_bFailReads) {
            result = -1;
        }
        m_busy.erase(m_busy.find(handle));
        return result;
    }
    void Close(HidHandle handle) override
    {
        std::lock_guard lock(m_mutex);
        if (m_busy.contains(handle))
            m_bClosedWhileBusy = true;
        m_closed.push_back(handle);
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<HidDeviceInfo> m_devices;
    std::deque<OpenFailure> m_openScript;
    std::deque<int> m_writeScript;
    bool m_bHoldWrites = false;
    std::optional<std::uint8_t> m_answerCode;
    std::chrono::milliseconds m_answerDelay{0};
    std::deque<std::vector<std::uint8_t>> m_input;
    bool m_bFailReads = false;
    std::vector<std::vector<std::uint8_t>> m_written;
    std::vector<HidHandle> m_opened;
    std::vector<HidHandle> m_closed;
    std::multiset<HidHandle> m_busy;
    HidHandle m_nextHandle = 100;
    int m_nEnumerations = 0;
    int m_nReads = 0;
    bool m_bClosedWhileBusy = false;
};

// Records the log and the answers; optionally reacts to answers.
class RecordingHost : public ILinkHost {
public:
    struct Line {
        std::string text;
        int withTime;
        int withNewline;
        bool operator==(const Line&) const = default;
    };

    void AppendLog(const std::string& text, int withTime, int withNewline) override
    {
        std::lock_guard lock(m_mutex);
        m_lines.push_back({text, withTime, withNewline});
        m_changed.notify_all();
    }
    void OnAnswer(std::uint8_t code) override
    {
        std::function<void(std::uint8_t)> reaction;
        {
            std::lock_guard lock(m_mutex);
            m_answers.push_back(code);
            reaction = m_reaction;
            m_changed.notify_all();
        }
        if (reaction)
            reaction(code);
    }
    void OnDeviceLost() override
    {
        std::lock_guard lock(m_mutex);
        ++m_nLosses;
        m_changed.notify_all();
    }
    bool WaitForLosses(int count, std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] { return m_nLosses >= count; });
    }
    void ReactToAnswers(std::function<void(std::uint8_t)> reaction)
    {
        std::lock_guard lock(m_mutex);
        m_reaction = std::move(reaction);
    }

    std::vector<std::string> Texts() const
    {
        std::lock_guard lock(m_mutex);
        std::vector<std::string> texts;
        for (const auto& line : m_lines)
            texts.push_back(line.text);
        return texts;
    }
    std::vector<Line> Lines() const
    {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    std::vector<std::uint8_t> Answers() const
    {
        std::lock_guard lock(m_mutex);
        return m_answers;
    }
    void Clear()
    {
        std::lock_guard lock(m_mutex);
        m_lines.clear();
        m_answers.clear();
    }
    // Waits (bounded) until the log holds `count` lines.
    bool WaitForLines(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] { return m_lines.size() >= count; });
    }
    bool WaitForAnswers(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] { return m_answers.size() >= count; });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Line> m_lines;
    std::vector<std::uint8_t> m_answers;
    int m_nLosses = 0;
    std::function<void(std::uint8_t)> m_reaction;
};

inline std::array<std::uint8_t, 62> Chunk(std::uint8_t fill)
{
    std::array<std::uint8_t, 62> data;
    data.fill(fill);
    return data;
}

inline std::vector<std::uint8_t> Answer(std::uint8_t code, std::uint8_t reportId = 0, std::size_t length = 65)
{
    std::vector<std::uint8_t> bytes(length, 0);
    bytes[0] = reportId;
    if (length > 1)
        bytes[1] = code;
    return bytes;
}

} // namespace wheel::test
