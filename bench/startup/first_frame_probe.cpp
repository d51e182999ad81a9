// Times a program from exec to its first painted window, watched from outside over X.
//
//   bench_first_frame [--title TITLE] [--timeout MS] -- COMMAND [ARG...]
//
// Prints one line:  map_ms=M first_damage_ms=D frame_ms=F
//   M  MapNotify of the top-level window whose WM_NAME is TITLE
//   D  the first DAMAGE DamageNotify on that window after the map
//   F  the DamageNotify after which every pixel of the window has been drawn: the
//      client's first complete frame. The server sends these when drawing reaches the
//      window (PutImage, ShmPutImage, CopyArea...). The server paints a window's
//      background itself on map, before the Expose it sends; so damage counts only
//      after the window's first Expose, which the probe also listens for.
// all in milliseconds from the child's last instant before exec. The command, and
// anything it started in its process group, then gets SIGTERM, SIGKILL after 2 s.
//
// Exit: 0 measured; 2 usage; 3 no display or no DAMAGE extension; 4 command would not
// start; 5 no complete frame within the time-out; 6 command ended first; 130 interrupted.

#include "DamageCoverage.h"

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
// glibc 2.36's header lacks the C++ linkage block.
extern "C" {
#include <sys/pidfd.h>
}
#include <sys/signalfd.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

enum Exit : int { Measured = 0, Usage = 2, NoDisplay = 3, NotStarted = 4, TimedOut = 5, EndedEarly = 6, Interrupted = 130 };

double NowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    Fd(Fd&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    Fd& operator=(Fd&& other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeDeleter>;

struct Disconnect {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

// Restores the signal mask on scope exit, so the probe's blocked signals never leak.
class BlockedSignals {
public:
    explicit BlockedSignals(std::initializer_list<int> signals)
    {
        sigemptyset(&m_set);
        for (const int s : signals)
            sigaddset(&m_set, s);
        sigprocmask(SIG_BLOCK, &m_set, &m_previous);
    }
    ~BlockedSignals() { sigprocmask(SIG_SETMASK, &m_previous, nullptr); }
    BlockedSignals(const BlockedSignals&) = delete;
    BlockedSignals& operator=(const BlockedSignals&) = delete;
    const sigset_t& set() const { return m_set; }
    const sigset_t& previous() const { return m_previous; }

private:
    sigset_t m_set{};
    sigset_t m_previous{};
};

// The measured command in its own process group, so that what it spawns (a plug-in
// scanner, say) goes down with it.
class Child {
public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { Stop(); }

    // On success the child has already exec'd; execMs is its clock just before that.
    // Otherwise returns the errno of the failed step.
    int Start(char** argv, const sigset_t& childMask, double& execMs)
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return errno;
        Fd readEnd(fds[0]);
        Fd writeEnd(fds[1]);
        const pid_t pid = fork();
        if (pid < 0)
            return errno;
        if (pid == 0) {
            setpgid(0, 0);
            sigprocmask(SIG_SETMASK, &childMask, nullptr);
            const double t = NowMs();
            (void)!write(writeEnd.get(), &t, sizeof t);
            execvp(argv[0], argv);
            const int error = errno;
            (void)!write(writeEnd.get(), &error, sizeof error);
            _exit(127);
        }
        m_pid = pid;
        writeEnd = Fd();
        m_pidfd = Fd(pidfd_open(pid, 0));
        // The pipe closes on a successful exec; an errno after the clock means it failed.
        double t = 0;
        int error = 0;
        if (read(readEnd.get(), &t, sizeof t) != ssize_t(sizeof t))
            return EIO;
        if (read(readEnd.get(), &error, sizeof error) == ssize_t(sizeof error))
            return error;
        execMs = t;
        return m_pidfd.get() >= 0 ? 0 : errno;
    }

    int pidfd() const { return m_pidfd.get(); }

    void Stop()
    {
        if (m_pid <= 0)
            return;
        kill(-m_pid, SIGTERM);
        if (m_pidfd.get() >= 0) {
            pollfd p{m_pidfd.get(), POLLIN, 0};
            poll(&p, 1, 2000);
        }
        kill(-m_pid, SIGKILL);
        while (waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    Fd m_pidfd;
};

struct Options {
    std::string title = "Splash Vanu Pelro";
    double timeoutMs = 30000;
    char** command = nullptr;
};

std::optional<Options> ParseOptions(int argc, char** argv)
{
    Options options;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (i + 1 >= argc)
            return std::nullopt;
        if (arg == "--title") {
            options.title = argv[++i];
        } else if (arg == "--timeout") {
            char* end = nullptr;
            options.timeoutMs = std::strtod(argv[++i], &end);
            if (*end != '\0' || options.timeoutMs <= 0)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (i >= argc)
        return std::nullopt;
    options.command = argv + i;
    return options;
}

class Probe {
public:
    Probe(xcb_connection_t* c, xcb_window_t root, std::string title) : m_c(c), m_root(root), m_title(std::move(title))
    {
        m_damageEvent = xcb_get_extension_data(c, &xcb_damage_id)->first_event + XCB_DAMAGE_NOTIFY;
        const char name[] = "_NET_WM_NAME";
        Reply<xcb_intern_atom_reply_t> atom(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, sizeof name - 1, name), nullptr));
        m_netWmName = atom ? atom->atom : XCB_NONE;
    }

    void Handle(const xcb_generic_event_t& event, double atMs)
    {
        const std::uint8_t type = event.response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const auto& e = reinterpret_cast<const xcb_create_notify_event_t&>(event);
            // Watched from birth: the client may draw as soon as the map reaches it.
            if (e.parent == m_root)
                watch(e.window);
        } else if (type == XCB_DESTROY_NOTIFY) {
            const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
            m_watched.erase(e.window);
            if (e.window == m_target) {
                m_target = XCB_NONE;
                m_mapMs.reset();
                m_firstDamageMs.reset();
            }
        } else if (type == XCB_MAP_NOTIFY) {
            const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
            if (m_target == XCB_NONE && nameOf(e.window) == m_title) {
                if (!m_watched.contains(e.window))
                    watch(e.window);
                m_target = e.window;
                m_mapMs = atMs;
                m_watched[e.window].coverage = bench::DamageCoverage();
                if (m_watched[e.window].watchedLate)
                    std::fprintf(stderr, "bench_first_frame: \"%s\" was mapped before the probe could watch it; "
                                         "early drawing may be missed\n", m_title.c_str());
            }
        } else if (type == XCB_EXPOSE) {
            const auto& e = reinterpret_cast<const xcb_expose_event_t&>(event);
            if (e.window == m_target && e.count == 0)
                m_watched[e.window].exposed = true;
        } else if (type == m_damageEvent) {
            const auto& e = reinterpret_cast<const xcb_damage_notify_event_t&>(event);
            if (e.drawable != m_target || !m_mapMs || m_frameMs)
                return;
            const Watched& watched = m_watched[e.drawable];
            if (!watched.watchedLate && !watched.exposed)
                return; // the server's own background painting
            if (watched.watchedLate && e.sequence == watched.createSequence)
                return; // a damage object made on a shown window starts out all damaged
            if (!m_firstDamageMs)
                m_firstDamageMs = atMs;
            bench::DamageCoverage& coverage = m_watched[e.drawable].coverage;
            coverage.Resize(e.geometry.width, e.geometry.height);
            if (coverage.Add(e.area.x, e.area.y, e.area.width, e.area.height))
                m_frameMs = atMs;
        }
        // Errors (type 0) are expected: a short-lived window may be gone before its
        // damage object is made.
    }

    bool Done() const { return m_frameMs.has_value(); }
    double MapMs() const { return m_mapMs.value_or(-1); }
    double FirstDamageMs() const { return m_firstDamageMs.value_or(-1); }
    double FrameMs() const { return m_frameMs.value_or(-1); }

private:
    struct Watched {
        bench::DamageCoverage coverage;
        bool exposed = false;
        // Mapped before the probe's damage object existed, so its background painting
        // went unseen and no Expose may come to mark its end.
        bool watchedLate = false;
        std::uint16_t createSequence = 0;
    };

    void watch(xcb_window_t window)
    {
        const std::uint32_t mask = XCB_EVENT_MASK_EXPOSURE;
        xcb_change_window_attributes(m_c, window, XCB_CW_EVENT_MASK, &mask);
        // Raw rectangles: every drawing operation reported as it lands, none merged.
        const xcb_void_cookie_t create =
            xcb_damage_create(m_c, xcb_generate_id(m_c), window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        // Served after the two requests above: its map state says whether they were in
        // place before the client's map.
        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(m_c, xcb_get_window_attributes(m_c, window), nullptr));
        if (!attributes)
            return; // already gone
        Watched& watched = m_watched[window];
        watched.watchedLate = attributes->map_state != XCB_MAP_STATE_UNMAPPED;
        watched.createSequence = std::uint16_t(create.sequence);
    }

    std::string nameOf(xcb_window_t window)
    {
        for (const xcb_atom_t property : {xcb_atom_t(XCB_ATOM_WM_NAME), m_netWmName}) {
            if (property == XCB_NONE)
                continue;
            Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
                m_c, xcb_get_property(m_c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr));
            if (reply && xcb_get_property_value_length(reply.get()) > 0)
                return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                                   std::size_t(xcb_get_property_value_length(reply.get())));
        }
        return {};
    }

    xcb_connection_t* m_c;
    xcb_window_t m_root;
    std::string m_title;
    std::uint8_t m_damageEvent = 0;
    xcb_atom_t m_netWmName = XCB_NONE;
    std::map<xcb_window_t, Watched> m_watched;
    xcb_window_t m_target = XCB_NONE;
    std::optional<double> m_mapMs;
    std::optional<double> m_firstDamageMs;
    std::optional<double> m_frameMs;
};

