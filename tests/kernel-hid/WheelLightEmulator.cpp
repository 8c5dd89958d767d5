// wheel-usb-emulator: a wheel light (USB 0483:5750) emulated in user space and
// handed to a QEMU guest through usbredir, so that the guest's kernel drives it
// with its real xHCI, usbcore, usbhid and hidraw code.
//
// It plays the "usb-host" side of the usbredir protocol on a Unix socket that
// QEMU's usb-redir device connects to, and answers the way the device does:
// every output report gets one input report, 0xAA for chunks 0 to 6 and 0x44 for
// chunk 7 (judged from the chunk byte of each report, not from a counter). It
// keeps the complete blocks it received per slot, writes every report it sees
// to a transcript, and misbehaves on request (unplug after the n-th report,
// stay silent, answer with a wrong code).
//
// Usage: wheel-usb-emulator --socket PATH [options]; see Usage() below.

#include <usbredirparser.h>

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint16_t kVendor = 0x0483;
constexpr std::uint16_t kProduct = 0x5750;
constexpr std::uint8_t kEpIn = 0x81;
constexpr std::uint8_t kEpOut = 0x01;
constexpr int kReportSize = 64;  // on the wire; the 65-byte report adds ID 0
constexpr int kChunkData = 62;
constexpr int kBlockSize = 8 * kChunkData;  // 496
constexpr std::uint8_t kAnswerNext = 0xAA;
constexpr std::uint8_t kAnswerDone = 0x44;
constexpr std::uint8_t kMarkerCalibration = 0xCC;

// ---- descriptors ----------------------------------------------------------

// Vendor page, one 64-byte input and one 64-byte output report, no report ID.
const std::uint8_t kReportDescriptor[] = {
    0x06, 0x00, 0xFF,        // Usage Page (Vendor 0xFF00)
    0x09, 0x01,              // Usage (1)
    0xA1, 0x01,              // Collection (Application)
    0x09, 0x02,              //   Usage (2)
    0x15, 0x00,              //   Logical Minimum (0)
    0x26, 0xFF, 0x00,        //   Logical Maximum (255)
    0x75, 0x08,              //   Report Size (8)
    0x95, kReportSize,       //   Report Count (64)
    0x81, 0x02,              //   Input (Data, Variable, Absolute)
    0x09, 0x03,              //   Usage (3)
    0x15, 0x00,              //   Logical Minimum (0)
    0x26, 0xFF, 0x00,        //   Logical Maximum (255)
    0x75, 0x08,              //   Report Size (8)
    0x95, kReportSize,       //   Report Count (64)
    0x91, 0x02,              //   Output (Data, Variable, Absolute)
    0xC0,                    // End Collection
};

const std::uint8_t kDeviceDescriptor[18] = {
    18, 0x01, 0x00, 0x02,    // USB 2.0
    0x00, 0x00, 0x00, 64,    // class per interface, EP0 64 bytes
    kVendor & 0xFF, kVendor >> 8, kProduct & 0xFF, kProduct >> 8,
    0x00, 0x02,              // bcdDevice 2.00
    1, 2, 3,                 // manufacturer, product, serial strings
    1,                       // one configuration
};

std::vector<std::uint8_t> ConfigurationDescriptor()
{
    const std::uint16_t reportLength = sizeof(kReportDescriptor);
    std::vector<std::uint8_t> d = {
        9, 0x02, 0, 0, 1, 1, 0, 0x80, 50,               // config 1, bus powered, 100 mA
        9, 0x04, 0, 0, 2, 0x03, 0x00, 0x00, 0,           // interface 0: HID, no boot protocol
        9, 0x21, 0x11, 0x01, 0, 1, 0x22,                 // HID 1.11, one report descriptor
        static_cast<std::uint8_t>(reportLength & 0xFF), static_cast<std::uint8_t>(reportLength >> 8),
        7, 0x05, kEpIn, 0x03, kReportSize, 0, 1,         // interrupt IN, 1 ms
        7, 0x05, kEpOut, 0x03, kReportSize, 0, 1,        // interrupt OUT, 1 ms
    };
    d[2] = static_cast<std::uint8_t>(d.size() & 0xFF);
    d[3] = static_cast<std::uint8_t>(d.size() >> 8);
    return d;
}

