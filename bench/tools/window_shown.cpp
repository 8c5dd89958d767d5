// Starts a program and prints how long it took until its first top-level
// window was mapped and until the program first drew into it, in seconds:
//
//   wheel-window-shown [--timeout SECONDS] PROGRAM [ARGUMENT...]
//   -> "mapped 0.0412 shown 0.0437"
//
// Both times are seen from the X server, so a program is timed without any
// help from it. The drawing is reported by the DAMAGE extension, spoken here
// through plain xcb requests (the two that are needed) rather than another
// library. The program is ended with SIGTERM once it has drawn.
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

xcb_extension_t damageExtension = {"DAMAGE", 0};

// DamageQueryVersion (minor opcode 0) must come before any other request.
bool QueryDamageVersion(xcb_connection_t* c)
{
    struct {
        std::uint8_t major, minor;
        std::uint16_t length;
        std::uint32_t clientMajor, clientMinor;
    } request = {0, 0, 0, 1, 1};
    iovec parts[3];
    parts[2] = {&request, sizeof request};
    xcb_protocol_request_t info = {1, &damageExtension, 0, 0};
    const unsigned int sequence = xcb_send_request(c, XCB_REQUEST_CHECKED, parts + 2, &info);
    xcb_generic_error_t* error = nullptr;
    void* reply = xcb_wait_for_reply(c, sequence, &error);
    std::free(error);
    const bool ok = reply != nullptr;
    std::free(reply);
    return ok;
}

// DamageCreate (minor opcode 1) with the level "non-empty": one event when
// the window is first drawn into.
void CreateDamage(xcb_connection_t* c, xcb_window_t window)
{
    struct {
        std::uint8_t major, minor;
        std::uint16_t length;
        std::uint32_t damage, drawable;
        std::uint8_t level, pad[3];
    } request = {0, 1, 0, xcb_generate_id(c), window, 3, {0, 0, 0}};
    iovec parts[3];
    parts[2] = {&request, sizeof request};
    xcb_protocol_request_t info = {1, &damageExtension, 1, 1};
    xcb_send_request(c, 0, parts + 2, &info);
    xcb_flush(c);
}

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

} // namespace

int main(int argc, char** argv)
{
    double timeout = 20;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--timeout") == 0) {
        timeout = std::atof(argv[2]);
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: wheel-window-shown [--timeout SECONDS] PROGRAM [ARGUMENT...]\n");
        return 2;
    }

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "wheel-window-shown: cannot open the display\n");
        return 1;
    }
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c, &damageExtension);
    if (!damage || !damage->present || !QueryDamageVersion(c)) {
        std::fprintf(stderr, "wheel-window-shown: the X server has no DAMAGE extension\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    // A round trip: the server has the event mask before the program starts.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    const Clock::time_point start = Clock::now();
    pid_t child = 0;
    if (const int error = posix_spawn(&child, argv[first], nullptr, nullptr, argv + first, environ)) {
        std::fprintf(stderr, "wheel-window-shown: cannot start %s: %s\n", argv[first], std::strerror(error));
        return 1;
    }

    // Windows are watched from their creation, before the program can map
    // and draw them; unmapped ones (Qt's helper windows) never draw.
    std::set<xcb_window_t> created, mapped;
    Clock::time_point mappedAt{}, shownAt{};
    bool done = false;
    while (!done) {
        xcb_generic_event_t* event = xcb_poll_for_event(c);
        if (!event) {
            if (xcb_connection_has_error(c))
                break;
            const double left = timeout - Seconds(start, Clock::now());
            if (left <= 0)
                break;
            pollfd fd = {xcb_get_file_descriptor(c), POLLIN, 0};
            poll(&fd, 1, int(left * 1000) + 1);
            continue;
        }
        const int type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const auto* e = reinterpret_cast<xcb_create_notify_event_t*>(event);
            if (e->parent == root && !e->override_redirect) {
                created.insert(e->window);
                CreateDamage(c, e->window);
            }
        } else if (type == XCB_MAP_NOTIFY) {
            const auto* e = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (created.count(e->window)) {
                if (mapped.empty())
                    mappedAt = Clock::now();
                mapped.insert(e->window);
            }
        } else if (type == damage->first_event) {
            std::uint32_t drawable;
            std::memcpy(&drawable, reinterpret_cast<const char*>(event) + 4, sizeof drawable);
            if (mapped.count(drawable)) {
                shownAt = Clock::now();
                done = true;
            }
        }
        std::free(event);
    }

    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    xcb_disconnect(c);
    if (!done) {
        std::fprintf(stderr, "wheel-window-shown: %s showed no window within %g s\n", argv[first], timeout);
        return 1;
    }
    std::printf("mapped %.4f shown %.4f\n", Seconds(start, mappedAt), Seconds(start, shownAt));
    return 0;
}
