#include "Support.h"

// Qt before Xlib: Xlib's macros (Status, CursorShape) break Qt's headers.
#include <QImage>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace x11test {

namespace {

constexpr Millis kPoll = 50ms;

std::string envOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

// QSettings' INI escaping, for the values the tests store.
std::string escapeValue(const std::string& value) {
    std::string out;
    bool quote = !value.empty() && (value.front() == ' ' || value.back() == ' ');
    for (char c : value) {
        if (c == ',' || c == ';' || c == '=') quote = true;
        if (c == '\\' || c == '"') out += '\\';
        if (c == '\n' || c == '\r' || c == '\t')
            throw std::invalid_argument("control character in a test setting");
        out += c;
    }
    return quote ? "\"" + out + "\"" : out;
}

// Reads a value as QSettings writes it; blanks outside quotes at either end
// have been trimmed by the caller.
std::string unescapeValue(std::string_view stored) {
    std::string out;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const char c = stored[i];
        if (c == '"') continue;
        if (c == '\\' && i + 1 < stored.size()) {
            const char next = stored[++i];
            out += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
        } else {
            out += c;
        }
    }
    return out;
}

int ignoreXErrors(Display*, XErrorEvent*) {
    // Windows come and go while we look at them (the program closes itself);
    // a request about a vanished window just yields nothing.
    return 0;
}

template <typename T>
std::vector<T> property(Display* d, Window w, const char* name, Atom type) {
    std::vector<T> out;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom atom = XInternAtom(d, name, False);
    if (XGetWindowProperty(d, w, atom, 0, 1 << 16, False, type, &actualType, &format, &count, &after,
                           &data) != Success) {
        return out;
    }
    if (data && actualType == type) {
        if (format == 32) {
            // Xlib hands 32-bit items over as longs.
            const auto* items = reinterpret_cast<const long*>(data);
            for (unsigned long i = 0; i < count; ++i) out.push_back(static_cast<T>(items[i]));
        } else if (format == 8) {
            for (unsigned long i = 0; i < count; ++i) out.push_back(static_cast<T>(data[i]));
        }
    }
    if (data) XFree(data);
    return out;
}

std::string windowName(Display* d, Window w) {
    const auto utf8 = property<char>(d, w, "_NET_WM_NAME", XInternAtom(d, "UTF8_STRING", False));
    if (!utf8.empty()) return std::string(utf8.begin(), utf8.end());
    const auto plain = property<char>(d, w, "WM_NAME", XA_STRING);
    return std::string(plain.begin(), plain.end());
}

}  // namespace

// --- environment ----------------------------------------------------------------

fs::path programBinary() {
    const std::string path = envOr("VELMORA_BINARY", "");
    if (path.empty()) throw std::runtime_error("VELMORA_BINARY is not set");
    return path;
}

fs::path artifactDir() {
    fs::path dir = envOr("VELMORA_ARTIFACT_DIR", fs::temp_directory_path().string());
    fs::create_directories(dir);
    return dir;
}

std::string fixtureDisplay() {
    const std::string state = envOr("VELMORA_X11_STATE", "");
    if (state.empty()) return {};
    std::ifstream in(state);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("DISPLAY=", 0) == 0) return line.substr(8);
    return {};
}

fs::path installCopy(const fs::path& dir, const std::string& name) {
    const fs::path target = dir / name;
    fs::copy_file(programBinary(), target, fs::copy_options::overwrite_existing);
    fs::permissions(target, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    return target;
}

void writeScript(const fs::path& file, const std::string& body) {
    std::ofstream(file) << "#!/bin/sh\n" << body;
    fs::permissions(file, fs::perms::owner_all);
}

// --- settings ---------------------------------------------------------------------

fs::path settingsFile(const fs::path& configHome, const std::string& exeName) {
    return configHome / "VELMORA" / (exeName + ".conf");
}

void writeSettings(const fs::path& file, const Settings& values) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::trunc);
    out << "[General]\n";
    for (const auto& [key, value] : values) out << key << '=' << escapeValue(value) << '\n';
}

Settings readSettings(const fs::path& file) {
    Settings values;
    std::istringstream in(readFile(file));
    std::string line;
    bool general = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            general = line == "[General]";
            continue;
        }
        const auto eq = line.find('=');
        if (!general || eq == std::string::npos) continue;
        std::string key = line.substr(0, eq);
        while (!key.empty() && key.back() == ' ') key.pop_back();
        std::string_view raw(line);
        raw.remove_prefix(eq + 1);
        while (!raw.empty() && raw.front() == ' ') raw.remove_prefix(1);
        while (!raw.empty() && raw.back() == ' ') raw.remove_suffix(1);
        values[key] = unescapeValue(raw);
    }
    return values;
}

