#include "cli/DeviceSession.h"

#include "cli/Backend.h"
#include "io/OutputFile.h"
#include "usb/HotplugMonitor.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <utility>

namespace wheelctl {

std::string TranscriptLine(bool out, std::span<const std::uint8_t> bytes)
{
    std::string line = out ? "out" : "in";
    char hex[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(hex, sizeof hex, " %02x", b);
        line += hex;
    }
    return line;
}

// Passes everything to the real backend and records each report written and
// each report read for the transcript. A write is recorded under the lock it
// holds until the device has taken it, so its answer is never recorded first.
// The transcript is written when the operation is over: a slow reader of a
// FIFO must not hold up the device.
class DeviceSession::RecordingBackend final : public wheel::IHidBackend {
public:
    explicit RecordingBackend(wheel::IHidBackend& inner)
        : m_inner(inner)
    {
    }

    std::vector<wheel::HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override
    {
        return m_inner.Enumerate(vendorId, productId);
    }
    wheel::HidHandle Open(const std::string& path, wheel::OpenFailure* failure) override
    {
        return m_inner.Open(path, failure);
    }
    int Write(wheel::HidHandle handle, std::span<const std::uint8_t, wheel::kInputReportBytes> report,
              int* errorCode) override
    {
        std::lock_guard lock(m_mutex);
        const int n = m_inner.Write(handle, report, errorCode);
        if (n > 0)
            m_text += TranscriptLine(true, report) + "\n";
        return n;
    }
    int Read(wheel::HidHandle handle, std::span<std::uint8_t, wheel::kInputReportBytes> report, int timeoutMs) override
    {
        const int n = m_inner.Read(handle, report, timeoutMs);
        if (n > 0) {
            std::lock_guard lock(m_mutex);
            m_text += TranscriptLine(false, report.first(static_cast<std::size_t>(n))) + "\n";
        }
        return n;
    }
    void Close(wheel::HidHandle handle) override { m_inner.Close(handle); }
    bool WatchChanges(ChangeCallback callback) override { return m_inner.WatchChanges(std::move(callback)); }

    std::string Text()
    {
        std::lock_guard lock(m_mutex);
        return m_text;
    }

private:
    wheel::IHidBackend& m_inner;
    std::mutex m_mutex;
    std::string m_text;
};

DeviceSession::DeviceSession(const Context& context, const std::optional<std::string>& transcriptPath,
                             std::string operation)
    : m_operation(std::move(operation))
    , m_simulated(context.simulate != wheel::Simulation::Off)
    , m_backend(MakeBackend(context))
{
    wheel::IHidBackend* backend = m_backend.get();
    if (transcriptPath) {
        // Opened (or its temporary made) before the device is touched, so
        // that a transcript that cannot be written stops the operation.
        if (IsStandardOutput(*transcriptPath))
            TakeStandardOutput();
        wheel::OutputError error;
        m_transcript = std::make_unique<wheel::OutputFiles>();
        if (!m_transcript->Prepare(*transcriptPath, &error)) {
            Fail(OutputFailure(error, "transcript"));
            m_ok = false;
            return;
        }
        m_recording = std::make_unique<RecordingBackend>(*m_backend);
        backend = m_recording.get();
    }
    const bool ownNews = backend->WatchChanges([this](wheel::DeviceChange change, const std::string& path) {
        std::lock_guard lock(m_changeMutex);
        m_changes.push_back({false, change, path});
    });
    if (!ownNews) {
        // A real device: watch the system (libudev, or polling) as the window does.
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "wheelctl";
            static char* argv[] = {name, nullptr};
            m_app = std::make_unique<QCoreApplication>(argc, argv);
        }
        m_monitor = std::make_unique<wheel::HotplugMonitor>();
        QObject::connect(m_monitor.get(), &wheel::HotplugMonitor::deviceChanged,
                         [this](wheel::DeviceChange change, const QString& devnode) {
                             std::lock_guard lock(m_changeMutex);
                             m_changes.push_back({false, change, devnode.toStdString()});
                         });
        m_monitor->Start(*backend);
    }
    m_link = std::make_unique<wheel::UsbLink>(*backend, *this);
    m_protocol = std::make_unique<wheel::WheelProtocol>(*m_link, *this);
    m_link->Start();
}