std::vector<std::uint8_t> StringDescriptor(int index)
{
    if (index == 0)
        return {4, 0x03, 0x09, 0x04};  // US English
    const char* text = index == 1 ? "Wheel light emulator"
                     : index == 2 ? "Bicycle wheel light (emulated)"
                     : index == 3 ? "E2E-0001"
                                  : nullptr;
    if (!text)
        return {};
    std::vector<std::uint8_t> d = {0, 0x03};
    for (const char* p = text; *p; ++p) {
        d.push_back(static_cast<std::uint8_t>(*p));
        d.push_back(0);
    }
    d[0] = static_cast<std::uint8_t>(d.size());
    return d;
}

// ---- options ----------------------------------------------------------------

struct Options {
    std::string socketPath;
    std::string transcriptPath;
    std::string slotsDir;
    std::string logPath;
    std::string timesPath;
    long unplugAfter = 0;     // unplug after the n-th output report (0: never)
    long replugMs = 600;      // come back after this delay (negative: stay away)
    bool absent = false;      // never plug the device in
    bool silent = false;      // take reports, never answer
    bool echo = false;        // answer with the report itself (round-trip measurements)
    int wrongCode = -1;       // answer every report with this code instead
    int echoSlot = -1;        // echo the reports to this slot (measurements beside a download)
    long timeoutS = 300;      // give up when nothing ends the session
};

void Usage()
{
    std::fprintf(stderr,
        "usage: wheel-usb-emulator --socket PATH [--transcript FILE] [--times FILE] [--slots DIR] [--log FILE]\n"
        "                          [--unplug-after N] [--replug-ms MS] [--absent] [--silent] [--echo]\n"
        "                          [--echo-slot HEX] [--wrong-code HEX] [--normal] [--timeout SECONDS]\n"
        "  Listens on the Unix socket PATH for QEMU's usb-redir chardev (client side);\n"
        "  the socket appears under its name only once it accepts connections.\n"
        "  --transcript FILE  every report: out|in, then 65 bytes (report ID 0 first) in hex\n"
        "  --times FILE       for each transcript line: seconds since the start, out|in\n"
        "  --slots DIR        at the end, DIR/slot-N.bin for each slot holding a complete\n"
        "                     block (496 bytes), DIR/calibration.bin for the last calibration\n"
        "  --unplug-after N   after the N-th output report, unplug without answering it\n"
        "  --replug-ms MS     plug back in MS milliseconds after an unplug (default 600;\n"
        "                     negative: stay unplugged)\n"
        "  --absent           never plug the device in\n"
        "  --silent           take every report, answer none\n"
        "  --echo             answer every report with its own 64 bytes\n"
        "  --echo-slot HEX    the same for the reports to this slot only, which are\n"
        "                     not kept (no real slot: a round trip beside a download)\n"
        "  --wrong-code HEX   answer every report with this code\n"
        "  --normal           drop the misbehaviours given before it\n");
}

bool ParseOptions(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "wheel-usb-emulator: %s needs a value\n", a.c_str());
                return nullptr;
            }
            return argv[++i];
        };
        const char* v = nullptr;
        if (a == "--silent") { o.silent = true; continue; }
        if (a == "--absent") { o.absent = true; continue; }
        if (a == "--normal") {
            o.absent = o.silent = o.echo = false;
            o.wrongCode = -1;
            o.unplugAfter = 0;
            continue;
        }
        if (a == "--echo") { o.echo = true; continue; }
        if (a == "--socket" || a == "--transcript" || a == "--times" || a == "--slots" || a == "--log" ||
            a == "--unplug-after" || a == "--replug-ms" || a == "--wrong-code" || a == "--timeout" ||
            a == "--echo-slot") {
            if (!(v = value()))
                return false;
        } else {
            std::fprintf(stderr, "wheel-usb-emulator: unknown option %s\n", a.c_str());
            return false;
        }
        if (a == "--socket") o.socketPath = v;
        else if (a == "--transcript") o.transcriptPath = v;
        else if (a == "--times") o.timesPath = v;
        else if (a == "--slots") o.slotsDir = v;
        else if (a == "--log") o.logPath = v;
        else if (a == "--unplug-after") o.unplugAfter = std::strtol(v, nullptr, 10);
        else if (a == "--replug-ms") o.replugMs = std::strtol(v, nullptr, 10);
        else if (a == "--echo-slot") o.echoSlot = static_cast<int>(std::strtol(v, nullptr, 16)) & 0xFF;
        else if (a == "--wrong-code") o.wrongCode = static_cast<int>(std::strtol(v, nullptr, 16)) & 0xFF;
        else if (a == "--timeout") o.timeoutS = std::strtol(v, nullptr, 10);
    }
    if (o.socketPath.empty()) {
        Usage();
        return false;
    }
    return true;
}

