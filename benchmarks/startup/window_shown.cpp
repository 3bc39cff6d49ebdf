// Starts a program on the X11 display and reports, as the program's own figures do, when
// its first top-level window became viewable ("mapped_ms") and when the program first
// drew into it ("painted_ms"), both counted from the launch. The program inherits the
// launch time in TROVIX_BENCH_LAUNCH, so its own figures share the same start. Watching
// from outside sees the window as the X server does, however busy the program is.
//
//   bench_window_shown PROGRAM [ARGUMENTS...]
//
// Ends with the program's exit status once the program has ended.
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double nowSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

struct Watched {
    xcb_damage_damage_t damage = 0;
};

class Watcher {
public:
    explicit Watcher(xcb_connection_t* connection) : connection_(connection)
    {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        const uint32_t rootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &rootEvents);
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection_, &xcb_damage_id);
        if (damage && damage->present) {
            damageEvent_ = damage->first_event + XCB_DAMAGE_NOTIFY;
            free(xcb_damage_query_version_reply(connection_, xcb_damage_query_version(connection_, 1, 1),
                                                nullptr));
        }
        // Round trip: the root is watched before the program starts.
        free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

    bool finished() const { return mapped_ > 0 && (painted_ > 0 || !damageEvent_); }

    // Handles what the server has sent; false when the connection is gone.
    bool dispatch(double launch)
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const double at = nowSeconds();
            handle(event, at, launch);
            free(event);
        }
        xcb_flush(connection_);
        return !xcb_connection_has_error(connection_);
    }

private:
    void handle(xcb_generic_event_t* event, double at, double launch)
    {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
            if (created->parent == root_ && !created->override_redirect)
                watch(created->window, at, launch);
        } else if (type == XCB_MAP_NOTIFY) {
            // A window manager maps its frame and the window inside it: viewable needs both.
            for (const auto& [window, watched] : windows_)
                checkViewable(window, at, launch);
        } else if (damageEvent_ && type == damageEvent_) {
            auto* damaged = reinterpret_cast<xcb_damage_notify_event_t*>(event);
            if (mapped_ > 0 && painted_ == 0 && windows_.count(damaged->drawable)) {
                painted_ = at;
                std::printf("painted_ms=%.1f\n", (at - launch) * 1000.0);
                std::fflush(stdout);
            }
            xcb_damage_subtract(connection_, damaged->damage, XCB_NONE, XCB_NONE);
        }
    }

    void watch(xcb_window_t window, double at, double launch)
    {
        const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &events);
        Watched watched;
        if (damageEvent_) {
            watched.damage = xcb_generate_id(connection_);
            xcb_damage_create(connection_, watched.damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        }
        windows_[window] = watched;
        // Mapped before our selection took effect: seen now rather than never.
        checkViewable(window, at, launch);
    }

    void checkViewable(xcb_window_t window, double at, double launch)
    {
        if (mapped_ > 0)
            return;
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> attributes(
            xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window),
                                            nullptr),
            &free);
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            return;
        mapped_ = at;
        std::printf("mapped_ms=%.1f\n", (at - launch) * 1000.0);
        std::fflush(stdout);
    }

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    uint8_t damageEvent_ = 0;
    std::map<xcb_window_t, Watched> windows_;
    double mapped_ = 0;
    double painted_ = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGUMENTS...]\n", argv[0]);
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "%s: no X11 display\n", argv[0]);
        return 2;
    }
    Watcher watcher(connection);

    const double launch = nowSeconds();
    char launchText[64];
    std::snprintf(launchText, sizeof launchText, "%.6f", launch);
    setenv("TROVIX_BENCH_LAUNCH", launchText, 1);
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        return 2;
    }
    if (child == 0) {
        close(xcb_get_file_descriptor(connection));
        execvp(argv[1], argv + 1);
        std::perror(argv[1]);
        _exit(127);
    }

    int status = 0;
    bool watching = true;
    for (;;) {
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child || (ended < 0 && errno != EINTR))
            break;
        if (watching) {
            pollfd display{xcb_get_file_descriptor(connection), POLLIN, 0};
            poll(&display, 1, 10);
            watching = watcher.dispatch(launch) && !watcher.finished();
        } else {
            usleep(10000);
        }
    }
    xcb_disconnect(connection);
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
