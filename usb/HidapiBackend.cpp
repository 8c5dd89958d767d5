#include "usb/HidapiBackend.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace wheel {

namespace {

// The errno values a hidraw open or write can end with, in the order in which
// their texts are tried.
constexpr int kKnownErrors[] = {
    EACCES, EPERM, ENOENT, ENODEV, ENXIO, ESHUTDOWN, ETIMEDOUT, EINVAL, ENOSYS, EOPNOTSUPP,
    ENOTTY, EBADF, EMSGSIZE, EIO, EPIPE, EPROTO, EBUSY, EAGAIN, ENOMEM, EFAULT, EOVERFLOW,
};

// wchar_t holds UTF-32 on Linux.
std::string ToUtf8(const wchar_t* text)
{
    std::string out;
    if (!text)
        return out;
    for (; *text; ++text) {
        const auto c = static_cast<std::uint32_t>(*text);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x110000) {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// strerror()'s text as hidapi stores it: decoded with mbstowcs in the current
// locale.
std::wstring WideErrorText(int error)
{
    const char* narrow = std::strerror(error);
    std::mbstate_t state{};
    const char* src = narrow;
    const std::size_t length = std::mbsrtowcs(nullptr, &src, 0, &state);
    if (length == static_cast<std::size_t>(-1))
        return {};
    std::wstring wide(length, L'\0');
    src = narrow;
    state = {};
    std::mbsrtowcs(wide.data(), &src, length, &state);
    return wide;
}

OpenFailure OpenFailureFromErrno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return OpenFailure::PermissionDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return OpenFailure::NotFound;
    default:
        return OpenFailure::Other;
    }
}

// The test suite's guard (kNoRealDeviceVariable): a test that gets this far
// would talk to whatever wheel light is plugged in, so it must fail loudly
// rather than go on.
void RefuseUnderTestSuite(const char* what, const std::string& target)
{
    const char* guard = std::getenv(kNoRealDeviceVariable);
    if (!guard || !*guard)
        return;
    std::fprintf(stderr,
                 "wheel light: %s is set (the test suite is running): refusing to %s the real HID device %s\n",
                 kNoRealDeviceVariable, what, target.c_str());
    std::fflush(stderr);
    std::abort();
}

} // namespace

int ErrnoFromHidapiText(const std::wstring& text)
{
    if (text.empty())
        return 0;
    for (int error : kKnownErrors) {
        const std::wstring known = WideErrorText(error);
        // Open errors carry a prefix in some hidapi versions; the strerror
        // text always ends the message.
        if (!known.empty() && text.size() >= known.size()
            && text.compare(text.size() - known.size(), known.size(), known) == 0)
            return error;
    }
    return 0;
}

int WriteErrorCodeFromErrno(int error)
{
    switch (error) {
    case EINVAL:
    case ENOSYS:
    case EOPNOTSUPP:
    case ENOTTY:
    case EBADF:
    case EMSGSIZE:
        return kWriteErrorInvalidFunction;
    case EACCES:
    case EPERM:
        return kWriteErrorAccessDenied;
    case ETIMEDOUT:
        return kWriteErrorTimeout;
    case ENODEV:
    case ENXIO:
    case ESHUTDOWN:
    case ENOENT:
        return kWriteErrorNotConnected;
    default:
        return kWriteErrorGeneralFailure;
    }
}

HidapiBackend::HidapiBackend()
{
    hid_init();
}

HidapiBackend::~HidapiBackend()
{
    for (auto& [handle, device] : m_devices)
        hid_close(device);
    hid_exit();
}

std::vector<HidDeviceInfo> HidapiBackend::Enumerate(std::uint16_t vendorId, std::uint16_t productId)
{
    std::vector<HidDeviceInfo> found;
    hid_device_info* list = hid_enumerate(vendorId, productId);
    for (hid_device_info* d = list; d; d = d->next) {
        if (!d->path)
            continue;
        // hidapi lists an interface once per top-level usage; the link wants
        // each interface once.
        const std::string path = d->path;
        if (std::any_of(found.begin(), found.end(), [&](const auto& f) { return f.path == path; }))
            continue;
        found.push_back({path, d->vendor_id, d->product_id, ToUtf8(d->product_string)});
    }
    hid_free_enumeration(list);
    return found;
}

HidHandle HidapiBackend::Open(const std::string& path, OpenFailure* failure)
{
    RefuseUnderTestSuite("open", path);
    errno = 0;
    hid_device* device = hid_open_path(path.c_str());
    const int savedErrno = errno;
    if (!device) {
        if (failure) {
            int error = ErrnoFromHidapiText(hid_error(nullptr) ? hid_error(nullptr) : L"");
            if (error == 0)
                error = savedErrno;
            *failure = OpenFailureFromErrno(error);
        }
        return kInvalidHandle;
    }
    if (failure)
        *failure = OpenFailure::None;
    std::lock_guard lock(m_mutex);
    const HidHandle handle = m_nextHandle++;
    m_devices.emplace(handle, device);
    return handle;
}

hid_device* HidapiBackend::Device(HidHandle handle) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_devices.find(handle);
    return it == m_devices.end() ? nullptr : it->second;
}

int HidapiBackend::Write(HidHandle handle, std::span<const std::uint8_t, kInputReportBytes> report, int* errorCode)
{
    RefuseUnderTestSuite("write to", "handle " + std::to_string(handle));
    hid_device* device = Device(handle);
    if (!device) {
        if (errorCode)
            *errorCode = kWriteErrorInvalidFunction;
        return -1;
    }
    errno = 0;
    const int written = hid_write(device, report.data(), report.size());
    const int savedErrno = errno;
    if (written >= 0)
        return written;
    if (errorCode) {
        const wchar_t* text = hid_error(device);
        int error = ErrnoFromHidapiText(text ? text : L"");
        if (error == 0)
            error = savedErrno;
        *errorCode = WriteErrorCodeFromErrno(error);
    }
    return -1;
}

int HidapiBackend::Read(HidHandle handle, std::span<std::uint8_t, kInputReportBytes> report, int timeoutMs)
{
    hid_device* device = Device(handle);
    if (!device)
        return -1;
    // One byte more than a report can hold, so that an over-long report shows
    // as one.
    std::uint8_t data[kInputReportBytes];
    errno = 0;
    const int n = hid_read_timeout(device, data, sizeof data, timeoutMs);
    // A signal that cut the wait short is not the device's fault; anything
    // else (hidraw: poll's hang-up, EIO) means the device has gone.
    if (n < 0 && errno == EINTR)
        return 0;
    if (n <= 0)
        return n;
    // hidraw delivers the reports of a device without numbered reports without
    // their ID byte: put the 0 back in front.
    report[0] = 0;
    std::copy_n(data, std::min<std::size_t>(static_cast<std::size_t>(n), kInputReportBytes - 1), report.begin() + 1);
    return n + 1;
}

void HidapiBackend::Close(HidHandle handle)
{
    hid_device* device = nullptr;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_devices.find(handle);
        if (it == m_devices.end())
            return;
        device = it->second;
        m_devices.erase(it);
    }
    hid_close(device);
}

} // namespace wheel