// --- child processes --------------------------------------------------------------

Program::Program(const fs::path& exe, const std::map<std::string, std::string>& env,
                 const fs::path& outputFile, const StartAs& how)
    : outputFile_(outputFile) {
    std::vector<std::string> vars;
    for (char** e = environ; *e; ++e) {
        const std::string var = *e;
        const std::string name = var.substr(0, var.find('='));
        // The caller's desktop settings (Qt scaling, a chosen platform) must
        // not move or resize the windows the tests measure.
        if (name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name == "XDG_SESSION_TYPE" ||
            name.rfind("QT_", 0) == 0 || name == "XDG_CONFIG_HOME" || name == "XAUTHORITY" || env.count(name))
            continue;
        vars.push_back(var);
    }
    for (const auto& [name, value] : env) vars.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& v : vars) envp.push_back(v.data());
    envp.push_back(nullptr);

    std::vector<std::string> words = how.through;
    words.push_back(exe.string());
    words.insert(words.end(), how.arguments.begin(), how.arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = outputFile.string();
    auto closed = [&](int fd) {
        return std::find(how.closed.begin(), how.closed.end(), fd) != how.closed.end();
    };
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    for (int fd = 0; fd <= 2; ++fd)
        if (closed(fd)) posix_spawn_file_actions_addclose(&actions, fd);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t blocked;
    sigemptyset(&blocked);
    for (const int sig : how.blocked) sigaddset(&blocked, sig);
    posix_spawnattr_setsigmask(&attributes, &blocked);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    const int rc = posix_spawnp(&pid_, argv.front(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    const std::string path = argv.front();
    if (rc != 0) throw std::runtime_error("cannot start " + path + ": " + std::strerror(rc));
}

Program::~Program() {
    if (running()) {
        ::kill(pid_, SIGKILL);
        waitExit(5s);
    }
}

bool Program::running() {
    if (status_) return false;
    int status = 0;
    const pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_) status_ = status;
    return !status_;
}

std::optional<int> Program::waitExit(Millis timeout) {
    testing_support::pollUntil([&] { return !running(); }, timeout);
    return status_;
}

void Program::signal(int sig) {
    if (running()) ::kill(pid_, sig);
}

std::string Program::output() const {
    return readFile(outputFile_);
}

std::string describeStatus(int status) {
    if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(status);
}

// --- a test on the display ------------------------------------------------------

void OnDisplay::SetUp() {
    display = fixtureDisplay();
    ASSERT_FALSE(display.empty()) << "no display: run through ctest so the fixture starts Xvfb";
    x = std::make_unique<XSession>(display);
    ASSERT_TRUE(x->ok()) << "cannot open display " << display;
}

std::map<std::string, std::string> OnDisplay::env() const {
    return {{"DISPLAY", display}, {"QT_QPA_PLATFORM", "xcb"}, {"XDG_CONFIG_HOME", config.string()}};
}

unsigned long OnDisplay::open(const std::string& name, const Settings& stored, const StartAs& how) {
    if (!stored.empty()) writeSettings(settingsFile(config, name), stored);
    program =
        std::make_unique<Program>(installCopy(tmp.path(), name), env(), tmp.path() / (name + ".out"), how);
    const auto window = x->waitForClient(program->pid(), "VELMORA - " + name, 20s);
    if (!window) {
        ADD_FAILURE() << "no window captioned \"VELMORA - " << name << "\" within 20 s; "
                      << (program->running() ? "the program still runs" : "the program ended")
                      << "; its output:\n"
                      << program->output();
        return 0;
    }
    return *window;
}

void OnDisplay::closeAndWait(unsigned long window) {
    x->closeViaWindowManager(window);
    const auto status = program->waitExit(10s);
    ASSERT_TRUE(status) << "the program did not end within 10 s of the close request";
    EXPECT_EQ(describeStatus(*status), "exit 0") << program->output();
}

// --- /proc ------------------------------------------------------------------------

std::vector<ProcInfo> processes() {
    std::vector<ProcInfo> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string stat = readFile(entry.path() / "stat");
        // "pid (comm) state ppid ..."; comm may hold blanks and parentheses.
        const auto open = stat.find('(');
        const auto close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close + 4 > stat.size()) continue;
        ProcInfo info{};
        info.pid = std::stoi(name);
        info.comm = stat.substr(open + 1, close - open - 1);
        info.state = stat[close + 2];
        info.ppid = std::atoi(stat.c_str() + close + 4);
        out.push_back(info);
    }
    return out;
}