int Run(const Options& options)
{
    int screenNumber = 0;
    Connection c(xcb_connect(nullptr, &screenNumber));
    if (xcb_connection_has_error(c.get())) {
        std::fprintf(stderr, "bench_first_frame: cannot open the display\n");
        return NoDisplay;
    }
    // The measured program must not inherit the probe's connection.
    fcntl(xcb_get_file_descriptor(c.get()), F_SETFD, FD_CLOEXEC);

    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c.get(), &xcb_damage_id);
    if (!damage || !damage->present) {
        std::fprintf(stderr, "bench_first_frame: the display has no DAMAGE extension\n");
        return NoDisplay;
    }
    // The server ignores DAMAGE requests from a client that has not asked its version.
    Reply<xcb_damage_query_version_reply_t> version(
        xcb_damage_query_version_reply(c.get(), xcb_damage_query_version(c.get(), 1, 1), nullptr));
    if (!version) {
        std::fprintf(stderr, "bench_first_frame: DAMAGE version query failed\n");
        return NoDisplay;
    }

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c.get()));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    Reply<xcb_generic_error_t> selectError(
        xcb_request_check(c.get(), xcb_change_window_attributes_checked(c.get(), root, XCB_CW_EVENT_MASK, &mask)));
    if (selectError) {
        std::fprintf(stderr, "bench_first_frame: cannot watch the root window\n");
        return NoDisplay;
    }
    Probe probe(c.get(), root, options.title);

    // A Ctrl-C or kill of the probe still takes the child down through ~Child.
    BlockedSignals blocked{SIGINT, SIGTERM, SIGHUP};
    Fd signals(signalfd(-1, &blocked.set(), SFD_CLOEXEC));

    Child child;
    double execMs = 0;
    if (const int error = child.Start(options.command, blocked.previous(), execMs)) {
        std::fprintf(stderr, "bench_first_frame: cannot run %s: %s\n", options.command[0], std::strerror(error));
        return NotStarted;
    }

    const double deadline = execMs + options.timeoutMs;
    const int xfd = xcb_get_file_descriptor(c.get());
    for (;;) {
        while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(c.get())})
            probe.Handle(*event, NowMs());
        if (xcb_connection_has_error(c.get())) {
            std::fprintf(stderr, "bench_first_frame: lost the display\n");
            return NoDisplay;
        }
        if (probe.Done())
            break;
        xcb_flush(c.get());
        const double left = deadline - NowMs();
        if (left <= 0) {
            std::fprintf(stderr, "bench_first_frame: no complete frame of \"%s\" within %.0f ms (map at %.1f ms)\n",
                         options.title.c_str(), options.timeoutMs, probe.MapMs());
            return TimedOut;
        }
        pollfd fds[] = {{xfd, POLLIN, 0}, {child.pidfd(), POLLIN, 0}, {signals.get(), POLLIN, 0}};
        if (poll(fds, 3, int(left) + 1) < 0 && errno != EINTR)
            return NoDisplay;
        if (fds[2].revents)
            return Interrupted;
        if (fds[1].revents && !(fds[0].revents & POLLIN)) {
            std::fprintf(stderr, "bench_first_frame: %s ended before painting \"%s\"\n", options.command[0],
                         options.title.c_str());
            return EndedEarly;
        }
    }

    std::printf("map_ms=%.1f first_damage_ms=%.1f frame_ms=%.1f\n", probe.MapMs() - execMs,
                probe.FirstDamageMs() - execMs, probe.FrameMs() - execMs);
    std::fflush(stdout);
    return Measured;
}

} // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: bench_first_frame [--title TITLE] [--timeout MS] -- COMMAND [ARG...]\n");
        return Usage;
    }
    return Run(*options);
}