// ---- the emulated device ------------------------------------------------------

class Emulator {
public:
    explicit Emulator(Options options) : m_options(std::move(options)) {}
    ~Emulator();

    int Run();

private:
    // usbredirparser callbacks
    static Emulator* Self(void* priv) { return static_cast<Emulator*>(priv); }
    static void OnLog(void* priv, int level, const char* msg);
    static int OnRead(void* priv, std::uint8_t* data, int count);
    static int OnWrite(void* priv, std::uint8_t* data, int count);
    static void OnHello(void* priv, usb_redir_hello_header* hello);
    static void OnReset(void* priv);
    static void OnSetConfiguration(void* priv, std::uint64_t id, usb_redir_set_configuration_header* h);
    static void OnGetConfiguration(void* priv, std::uint64_t id);
    static void OnSetAltSetting(void* priv, std::uint64_t id, usb_redir_set_alt_setting_header* h);
    static void OnGetAltSetting(void* priv, std::uint64_t id, usb_redir_get_alt_setting_header* h);
    static void OnStartInterruptReceiving(void* priv, std::uint64_t id, usb_redir_start_interrupt_receiving_header* h);
    static void OnStopInterruptReceiving(void* priv, std::uint64_t id, usb_redir_stop_interrupt_receiving_header* h);
    static void OnCancelDataPacket(void* priv, std::uint64_t id);
    static void OnControlPacket(void* priv, std::uint64_t id, usb_redir_control_packet_header* h,
                                std::uint8_t* data, int len);
    static void OnBulkPacket(void* priv, std::uint64_t id, usb_redir_bulk_packet_header* h,
                             std::uint8_t* data, int len);
    static void OnInterruptPacket(void* priv, std::uint64_t id, usb_redir_interrupt_packet_header* h,
                                  std::uint8_t* data, int len);

    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool Listen();
    void Plug();
    void Unplug();
    void ControlRequest(std::uint64_t id, usb_redir_control_packet_header* h, const std::uint8_t* data, int len);
    void OutputReport(const std::uint8_t* data, int len);
    void Answer(const std::uint8_t (&report)[kReportSize]);
    void Transcript(const char* direction, const std::uint8_t* data, int len);
    void DumpSlots();
    void Free(std::uint8_t* data) { if (data) usbredirparser_free_packet_data(m_parser, data); }

    Options m_options;
    usbredirparser* m_parser = nullptr;
    int m_listenFd = -1;
    int m_fd = -1;
    bool m_peerClosed = false;
    bool m_plugged = false;
    std::optional<Clock::time_point> m_replugAt;
    std::uint8_t m_configuration = 0;
    std::uint64_t m_inPacketId = 0;
    long m_reportsSeen = 0;
    long m_answersSent = 0;
    // From the first output report to the last answer: the device's view of
    // how long the exchange took.
    std::optional<Clock::time_point> m_firstReport;
    Clock::time_point m_lastAnswer;
    bool m_unplugDone = false;
    FILE* m_transcript = nullptr;
    FILE* m_times = nullptr;
    const Clock::time_point m_start = Clock::now();
    FILE* m_log = nullptr;

    struct Block {
        std::array<std::uint8_t, kBlockSize> bytes{};
        unsigned chunksSeen = 0;  // bit c: chunk c arrived since chunk 0
    };
    std::map<int, Block> m_pending;               // by slot byte
    std::map<int, std::array<std::uint8_t, kBlockSize>> m_held;  // complete blocks by slot
    std::optional<std::array<std::uint8_t, kBlockSize>> m_calibration;
};

