// startup_bench [RUNS]
//
// Start-up against a bare Qt window, each started the same way (startup_probe, a fresh
// process each time, alternating):
//  - offscreen: program start to the end of the main window's first paint;
//  - under Xvfb: from exec to a visible top-level window, seen from outside as a user
//    would: the window is mapped and its pixels are no longer the screen behind it;
//  - the program's resident memory under Xvfb 3 s after its window became visible.
// Prints the medians and ratios next to their goals.
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Starts `argv` with `env` added; standard output on `out` when given, silenced
// otherwise like standard error.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            int out = -1) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (FILE* null = std::fopen("/dev/null", "w")) {
            dup2(fileno(null), STDERR_FILENO);
            dup2(out >= 0 ? out : fileno(null), STDOUT_FILENO);
        }
        for (const std::string& e : env)
            putenv(strdup(e.c_str()));
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    return pid;
}

void stop(pid_t pid) {
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

// Milliseconds from fork to the probe's "painted" line on the offscreen platform;
// negative on failure.
double offscreenOnce(const char* probe, const char* mode) {
    int out[2];
    if (pipe(out) != 0)
        return -1;
    const auto start = Clock::now();
    const pid_t pid = spawn({probe, mode}, {"QT_QPA_PLATFORM=offscreen"}, out[1]);
    close(out[1]);
    char buffer[64] = {};
    const ssize_t n = read(out[0], buffer, sizeof buffer - 1);
    const double ms = msSince(start);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (n <= 0 || std::strncmp(buffer, "painted", 7) != 0)
        return -1;
    return ms;
}

// An Xvfb of our own, and a connection to it that watches windows being mapped.
class Display {
  public:
    bool start() {
        int fd[2];
        if (pipe(fd) != 0)
            return false;
        server_ = spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(fd[1]), "-screen", "0",
                         "1280x1024x24", "-nolisten", "tcp", "-br"},
                        {});
        close(fd[1]);
        char buffer[16] = {};
        const ssize_t n = read(fd[0], buffer, sizeof buffer - 1);
        close(fd[0]);
        if (n <= 0)
            return false;
        name_ = ":" + std::to_string(std::atoi(buffer));
        connection_ = xcb_connect(name_.c_str(), nullptr);
        if (xcb_connection_has_error(connection_))
            return false;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
        return true;
    }

    ~Display() {
        if (connection_)
            xcb_disconnect(connection_);
        if (server_ > 0)
            stop(server_);
    }

    std::string env() const { return "DISPLAY=" + name_; }

    // Milliseconds from `start` until a top-level window of `pid`'s is mapped and shows
    // pixels of its own (the screen behind it is black); negative after 10 s.
    double waitVisible(Clock::time_point start) {
        xcb_window_t window = XCB_NONE;
        while (window == XCB_NONE) {
            if (msSince(start) > 10000)
                return -1;
            xcb_generic_event_t* event = xcb_poll_for_event(connection_);
            if (!event) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                continue;
            }
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (!map->override_redirect)
                    window = map->window;
            }
            std::free(event);
        }
        // A few pixels at the window's top left corner: any of them no longer black.
        while (msSince(start) <= 10000) {
            xcb_get_image_reply_t* image = xcb_get_image_reply(
                connection_,
                xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, 8, 8, ~0u),
                nullptr);
            bool drawn = false;
            if (image) {
                const uint8_t* data = xcb_get_image_data(image);
                const int length = xcb_get_image_data_length(image);
                drawn = std::any_of(data, data + length, [](uint8_t b) { return b != 0; });
                std::free(image);
            }
            if (drawn) {
                const double ms = msSince(start);
                drain();
                return ms;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return -1;
    }

    // Forgets the events of windows that have come and gone.
    void drain() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
            std::free(event);
    }

  private:
    pid_t server_ = -1;
    std::string name_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
};

// Resident memory of `pid` in MB, from /proc.
double residentMb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    }
    return -1;
}