std::vector<ProcInfo> processesNamed(const std::string& comm) {
    std::vector<ProcInfo> out;
    for (const auto& p : processes())
        if (p.comm == comm) out.push_back(p);
    return out;
}

// --- X ----------------------------------------------------------------------------

bool operator==(const Frame& a, const Frame& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height && a.clientX == b.clientX &&
           a.clientY == b.clientY && a.clientWidth == b.clientWidth && a.clientHeight == b.clientHeight;
}

std::string describe(const Frame& f) {
    std::ostringstream s;
    s << "frame " << f.width << "x" << f.height << " at " << f.x << "," << f.y << " (client " << f.clientWidth
      << "x" << f.clientHeight << " at " << f.clientX << "," << f.clientY << ")";
    return s.str();
}

bool Image::savePng(const fs::path& file) const {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, 0xFF000000u | at(x, y));
    return image.save(QString::fromStdString(file.string()), "PNG");
}

XSession::XSession(const std::string& display) {
    XSetErrorHandler(ignoreXErrors);
    display_ = XOpenDisplay(display.c_str());
}

XSession::~XSession() {
    if (display_) XCloseDisplay(display_);
}

std::optional<unsigned long> XSession::waitForClient(pid_t pid, const std::string& caption, Millis timeout) {
    const Window root = DefaultRootWindow(display_);
    std::optional<unsigned long> found;
    testing_support::pollUntil(
        [&] {
            for (Window w : property<Window>(display_, root, "_NET_CLIENT_LIST", XA_WINDOW)) {
                const auto pids = property<long>(display_, w, "_NET_WM_PID", XA_CARDINAL);
                if (pids.size() == 1 && pids[0] == pid && windowName(display_, w) == caption) found = w;
            }
            return found.has_value();
        },
        timeout, {}, kPoll);
    return found;
}

std::optional<Frame> XSession::frame(unsigned long window) {
    const auto extents = property<long>(display_, window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
    if (extents.size() != 4) return std::nullopt;
    Window root = 0, child = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(display_, window, &root, &x, &y, &width, &height, &border, &depth)) return std::nullopt;
    if (!XTranslateCoordinates(display_, window, root, 0, 0, &x, &y, &child)) return std::nullopt;
    Frame f;
    f.clientX = x;
    f.clientY = y;
    f.clientWidth = static_cast<int>(width);
    f.clientHeight = static_cast<int>(height);
    const int left = static_cast<int>(extents[0]), right = static_cast<int>(extents[1]);
    const int top = static_cast<int>(extents[2]), bottom = static_cast<int>(extents[3]);
    f.x = x - left;
    f.y = y - top;
    f.width = f.clientWidth + left + right;
    f.height = f.clientHeight + top + bottom;
    return f;
}

std::optional<Frame> XSession::waitForFrame(unsigned long window,
                                            const std::function<bool(const Frame&)>& done, Millis timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::optional<Frame> last;
    do {
        if (auto f = frame(window)) {
            last = f;
            if (done(*f)) break;
        }
        std::this_thread::sleep_for(kPoll);
    } while (std::chrono::steady_clock::now() < deadline);
    return last;
}

std::optional<Frame> XSession::waitForSettledFrame(unsigned long window, Millis quiet, Millis timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::optional<Frame> last;
    auto since = std::chrono::steady_clock::now();
    do {
        const auto f = frame(window);
        const auto now = std::chrono::steady_clock::now();
        if (!f || !last || !(*f == *last)) {
            last = f;
            since = now;
        } else if (now - since >= quiet) {
            return last;
        }
        std::this_thread::sleep_for(kPoll);
    } while (std::chrono::steady_clock::now() < deadline);
    return last;
}

void XSession::sendToRoot(unsigned long window, const char* message, const long (&data)[5]) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, message, False);
    event.xclient.format = 32;
    for (int i = 0; i < 5; ++i) event.xclient.data.l[i] = data[i];
    XSendEvent(display_, DefaultRootWindow(display_), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display_);
}

void XSession::moveFrame(unsigned long window, int x, int y) {
    // A user moves a window that has finished opening; a move sent while the
    // program still sets its first frame could be undone by it.
    waitForSettledFrame(window, 300ms, 5s);
    // Gravity NorthWest puts the frame's corner at x, y; flags: x and y given;
    // source 2: a pager or tool acting for the user.
    const long data[5] = {1 | (1 << 8) | (1 << 9) | (2 << 12), x, y, 0, 0};
    sendToRoot(window, "_NET_MOVERESIZE_WINDOW", data);
}