Emulator::~Emulator()
{
    if (m_parser)
        usbredirparser_destroy(m_parser);
    if (m_fd >= 0)
        close(m_fd);
    if (m_listenFd >= 0)
        close(m_listenFd);
    if (m_transcript)
        std::fclose(m_transcript);
    if (m_times)
        std::fclose(m_times);
    if (m_log)
        std::fclose(m_log);
}

void Emulator::Log(const char* format, ...)
{
    if (!m_log)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(m_log, format, args);
    va_end(args);
    std::fputc('\n', m_log);
    std::fflush(m_log);
}

void Emulator::OnLog(void* priv, int level, const char* msg)
{
    if (level <= usbredirparser_warning)
        std::fprintf(stderr, "wheel-usb-emulator: usbredir: %s\n", msg);
    Self(priv)->Log("usbredir[%d]: %s", level, msg);
}

int Emulator::OnRead(void* priv, std::uint8_t* data, int count)
{
    Emulator* self = Self(priv);
    const ssize_t n = read(self->m_fd, data, static_cast<size_t>(count));
    if (n > 0)
        return static_cast<int>(n);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return 0;
    self->m_peerClosed = true;  // end of stream or a real error: the session is over
    return -1;
}

int Emulator::OnWrite(void* priv, std::uint8_t* data, int count)
{
    Emulator* self = Self(priv);
    int done = 0;
    while (done < count) {
        const ssize_t n = write(self->m_fd, data + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{self->m_fd, POLLOUT, 0};
            if (poll(&p, 1, 5000) <= 0) {
                self->m_peerClosed = true;
                return -1;
            }
        } else {
            self->m_peerClosed = true;
            return -1;
        }
    }
    return done;
}

void Emulator::OnHello(void* priv, usb_redir_hello_header* hello)
{
    Emulator* self = Self(priv);
    self->Log("peer hello: %s", hello->version);
    if (!self->m_options.absent)
        self->Plug();
}

void Emulator::OnReset(void* priv)
{
    Emulator* self = Self(priv);
    self->Log("reset");
    self->m_configuration = 0;
}

void Emulator::OnSetConfiguration(void* priv, std::uint64_t id, usb_redir_set_configuration_header* h)
{
    Emulator* self = Self(priv);
    usb_redir_configuration_status_header status{};
    if (h->configuration <= 1) {
        self->m_configuration = h->configuration;
        status.status = usb_redir_success;
    } else {
        status.status = usb_redir_stall;
    }
    status.configuration = self->m_configuration;
    self->Log("set configuration %u", h->configuration);
    usbredirparser_send_configuration_status(self->m_parser, id, &status);
}

void Emulator::OnGetConfiguration(void* priv, std::uint64_t id)
{
    Emulator* self = Self(priv);
    usb_redir_configuration_status_header status{};
    status.status = usb_redir_success;
    status.configuration = self->m_configuration;
    usbredirparser_send_configuration_status(self->m_parser, id, &status);
}

void Emulator::OnSetAltSetting(void* priv, std::uint64_t id, usb_redir_set_alt_setting_header* h)
{
    Emulator* self = Self(priv);
    usb_redir_alt_setting_status_header status{};
    status.status = (h->interface == 0 && h->alt == 0) ? usb_redir_success : usb_redir_stall;
    status.interface = h->interface;
    status.alt = 0;
    usbredirparser_send_alt_setting_status(self->m_parser, id, &status);
}

void Emulator::OnGetAltSetting(void* priv, std::uint64_t id, usb_redir_get_alt_setting_header* h)
{
    Emulator* self = Self(priv);
    usb_redir_alt_setting_status_header status{};
    status.status = h->interface == 0 ? usb_redir_success : usb_redir_stall;
    status.interface = h->interface;
    status.alt = 0;
    usbredirparser_send_alt_setting_status(self->m_parser, id, &status);
}

