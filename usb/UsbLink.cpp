#include "usb/UsbLink.h"

#include <algorithm>
#include <utility>

namespace wheel {

const char* const kPermissionHint =
    "没有打开设备的权限：请安装udev规则70-wheel-light.rules（packaging/70-wheel-light.rules，"
    "复制到/etc/udev/rules.d/后执行 udevadm control --reload-rules && udevadm trigger）";

UsbLink::UsbLink(IHidBackend& backend, ILinkHost& host)
    : UsbLink(backend, host, Timing{})
{
}

UsbLink::UsbLink(IHidBackend& backend, ILinkHost& host, Timing timing)
    : m_backend(backend)
    , m_host(host)
    , m_timing(timing)
{
}

UsbLink::~UsbLink()
{
    Stop();
    ReleaseHandles();
}

void UsbLink::Log(const char* text, int withTime, int withNewline)
{
    m_host.AppendLog(text, withTime, withNewline);
}

void UsbLink::Start()
{
    std::lock_guard lock(m_mutex);
    if (m_bStarted)
        return;
    m_bStarted = true;
    m_bStopping = false;
    m_writeThread = std::thread(&UsbLink::WriteWatchThreadProc, this);
    m_readThread = std::thread(&UsbLink::ReaderThreadProc, this);
    m_readerId = m_readThread.get_id();
}

void UsbLink::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_bStarted)
            return;
        m_bStopping = true;
        m_stateChanged.notify_all();
    }
    // A worker cannot join itself; it is only asked to end, and the owner's
    // Stop (at the latest the destructor's) joins it.
    const auto self = std::this_thread::get_id();
    if (self == m_readThread.get_id() || self == m_writeThread.get_id())
        return;
    std::lock_guard joining(m_joinMutex);
    // The reader first: it is the one that starts writes.
    if (m_readThread.joinable())
        m_readThread.join();
    if (m_writeThread.joinable())
        m_writeThread.join();
    std::lock_guard lock(m_mutex);
    m_bStarted = false;
    m_readerId = {};
}

void UsbLink::ReleaseHandles()
{
    {
        std::lock_guard lock(m_mutex);
        m_bLinkUp = false;
        m_stateChanged.notify_all();
    }
    {
        std::lock_guard io(m_readIo);
        HidHandle handle = kInvalidHandle;
        {
            std::lock_guard lock(m_mutex);
            std::swap(handle, m_hReadDevice);
        }
        if (handle != kInvalidHandle)
            m_backend.Close(handle);
    }
    {
        std::lock_guard io(m_writeIo);
        HidHandle handle = kInvalidHandle;
        {
            std::lock_guard lock(m_mutex);
            std::swap(handle, m_hWriteDevice);
        }
        if (handle != kInvalidHandle)
            m_backend.Close(handle);
    }
}

bool UsbLink::ConnectDevice()
{
    // Normally reached with the link down; handles of an earlier link are
    // closed rather than lost.
    ReleaseHandles();

    Log("尝试连接风火轮");
    std::string path;
    for (const HidDeviceInfo& device : m_backend.Enumerate(kVendorId, kProductId)) {
        if (device.vendorId == kVendorId && device.productId == kProductId) {
            path = device.path;
            break;
        }
    }
    if (path.empty()) {
        Log("风火轮连接失败");
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        m_strDevicePath = path;
    }
    Log("风火轮已经找到");

    bool hinted = false;
    auto open = [&](const char* success, const char* failure) {
        OpenFailure why = OpenFailure::None;
        const HidHandle handle = m_backend.Open(path, &why);
        if (handle != kInvalidHandle) {
            Log(success);
        } else {
            Log(failure);
            if (why == OpenFailure::PermissionDenied && !hinted) {
                Log(kPermissionHint);
                hinted = true;
            }
        }
        return handle;
    };
    const HidHandle read = open("读访问打开“驰光”成功", "读访问打开设备失败");
    const HidHandle write = open("写访问打开“驰光”成功", "写访问打开设备失败");

    std::lock_guard lock(m_mutex);
    m_hReadDevice = read;
    m_hWriteDevice = write;
    m_bLinkUp = true;
    m_bSending = false;
    m_bLossAnnounced = false;
    ++m_nConnection;
    m_stateChanged.notify_all();
    return true;
}