// Starts `argv` on the display and times it to a visible window; the process is ended
// afterwards, or after `idleMs` more when `rss` is given, which then gets its memory.
double visibleOnce(Display& display, const std::vector<std::string>& argv, int idleMs = 0,
                   double* rss = nullptr) {
    display.drain();
    const auto start = Clock::now();
    const pid_t pid = spawn(argv, {display.env(), "MIRVANE_PROBE_STAY=1", "QT_QPA_PLATFORM=xcb"});
    const double ms = display.waitVisible(start);
    if (ms >= 0 && rss) {
        std::this_thread::sleep_for(std::chrono::milliseconds(idleMs));
        *rss = residentMb(pid);
    }
    stop(pid);
    // The window is gone before the next one is timed.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    display.drain();
    return ms;
}

const char* verdict(bool met) {
    return met ? "met" : "NOT MET";
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 21;
    const char* probe = STARTUP_PROBE;
    std::vector<double> bare;
    std::vector<double> text;
    std::vector<double> program;
    // One of each first, so that both start from a warm file cache.
    offscreenOnce(probe, "bare");
    offscreenOnce(probe, "mirvane");
    for (int i = 0; i < runs; ++i) {
        const double b = offscreenOnce(probe, "bare");
        const double t = offscreenOnce(probe, "text");
        const double p = offscreenOnce(probe, "mirvane");
        if (b < 0 || t < 0 || p < 0) {
            std::fprintf(stderr, "startup_bench: the probe did not paint\n");
            return 1;
        }
        bare.push_back(b);
        text.push_back(t);
        program.push_back(p);
    }
    const double mb = median(bare);
    const double mp = median(program);
    std::printf("start-up to first paint, offscreen, median of %d runs\n", runs);
    std::printf("  bare Qt window   %7.1f ms\n", mb);
    std::printf("  one line of text %7.1f ms   (a bare window with a label in the window font)\n",
                median(text));
    std::printf("  Mirvane          %7.1f ms\n", mp);
    std::printf("  ratio            %7.2f x   (goal: at most 2.00 x)  %s\n", mp / mb,
                verdict(mp / mb <= 2.0));

    Display display;
    if (!display.start()) {
        std::fprintf(stderr, "startup_bench: Xvfb did not start\n");
        return 1;
    }
    const int visibleRuns = std::max(3, runs / 2 * 2 + 1);
    std::vector<double> bareVisible;
    std::vector<double> programVisible;
    visibleOnce(display, {probe, "bare"});
    visibleOnce(display, {probe, "mirvane"});
    for (int i = 0; i < visibleRuns; ++i) {
        const double b = visibleOnce(display, {probe, "bare"});
        const double p = visibleOnce(display, {probe, "mirvane"});
        if (b < 0 || p < 0) {
            std::fprintf(stderr, "startup_bench: no window became visible under Xvfb\n");
            return 1;
        }
        bareVisible.push_back(b);
        programVisible.push_back(p);
    }
    const double vb = median(bareVisible);
    const double vp = median(programVisible);
    std::printf("exec to a visible window, Xvfb, median of %d runs\n", visibleRuns);
    std::printf("  bare Qt window   %7.1f ms\n", vb);
    std::printf("  Mirvane          %7.1f ms\n", vp);
    std::printf("  ratio            %7.2f x   (goal: at most 1.50 x)  %s\n", vp / vb,
                verdict(vp / vb <= 1.5));

    // The program itself, as installed users start it; the largest of three runs.
    double rss = 0;
    double bareRss = 0;
    for (int i = 0; i < 3; ++i) {
        double r = -1;
        double b = -1;
        if (visibleOnce(display, {MIRVANE_PROGRAM}, 3000, &r) < 0 ||
            visibleOnce(display, {probe, "bare"}, 3000, &b) < 0 || r < 0 || b < 0) {
            std::fprintf(stderr, "startup_bench: could not read the program's memory\n");
            return 1;
        }
        rss = std::max(rss, r);
        bareRss = std::max(bareRss, b);
    }
    std::printf("resident memory (VmRSS) 3 s after the window became visible, Xvfb\n");
    std::printf("  bare Qt window   %7.1f MB\n", bareRss);
    std::printf("  Mirvane          %7.1f MB   (goal: at most 40.0 MB)  %s\n", rss,
                verdict(rss <= 40.0));
    return 0;
}