void Emulator::OnStartInterruptReceiving(void* priv, std::uint64_t id,
                                         usb_redir_start_interrupt_receiving_header* h)
{
    Emulator* self = Self(priv);
    usb_redir_interrupt_receiving_status_header status{};
    status.status = h->endpoint == kEpIn ? usb_redir_success : usb_redir_inval;
    status.endpoint = h->endpoint;
    self->Log("start interrupt receiving on 0x%02x", h->endpoint);
    usbredirparser_send_interrupt_receiving_status(self->m_parser, id, &status);
}

void Emulator::OnStopInterruptReceiving(void* priv, std::uint64_t id,
                                        usb_redir_stop_interrupt_receiving_header* h)
{
    Emulator* self = Self(priv);
    usb_redir_interrupt_receiving_status_header status{};
    status.status = usb_redir_success;
    status.endpoint = h->endpoint;
    self->Log("stop interrupt receiving on 0x%02x", h->endpoint);
    usbredirparser_send_interrupt_receiving_status(self->m_parser, id, &status);
}

void Emulator::OnCancelDataPacket(void* priv, std::uint64_t id)
{
    // Every data packet is completed as soon as it arrives, so there is never
    // one left to cancel; the log shows if the guest thinks otherwise.
    Self(priv)->Log("cancel of packet %llu (already completed)", static_cast<unsigned long long>(id));
}

void Emulator::OnControlPacket(void* priv, std::uint64_t id, usb_redir_control_packet_header* h,
                               std::uint8_t* data, int len)
{
    Emulator* self = Self(priv);
    self->ControlRequest(id, h, data, len);
    self->Free(data);
}

void Emulator::OnBulkPacket(void* priv, std::uint64_t id, usb_redir_bulk_packet_header* h,
                            std::uint8_t* data, int)
{
    Emulator* self = Self(priv);
    h->status = usb_redir_stall;  // no bulk endpoints
    h->length = 0;
    h->length_high = 0;
    usbredirparser_send_bulk_packet(self->m_parser, id, h, nullptr, 0);
    self->Free(data);
}

void Emulator::OnInterruptPacket(void* priv, std::uint64_t id, usb_redir_interrupt_packet_header* h,
                                 std::uint8_t* data, int len)
{
    Emulator* self = Self(priv);
    usb_redir_interrupt_packet_header reply = *h;
    if (h->endpoint == kEpOut && self->m_plugged) {
        reply.status = usb_redir_success;
        reply.length = static_cast<std::uint16_t>(len);
        usbredirparser_send_interrupt_packet(self->m_parser, id, &reply, nullptr, 0);
        self->OutputReport(data, len);
    } else {
        reply.status = usb_redir_stall;
        reply.length = 0;
        usbredirparser_send_interrupt_packet(self->m_parser, id, &reply, nullptr, 0);
    }
    self->Free(data);
}

void Emulator::ControlRequest(std::uint64_t id, usb_redir_control_packet_header* h,
                              const std::uint8_t* data, int len)
{
    usb_redir_control_packet_header reply = *h;
    std::vector<std::uint8_t> answer;
    bool ok = true;
    const int descriptorType = h->value >> 8;
    const int descriptorIndex = h->value & 0xFF;

    if (h->requesttype == 0x80 && h->request == 0x06) {          // GET_DESCRIPTOR, device
        if (descriptorType == 0x01)
            answer.assign(std::begin(kDeviceDescriptor), std::end(kDeviceDescriptor));
        else if (descriptorType == 0x02 && descriptorIndex == 0)
            answer = ConfigurationDescriptor();
        else if (descriptorType == 0x03)
            answer = StringDescriptor(descriptorIndex);
        ok = !answer.empty();                                     // others (qualifier, BOS): stall
    } else if (h->requesttype == 0x81 && h->request == 0x06) {   // GET_DESCRIPTOR, interface
        if (descriptorType == 0x22 && h->index == 0)
            answer.assign(std::begin(kReportDescriptor), std::end(kReportDescriptor));
        else if (descriptorType == 0x21 && h->index == 0) {
            const auto config = ConfigurationDescriptor();
            answer.assign(config.begin() + 18, config.begin() + 27);
        }
        ok = !answer.empty();
    } else if ((h->requesttype & 0x80) && h->request == 0x00) {  // GET_STATUS
        answer = {0, 0};
    } else if (h->requesttype == 0x21 && h->request == 0x0A) {   // HID SET_IDLE
        ok = true;
    } else if (h->requesttype == 0x21 && h->request == 0x09) {   // HID SET_REPORT: an output report
        OutputReport(data, len);
    } else if ((h->requesttype & 0x80) == 0 &&
               (h->request == 0x01 || h->request == 0x03)) {     // CLEAR/SET_FEATURE
        ok = true;
    } else {
        ok = false;
    }
    Log("control rt=0x%02x req=0x%02x value=0x%04x index=%u length=%u -> %s",
        h->requesttype, h->request, h->value, h->index, h->length, ok ? "ok" : "stall");

    if (!ok) {
        reply.status = usb_redir_stall;
        reply.length = 0;
        usbredirparser_send_control_packet(m_parser, id, &reply, nullptr, 0);
        return;
    }
    reply.status = usb_redir_success;
    if (h->endpoint & 0x80) {
        if (answer.size() > h->length)
            answer.resize(h->length);
        reply.length = static_cast<std::uint16_t>(answer.size());
        usbredirparser_send_control_packet(m_parser, id, &reply, answer.data(), static_cast<int>(answer.size()));
    } else {
        reply.length = static_cast<std::uint16_t>(len);
        usbredirparser_send_control_packet(m_parser, id, &reply, nullptr, 0);
    }
}

