// Starts a program and reports how long it took until its top-level window was mapped on
// the X display, and how much memory it had used by then.
//
//   bench_startup_measure [--timeout SECONDS] PROGRAM [ARGUMENT...]
//
// Prints one line: "ms=<time> hwm_kib=<VmHWM at map> rss_kib=<VmRSS at map>
// maxrss_kib=<ru_maxrss after SIGTERM> cpu_ms=<user + system time until it ended>". The CPU
// time also counts the little the program did between the map and SIGTERM, but it suffers
// far less than the wall time when other work shares the machine. Exits 1 when the program ends or
// the timeout passes before a window is mapped, 2 on wrong usage.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The window may be gone again by the time its properties are read; that is not an error.
int ignoreXError(Display *, XErrorEvent *) {
    return 0;
}

// -1 when the window carries no _NET_WM_PID.
long windowPid(Display *display, Window window) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && format == 32 && count == 1) {
        pid = static_cast<long>(*reinterpret_cast<unsigned long *>(data));
    }
    if (data != nullptr) {
        XFree(data);
    }
    return pid;
}

// A mapped child of the root is the program's window if it says so through _NET_WM_PID. A
// window manager's frame says nothing; on a display of our own, any ordinary (not
// override-redirect) window without the property is taken to be it.
bool isProgramWindow(Display *display, const XMapEvent &event, pid_t child) {
    if (event.override_redirect) {
        return false;
    }
    const long pid = windowPid(display, event.window);
    return pid == child || pid == -1;
}

long statusKib(pid_t pid, const char *field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
        }
    }
    return -1;
}

int usage() {
    std::fprintf(stderr, "usage: bench_startup_measure [--timeout SECONDS] PROGRAM [ARG...]\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[]) {
    double timeoutMs = 30000;
    int first = 1;
    if (first + 1 < argc && std::strcmp(argv[first], "--timeout") == 0) {
        timeoutMs = std::atof(argv[first + 1]) * 1000;
        first += 2;
    }
    if (first >= argc || timeoutMs <= 0) {
        return usage();
    }

    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "bench_startup_measure: cannot open display \"%s\"\n",
                     XDisplayName(nullptr));
        return 1;
    }
    XSetErrorHandler(ignoreXError);
    const int xfd = ConnectionNumber(display);
    fcntl(xfd, F_SETFD, FD_CLOEXEC);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const double start = nowMs();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("bench_startup_measure: fork");
        return 1;
    }
    if (child == 0) {
        execvp(argv[first], argv + first);
        std::fprintf(stderr, "bench_startup_measure: cannot start %s: %s\n", argv[first],
                     std::strerror(errno));
        _exit(127);
    }

    double mappedAt = -1;
    long hwm = -1;
    long rss = -1;
    while (mappedAt < 0) {
        while (mappedAt < 0 && XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && isProgramWindow(display, event.xmap, child)) {
                mappedAt = nowMs();
                hwm = statusKib(child, "VmHWM");
                rss = statusKib(child, "VmRSS");
            }
        }
        if (mappedAt >= 0) {
            break;
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "bench_startup_measure: %s ended before showing a window\n",
                         argv[first]);
            return 1;
        }
        const double left = timeoutMs - (nowMs() - start);
        if (left <= 0) {
            std::fprintf(stderr, "bench_startup_measure: no window from %s within %.0f s\n",
                         argv[first], timeoutMs / 1000);
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return 1;
        }
        // Short naps only so that a program that dies without a window is noticed.
        pollfd ready{xfd, POLLIN, 0};
        poll(&ready, 1, left < 50 ? static_cast<int>(left) + 1 : 50);
    }

    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    XCloseDisplay(display);

    const auto toMs = [](const timeval &t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    std::printf("ms=%.1f hwm_kib=%ld rss_kib=%ld maxrss_kib=%ld cpu_ms=%.1f\n", mappedAt - start,
                hwm, rss, usage.ru_maxrss, toMs(usage.ru_utime) + toMs(usage.ru_stime));
    return 0;
}
