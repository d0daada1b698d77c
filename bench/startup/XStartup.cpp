// Measures a GUI program as its user meets it on an X display: time from process start to its
// first top-level window being mapped and to the first frame with painted content, resident
// memory after start-up, and CPU ticks and wake-ups while it sits idle.
//
// usage: boardwick-xstartup [--settle S] [--idle S] -- PROGRAM [ARGS...]
// Prints "key: value" lines; exit code 0 on success, 1 when the window never appears.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

long StatusField(pid_t pid, const char *key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const size_t len = std::strlen(key);
    while (std::getline(in, line))
        if (line.compare(0, len, key) == 0)
            return std::strtol(line.c_str() + len + 1, nullptr, 10);
    return -1;
}

// utime + stime of the whole process, in clock ticks.
long CpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), {});
    auto close = all.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream rest(all.substr(close + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; rest >> field; ++i) {
        if (i == 14)
            utime = std::stol(field);
        if (i == 15) {
            stime = std::stol(field);
            break;
        }
    }
    return utime + stime;
}

// Context switches summed over every thread: each one is a wake-up of that thread.
long WakeUps(pid_t pid) {
    long total = 0;
    std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR *d = opendir(dir.c_str());
    if (!d)
        return -1;
    while (dirent *e = readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        std::ifstream in(dir + "/" + e->d_name + "/status");
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                total += std::strtol(line.c_str() + line.find(':') + 1, nullptr, 10);
    }
    closedir(d);
    return total;
}

bool HasContent(Display *dpy, Window w) {
    XWindowAttributes attr;
    if (!XGetWindowAttributes(dpy, w, &attr) || attr.map_state != IsViewable)
        return false;
    XImage *img = XGetImage(dpy, w, 0, 0, attr.width, attr.height, AllPlanes, ZPixmap);
    if (!img)
        return false;
    // A painted window shows more than one colour; a freshly mapped one is a flat background.
    const unsigned long first = XGetPixel(img, 0, 0);
    bool varied = false;
    for (int y = 0; y < attr.height && !varied; y += 3)
        for (int x = 0; x < attr.width; x += 3)
            if (XGetPixel(img, x, y) != first) {
                varied = true;
                break;
            }
    XDestroyImage(img);
    return varied;
}

} // namespace

int main(int argc, char **argv) {
    double settle = 3.0, idle = 10.0;
    int i = 1;
    for (; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--settle") && i + 1 < argc)
            settle = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--idle") && i + 1 < argc)
            idle = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--")) {
            ++i;
            break;
        } else
            break;
    }
    if (i >= argc) {
        std::fprintf(stderr, "usage: %s [--settle S] [--idle S] -- PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "cannot open the X display\n");
        return 2;
    }
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const auto t0 = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[i], argv + i);
        _exit(127);
    }

    Window win = 0;
    double mapped = -1, painted = -1;
    while (SecondsSince(t0) < 20 && painted < 0) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == MapNotify && !win && !ev.xmap.override_redirect) {
                win = ev.xmap.window;
                mapped = SecondsSince(t0);
            }
        }
        if (win && HasContent(dpy, win))
            painted = SecondsSince(t0);
        else
            std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    int rc = 0;
    if (painted < 0) {
        std::fprintf(stderr, "the window was never mapped and painted\n");
        rc = 1;
    } else {
        std::printf("mapped_s: %.4f\nfirst_paint_s: %.4f\n", mapped, painted);
        std::this_thread::sleep_for(std::chrono::duration<double>(settle));
        std::printf("rss_kib: %ld\n", StatusField(pid, "VmRSS:"));
        const long cpu0 = CpuTicks(pid), wake0 = WakeUps(pid);
        std::this_thread::sleep_for(std::chrono::duration<double>(idle));
        std::printf("idle_seconds: %.1f\nidle_cpu_ticks: %ld\nidle_wakeups: %ld\n", idle,
                    CpuTicks(pid) - cpu0, WakeUps(pid) - wake0);
    }
    std::fflush(stdout);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    XCloseDisplay(dpy);
    return rc;
}