void Emulator::Plug()
{
    usb_redir_interface_info_header interfaces{};
    interfaces.interface_count = 1;
    interfaces.interface[0] = 0;
    interfaces.interface_class[0] = 0x03;
    usbredirparser_send_interface_info(m_parser, &interfaces);

    usb_redir_ep_info_header endpoints{};
    std::memset(endpoints.type, usb_redir_type_invalid, sizeof(endpoints.type));
    auto index = [](std::uint8_t ep) { return ((ep & 0x80) >> 3) | (ep & 0x0F); };
    for (std::uint8_t ep : {std::uint8_t{0x00}, std::uint8_t{0x80}}) {
        endpoints.type[index(ep)] = usb_redir_type_control;
        endpoints.max_packet_size[index(ep)] = 64;
    }
    for (std::uint8_t ep : {kEpIn, kEpOut}) {
        endpoints.type[index(ep)] = usb_redir_type_interrupt;
        endpoints.interval[index(ep)] = 1;
        endpoints.interface[index(ep)] = 0;
        endpoints.max_packet_size[index(ep)] = kReportSize;
    }
    usbredirparser_send_ep_info(m_parser, &endpoints);

    usb_redir_device_connect_header connect{};
    connect.speed = usb_redir_speed_full;
    connect.vendor_id = kVendor;
    connect.product_id = kProduct;
    connect.device_version_bcd = 0x0200;
    usbredirparser_send_device_connect(m_parser, &connect);
    m_plugged = true;
    m_configuration = 0;
    m_pending.clear();
    Log("plugged in");
}

void Emulator::Unplug()
{
    usbredirparser_send_device_disconnect(m_parser);
    m_plugged = false;
    Log("unplugged after report %ld", m_reportsSeen);
    if (m_options.replugMs >= 0)
        m_replugAt = Clock::now() + std::chrono::milliseconds(m_options.replugMs);
}

void Emulator::Transcript(const char* direction, const std::uint8_t* data, int len)
{
    if (m_times) {
        std::fprintf(m_times, "%.6f %s\n",
                     std::chrono::duration<double>(Clock::now() - m_start).count(), direction);
        std::fflush(m_times);
    }
    if (!m_transcript)
        return;
    // The 65-byte report as the host sees it: report ID 0, then the wire bytes.
    std::fprintf(m_transcript, "%s 00", direction);
    for (int i = 0; i < len; ++i)
        std::fprintf(m_transcript, " %02x", data[i]);
    std::fputc('\n', m_transcript);
    std::fflush(m_transcript);
}

