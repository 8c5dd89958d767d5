// wheel-hid-probe: a small hidapi client that runs inside the test guest and
// exercises the same calls as the editor's hidapi backend, straight against
// the kernel's hidraw driver:
//
//   wheel-hid-probe list           hid_enumerate(0483:5750): one line per device
//   wheel-hid-probe exchange N     N reports out (chunks 0..7 in turn), one answer
//                                  in each; prints the answer codes and the mean
//                                  round trip
//   wheel-hid-probe echo N         N reports to slot 0xEE out, each answered with
//                                  itself (the emulator's --echo or --echo-slot ee);
//                                  checks every byte
//   wheel-hid-probe unplug         sends reports until a read or write fails
//                                  (the device was pulled out), then waits for
//                                  it to come back, watching a libudev monitor
//                                  on the "kernel" source
//
// Exit status 0 on success; every failure says what went wrong on stderr.

#include <hidapi/hidapi.h>
#include <libudev.h>

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned short kVendor = 0x0483;
constexpr unsigned short kProduct = 0x5750;
constexpr int kReadTimeoutMs = 2000;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string FirstPath()
{
    std::string path;
    hid_device_info* list = hid_enumerate(kVendor, kProduct);
    if (list && list->path)
        path = list->path;
    hid_free_enumeration(list);
    return path;
}

int List()
{
    hid_device_info* list = hid_enumerate(kVendor, kProduct);
    int count = 0;
    for (hid_device_info* d = list; d; d = d->next, ++count)
        std::printf("device %04x:%04x path=%s product=%ls interface=%d\n", d->vendor_id, d->product_id,
                    d->path, d->product_string ? d->product_string : L"", d->interface_number);
    hid_free_enumeration(list);
    std::printf("found %d\n", count);
    return count > 0 ? 0 : 1;
}

hid_device* Open(std::string& path)
{
    path = FirstPath();
    if (path.empty()) {
        std::fprintf(stderr, "probe: no 0483:5750 device\n");
        return nullptr;
    }
    hid_device* device = hid_open_path(path.c_str());
    if (!device)
        std::fprintf(stderr, "probe: hid_open_path(%s) failed\n", path.c_str());
    return device;
}

constexpr unsigned char kEchoSlot = 0xEE;

void FillReport(unsigned char (&report)[65], int n, bool echo = false)
{
    report[0] = 0;                                  // report ID
    report[1] = echo ? kEchoSlot : static_cast<unsigned char>(n / 8 % 20);  // slot
    report[2] = static_cast<unsigned char>(n % 8);  // chunk
    for (int i = 3; i < 65; ++i)
        report[i] = static_cast<unsigned char>(n * 7 + i);
}

// One report out, one answer in, N times. With `echo`, the answer must carry
// the report's own 64 bytes; otherwise the answer code must follow the chunk.
int Exchange(int count, bool echo)
{
    std::string path;
    hid_device* device = Open(path);
    if (!device)
        return 1;
    int status = 0;
    double total = 0;
    unsigned char report[65];
    unsigned char answer[65];
    for (int n = 0; n < count; ++n) {
        FillReport(report, n, echo);
        const auto start = Clock::now();
        const int written = hid_write(device, report, sizeof report);
        if (written < 0) {
            std::fprintf(stderr, "probe: hid_write of report %d failed: %ls\n", n + 1, hid_error(device));
            status = 1;
            break;
        }
        const int read = hid_read_timeout(device, answer, 64, kReadTimeoutMs);
        total += MsSince(start);
        if (read != 64) {
            std::fprintf(stderr, "probe: answer %d: hid_read_timeout returned %d\n", n + 1, read);
            status = 1;
            break;
        }
        if (echo) {
            if (std::memcmp(answer, report + 1, 64) != 0) {
                std::fprintf(stderr, "probe: answer %d differs from its report\n", n + 1);
                status = 1;
                break;
            }
        } else {
            const unsigned char expected = report[2] == 7 ? 0x44 : 0xAA;
            if (answer[0] != expected) {
                std::fprintf(stderr, "probe: answer %d has code %02x, expected %02x\n", n + 1, answer[0], expected);
                status = 1;
                break;
            }
        }
    }
    if (status == 0)
        std::printf("%s %d reports, round trip %.3f ms\n", echo ? "echoed" : "exchanged", count, total / count);
    hid_close(device);
    return status;
}

// Sends reports until the device goes away, then waits for it to return. Logs
// the remove and add events of a libudev monitor on the "kernel" source, which
// is what a guest without udevd delivers.
int Unplug()
{
    udev* u = udev_new();
    udev_monitor* monitor = u ? udev_monitor_new_from_netlink(u, "kernel") : nullptr;
    if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        std::fprintf(stderr, "probe: cannot start a udev monitor on the kernel source\n");
        return 1;
    }

    std::string path;
    hid_device* device = Open(path);
    if (!device)
        return 1;
    unsigned char report[65];
    unsigned char answer[65];
    int sent = 0;
    bool gone = false;
    for (int n = 0; n < 1000 && !gone; ++n) {
        FillReport(report, n);
        if (hid_write(device, report, sizeof report) < 0) {
            std::printf("write %d failed: device gone\n", n + 1);
            gone = true;
            break;
        }
        ++sent;
        const int read = hid_read_timeout(device, answer, 64, kReadTimeoutMs);
        if (read < 0) {
            std::printf("read after report %d failed: device gone\n", sent);
            gone = true;
        } else if (read == 0) {
            std::printf("no answer to report %d within %d ms\n", sent, kReadTimeoutMs);
            break;
        }
    }
    hid_close(device);
    if (!gone) {
        std::fprintf(stderr, "probe: the device never went away\n");
        return 1;
    }

    bool removed = false;
    bool added = false;
    const auto start = Clock::now();
    while (!added && MsSince(start) < 10000) {
        pollfd p{udev_monitor_get_fd(monitor), POLLIN, 0};
        if (poll(&p, 1, 200) <= 0)
            continue;
        udev_device* event = udev_monitor_receive_device(monitor);
        if (!event)
            continue;
        const char* action = udev_device_get_action(event);
        const char* node = udev_device_get_devnode(event);
        std::printf("uevent %s %s\n", action ? action : "?", node ? node : "?");
        if (action && std::strcmp(action, "remove") == 0)
            removed = true;
        if (action && std::strcmp(action, "add") == 0)
            added = true;
        udev_device_unref(event);
    }
    udev_monitor_unref(monitor);
    udev_unref(u);
    if (!removed || !added) {
        std::fprintf(stderr, "probe: saw remove=%d add=%d within 10 s\n", removed, added);
        return 1;
    }
    const std::string again = FirstPath();
    std::printf("back after %.0f ms at %s\n", MsSince(start), again.c_str());
    if (again.empty())
        return 1;
    // The returned device must work as before.
    return Exchange(8, false);
}

} // namespace

int main(int argc, char** argv)
{
    if (hid_init() != 0) {
        std::fprintf(stderr, "probe: hid_init failed\n");
        return 1;
    }
    const std::string command = argc > 1 ? argv[1] : "";
    const int count = argc > 2 ? std::atoi(argv[2]) : 16;
    int status = 2;
    if (command == "list")
        status = List();
    else if (command == "exchange" && count > 0)
        status = Exchange(count, false);
    else if (command == "echo" && count > 0)
        status = Exchange(count, true);
    else if (command == "unplug")
        status = Unplug();
    else
        std::fprintf(stderr, "usage: wheel-hid-probe list | exchange N | echo N | unplug\n");
    hid_exit();
    return status;
}