DeviceSession::~DeviceSession()
{
    if (m_monitor)
        m_monitor->Stop();
    if (m_link) {
        m_link->Stop();
        if (m_link->LinkUp())
            m_link->CloseDevice();
    }
    if (m_backend)
        m_backend->WatchChanges({});
}

int DeviceSession::Run(const std::function<bool(wheel::WheelProtocol&)>& start)
{
    if (!m_ok)
        return 1;
    HandleChanges();
    const bool started = start(*m_protocol);
    while (started && !m_protocol->WaitForIdle(std::chrono::milliseconds(20))) {
        if (m_monitor)
            QCoreApplication::processEvents();
        HandleChanges();
        m_protocol->Tick();
    }
    UpdateRecord();
    const bool succeeded = started && m_protocol->LastResult() == wheel::WheelProtocol::Result::Succeeded;
    if (m_recording) {
        const std::string text = m_recording->Text();
        const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        wheel::OutputError error;
        if (!m_transcript->Commit({bytes}, &error)) {
            // The wheel light's own result stands apart from the transcript's.
            Fail(OutputFailure(error, "transcript"));
            Fail("the " + m_operation + (succeeded ? " itself succeeded" : " itself failed"));
            return 1;
        }
    }
    return succeeded ? 0 : 1;
}

void DeviceSession::KeepRecord(wheel::SlotNames names)
{
    m_names = std::move(names);
    m_record = std::make_unique<wheel::RecordKeeper>(wheel::RecordFilePath(m_simulated));
}

void DeviceSession::DownloadStarting(const std::vector<std::uint8_t>& slotBytes)
{
    // Written before the first report goes out: on a single processor the
    // writing would otherwise hold up the download's answers.
    {
        std::lock_guard lock(m_recordMutex);
        m_starting = slotBytes;
    }
    UpdateRecord();
}

void DeviceSession::DownloadEnded(const wheel::DownloadOutcome& outcome)
{
    std::lock_guard lock(m_recordMutex);
    m_ended = outcome;
}

// On the thread that starts the download (before it sends anything) and
// after it ended, never on the one that answers the device.
void DeviceSession::UpdateRecord()
{
    std::optional<std::vector<std::uint8_t>> starting;
    std::optional<wheel::DownloadOutcome> ended;
    {
        std::lock_guard lock(m_recordMutex);
        starting = std::exchange(m_starting, std::nullopt);
        ended = std::exchange(m_ended, std::nullopt);
    }
    if (!m_record)
        return;
    QString problem;
    if (starting && !m_record->Started(*starting, m_names, &problem))
        Fail("cannot keep the record of the wheel light's slots: " + problem.toStdString());
    if (ended && !m_record->Ended(*ended, &problem))
        Fail("cannot keep the record of the wheel light's slots: " + problem.toStdString());
}

void DeviceSession::HandleChanges()
{
    for (;;) {
        Change change;
        {
            std::lock_guard lock(m_changeMutex);
            if (m_changes.empty())
                return;
            change = m_changes.front();
            m_changes.pop_front();
        }
        if (change.lost ? m_link->TakeLoss() : m_link->OnDeviceChange(change.change, change.path))
            m_protocol->OnDeviceRemoved();
    }
}

void DeviceSession::Print(const std::string& text)
{
    std::lock_guard lock(m_printMutex);
    Messages() << text << std::flush;
}

void DeviceSession::AppendLog(const std::string& text, int, int withNewline)
{
    Print(withNewline ? Shown(text) + "\n" : Shown(text));
}

void DeviceSession::OnAnswer(std::uint8_t code)
{
    m_protocol->OnAnswer(code);
}

void DeviceSession::OnDeviceLost()
{
    std::lock_guard lock(m_changeMutex);
    m_changes.push_back({true, wheel::DeviceChange::Removed, {}});
}

void DeviceSession::AppendLog(const std::string& text, bool)
{
    Print(Shown(text) + "\n");
}

void DeviceSession::ReplaceLog(const std::string& text)
{
    Print(Shown(text) + "\n");
}

void DeviceSession::ShowMessage(const std::string& text, const std::string& caption)
{
    Print("[" + Shown(caption) + "] " + Shown(text) + "\n");
}

void DeviceSession::SetProgress(int percent)
{
    Print(Shown(wheel::ProgressText(percent)) + "\n");
}

} // namespace wheelctl