void Emulator::OutputReport(const std::uint8_t* data, int len)
{
    ++m_reportsSeen;
    if (!m_firstReport)
        m_firstReport = Clock::now();
    Transcript("out", data, len);
    if (len != kReportSize) {
        Log("output report %ld has %d bytes; not answered", m_reportsSeen, len);
        return;
    }
    const int slot = data[0];
    const int chunk = data[1];
    const bool echo = m_options.echo || slot == m_options.echoSlot;
    if (chunk < 8 && slot != m_options.echoSlot) {
        Block& block = m_pending[slot];
        if (chunk == 0)
            block.chunksSeen = 0;
        std::memcpy(block.bytes.data() + chunk * kChunkData, data + 2, kChunkData);
        block.chunksSeen |= 1u << chunk;
        if (chunk == 7 && block.chunksSeen == 0xFF) {
            if (block.bytes[493] == kMarkerCalibration)
                m_calibration = block.bytes;
            else
                m_held[slot] = block.bytes;
            m_pending.erase(slot);
        }
    }

    if (m_options.unplugAfter > 0 && m_reportsSeen == m_options.unplugAfter && !m_unplugDone) {
        m_unplugDone = true;
        Unplug();
        return;
    }
    if (m_options.silent)
        return;

    std::uint8_t answer[kReportSize] = {};
    if (echo)
        std::memcpy(answer, data, kReportSize);
    else if (m_options.wrongCode >= 0)
        answer[0] = static_cast<std::uint8_t>(m_options.wrongCode);
    else if (chunk < 7)
        answer[0] = kAnswerNext;
    else if (chunk == 7)
        answer[0] = kAnswerDone;
    else {
        Log("output report %ld has chunk %d; not answered", m_reportsSeen, chunk);
        return;
    }
    Answer(answer);
}

void Emulator::Answer(const std::uint8_t (&report)[kReportSize])
{
    usb_redir_interrupt_packet_header header{};
    header.endpoint = kEpIn;
    header.status = usb_redir_success;
    header.length = kReportSize;
    usbredirparser_send_interrupt_packet(m_parser, m_inPacketId++, &header,
                                         const_cast<std::uint8_t*>(report), kReportSize);
    Transcript("in", report, kReportSize);
    ++m_answersSent;
    m_lastAnswer = Clock::now();
}

void Emulator::DumpSlots()
{
    if (m_options.slotsDir.empty())
        return;
    mkdir(m_options.slotsDir.c_str(), 0755);
    auto write = [&](const std::string& name, const std::array<std::uint8_t, kBlockSize>& bytes) {
        const std::string path = m_options.slotsDir + "/" + name;
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
            std::fprintf(stderr, "wheel-usb-emulator: cannot write %s\n", path.c_str());
        if (f)
            std::fclose(f);
    };
    for (const auto& [slot, bytes] : m_held)
        write("slot-" + std::to_string(slot) + ".bin", bytes);
    if (m_calibration)
        write("calibration.bin", *m_calibration);
}

