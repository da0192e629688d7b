// How the program ends on a real display: closed through the window manager,
// ended by a signal, or started with no display at all. The first two must
// write the place and the ticks back; the last must say why it cannot run.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <string_view>

#include "Support.h"

namespace x11test {
namespace {

constexpr Millis kAppear = 20s;

std::map<std::string, std::string> displayEnv(const std::string& display, const fs::path& config) {
    return {{"DISPLAY", display}, {"QT_QPA_PLATFORM", "xcb"}, {"XDG_CONFIG_HOME", config.string()}};
}

// The file holds the 47 shut-down keys, and nothing but what was stored before.
void expectShutdownWrite(const Settings& after, const Settings& before) {
    for (const auto& key : shutdownKeys()) EXPECT_TRUE(after.count(key)) << key << " not written";
    for (const auto& [key, value] : after) {
        const auto keys = shutdownKeys();
        const bool expected = std::find(keys.begin(), keys.end(), key) != keys.end();
        EXPECT_TRUE(expected || before.count(key)) << "unexpected key " << key << "=" << value;
    }
    EXPECT_FALSE(after.count("MAIN-Width"));
    EXPECT_FALSE(after.count("MAIN-Height"));
}

using Shutdown = OnDisplay;

TEST_F(Shutdown, CloseThroughWindowManagerWritesTheMovedPlaceInTwips) {
    const std::string name = "vm-moved";
    const fs::path file = settingsFile(config, name);
    const Settings before = {{"MAIN-Left", "7500"}, {"MAIN-Top", "750"}, {"TASK_4_ENABLE_TICKBOX", "1"}};
    const unsigned long window = open(name, before);
    ASSERT_NE(window, 0u);
    XSession& x = *this->x;
    const auto start = x.waitForFrame(
        window, [](const Frame& f) { return f.x == 500 && f.y == 50; }, 5s);
    ASSERT_TRUE(start);
    ASSERT_EQ(start->x, 500) << describe(*start);

    x.moveFrame(window, 537, 311);
    const auto moved = x.waitForFrame(
        window, [](const Frame& f) { return f.x == 537 && f.y == 311; }, 5s);
    ASSERT_TRUE(moved);
    ASSERT_EQ(moved->x, 537) << "the window manager did not move the window: " << describe(*moved);
    ASSERT_EQ(moved->y, 311) << describe(*moved);
    // Give the program time to hear of the move, as a user's close comes later too.
    ASSERT_TRUE(x.waitForSettledFrame(window, 300ms, 5s));

    closeAndWait(window);

    const Settings after = readSettings(file);
    EXPECT_EQ(after.at("MAIN-Left"), std::to_string(537 * 15));
    EXPECT_EQ(after.at("MAIN-Top"), std::to_string(311 * 15));
    EXPECT_EQ(after.at("TASK_4_ENABLE_TICKBOX"), "1");
    EXPECT_EQ(after.at("TASK_5_ENABLE_TICKBOX"), "0");
    EXPECT_EQ(after.at("AlwaysOnTopTimer_TICKBOX"), "1");  // the default, now written
    expectShutdownWrite(after, before);
}

class SignalShutdown : public OnDisplay, public ::testing::WithParamInterface<int> {};

TEST_P(SignalShutdown, RunsShutDownAndExitsCleanly) {
    const std::string name = "vm-sig" + std::to_string(GetParam());
    const fs::path file = settingsFile(config, name);
    // Ticks stored differently from their defaults must come back unchanged,
    // and every unstored one must be written with its default.
    const Settings before = {
        {"MAIN-Left", "9000"},      {"MAIN-Top", "9000"},          {"AlwaysOnTopTimer_TICKBOX", "0"},
        {"AUTOCLOSE_TICKBOX", "1"}, {"TASK_3_PAUSE_TICKBOX", "1"}, {"TASK_20_ENABLE_TICKBOX", "1"},
        {"LAST_RUN", "RUNNING..."}};
    const unsigned long window = open(name, before);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(x->waitForSettledFrame(window, 300ms, 5s));
    Program& program = *this->program;

    const auto writtenBefore = fs::last_write_time(file);
    program.signal(GetParam());
    const auto status = program.waitExit(10s);
    ASSERT_TRUE(status) << "no exit within 10 s of signal " << GetParam();
    EXPECT_EQ(describeStatus(*status), "exit 0") << program.output();
    EXPECT_NE(fs::last_write_time(file), writtenBefore) << "nothing was written";

    const Settings after = readSettings(file);
    expectShutdownWrite(after, before);
    EXPECT_EQ(after.at("MAIN-Left"), "9000");
    EXPECT_EQ(after.at("MAIN-Top"), "9000");
    EXPECT_EQ(after.at("AlwaysOnTopTimer_TICKBOX"), "0");
    EXPECT_EQ(after.at("AUTOCLOSE_TICKBOX"), "1");
    EXPECT_EQ(after.at("AUTOSTART_TICKBOX"), "0");
    EXPECT_EQ(after.at("RIVA_AUTOSTART_TICKBOX"), "0");
    EXPECT_EQ(after.at("TASK_3_PAUSE_TICKBOX"), "1");
    EXPECT_EQ(after.at("TASK_3_ENABLE_TICKBOX"), "0");
    EXPECT_EQ(after.at("TASK_20_ENABLE_TICKBOX"), "1");
    EXPECT_EQ(after.at("LAST_RUN"), "RUNNING...");
}

INSTANTIATE_TEST_SUITE_P(Signals, SignalShutdown, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                             return info.param == SIGTERM  ? std::string("SIGTERM")
                                    : info.param == SIGINT ? std::string("SIGINT")
                                                           : std::string("SIGHUP");
                         });

// The X server going away (the session torn down under the program) ends
// the program from inside Qt; shut-down must still write the ticks.
TEST(DisplayLost, ShutDownStillWritesTheTicks) {
    const char* scripts = std::getenv("VELMORA_X11_SCRIPTS");
    ASSERT_NE(scripts, nullptr) << "run through ctest";
    TempFolder tmp("display-lost");
    // A display of its own, as this test ends it.
    const fs::path state = tmp.path() / "display" / "state";
    const std::string start =
        "'" + std::string(scripts) + "/start_display.sh' '" + state.string() + "' >/dev/null";
    ASSERT_EQ(std::system(start.c_str()), 0);
    const Settings display = readSettings(state);  // KEY=VALUE lines
    ASSERT_TRUE(display.count("DISPLAY") && display.count("XVFB_PID") && display.count("WM_PID"));

    const std::string name = "vm-lost";
    const fs::path config = tmp.path() / "config";
    const fs::path file = settingsFile(config, name);
    const Settings before = {
        {"TASK_7_ENABLE_TICKBOX", "1"}, {"AUTOCLOSE_TICKBOX", "1"}, {"LAST_RUN", "RUNNING..."}};
    writeSettings(file, before);
    Program program(installCopy(tmp.path(), name), displayEnv(display.at("DISPLAY"), config),
                    tmp.path() / "output.txt");
    {
        XSession x(display.at("DISPLAY"));
        ASSERT_TRUE(x.ok());
        ASSERT_TRUE(x.waitForClient(program.pid(), "VELMORA - " + name, kAppear)) << program.output();
    }
    ::kill(std::stoi(display.at("XVFB_PID")), SIGKILL);
    const auto status = program.waitExit(10s);
    ::kill(std::stoi(display.at("WM_PID")), SIGKILL);
    ASSERT_TRUE(status) << "still running 10 s after its display went away";
    EXPECT_TRUE(WIFEXITED(*status)) << describeStatus(*status) << program.output();

    const Settings after = readSettings(file);
    expectShutdownWrite(after, before);
    EXPECT_EQ(after.at("TASK_7_ENABLE_TICKBOX"), "1");
    EXPECT_EQ(after.at("AUTOCLOSE_TICKBOX"), "1");
    EXPECT_EQ(after.at("LAST_RUN"), "RUNNING...");
}

TEST(NoDisplay, SaysSoAndExitsWithFailureWithoutCrashing) {
    // No DISPLAY at all, and one where no X server listens (Qt's own start fails);
    // --help and --version need no display and succeed.
    const struct {
        const char* display;
        const char* argument;
        std::string said;  // the output (--help: its first line), or "" for any line that names the display
    } cases[] = {{nullptr, nullptr, ""},
                 {":987", nullptr, "velmora: cannot open the graphical display \":987\"\n"},
                 {nullptr, "--help", "Usage: vm-nodisplay [--help | --version]\n"},
                 {":987", "--version", "VELMORA " VELMORA_VERSION_TEXT "\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.display ? c.display : "no DISPLAY") + " " +
                     (c.argument ? c.argument : ""));
        TempFolder tmp("nodisplay");
        const std::string name = "vm-nodisplay";
        const fs::path config = tmp.path() / "config";
        // Only the settings folder is given: no WAYLAND_DISPLAY, no QT_QPA_PLATFORM.
        std::map<std::string, std::string> env{{"XDG_CONFIG_HOME", config.string()}};
        if (c.display) env["DISPLAY"] = c.display;
        StartAs how;
        if (c.argument) how.arguments = {c.argument};
        Program program(installCopy(tmp.path(), name), env, tmp.path() / "output.txt", how);
        const auto status = program.waitExit(20s);
        ASSERT_TRUE(status) << "still running 20 s after start with no display";
        const std::string output = program.output();
        ASSERT_TRUE(WIFEXITED(*status)) << "ended by " << describeStatus(*status) << "; output:\n" << output;
        EXPECT_EQ(WEXITSTATUS(*status) == 0, c.argument != nullptr) << output;
        std::string lower = output;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
        if (!c.argument) {
            EXPECT_NE(lower.find("display"), std::string::npos)
                << "the message does not say that the display is missing:\n"
                << output;
        }
        const bool help = c.argument && std::string_view(c.argument) == "--help";
        if (!c.said.empty()) {
            EXPECT_EQ(help ? output.substr(0, c.said.size()) : output, c.said);
        }
        // Nothing ran, so nothing of the store may have been touched.
        EXPECT_FALSE(fs::exists(settingsFile(config, name)));
    }
}

}  // namespace
}  // namespace x11test
