#include "usb/SimulatedWheelLight.h"

#include "usb/ReportLink.h"

#include <algorithm>

namespace wheel {

SimulatedWheelLight::SimulatedWheelLight(bool plugged)
    : m_bPlugged(plugged)
{
}

SimulatedWheelLight::~SimulatedWheelLight() = default;

std::vector<HidDeviceInfo> SimulatedWheelLight::Enumerate(std::uint16_t vendorId, std::uint16_t productId)
{
    std::lock_guard lock(m_mutex);
    if (!m_bPlugged || (vendorId != 0 && vendorId != kVendorId) || (productId != 0 && productId != kProductId))
        return {};
    return {{kPath, kVendorId, kProductId, kProductName}};
}

HidHandle SimulatedWheelLight::Open(const std::string& path, OpenFailure* failure)
{
    std::lock_guard lock(m_mutex);
    OpenFailure result = OpenFailure::None;
    if (!m_bPlugged || path != kPath)
        result = OpenFailure::NotFound;
    else
        result = m_faults.openFailure;
    if (failure)
        *failure = result;
    if (result != OpenFailure::None)
        return kInvalidHandle;
    const HidHandle handle = m_nextHandle++;
    m_open.insert(handle);
    return handle;
}

void SimulatedWheelLight::TakeReport(std::uint8_t slot, std::uint8_t chunk, std::span<const std::uint8_t> data)
{
    if (chunk >= kChunksPerBlock)
        return;
    Assembly& assembly = m_assembly[slot];
    if (chunk == 0)
        assembly.chunks = 0;
    std::copy(data.begin(), data.end(), assembly.block.begin() + kChunkBytes * chunk);
    assembly.chunks |= 1u << chunk;
    if (chunk == kChunksPerBlock - 1) {
        if (assembly.chunks == 0xFFu) {
            if (assembly.block[kTrailerMarker] == MarkerCalibration)
                m_calibration = assembly.block;
            else
                m_slots[slot] = assembly.block;
        }
        assembly.chunks = 0;
    }
}

int SimulatedWheelLight::Write(HidHandle handle, std::span<const std::uint8_t, kInputReportBytes> report,
                               int* errorCode)
{
    std::vector<std::uint8_t> bytes(report.begin(), report.end());
    bool vanished = false;
    bool announce = true;
    {
        std::lock_guard lock(m_mutex);
        if (!m_bPlugged || !m_open.contains(handle)) {
            if (errorCode)
                *errorCode = kWriteErrorNotConnected;
            return -1;
        }
        m_transcript.push_back({Exchange::Direction::Out, bytes});
        const std::uint8_t slot = report[1];
        const std::uint8_t chunk = report[2];
        TakeReport(slot, chunk, report.subspan(3, kReportDataBytes));
        ++m_nReportsTaken;
        if (m_faults.removeAfterReports > 0 && m_nReportsTaken == m_faults.removeAfterReports) {
            VanishLocked();
            vanished = true;
            announce = !m_faults.removeUnannounced;
        } else if (!m_faults.silent) {
            std::vector<std::uint8_t> answer(kInputReportBytes, 0);
            answer[0] = m_faults.wrongReportId ? 1 : 0;
            answer[1] = m_faults.answerCode ? *m_faults.answerCode
                        : chunk == kChunksPerBlock - 1 ? AnswerDone
                                                       : AnswerNext;
            if (m_faults.shortReport)
                answer.resize(10);
            m_input.push_back({std::chrono::steady_clock::now() + m_faults.latency, std::move(answer)});
            m_inputArrived.notify_all();
        }
    }
    Record(Exchange::Direction::Out, std::move(bytes));
    if (vanished && announce)
        Notify(DeviceChange::Removed);
    return static_cast<int>(kInputReportBytes);
}

int SimulatedWheelLight::Read(HidHandle handle, std::span<std::uint8_t, kInputReportBytes> report, int timeoutMs)
{
    std::vector<std::uint8_t> bytes;
    {
        std::unique_lock lock(m_mutex);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        for (;;) {
            if (!m_bPlugged || !m_open.contains(handle))
                return -1;
            const auto now = std::chrono::steady_clock::now();
            if (!m_input.empty() && m_input.front().due <= now) {
                bytes = std::move(m_input.front().bytes);
                m_input.pop_front();
                m_transcript.push_back({Exchange::Direction::In, bytes});
                break;
            }
            if (now >= deadline)
                return 0;
            auto wake = deadline;
            if (!m_input.empty())
                wake = std::min(wake, m_input.front().due);
            m_inputArrived.wait_until(lock, wake);
        }
    }
    std::copy_n(bytes.begin(), std::min(bytes.size(), report.size()), report.begin());
    const int length = static_cast<int>(bytes.size());
    Record(Exchange::Direction::In, std::move(bytes));
    return length;
}

void SimulatedWheelLight::Close(HidHandle handle)
{
    std::lock_guard lock(m_mutex);
    m_open.erase(handle);
    m_inputArrived.notify_all();
}

bool SimulatedWheelLight::WatchChanges(ChangeCallback callback)
{
    std::lock_guard lock(m_callbackMutex);
    m_changeCallback = std::move(callback);
    return true;
}

void SimulatedWheelLight::SetFaults(const Faults& faults)
{
    std::lock_guard lock(m_mutex);
    m_faults = faults;
    m_nReportsTaken = 0;
}

void SimulatedWheelLight::VanishLocked()
{
    m_bPlugged = false;
    m_open.clear();
    m_input.clear();
    m_assembly.clear();
    m_inputArrived.notify_all();
}

void SimulatedWheelLight::Unplug(bool announce)
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_bPlugged)
            return;
        VanishLocked();
    }
    if (announce)
        Notify(DeviceChange::Removed);
}

