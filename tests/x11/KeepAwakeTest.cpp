// The keep-awake request on a real session bus: Debian's dbus-daemon, on it
// the real xdg-desktop-portal with its GTK backend, or only the test's own
// screen saver (ScreenSaverStandIn.cpp), which records who inhibits and
// when. Then what the program says about its keep-alive in a Wayland
// session, on Xvfb and as a Wayland client of a headless weston.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "Support.h"

namespace x11test {
namespace {

constexpr Millis kAppear = 20s;
constexpr Millis kBusAnswer = 10s;

const std::string kInWayland = "NumLock presses reach only X11 programs in this Wayland session";
const std::string kMayLock =
    "nothing keeps the session from idling (no D-Bus session bus), so the screen may still lock";

fs::path helper(const char* variable) {
    const char* path = std::getenv(variable);
    if (path == nullptr) throw std::runtime_error(std::string(variable) + " is not set; run through ctest");
    return path;
}

std::vector<std::string> linesOf(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

template <typename Check>
bool waitFor(Check check, Millis timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!check()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

// A private session bus. With the portal, the bus starts the real
// xdg-desktop-portal and its GTK backend on demand, as a desktop's does; the
// backend is picked for a GNOME session and talks to the display given.
class SessionBus {
public:
    SessionBus(const fs::path& dir, bool withPortal, const std::string& display) : dir_(dir) {
        fs::create_directories(dir / "services");
        fs::create_directories(dir / "home");
        fs::create_directories(dir / "run");
        fs::permissions(dir / "run", fs::perms::owner_all);
        if (withPortal) {
            service("org.freedesktop.portal.Desktop", "/usr/libexec/xdg-desktop-portal");
            service("org.freedesktop.impl.portal.desktop.gtk", "/usr/libexec/xdg-desktop-portal-gtk");
        }
        std::ofstream(dir / "bus.conf")
            << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig><type>session</type>\n"
            << "<listen>unix:path=" << (dir / "bus").string() << "</listen>\n"
            << "<servicedir>" << (dir / "services").string() << "</servicedir>\n"
            << "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
               "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
        writeScript(dir / "bus.sh", "exec dbus-daemon --nofork --print-address=1 --config-file='" +
                                        (dir / "bus.conf").string() + "'\n");
        daemon_ = std::make_unique<Program>(
            dir / "bus.sh",
            std::map<std::string, std::string>{{"DISPLAY", display},
                                               {"XDG_CURRENT_DESKTOP", "GNOME"},
                                               {"HOME", (dir / "home").string()},
                                               {"XDG_RUNTIME_DIR", (dir / "run").string()}},
            dir / "bus.txt");
        ready_ = waitFor([&] { return daemon_->output().find("unix:") != std::string::npos; }, kBusAnswer);
    }

    bool ready() const { return ready_; }
    std::string address() const { return "unix:path=" + (dir_ / "bus").string(); }

private:
    void service(const std::string& name, const std::string& exec) {
        std::ofstream(dir_ / "services" / (name + ".service"))
            << "[D-BUS Service]\nName=" << name << "\nExec=" << exec << "\n";
    }

    fs::path dir_;
    std::unique_ptr<Program> daemon_;
    bool ready_ = false;
};

// The test's screen saver on that bus, and its record.
class ScreenSaver {
public:
    ScreenSaver(const fs::path& dir, const SessionBus& bus) : log_(dir / "screensaver.log") {
        program_ = std::make_unique<Program>(
            helper("VELMORA_STANDIN"),
            std::map<std::string, std::string>{{"DBUS_SESSION_BUS_ADDRESS", bus.address()},
                                               {"VELMORA_STANDIN_LOG", log_.string()}},
            dir / "screensaver.txt");
        ready_ = waitFor([&] { return !linesOf(log_).empty(); }, kBusAnswer);
    }
    bool ready() const { return ready_; }
    std::vector<std::string> record() const { return linesOf(log_); }
    // Whether the record gets `line` within the time a bus call takes.
    bool says(const std::string& line) const {
        return waitFor(
            [&] {
                const auto lines = record();
                return std::find(lines.begin(), lines.end(), line) != lines.end();
            },
            kBusAnswer);
    }
    std::string describe() const {
        std::ostringstream all;
        for (const auto& line : record()) all << line << "\n";
        return all.str();
    }

private:
    fs::path log_;
    std::unique_ptr<Program> program_;
    bool ready_ = false;
};

// The program on the fixture's display with the heartbeat started by its tick.
struct Started {
    Started(const fs::path& dir, const std::string& name, std::map<std::string, std::string> env) {
        const fs::path config = dir / "config";
        writeSettings(settingsFile(config, name),
                      {{"RIVA_AUTOSTART_TICKBOX", "1"}, {"MAIN-Left", "21000"}, {"MAIN-Top", "3000"}});
        env.insert({{"DISPLAY", fixtureDisplay()},
                    {"QT_QPA_PLATFORM", "xcb"},
                    {"XDG_CONFIG_HOME", config.string()}});
        program = std::make_unique<Program>(installCopy(dir, name), env, dir / (name + ".txt"));
        caption = "VELMORA - " + name;
    }
    std::string pid() const { return std::to_string(program->pid()); }
    std::unique_ptr<Program> program;
    std::string caption;
};

// The heartbeat's START/STOP button, clicked as a user would.
void clickHeartbeatButton(XSession& x, unsigned long window) {
    const auto frame = x.frame(window);
    ASSERT_TRUE(frame);
    x.click(frame->clientX + 120 + 28, frame->clientY + 504 + 12);  // its box, in pixels from the twips
}

TEST(KeepAwake, ScreenSaverIsHeldWhileTheHeartbeatRunsAndGivenBackOnStopAndSigterm) {
    XSession x(fixtureDisplay());
    ASSERT_TRUE(x.ok());
    TempDir tmp("keepawake");
    SessionBus bus(tmp.path(), false, fixtureDisplay());
    ASSERT_TRUE(bus.ready());
    ScreenSaver saver(tmp.path(), bus);
    ASSERT_TRUE(saver.ready());

    Started app(tmp.path(), "vm-awake", {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    const std::string held = app.pid() + " vm-awake";
    EXPECT_TRUE(saver.says("inhibit 1 " + held)) << saver.describe() << app.program->output();
    const auto window = x.waitForClient(app.program->pid(), app.caption, kAppear);
    ASSERT_TRUE(window) << app.program->output();
    ASSERT_TRUE(x.waitForSettledFrame(*window, 300ms, 5s));

    clickHeartbeatButton(x, *window);  // STOP
    EXPECT_TRUE(saver.says("uninhibit 1 " + held)) << saver.describe();
    clickHeartbeatButton(x, *window);  // START
    EXPECT_TRUE(saver.says("inhibit 2 " + held)) << saver.describe();

    app.program->signal(SIGTERM);
    const auto status = app.program->waitExit(10s);
    ASSERT_TRUE(status);
    EXPECT_EQ(describeStatus(*status), "exit 0") << app.program->output();
    EXPECT_TRUE(saver.says("uninhibit 2 " + held)) << saver.describe();
    EXPECT_EQ(saver.record(), (std::vector<std::string>{"ready", "inhibit 1 " + held, "uninhibit 1 " + held,
                                                        "inhibit 2 " + held, "uninhibit 2 " + held}));
    EXPECT_EQ(app.program->output().find("velmora:"), std::string::npos)
        << "a plain X11 session says nothing new";
}

TEST(KeepAwake, AKilledProgramsInhibitorEndsWithItsBusConnection) {
    TempDir tmp("keepawake-kill");
    SessionBus bus(tmp.path(), false, fixtureDisplay());
    ASSERT_TRUE(bus.ready());
    ScreenSaver saver(tmp.path(), bus);
    ASSERT_TRUE(saver.ready());
    Started app(tmp.path(), "vm-killed", {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    ASSERT_TRUE(saver.says("inhibit 1 " + app.pid() + " vm-killed"))
        << saver.describe() << app.program->output();

    app.program->signal(SIGKILL);
    EXPECT_TRUE(saver.says("gone 1 vm-killed")) << saver.describe();
}

// Debian's own portal and its GTK backend between the program and the
// screen saver: the request reaches the screen saver from the backend, is
// given back on STOP, and the portal gives it back when the program is killed.
TEST(KeepAwake, TheRealDesktopPortalIsAskedFirstAndLetsGoOfAKilledProgram) {
    for (const char* part : {"/usr/libexec/xdg-desktop-portal", "/usr/libexec/xdg-desktop-portal-gtk"})
        ASSERT_TRUE(fs::exists(part)) << part << " missing: tools/install-missing.sh installs it";
    XSession x(fixtureDisplay());
    ASSERT_TRUE(x.ok());
    TempDir tmp("keepawake-portal");
    SessionBus bus(tmp.path(), true, fixtureDisplay());
    ASSERT_TRUE(bus.ready());
    ScreenSaver saver(tmp.path(), bus);  // before the backend starts: it looks for one once
    ASSERT_TRUE(saver.ready());

    Started app(tmp.path(), "vm-portal", {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    ASSERT_TRUE(waitFor([&] { return saver.record().size() >= 2; }, kBusAnswer))
        << saver.describe() << app.program->output();
    // "inhibit 1 PID COMM": the backend's process, not the program's.
    std::istringstream first(saver.record()[1]);
    std::string verb, cookie, pid, comm;
    first >> verb >> cookie >> pid >> comm;
    EXPECT_EQ(verb + " " + cookie, "inhibit 1");
    EXPECT_NE(pid, app.pid());
    EXPECT_EQ(comm, "xdg-desktop-por");  // xdg-desktop-portal-gtk, cut to the kernel's 15 characters
    const std::string backend = pid + " " + comm;

    const auto window = x.waitForClient(app.program->pid(), app.caption, kAppear);
    ASSERT_TRUE(window) << app.program->output();
    ASSERT_TRUE(x.waitForSettledFrame(*window, 300ms, 5s));
    clickHeartbeatButton(x, *window);  // STOP
    EXPECT_TRUE(saver.says("uninhibit 1 " + backend)) << saver.describe();
    clickHeartbeatButton(x, *window);  // START
    EXPECT_TRUE(saver.says("inhibit 2 " + backend)) << saver.describe();

    app.program->signal(SIGKILL);
    EXPECT_TRUE(saver.says("uninhibit 2 " + backend)) << saver.describe();
}

// Inside a Wayland session the program says once where its presses go and
// what keeps the session awake; in a plain X11 session it says nothing.
TEST(KeepAwake, WaylandSessionNoticeOnXvfbIsSaidOnceAndOnlyThere) {
    TempDir tmp("keepawake-notice");
    SessionBus bus(tmp.path(), false, fixtureDisplay());
    ASSERT_TRUE(bus.ready());
    ScreenSaver saver(tmp.path(), bus);
    ASSERT_TRUE(saver.ready());
    XSession x(fixtureDisplay());
    ASSERT_TRUE(x.ok());
    const std::string noBus = "unix:path=" + (tmp.path() / "no-bus").string();
    struct Case {
        std::string name, sessionType, busAddress, notice;
    };
    const std::vector<Case> cases = {
        {"vm-wl-saver", "wayland", bus.address(),
         kInWayland + "; the session is kept from idling by org.freedesktop.ScreenSaver"},
        {"vm-wl-nobus", "wayland", noBus, kInWayland + "; " + kMayLock},
        {"vm-x11", "x11", bus.address(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Started app(tmp.path(), c.name,
                    {{"DBUS_SESSION_BUS_ADDRESS", c.busAddress}, {"XDG_SESSION_TYPE", c.sessionType}});
        ASSERT_TRUE(x.waitForClient(app.program->pid(), app.caption, kAppear)) << app.program->output();
        // Two pulses' worth of ticks would be too long; the notice comes at start-up.
        app.program->signal(SIGTERM);
        ASSERT_TRUE(app.program->waitExit(10s));
        const std::string output = app.program->output();
        if (c.notice.empty()) {
            EXPECT_EQ(output.find("velmora:"), std::string::npos) << output;
        } else {
            EXPECT_EQ(count(output, "velmora: " + c.notice + "\n"), 1) << output;
            EXPECT_EQ(count(output, "NumLock"), 1) << output;
        }
    }
}

// A Wayland client of a headless weston: no key injection at all, said once
// with what that means for the lock screen, and the program runs on.
TEST(KeepAwake, WaylandClientOfHeadlessWestonRunsAndSaysTheScreenMayStillLock) {
    TempDir tmp("keepawake-weston");
    const fs::path run = tmp.path() / "run";
    fs::create_directories(run);
    fs::permissions(run, fs::perms::owner_all);
    writeScript(tmp.path() / "weston.sh",
                "exec weston --backend=headless-backend.so --socket=velmora-wl --idle-time=0 --width=1024 "
                "--height=768\n");
    Program weston(tmp.path() / "weston.sh", {{"XDG_RUNTIME_DIR", run.string()}}, tmp.path() / "weston.txt");
    ASSERT_TRUE(waitFor([&] { return fs::exists(run / "velmora-wl"); }, kAppear)) << weston.output();

    const std::string name = "vm-wayland";
    const fs::path config = tmp.path() / "config";
    writeSettings(settingsFile(config, name), {{"RIVA_AUTOSTART_TICKBOX", "1"}});
    Program app(installCopy(tmp.path(), name),
                {{"WAYLAND_DISPLAY", "velmora-wl"},
                 {"XDG_RUNTIME_DIR", run.string()},
                 {"QT_QPA_PLATFORM", "wayland"},
                 {"XDG_CONFIG_HOME", config.string()},
                 {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (tmp.path() / "no-bus").string()}},
                tmp.path() / "output.txt");
    const std::string notice =
        "velmora: NumLock keep-alive unavailable: this session does not run on X11 "
        "(display platform \"wayland\"); " +
        kMayLock + "\n";
    ASSERT_TRUE(waitFor([&] { return app.output().find(notice) != std::string::npos; }, kAppear))
        << app.output();
    std::this_thread::sleep_for(2s);  // the heartbeat's scanner ticks on meanwhile
    ASSERT_TRUE(app.running()) << app.output();
    app.signal(SIGTERM);
    const auto status = app.waitExit(10s);
    ASSERT_TRUE(status);
    EXPECT_EQ(describeStatus(*status), "exit 0") << app.output();
    EXPECT_EQ(count(app.output(), "NumLock"), 1) << app.output();
}

}  // namespace
}  // namespace x11test
