#pragma once

// Helpers for the real-display tests: the display the fixture started, the
// program under test run as a child process, its settings file, and what the
// X server shows. Everything waits by polling with a deadline, never by a
// fixed sleep, so a slow machine only makes a test slower, not flaky.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/Files.h"
#include "support/Markers.h"
#include "support/Poll.h"
#include "support/TaskList.h"
#include "support/TempFolder.h"

struct _XDisplay;  // Xlib's Display, kept out of the tests' includes

namespace x11test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;

// --- what the test runner hands over ---------------------------------------

// The program under test (VELMORA_BINARY).
fs::path programBinary();
// Where screenshots are kept after the run (VELMORA_ARTIFACT_DIR).
fs::path artifactDir();
// The display the fixture started, from the state file named by
// VELMORA_X11_STATE; empty when there is none.
std::string fixtureDisplay();

using testing_support::epochMillis;
using testing_support::readFile;
using testing_support::TempFolder;

// The program under its own executable name in `dir`: the name is the
// settings section and the window caption's tail, so each test gets its own.
fs::path installCopy(const fs::path& dir, const std::string& name);

// Writes an executable shell script.
void writeScript(const fs::path& file, const std::string& body);

// --- settings files ----------------------------------------------------------

using Settings = std::map<std::string, std::string>;

fs::path settingsFile(const fs::path& configHome, const std::string& exeName);
// Writes the keys at the top level ([General]) in the escaping QSettings uses.
void writeSettings(const fs::path& file, const Settings& values);
// Reads the top-level keys back; an absent file reads as no keys.
Settings readSettings(const fs::path& file);
using testing_support::shutdownKeys;

// --- the program as a child process ------------------------------------------

// How a launcher may hand the program over, where it differs from a plain start.
struct StartAs {
    std::vector<std::string> through;  // started through these (e.g. nohup), then the program
    std::vector<int> blocked;          // signals blocked from the start
    std::vector<int> closed;           // standard descriptors left closed
    // given to the program
    std::vector<std::string> arguments{};
};

class Program {
public:
    // Starts `exe` with the caller's environment less every variable that
    // chooses a display, a settings folder or Qt's behaviour, plus `env`. Standard output
    // and error go to `outputFile`.
    Program(const fs::path& exe, const std::map<std::string, std::string>& env, const fs::path& outputFile,
            const StartAs& how = {});
    ~Program();  // kills and reaps a program still running
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // The wait status once it has ended within `timeout`.
    std::optional<int> waitExit(Millis timeout);
    void signal(int sig);
    std::string output() const;

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    fs::path outputFile_;
};

// Describes a wait status for messages ("exit 0", "signal 6").
std::string describeStatus(int status);

// --- processes seen in /proc -------------------------------------------------

struct ProcInfo {
    pid_t pid;
    pid_t ppid;
    char state;
    std::string comm;
};
std::vector<ProcInfo> processes();
std::vector<ProcInfo> processesNamed(const std::string& comm);

// --- the X server --------------------------------------------------------------

struct Frame {
    int x = 0, y = 0, width = 0, height = 0;  // the outer frame on the root
    int clientX = 0, clientY = 0;             // the client area's origin on the root
    int clientWidth = 0, clientHeight = 0;
};
bool operator==(const Frame& a, const Frame& b);
std::string describe(const Frame& f);

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> rgb;  // 0xRRGGBB, row by row
    std::uint32_t at(int x, int y) const { return rgb[static_cast<std::size_t>(y * width + x)]; }
    bool savePng(const fs::path& file) const;
};

class XSession {
public:
    explicit XSession(const std::string& display);
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool ok() const { return display_ != nullptr; }

    // The managed top-level window of process `pid` with exactly this
    // caption, once the window manager lists it.
    std::optional<unsigned long> waitForClient(pid_t pid, const std::string& caption, Millis timeout);
    // Nothing while the window manager has not framed the window yet.
    std::optional<Frame> frame(unsigned long window);
    // Polls until `done` holds for the frame; returns the last frame seen.
    std::optional<Frame> waitForFrame(unsigned long window, const std::function<bool(const Frame&)>& done,
                                      Millis timeout);
    // Polls until the frame has not changed for `quiet`.
    std::optional<Frame> waitForSettledFrame(unsigned long window, Millis quiet, Millis timeout);

    // Asks the window manager to move the frame's top-left corner to x, y.
    void moveFrame(unsigned long window, int x, int y);
    // Asks the window manager to close the window, as its close box does.
    void closeViaWindowManager(unsigned long window);

    // Whether the window manager no longer lists the window, within `timeout`.
    bool waitForGone(unsigned long window, Millis timeout);
    // A left click at x, y on the root, as the user's mouse would.
    void click(int x, int y);
    // Types printable ASCII text ('\b' for backspace) into whatever has the
    // keyboard focus.
    void type(const std::string& text);

    Image grab(int x, int y, int width, int height);

    // --- focus and stacking, as a user's desktop changes them ---
    // The window manager's active window (_NET_ACTIVE_WINDOW), 0 if none.
    unsigned long activeWindow();
    // Asks the window manager to activate the window, as a pager would.
    void activate(unsigned long window);
    // Asks the window manager to add or remove the window's "above" state.
    void setAbove(unsigned long window, bool on);
    bool hasAbove(unsigned long window);
    // A plain top-level window of this connection, mapped; it goes when the
    // session closes.
    unsigned long createWindow(const std::string& name, int x, int y, int width, int height);
    // A viewable top-level window of process `pid` with this caption, without
    // a window manager's help (a bare server has none).
    std::optional<unsigned long> waitForTopLevel(pid_t pid, const std::string& caption, Millis timeout);

private:
    void sendToRoot(unsigned long window, const char* message, const long (&data)[5]);

    ::_XDisplay* display_ = nullptr;
};

// A test on the fixture's display: its connection to the X server, a folder
// of its own, and the program started there under a name of the test's own.
class OnDisplay : public ::testing::Test {
protected:
    void SetUp() override;
    // The program's environment: this display and this test's settings folder.
    std::map<std::string, std::string> env() const;
    // Starts the program as `name` over `stored` (nothing for an empty list);
    // its main window once listed, 0 (and a failure) when none came.
    unsigned long open(const std::string& name, const Settings& stored, const StartAs& how = {});
    // Closes `window` through the window manager; the program ends with 0.
    void closeAndWait(unsigned long window);

    TempFolder tmp{"velmora-x11"};
    fs::path config = tmp.path() / "config";
    std::string display;
    std::unique_ptr<XSession> x;
    std::unique_ptr<Program> program;
};

}  // namespace x11test