void SimulatedWheelLight::Plug(bool announce)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_bPlugged)
            return;
        m_bPlugged = true;
    }
    if (announce)
        Notify(DeviceChange::Arrived);
}

bool SimulatedWheelLight::Plugged() const
{
    std::lock_guard lock(m_mutex);
    return m_bPlugged;
}

void SimulatedWheelLight::Notify(DeviceChange change)
{
    std::lock_guard lock(m_callbackMutex);
    if (m_changeCallback)
        m_changeCallback(change, kPath);
}

void SimulatedWheelLight::Record(Exchange::Direction direction, std::vector<std::uint8_t> bytes)
{
    std::lock_guard lock(m_callbackMutex);
    if (m_recorder)
        m_recorder(Exchange{direction, std::move(bytes)});
}

void SimulatedWheelLight::InjectInput(std::vector<std::uint8_t> bytes)
{
    std::lock_guard lock(m_mutex);
    m_input.push_back({std::chrono::steady_clock::now(), std::move(bytes)});
    m_inputArrived.notify_all();
}

std::optional<TransferBlock> SimulatedWheelLight::Slot(std::uint8_t slot) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_slots.find(slot);
    if (it == m_slots.end())
        return std::nullopt;
    return it->second;
}

std::optional<TransferBlock> SimulatedWheelLight::Calibration() const
{
    std::lock_guard lock(m_mutex);
    return m_calibration;
}

std::vector<SimulatedWheelLight::Exchange> SimulatedWheelLight::Transcript() const
{
    std::lock_guard lock(m_mutex);
    return m_transcript;
}

void SimulatedWheelLight::ClearTranscript()
{
    std::lock_guard lock(m_mutex);
    m_transcript.clear();
}

void SimulatedWheelLight::SetRecorder(std::function<void(const Exchange&)> recorder)
{
    std::lock_guard lock(m_callbackMutex);
    m_recorder = std::move(recorder);
}

int SimulatedWheelLight::ReportsTaken() const
{
    std::lock_guard lock(m_mutex);
    return m_nReportsTaken;
}

} // namespace wheel