bool Emulator::Listen()
{
    // Bind under a temporary name and rename once listening, so that whoever
    // waits for the socket's name never finds one that refuses connections.
    const std::string temporary = m_options.socketPath + ".tmp";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (temporary.size() >= sizeof(address.sun_path)) {
        std::fprintf(stderr, "wheel-usb-emulator: socket path too long: %s\n", temporary.c_str());
        return false;
    }
    std::strcpy(address.sun_path, temporary.c_str());
    unlink(temporary.c_str());
    m_listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0 || bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(m_listenFd, 1) != 0 || rename(temporary.c_str(), m_options.socketPath.c_str()) != 0) {
        std::fprintf(stderr, "wheel-usb-emulator: cannot listen on %s: %s\n",
                     m_options.socketPath.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

int Emulator::Run()
{
    if (!m_options.transcriptPath.empty() && !(m_transcript = std::fopen(m_options.transcriptPath.c_str(), "w"))) {
        std::fprintf(stderr, "wheel-usb-emulator: cannot write %s\n", m_options.transcriptPath.c_str());
        return 1;
    }
    if (!m_options.timesPath.empty() && !(m_times = std::fopen(m_options.timesPath.c_str(), "w"))) {
        std::fprintf(stderr, "wheel-usb-emulator: cannot write %s\n", m_options.timesPath.c_str());
        return 1;
    }
    if (!m_options.logPath.empty())
        m_log = std::fopen(m_options.logPath.c_str(), "w");
    if (!Listen())
        return 1;

    const auto deadline = Clock::now() + std::chrono::seconds(m_options.timeoutS);
    pollfd waiting{m_listenFd, POLLIN, 0};
    const int waitMs = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now()).count());
    if (poll(&waiting, 1, waitMs) <= 0) {
        std::fprintf(stderr, "wheel-usb-emulator: nobody connected within %ld s\n", m_options.timeoutS);
        unlink(m_options.socketPath.c_str());
        return 1;
    }
    m_fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    unlink(m_options.socketPath.c_str());
    if (m_fd < 0) {
        std::fprintf(stderr, "wheel-usb-emulator: accept: %s\n", std::strerror(errno));
        return 1;
    }

    m_parser = usbredirparser_create();
    m_parser->priv = this;
    m_parser->log_func = OnLog;
    m_parser->read_func = OnRead;
    m_parser->write_func = OnWrite;
    m_parser->hello_func = OnHello;
    m_parser->reset_func = OnReset;
    m_parser->set_configuration_func = OnSetConfiguration;
    m_parser->get_configuration_func = OnGetConfiguration;
    m_parser->set_alt_setting_func = OnSetAltSetting;
    m_parser->get_alt_setting_func = OnGetAltSetting;
    m_parser->start_interrupt_receiving_func = OnStartInterruptReceiving;
    m_parser->stop_interrupt_receiving_func = OnStopInterruptReceiving;
    m_parser->cancel_data_packet_func = OnCancelDataPacket;
    m_parser->control_packet_func = OnControlPacket;
    m_parser->bulk_packet_func = OnBulkPacket;
    m_parser->interrupt_packet_func = OnInterruptPacket;
    std::uint32_t caps[USB_REDIR_CAPS_SIZE] = {};
    usbredirparser_caps_set_cap(caps, usb_redir_cap_connect_device_version);
    usbredirparser_caps_set_cap(caps, usb_redir_cap_ep_info_max_packet_size);
    usbredirparser_caps_set_cap(caps, usb_redir_cap_64bits_ids);
    usbredirparser_caps_set_cap(caps, usb_redir_cap_32bits_bulk_length);
    usbredirparser_init(m_parser, "wheel-usb-emulator 1", caps, USB_REDIR_CAPS_SIZE, usbredirparser_fl_usb_host);

    int status = 0;
    while (!m_peerClosed) {
        while (usbredirparser_has_data_to_write(m_parser)) {
            if (usbredirparser_do_write(m_parser) < 0) {
                m_peerClosed = true;
                break;
            }
        }
        if (m_peerClosed)
            break;
        const auto now = Clock::now();
        if (now >= deadline) {
            std::fprintf(stderr, "wheel-usb-emulator: session still open after %ld s; giving up\n",
                         m_options.timeoutS);
            status = 1;
            break;
        }
        if (m_replugAt && now >= *m_replugAt) {
            m_replugAt.reset();
            Plug();
            continue;
        }
        auto until = deadline;
        if (m_replugAt && *m_replugAt < until)
            until = *m_replugAt;
        const int timeoutMs = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count()) + 1;
        pollfd p{m_fd, POLLIN, 0};
        const int ready = poll(&p, 1, timeoutMs);
        if (ready < 0 && errno != EINTR) {
            status = 1;
            break;
        }
        if (ready > 0) {
            const int r = usbredirparser_do_read(m_parser);
            if (r == usbredirparser_read_parse_error)
                std::fprintf(stderr, "wheel-usb-emulator: usbredir parse error\n");
        }
    }
    DumpSlots();
    Log("session over after %ld output reports", m_reportsSeen);
    if (m_firstReport && m_answersSent > 0)
        Log("exchange span: %ld reports, %ld answers, %.3f ms from the first report to the last answer",
            m_reportsSeen, m_answersSent,
            std::chrono::duration<double, std::milli>(m_lastAnswer - *m_firstReport).count());
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    signal(SIGPIPE, SIG_IGN);
    Options options;
    if (!ParseOptions(argc, argv, options))
        return 2;
    Emulator emulator(std::move(options));
    return emulator.Run();
}
