/* A stand-in for hidapi, loaded with LD_PRELOAD: it reports one wheel light
 * (0483:5750 at /dev/hidraw-fake-wheel) and lets it be opened and written,
 * without touching any device. Every call that would reach a device is
 * appended as one line to the file named by WHEEL_FAKE_HIDAPI_LOG: "init"
 * (a hidapi backend started), "enumerate", "open PATH", "write BYTES",
 * "close". With it, a run of the test
 * suite shows whether any test would have opened a wheel light plugged into
 * the machine. */

#include <hidapi.h>

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#define FAKE_PATH "/dev/hidraw-fake-wheel"

struct hid_device_ {
    int unused;
};

static void note(const char* line)
{
    const char* log = getenv("WHEEL_FAKE_HIDAPI_LOG");
    if (!log || !*log)
        return;
    /* One write per line, appended: lines of parallel tests never mix. */
    char buffer[512];
    const int n = snprintf(buffer, sizeof buffer, "%s\n", line);
    const int fd = open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    if (n > 0 && write(fd, buffer, (size_t)n) < 0) {
        /* nothing to do: the log is a witness, not a result */
    }
    close(fd);
}

int hid_init(void)
{
    note("init");
    return 0;
}

int hid_exit(void) { return 0; }

struct hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    note("enumerate");
    if ((vendor_id != 0 && vendor_id != 0x0483) || (product_id != 0 && product_id != 0x5750))
        return NULL;
    struct hid_device_info* info = calloc(1, sizeof *info);
    if (!info)
        return NULL;
    info->path = strdup(FAKE_PATH);
    info->vendor_id = 0x0483;
    info->product_id = 0x5750;
    info->product_string = wcsdup(L"Fake wheel light");
    info->interface_number = 0;
    return info;
}

void hid_free_enumeration(struct hid_device_info* devices)
{
    while (devices) {
        struct hid_device_info* next = devices->next;
        free(devices->path);
        free(devices->product_string);
        free(devices);
        devices = next;
    }
}

hid_device* hid_open_path(const char* path)
{
    char line[300];
    snprintf(line, sizeof line, "open %s", path);
    note(line);
    return calloc(1, sizeof(hid_device));
}

hid_device* hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t* serial_number)
{
    (void)vendor_id;
    (void)product_id;
    (void)serial_number;
    return hid_open_path(FAKE_PATH);
}

int hid_write(hid_device* device, const unsigned char* data, size_t length)
{
    (void)device;
    (void)data;
    char line[64];
    snprintf(line, sizeof line, "write %zu", length);
    note(line);
    return (int)length;
}

/* The fake never answers. */
int hid_read_timeout(hid_device* device, unsigned char* data, size_t length, int milliseconds)
{
    (void)device;
    (void)data;
    (void)length;
    if (milliseconds > 0) {
        struct timespec pause = {milliseconds / 1000, (long)(milliseconds % 1000) * 1000000L};
        nanosleep(&pause, NULL);
    }
    return 0;
}

int hid_read(hid_device* device, unsigned char* data, size_t length)
{
    return hid_read_timeout(device, data, length, 100);
}

void hid_close(hid_device* device)
{
    note("close");
    free(device);
}

const wchar_t* hid_error(hid_device* device)
{
    (void)device;
    return L"fake hidapi";
}