void XSession::closeViaWindowManager(unsigned long window) {
    const long data[5] = {CurrentTime, 2, 0, 0, 0};
    sendToRoot(window, "_NET_CLOSE_WINDOW", data);
}

bool XSession::waitForGone(unsigned long window, Millis timeout) {
    const Window root = DefaultRootWindow(display_);
    return testing_support::pollUntil(
        [&] {
            const auto clients = property<Window>(display_, root, "_NET_CLIENT_LIST", XA_WINDOW);
            return std::find(clients.begin(), clients.end(), window) == clients.end();
        },
        timeout, {}, kPoll);
}

void XSession::click(int x, int y) {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XSync(display_, False);
    std::this_thread::sleep_for(100ms);
    XTestFakeButtonEvent(display_, 1, True, CurrentTime);
    XTestFakeButtonEvent(display_, 1, False, CurrentTime);
    XSync(display_, False);
    std::this_thread::sleep_for(200ms);
}

void XSession::type(const std::string& text) {
    const KeyCode shift = XKeysymToKeycode(display_, XK_Shift_L);
    for (const char c : text) {
        // Printable ASCII characters are their own keysyms.
        const KeySym symbol = c == '\b' ? XK_BackSpace : static_cast<unsigned char>(c);
        const KeyCode code = XKeysymToKeycode(display_, symbol);
        if (code == 0) throw std::runtime_error(std::string("no key types '") + c + "'");
        const bool shifted = XkbKeycodeToKeysym(display_, code, 0, 0) != symbol;
        if (shifted) XTestFakeKeyEvent(display_, shift, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        if (shifted) XTestFakeKeyEvent(display_, shift, False, CurrentTime);
        XSync(display_, False);
        std::this_thread::sleep_for(10ms);
    }
}

Image XSession::grab(int x, int y, int width, int height) {
    Image image;
    XImage* shot = XGetImage(display_, DefaultRootWindow(display_), x, y, static_cast<unsigned>(width),
                             static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!shot) return image;
    image.width = width;
    image.height = height;
    image.rgb.reserve(static_cast<std::size_t>(width * height));
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
            image.rgb.push_back(static_cast<std::uint32_t>(XGetPixel(shot, col, row)) & 0xFFFFFFu);
    XDestroyImage(shot);
    return image;
}

unsigned long XSession::activeWindow() {
    const auto active =
        property<Window>(display_, DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    return active.size() == 1 ? active[0] : 0;
}

void XSession::activate(unsigned long window) {
    const long data[5] = {2, CurrentTime, 0, 0, 0};  // source 2: a pager acting for the user
    sendToRoot(window, "_NET_ACTIVE_WINDOW", data);
}

void XSession::setAbove(unsigned long window, bool on) {
    const long data[5] = {on ? 1 : 0, static_cast<long>(XInternAtom(display_, "_NET_WM_STATE_ABOVE", False)),
                          0, 2, 0};
    sendToRoot(window, "_NET_WM_STATE", data);
}

bool XSession::hasAbove(unsigned long window) {
    const Atom above = XInternAtom(display_, "_NET_WM_STATE_ABOVE", False);
    for (Atom a : property<Atom>(display_, window, "_NET_WM_STATE", XA_ATOM))
        if (a == above) return true;
    return false;
}

unsigned long XSession::createWindow(const std::string& name, int x, int y, int width, int height) {
    const Window root = DefaultRootWindow(display_);
    const Window w =
        XCreateSimpleWindow(display_, root, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            0, BlackPixel(display_, 0), WhitePixel(display_, 0));
    XStoreName(display_, w, name.c_str());
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = x;
    hints.y = y;
    hints.width = width;
    hints.height = height;
    XSetWMNormalHints(display_, w, &hints);
    XMapWindow(display_, w);
    XFlush(display_);
    return w;
}

std::optional<unsigned long> XSession::waitForTopLevel(pid_t pid, const std::string& caption,
                                                       Millis timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) {
            std::optional<unsigned long> found;
            for (unsigned i = 0; i < count && !found; ++i) {
                const Window w = children[i];
                const auto pids = property<long>(display_, w, "_NET_WM_PID", XA_CARDINAL);
                XWindowAttributes attributes{};
                if (pids.size() == 1 && pids[0] == pid && windowName(display_, w) == caption &&
                    XGetWindowAttributes(display_, w, &attributes) && attributes.map_state == IsViewable)
                    found = w;
            }
            if (children) XFree(children);
            if (found) return found;
        }
        std::this_thread::sleep_for(kPoll);
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

}  // namespace x11test
