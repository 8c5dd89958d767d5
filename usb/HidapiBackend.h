#pragma once
// The real wheel light through hidapi's hidraw backend.

#include "usb/HidBackend.h"

#include <mutex>
#include <unordered_map>

struct hid_device_;

namespace wheel {

class HidapiBackend final : public IHidBackend {
public:
    HidapiBackend();
    ~HidapiBackend() override;
    HidapiBackend(const HidapiBackend&) = delete;
    HidapiBackend& operator=(const HidapiBackend&) = delete;

    std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    HidHandle Open(const std::string& path, OpenFailure* failure) override;
    int Write(HidHandle handle, std::span<const std::uint8_t, kInputReportBytes> report, int* errorCode) override;
    int Read(HidHandle handle, std::span<std::uint8_t, kInputReportBytes> report, int timeoutMs) override;
    void Close(HidHandle handle) override;

private:
    hid_device_* Device(HidHandle handle) const;

    mutable std::mutex m_mutex;  // guards the table, not the devices
    std::unordered_map<HidHandle, hid_device_*> m_devices;
    HidHandle m_nextHandle = 1;
};

// hidapi reports errors as the text of strerror() in the current locale. These
// turn such a text back into the errno value (0 when unknown) and an errno
// value into the write error code the log shows.
int ErrnoFromHidapiText(const std::wstring& text);
int WriteErrorCodeFromErrno(int error);

} // namespace wheel
