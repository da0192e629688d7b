// The keep-awake request on a real session bus: Debian's dbus-daemon, on it
// the real xdg-desktop-portal with its GTK backend, or only the test's own
// screen saver (ScreenSaverStandIn.cpp), which records who inhibits and
// when. Then what the program says about its keep-alive in a Wayland
// session, on Xvfb and as a Wayland client of a headless weston.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cstdlib>

#include <fstream>
#include <sstream>
#include <thread>

#include <QCoreApplication>

#include "Support.h"
#include "platform/qt/LinuxPlatform.h"

namespace x11test {
namespace {

constexpr Millis kAppear = 20s;
constexpr Millis kBusAnswer = 10s;

const std::string kInWayland = "NumLock presses reach only X11 programs in this Wayland session";
const std::string kMayLock =
    "nothing keeps the session from idling (no D-Bus session bus), so the screen may still lock";

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

bool waitFor(const std::function<bool()>& check, Millis timeout) {
    return testing_support::pollUntil(check, timeout, {}, 50ms);
}

// A private session bus with the test's screen saver on it. With the portal,
// the bus starts the real xdg-desktop-portal and its GTK backend on demand,
// as a desktop's does; the backend is picked for a GNOME session.
class Bus {
public:
    // `remoteDesktop`: "grant" or "refuse" makes the test's screen saver the
    // portal's remote desktop too, whose user answers so.
    Bus(const fs::path& dir, bool withPortal, const std::string& remoteDesktop = "")
        : log_(dir / "screensaver.log") {
        for (const char* sub : {"services", "home", "run"}) fs::create_directories(dir / sub);
        fs::permissions(dir / "run", fs::perms::owner_all);
        using Service = std::pair<std::string, std::string>;  // name after org.freedesktop., program
        if (withPortal)
            for (const auto& [name, exec] : {Service{"portal.Desktop", "xdg-desktop-portal"},
                                             Service{"impl.portal.desktop.gtk", "xdg-desktop-portal-gtk"}})
                std::ofstream(dir / "services" / ("org.freedesktop." + name + ".service"))
                    << "[D-BUS Service]\nName=org.freedesktop." << name << "\nExec=/usr/libexec/" << exec
                    << "\n";
        std::ofstream(dir / "bus.conf")
            << "<busconfig><type>session</type><listen>" << address_ << "</listen><servicedir>"
            << (dir / "services").string()
            << "</servicedir><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
               "<allow eavesdrop=\"true\"/>"
               "<allow own=\"*\"/></policy></busconfig>\n";
        writeScript(dir / "bus.sh", "exec dbus-daemon --nofork --print-address=1 --config-file='" +
                                        (dir / "bus.conf").string() + "'\n");
        daemon_ = std::make_unique<Program>(
            dir / "bus.sh",
            std::map<std::string, std::string>{{"DISPLAY", fixtureDisplay()},
                                               {"XDG_CURRENT_DESKTOP", "GNOME"},
                                               {"HOME", (dir / "home").string()},
                                               {"XDG_RUNTIME_DIR", (dir / "run").string()}},
            dir / "bus.txt");
        if (!waitFor([&] { return daemon_->output().find("unix:") != std::string::npos; }, kBusAnswer))
            return;
        saver_ = std::make_unique<Program>(
            std::getenv("VELMORA_STANDIN"),
            std::map<std::string, std::string>{{"DBUS_SESSION_BUS_ADDRESS", address_},
                                               {"VELMORA_STANDIN_LOG", log_.string()},
                                               {"VELMORA_STANDIN_PORTAL", remoteDesktop}},
            dir / "screensaver.txt");
        ready_ = waitFor([&] { return !record().empty(); }, kBusAnswer);
    }
    bool ready() const { return ready_; }
    const std::string& address() const { return address_; }
    std::vector<std::string> record() const { return linesOf(log_); }
    // Whether the screen saver records `line` within the time a bus call takes.
    bool says(const std::string& line) const {
        return waitFor(
            [&] {
                const auto lines = record();
                return std::find(lines.begin(), lines.end(), line) != lines.end();
            },
            kBusAnswer);
    }

private:
    fs::path log_;
    std::string address_ = "unix:path=" + (log_.parent_path() / "bus").string();
    std::unique_ptr<Program> daemon_, saver_;
    bool ready_ = false;
};

// The program on the fixture's display with the heartbeat started by its tick,
// on the platform it chooses itself.
struct Started {
    Started(const fs::path& dir, const std::string& name, std::map<std::string, std::string> env) {
        const fs::path config = dir / "config";
        writeSettings(settingsFile(config, name),
                      {{"RIVA_AUTOSTART_TICKBOX", "1"}, {"MAIN-Left", "21000"}, {"MAIN-Top", "3000"}});
        env.insert({{"DISPLAY", fixtureDisplay()}, {"XDG_CONFIG_HOME", config.string()}});
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

TEST(KeepAwake, ScreenSaverIsHeldWhileTheHeartbeatRunsGivenBackOnStopAndSigtermAndEndsWithAKill) {
    XSession x(fixtureDisplay());
    ASSERT_TRUE(x.ok());
    TempFolder tmp("keepawake");
    const Bus bus(tmp.path(), false);
    ASSERT_TRUE(bus.ready());

    Started app(tmp.path(), "vm-awake", {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    const std::string held = app.pid() + " vm-awake";
    EXPECT_TRUE(bus.says("inhibit 1 " + held)) << app.program->output();
    const auto window = x.waitForClient(app.program->pid(), app.caption, kAppear);
    ASSERT_TRUE(window) << app.program->output();
    ASSERT_TRUE(x.waitForSettledFrame(*window, 300ms, 5s));
    clickHeartbeatButton(x, *window);  // STOP
    EXPECT_TRUE(bus.says("uninhibit 1 " + held));
    clickHeartbeatButton(x, *window);  // START
    EXPECT_TRUE(bus.says("inhibit 2 " + held));
    app.program->signal(SIGTERM);
    const auto status = app.program->waitExit(10s);
    ASSERT_TRUE(status);
    EXPECT_EQ(describeStatus(*status), "exit 0") << app.program->output();
    EXPECT_TRUE(bus.says("uninhibit 2 " + held));
    EXPECT_EQ(bus.record(), (std::vector<std::string>{"ready", "inhibit 1 " + held, "uninhibit 1 " + held,
                                                      "inhibit 2 " + held, "uninhibit 2 " + held}));
    EXPECT_EQ(app.program->output().find("velmora:"), std::string::npos)
        << "a plain X11 session says nothing new";

    Started killed(tmp.path(), "vm-killed", {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    ASSERT_TRUE(bus.says("inhibit 3 " + killed.pid() + " vm-killed")) << killed.program->output();
    killed.program->signal(SIGKILL);
    EXPECT_TRUE(bus.says("gone 3 vm-killed"));
}

// Debian's own portal and its GTK backend between the program and the
// screen saver: the request reaches the screen saver from the backend, is
// given back on STOP, and the portal gives it back when the program is killed.
TEST(KeepAwake, TheRealDesktopPortalIsAskedFirstAndLetsGoOfAKilledProgram) {
    XSession x(fixtureDisplay());
    ASSERT_TRUE(x.ok());
    TempFolder tmp("keepawake-portal");
    const Bus bus(tmp.path(), true);  // the screen saver is up before the backend looks for one
    ASSERT_TRUE(bus.ready());

    Started app(tmp.path(), "vm-portal", {{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    ASSERT_TRUE(waitFor([&] { return bus.record().size() >= 2; }, kBusAnswer)) << app.program->output();
    std::istringstream first(bus.record()[1]);  // "inhibit 1 PID COMM"
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
    EXPECT_TRUE(bus.says("uninhibit 1 " + backend));
    clickHeartbeatButton(x, *window);  // START
    EXPECT_TRUE(bus.says("inhibit 2 " + backend));
    app.program->signal(SIGKILL);
    EXPECT_TRUE(bus.says("uninhibit 2 " + backend));
}

// Inside a Wayland session the program says once where its presses go and
// what keeps the session awake, unless they reach the compositor: through
// its virtual keyboard (a sway beside, from on_sway.sh) or the remote-desktop
// portal. In a plain X11 session it says nothing.
TEST(KeepAwake, WaylandSessionNoticeOnXvfbIsSaidOnceAndOnlyThere) {
    TempFolder tmp("keepawake-notice");
    const Bus bus(tmp.path(), false);
    ASSERT_TRUE(bus.ready());
    fs::create_directories(tmp.path() / "portal");
    fs::create_directories(tmp.path() / "refusing");
    const Bus portal(tmp.path() / "portal", false, "grant"),
        refusing(tmp.path() / "refusing", false, "refuse");
    ASSERT_TRUE(portal.ready() && refusing.ready());
    const char* sway = std::getenv("WAYLAND_DISPLAY");
    ASSERT_NE(sway, nullptr) << "run through on_sway.sh";
    XSession x(fixtureDisplay());
    ASSERT_TRUE(x.ok());
    const std::string noBus = "unix:path=" + (tmp.path() / "no-bus").string();
    const std::string none = (tmp.path() / "no-compositor").string();
    const std::string neither = kInWayland + ": no Wayland compositor answers and ";
    // A compositor that takes the connection and never answers.
    const std::string silent = (tmp.path() / "silent").string();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{AF_UNIX, {}};
    silent.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    struct Case {
        std::string name, sessionType, wayland, busAddress, notice;
    };
    // Each runs on X11 unless it says why, though Qt would choose Wayland.
    const std::vector<Case> cases = {
        {"vm-wl-keyboard", "wayland", sway, bus.address(), ""},
        {"vm-wl-silent", "wayland", silent, bus.address(),
         kInWayland + ": the Wayland compositor did not answer within a second and no remote-desktop portal "
                      "answers; the session is kept from idling by org.freedesktop.ScreenSaver"},
        {"vm-wl-portal", "wayland", none, portal.address(), ""},
        {"vm-wl-neither", "wayland", none, bus.address(),
         neither + "no remote-desktop portal answers; the session is kept from idling by "
                   "org.freedesktop.ScreenSaver"},
        {"vm-wl-refused", "wayland", none, refusing.address(),
         neither + "remote-desktop access was refused; the session is kept from idling by "
                   "org.freedesktop.ScreenSaver"},
        {"vm-wl-nobus", "wayland", none, noBus,
         neither + "no D-Bus session bus for the remote-desktop portal; " + kMayLock},
        {"vm-x11", "x11", "", bus.address(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::map<std::string, std::string> env{{"DBUS_SESSION_BUS_ADDRESS", c.busAddress},
                                               {"XDG_SESSION_TYPE", c.sessionType}};
        if (!c.wayland.empty()) env["WAYLAND_DISPLAY"] = c.wayland;
        Started app(tmp.path(), c.name, env);
        ASSERT_TRUE(x.waitForClient(app.program->pid(), app.caption, kAppear)) << app.program->output();
        if (c.name == "vm-wl-silent") {  // the window waits a second at most
            EXPECT_TRUE(waitFor([&] { return count(app.program->output(), "NumLock") > 0; }, 2500ms));
        }
        if (c.name == "vm-wl-portal") {
            EXPECT_TRUE(portal.says("start token-1"));
        }
        if (c.name == "vm-wl-refused") {  // the answer comes after the start-up's notices
            EXPECT_TRUE(refusing.says("refused"));
            waitFor([&] { return app.program->output().find("NumLock") != std::string::npos; }, kBusAnswer);
        }
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
    ::close(listener);
}

// A Wayland client of a headless weston: no key injection at all, said once
// with what that means for the lock screen, and the program runs on and keeps
// its stored place.
TEST(KeepAwake, WaylandClientOfHeadlessWestonRunsAndSaysTheScreenMayStillLock) {
    TempFolder tmp("keepawake-weston");
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
    // Stored on a second monitor the compositor does not have.
    const Settings placed{{"RIVA_AUTOSTART_TICKBOX", "1"}, {"MAIN-Left", "30000"}, {"MAIN-Top", "2500"}};
    writeSettings(settingsFile(config, name), placed);
    // Under the sanitizers: Qt's Wayland plugin is unloaded before the leak
    // check at exit, so what it keeps names no library to suppress it by.
    const char* asan = std::getenv("ASAN_OPTIONS");
    Program app(installCopy(tmp.path(), name),
                {{"ASAN_OPTIONS", std::string(asan ? asan : "") + ":detect_leaks=0"},
                 {"WAYLAND_DISPLAY", "velmora-wl"},
                 {"XDG_RUNTIME_DIR", run.string()},
                 {"QT_QPA_PLATFORM", "wayland"},  // chosen, though an X display is at hand
                 {"DISPLAY", fixtureDisplay()},
                 {"XDG_CONFIG_HOME", config.string()},
                 {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (tmp.path() / "no-bus").string()}},
                tmp.path() / "output.txt");
    const std::string notice =
        "velmora: NumLock keep-alive unavailable: the compositor offers no virtual keyboard "
        "(zwp_virtual_keyboard_manager_v1), no D-Bus session bus for the remote-desktop portal and this "
        "session does not run on X11 (display platform \"wayland\"); " +
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
    // A Wayland client is never told where its window is: the stored place stays.
    const Settings after = readSettings(settingsFile(config, name));
    EXPECT_EQ(after.at("MAIN-Left") + " " + after.at("MAIN-Top"), "30000 2500");
}

// The remote-desktop portal in process, on a private bus whose portal is the
// test's stand-in, in a Wayland session whose compositor offers no virtual
// keyboard (none answers at all): the ways tried as the heartbeat starts.
class RemoteDesktop : public ::testing::Test {
protected:
    void start(const std::string& answer) {
        ASSERT_TRUE(bus_.emplace(tmp_.path(), false, answer).ready());
        ::setenv("DBUS_SESSION_BUS_ADDRESS", bus_->address().c_str(), 1);
        ::setenv("WAYLAND_DISPLAY", (tmp_.path() / "no-compositor").c_str(), 1);
    }
    // One program run: the window is shown, the heartbeat starts (and stops
    // and starts again) once the program has settled; what it said is returned.
    using Said = std::vector<std::string>;
    Said run(const std::function<bool(const Said&)>& settled) {
        platform::LinuxPlatform platform;
        platform.setPortalTokenFile(token_);
        Said said;
        platform.onAvailabilityChange = [&](platform::DesktopFeature, const platform::Result& r) {
            said.push_back(r.ok ? r.note : "unavailable: " + r.error);
        };
        EXPECT_TRUE(platform.Available(platform::DesktopFeature::KeyInjection).ok);
        platform.KeepAwake(true);
        EXPECT_TRUE(platform.SendNumLock().ok);  // before the answer: nothing known, nothing said
        EXPECT_TRUE(pump([&] { return settled(said); })) << testing::PrintToString(bus_->record());
        pump([] { return false; }, 300ms);  // a doubled answer
        platform.KeepAwake(false);
        platform.KeepAwake(true);
        if (said.empty()) {
            EXPECT_TRUE(platform.SendNumLock().ok);
        }
        return said;
    }
    // What the stand-in recorded as the portal's remote desktop.
    std::vector<std::string> portalCalls() const {
        std::vector<std::string> calls;
        for (const std::string& line : bus_->record())
            if (line != "ready" && line.find("inhibit") == std::string::npos) calls.push_back(line);
        return calls;
    }
    bool pump(const std::function<bool()>& done, Millis timeout = kBusAnswer) {
        return testing_support::pollUntil(
            done, timeout, [] { QCoreApplication::processEvents(); }, 10ms);
    }
    int argc_ = 1;
    char name_[8] = "velmora";
    char* argv_[2] = {name_, nullptr};
    QCoreApplication app_{argc_, argv_};
    TempFolder tmp_{"remote-desktop"};
    fs::path token_ = tmp_.path() / "config" / "VELMORA" / "velmora.portal-token";
    std::optional<Bus> bus_;
};

TEST_F(RemoteDesktop, TheFirstStartAsksAndKeepsTheTokenPrivatelyTheNextRunHandsItOverAndPresses) {
    start("grant");
    for (const std::string token : {"token-1", "token-2"}) {
        SCOPED_TRACE(token);
        EXPECT_EQ(run([&](const Said&) { return readFile(token_) == token + "\n"; }), Said{});
        EXPECT_EQ(fs::status(token_).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write);
    }
    EXPECT_TRUE(bus_->says("close"));
    EXPECT_EQ(portalCalls(),
              (std::vector<std::string>{"create", "select 1 2 ", "start token-1", "keysym 65407 1",
                                        "keysym 65407 0", "close", "create", "select 1 2 token-1",
                                        "start token-2", "keysym 65407 1", "keysym 65407 0", "close"}));
}

TEST_F(RemoteDesktop, ARefusalIsSaidOnceAndNotAskedAgain) {
    start("refuse");
    // Settled once the program has heard the refusal, not only once the stand-in sent it.
    const auto said = run([](const Said& said) { return !said.empty(); });
    EXPECT_EQ(said, std::vector<std::string>{
                        "unavailable: no Wayland compositor answers, remote-desktop access was "
                        "refused and no X11 display"});
    EXPECT_TRUE(bus_->says("close"));
    EXPECT_EQ(portalCalls(), (std::vector<std::string>{"create", "select 1 2 ", "refused", "close"}));
    EXPECT_FALSE(fs::exists(token_));
}

// The portal's whole life, a misbehaving desktop a row, each on a bus of its own.
struct Life {  // settled: how the stand-in's last line begins; said (sorted), calls: ";" after
               // each
    std::string name, mode, settled, said, calls;
};
void PrintTo(const Life& row, std::ostream* out) { *out << row.name; }
class RemoteDesktopLife : public RemoteDesktop, public ::testing::WithParamInterface<Life> {};

std::string joined(std::vector<std::string> lines, bool sorted) {
    if (sorted) std::ranges::sort(lines);
    std::string text;
    for (const std::string& line : lines) text += line + ";";
    return text;
}

TEST_P(RemoteDesktopLife, SaysOnlyWhatIsKnownAndCountsOneAnswerPerRequest) {
    const Life& row = GetParam();
    start(row.mode);
    const auto settled = [&](const Said& s) {
        return joined(s, true) == row.said && bus_->record().back().starts_with(row.settled);
    };
    EXPECT_EQ(joined(run(settled), true), row.said);
    std::string calls;
    waitFor([&] { return (calls = joined(portalCalls(), false)) == row.calls; }, kBusAnswer);
    EXPECT_EQ(calls, row.calls);
}

const std::string kLost = "unavailable: no Wayland compositor answers, ", kNoX11 = " and no X11 display;";
const std::string kGranted = "create;select 1 2 ;start token-1;keysym 65407 1;keysym 65407 0;close;";
INSTANTIATE_TEST_SUITE_P(
    Rows, RemoteDesktopLife,
    ::testing::Values(
        Life{"v1", "grant,v1", "start ", "",
             "create;select 1 0 ;start ;keysym 65407 1;keysym 65407 0;close;"},
        Life{"late", "grant,late", "start token-1", "", kGranted},
        Life{"twice", "grant,twice", "start token-1", "", kGranted},
        Life{"int32", "refuse,int32", "close", kLost + "remote-desktop access was refused" + kNoX11,
             "create;select 1 2 ;refused;close;"},
        Life{"closed", "grant,close", "closed", kLost + "the desktop ended remote-desktop access" + kNoX11,
             "create;select 1 2 ;start token-1;closed;"},
        Life{"restart", "grant,restart", "portal-idle 2",
             "the desktop portal's idle inhibitor;" + kLost + "the remote-desktop portal restarted and ended its "
             "session" + kNoX11,
             "portal-idle 1;create;select 1 2 ;start token-1;restarted;portal-idle 2;close;portal-idle 3;close;"},
        Life{"gone", "grant,gone", "inhibit 1 ",
             "org.freedesktop.ScreenSaver;" + kLost + "the remote-desktop portal went away" + kNoX11,
             "portal-idle 1;create;select 1 2 ;start token-1;gone;"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace x11test