void UsbLink::CloseDevice()
{
    ReleaseHandles();
    Log("关闭设备");
}

bool UsbLink::LinkUp() const
{
    std::lock_guard lock(m_mutex);
    return m_bLinkUp;
}

std::string UsbLink::DevicePath() const
{
    std::lock_guard lock(m_mutex);
    return m_strDevicePath;
}

UsbLink::WriteOutcome UsbLink::WriteOnce(const std::array<std::uint8_t, kInputReportBytes>& report,
                                         std::uint64_t connection)
{
    std::lock_guard io(m_writeIo);
    HidHandle handle = kInvalidHandle;
    {
        std::lock_guard lock(m_mutex);
        if (!m_bLinkUp || m_nConnection != connection)
            return {};
        handle = m_hWriteDevice;
    }
    if (handle == kInvalidHandle)
        return {};
    int errorCode = 0;
    const int written = m_backend.Write(handle, report, &errorCode);
    if (written < 0)
        return {-1, errorCode != 0 ? errorCode : kWriteErrorGeneralFailure};
    return {written, 0};
}

void UsbLink::ReportWriteFailure(int errorCode, std::uint64_t connection)
{
    if (errorCode == 0) {
        // The link went down between the checks and the write.
        Log("设备未找到");
        return;
    }
    if (errorCode == kWriteErrorNotConnected) {
        // The device has gone: the user hears of it as of an unplug.
        NoteLoss(connection);
        return;
    }
    m_host.AppendLog("发送失败，错误代码：" + std::to_string(errorCode), 1, 1);
    if (errorCode == kWriteErrorInvalidFunction)
        Log("该设备不支持WriteFile函数。", 0, 1);
}

bool UsbLink::SendReport(std::uint8_t slot, std::uint8_t chunk, std::span<const std::uint8_t, kReportDataBytes> data)
{
    std::unique_lock lock(m_mutex);
    bool waited = false;
    for (;;) {
        const char* refusal = nullptr;
        if (!m_bLinkUp)
            refusal = "设备未找到";
        else if (m_hWriteDevice == kInvalidHandle)
            refusal = "无效的写报告句柄，可能是打开设备时失败";
        else if (m_bSending && waited)
            refusal = "数据正在发送中，暂时不能发送";
        if (refusal) {
            lock.unlock();
            Log(refusal);
            return false;
        }
        if (!m_bSending)
            break;
        // The answer to the previous report can come before its write has
        // been seen to complete: wait for that, rather than drop this report.
        m_stateChanged.wait_for(lock, m_timing.sendWait,
                                [&] { return !m_bSending || !m_bLinkUp || m_bStopping; });
        waited = true;
    }

    std::array<std::uint8_t, kInputReportBytes> report{};
    report[0] = 0;
    report[1] = slot;
    report[2] = chunk;
    std::copy(data.begin(), data.end(), report.begin() + 3);
    m_bSending = true;
    const std::uint64_t connection = m_nConnection;

    // On the reader thread (the protocol answering an answer) the write is
    // made right here: that thread has nothing else to do until it is done,
    // and the device cannot answer before it. Other callers hand the write to
    // the write thread, so that a slow device never blocks them for long.
    WriteOutcome outcome;
    if (m_bStarted && !m_bStopping && std::this_thread::get_id() != m_readerId) {
        m_outputReport = report;
        m_nWriteConnection = connection;
        const std::uint64_t ticket = ++m_nWritePosted;
        m_stateChanged.notify_all();
        if (!m_stateChanged.wait_for(lock, m_timing.writeAtOnce, [&] { return m_nWriteDone >= ticket; })) {
            // Still under way: the write thread completes it and logs a failure.
            m_nWriteLeft = ticket;
            return true;
        }
        // Another sender may already have followed; its outcome is not ours.
        if (m_nLastWriteTicket == ticket)
            outcome = m_lastWrite;
        else
            outcome.result = static_cast<int>(kInputReportBytes);
        lock.unlock();
    } else {
        lock.unlock();
        outcome = WriteOnce(report, connection);
        lock.lock();
        m_bSending = false;
        m_stateChanged.notify_all();
        lock.unlock();
    }
    if (outcome.result >= 0)
        return true;
    ReportWriteFailure(outcome.errorCode, connection);
    return false;
}

