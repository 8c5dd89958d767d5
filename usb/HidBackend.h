#pragma once
// The few HID operations the link needs, behind one small interface: the
// hidapi backend talks to a real wheel light, SimulatedWheelLight stands in for
// one, and tests script their own.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wheel {

inline constexpr std::size_t kInputReportBytes = 65;  // report ID 0 first, like the output report

// An open device; kInvalidHandle when an open failed or nothing is open.
using HidHandle = std::int64_t;
inline constexpr HidHandle kInvalidHandle = -1;

struct HidDeviceInfo {
    std::string path;          // what Open takes; hidraw: the devnode, e.g. /dev/hidraw3
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string product;       // the product string, UTF-8, may be empty
};

enum class DeviceChange { Arrived, Removed };

enum class OpenFailure { None, PermissionDenied, NotFound, Other };

// Codes of a failed write as the log reports them. They follow the numbering
// the wheel light's users know from its original platform, so that
// "发送失败，错误代码：1" still means "the device does not take writes" and 31 "the
// device is not working".
inline constexpr int kWriteErrorInvalidFunction = 1;
inline constexpr int kWriteErrorAccessDenied = 5;
inline constexpr int kWriteErrorGeneralFailure = 31;
inline constexpr int kWriteErrorTimeout = 121;
inline constexpr int kWriteErrorNotConnected = 1167;

class IHidBackend {
public:
    virtual ~IHidBackend() = default;

    // The HID interfaces with these identifiers (0 matches any), in the
    // system's enumeration order.
    virtual std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) = 0;

    // Opens one handle on the device; the same device may be opened twice.
    virtual HidHandle Open(const std::string& path, OpenFailure* failure = nullptr) = 0;

    // Writes one 65-byte output report (report ID first). Returns the bytes
    // written, or -1 with *errorCode set to one of the kWriteError codes.
    // May block until the device took the report.
    virtual int Write(HidHandle handle, std::span<const std::uint8_t, kInputReportBytes> report,
                      int* errorCode = nullptr) = 0;

    // Waits up to timeoutMs for one input report and stores it with its report
    // ID in byte 0. Returns the length of the report including that byte (65
    // for a well-formed one), 0 on timeout, -1 when the handle no longer works
    // (the device is gone; every later read fails too). Never blocks longer
    // than timeoutMs.
    virtual int Read(HidHandle handle, std::span<std::uint8_t, kInputReportBytes> report, int timeoutMs) = 0;

    // Closes a handle. The caller makes sure that no Read or Write on the same
    // handle is under way.
    virtual void Close(HidHandle handle) = 0;

    // Backends that know of their own arrivals and removals (the simulated
    // light) report them through this callback and return true; the others
    // return false and the hot-plug monitor watches the system instead. The
    // callback may run on any thread, even inside Write, Read or Close: it must
    // queue the news, never call back into the backend or the link. An empty
    // function detaches it.
    using ChangeCallback = std::function<void(DeviceChange, const std::string& path)>;
    virtual bool WatchChanges(ChangeCallback callback)
    {
        (void)callback;
        return false;
    }
};

// Which wheel light a program talks to: the real one, or the simulated one,
// plugged in (--simulate) or not (--simulate=absent, the "no wheel light" case).
enum class Simulation { Off, Present, Absent };

// The value of "--simulate=VALUE": "absent" or "present"; an empty value is
// plain --simulate. Nothing for any other value.
inline std::optional<Simulation> SimulationFromOptionValue(std::string_view value)
{
    if (value.empty() || value == "present")
        return Simulation::Present;
    if (value == "absent")
        return Simulation::Absent;
    return std::nullopt;
}

// The one place that chooses the backend: hidapi (hidraw) for the real wheel
// light, the simulated one otherwise.
std::unique_ptr<IHidBackend> MakeHidBackend(Simulation simulation);

// While this environment variable is set (the test suite sets it for every
// test that runs on the host), the hidapi backend refuses to open or write to
// a device: it says so on stderr and aborts, so that no test can ever touch a
// wheel light plugged into the machine. Enumeration stays allowed.
inline constexpr const char* kNoRealDeviceVariable = "WHEEL_NO_REAL_DEVICE";

} // namespace wheel
