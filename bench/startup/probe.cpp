// Starts a program and measures, from outside it, how long it takes until
// its first top-level window is on the screen and how much memory it has
// used by then. Prints "<milliseconds> <peak resident KiB>" and ends the
// program. Usage: startup_probe SETTLE_MS TIMEOUT_MS PROGRAM [ARGS...]
//
// "On the screen" is the moment the window manager lists a window of the
// program's pid and that window is viewable (mapped inside its frame). The
// probe then waits SETTLE_MS so the first paint is included in the memory
// figure, reads VmHWM and kills the program without letting it shut down.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

bool hasViewableWindow(Display* d, pid_t pid) {
    const Window root = DefaultRootWindow(d);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(d, root, XInternAtom(d, "_NET_CLIENT_LIST", False), 0, 4096, False, XA_WINDOW,
                           &type, &format, &count, &after, &data) != Success)
        return false;
    const auto* windows = reinterpret_cast<const Window*>(data);
    for (unsigned long i = 0; data && i < count && !found; ++i) {
        unsigned char* pidData = nullptr;
        unsigned long pidCount = 0;
        if (XGetWindowProperty(d, windows[i], XInternAtom(d, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL,
                               &type, &format, &pidCount, &after, &pidData) == Success &&
            pidData && pidCount == 1 && *reinterpret_cast<const long*>(pidData) == pid) {
            XWindowAttributes attrs{};
            found = XGetWindowAttributes(d, windows[i], &attrs) && attrs.map_state == IsViewable;
        }
        if (pidData) XFree(pidData);
    }
    if (data) XFree(data);
    return found;
}

long peakResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SETTLE_MS TIMEOUT_MS PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const auto settle = std::chrono::milliseconds(std::atol(argv[1]));
    const auto timeout = std::chrono::milliseconds(std::atol(argv[2]));
    Display* d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "startup_probe: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    // Wake on every top-level map and every change of the client list.
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask | PropertyChangeMask);
    XSync(d, False);

    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[3], argv + 3);
        std::perror("startup_probe: exec");
        _exit(127);
    }
    if (pid < 0) {
        std::perror("startup_probe: fork");
        return 2;
    }

    bool shown = false;
    std::chrono::steady_clock::time_point shownAt;
    while (std::chrono::steady_clock::now() - start < timeout) {
        while (XPending(d)) {
            XEvent event;
            XNextEvent(d, &event);
        }
        if (hasViewableWindow(d, pid)) {
            shownAt = std::chrono::steady_clock::now();
            shown = true;
            break;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "startup_probe: %s ended before showing a window\n", argv[3]);
            return 1;
        }
        pollfd fd{ConnectionNumber(d), POLLIN, 0};
        poll(&fd, 1, 5);
    }
    if (!shown) {
        std::fprintf(stderr, "startup_probe: no window of %s within the time-out\n", argv[3]);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return 1;
    }
    std::this_thread::sleep_for(settle);
    const long peak = peakResidentKiB(pid);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    XCloseDisplay(d);
    const auto ms = std::chrono::duration<double, std::milli>(shownAt - start).count();
    std::printf("%.1f %ld\n", ms, peak);
    return 0;
}