void UsbLink::WriteWatchThreadProc()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_stateChanged.wait(lock, [&] { return m_bStopping || m_nWritePosted > m_nWriteTaken; });
        // A write handed over before the stop is still made.
        if (m_nWritePosted == m_nWriteTaken)
            return;
        const std::uint64_t ticket = m_nWritePosted;
        m_nWriteTaken = ticket;
        const auto report = m_outputReport;
        const std::uint64_t connection = m_nWriteConnection;
        lock.unlock();
        const WriteOutcome outcome = WriteOnce(report, connection);
        lock.lock();
        m_lastWrite = outcome;
        m_nLastWriteTicket = ticket;
        m_nWriteDone = ticket;
        m_bSending = false;
        m_stateChanged.notify_all();
        if (m_nWriteLeft == ticket && outcome.result < 0) {
            lock.unlock();
            ReportWriteFailure(outcome.errorCode, connection);
            lock.lock();
        }
    }
}

void UsbLink::ReaderThreadProc()
{
    std::uint64_t invalidHandleLogged = 0;
    for (;;) {
        std::uint64_t connection = 0;
        {
            std::unique_lock lock(m_mutex);
            m_stateChanged.wait(lock, [&] { return m_bStopping || m_bLinkUp; });
            if (m_bStopping)
                return;
            connection = m_nConnection;
            if (m_hReadDevice == kInvalidHandle) {
                // Said once per connection; then wait for the next one.
                if (invalidHandleLogged != connection) {
                    invalidHandleLogged = connection;
                    lock.unlock();
                    Log("无效的读报告句柄，可能是打开设备时失败");
                    lock.lock();
                }
                m_stateChanged.wait(lock, [&] {
                    return m_bStopping || !m_bLinkUp || m_nConnection != connection;
                });
                continue;
            }
        }

        std::array<std::uint8_t, kInputReportBytes> input{};
        int length = 0;
        {
            std::lock_guard io(m_readIo);
            HidHandle handle = kInvalidHandle;
            {
                std::lock_guard lock(m_mutex);
                if (m_bLinkUp && !m_bStopping && m_nConnection == connection)
                    handle = m_hReadDevice;
            }
            if (handle == kInvalidHandle)
                continue;
            length = m_backend.Read(handle, input, static_cast<int>(m_timing.readPoll.count()));
        }
        if (length == 0)
            continue;
        if (length < 0) {
            // The handle is dead: the device has gone, whether or not its
            // removal notice comes. Don't spin until the owner closes the link.
            NoteLoss(connection);
            std::unique_lock lock(m_mutex);
            m_stateChanged.wait_for(lock, m_timing.readErrorPause, [&] {
                return m_bStopping || !m_bLinkUp || m_nConnection != connection;
            });
            continue;
        }
        {
            std::lock_guard lock(m_mutex);
            if (!m_bLinkUp || m_nConnection != connection)
                continue;
        }
        if (length != static_cast<int>(kInputReportBytes) || input[0] != 0)
            continue;
        m_host.OnAnswer(input[1]);
    }
}

void UsbLink::NoteLoss(std::uint64_t connection)
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_bLinkUp || m_nConnection != connection || m_nLostConnection == connection)
            return;
        m_nLostConnection = connection;
    }
    m_host.OnDeviceLost();
}

bool UsbLink::TakeLoss()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_bLinkUp || m_nLostConnection != m_nConnection)
            return false;
        m_bLossAnnounced = true;
    }
    Log("设备被拔出");
    CloseDevice();
    return true;
}

bool UsbLink::OnDeviceChange(DeviceChange change, const std::string& path)
{
    bool linkUp = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_strDevicePath.empty() || path != m_strDevicePath)
            return false;
        // Notices come in order: after an arrival, a removal is a new one.
        const bool announced = std::exchange(m_bLossAnnounced, false);
        if (announced && change == DeviceChange::Removed)
            return false;
        linkUp = m_bLinkUp;
    }
    if (change == DeviceChange::Arrived) {
        // Nothing is reconnected: the next operation connects.
        Log("设备已连接");
        return false;
    }
    Log("设备被拔出");
    if (linkUp)
        CloseDevice();
    return true;
}

} // namespace wheel
