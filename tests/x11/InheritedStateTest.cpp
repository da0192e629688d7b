// What a launcher hands over: closed standard descriptors, a blocked SIGTERM,
// an ignored SIGHUP. The program must still show its window, run a pass and
// write its settings when it ends, and must not end on a hang-up it was told
// to ignore.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <fstream>
#include <thread>

#include "Support.h"

namespace x11test {
namespace {

constexpr Millis kAppear = 20s;

struct Started {
    TempDir tmp{"inherited"};
    fs::path config, file;
    std::unique_ptr<Program> program;
    std::optional<unsigned long> window;
};

// Starts the program with `how`; slot 1 runs a script that logs to
// <tmp>/ran when `pass` is set (autostart begins the pass 12 s in).
void start(Started& s, XSession& x, const std::string& name, const StartAs& how, int leftPx, bool pass) {
    s.config = s.tmp.path() / "config";
    s.file = settingsFile(s.config, name);
    writeScript(s.tmp.path() / "task.sh", "echo ran >> '" + (s.tmp.path() / "ran").string() + "'\n");
    writeSettings(s.file, {{"MAIN-Left", std::to_string(leftPx * 15)},
                           {"MAIN-Top", "9750"},
                           {"AUTOSTART_TICKBOX", pass ? "1" : "0"},
                           {"AlwaysOnTopTimer_TICKBOX", "0"},
                           {"TASK_1_ENABLE_TICKBOX", "1"},
                           {"TASK_1_CMD", (s.tmp.path() / "task.sh").string()},
                           {"LAST_RUN", "BEFORE"}});
    const std::map<std::string, std::string> env = {
        {"DISPLAY", fixtureDisplay()}, {"QT_QPA_PLATFORM", "xcb"}, {"XDG_CONFIG_HOME", s.config.string()}};
    s.program =
        std::make_unique<Program>(installCopy(s.tmp.path(), name), env, s.tmp.path() / "output.txt", how);
    s.window = x.waitForClient(s.program->pid(), "VELMORA - " + name, kAppear);
}

// Shut-down ran: the status line and every tick were written back.
void expectShutdownWrote(const Started& s, bool pass) {
    const Settings after = readSettings(s.file);
    for (const auto& key : shutdownKeys()) EXPECT_TRUE(after.count(key)) << key << " not written";
    if (pass) {
        EXPECT_NE(after.count("LAST_RUN") ? after.at("LAST_RUN") : "BEFORE", "BEFORE");
    }
}

class ClosedDescriptors : public ::testing::TestWithParam<std::vector<int>> {};

TEST_P(ClosedDescriptors, WindowShowsAPassRunsAndShutDownWritesTheFile) {
    XSession x(fixtureDisplay());
    ASSERT_TRUE(x.ok());
    Started s;
    const bool all = GetParam().size() == 3;
    start(s, x, all ? "vm-closed-all" : "vm-closed-err", {{}, {}, GetParam()}, all ? 1300 : 1500, true);
    ASSERT_TRUE(s.window) << "no window";
    const fs::path ran = s.tmp.path() / "ran";
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!fs::exists(ran) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(fs::exists(ran)) << "the pass did not run slot 1 within 30 s";
    x.closeViaWindowManager(*s.window);
    const auto status = s.program->waitExit(10s);
    ASSERT_TRUE(status) << "no exit within 10 s of the close";
    EXPECT_EQ(describeStatus(*status), "exit 0");
    expectShutdownWrote(s, true);
}

INSTANTIATE_TEST_SUITE_P(Start, ClosedDescriptors,
                         ::testing::Values(std::vector<int>{2}, std::vector<int>{0, 1, 2}),
                         [](const auto& info) {
                             return info.param.size() == 3 ? "AllThree" : "StandardError";
                         });

TEST(InheritedSignals, ASigtermBlockedByTheParentStillRunsShutDown) {
    XSession x(fixtureDisplay());
    ASSERT_TRUE(x.ok());
    Started s;
    start(s, x, "vm-blocked", {{}, {SIGTERM, SIGINT, SIGHUP}, {}}, 1100, false);
    ASSERT_TRUE(s.window) << s.program->output();
    ASSERT_TRUE(x.waitForSettledFrame(*s.window, 300ms, 5s));
    s.program->signal(SIGTERM);
    const auto status = s.program->waitExit(10s);
    ASSERT_TRUE(status) << "SIGTERM was not acted on within 10 s";
    EXPECT_EQ(describeStatus(*status), "exit 0") << s.program->output();
    expectShutdownWrote(s, false);
}

TEST(InheritedSignals, UnderNohupAHangUpIsIgnoredAndSigtermStillRunsShutDown) {
    XSession x(fixtureDisplay());
    ASSERT_TRUE(x.ok());
    Started s;
    start(s, x, "vm-nohup", {{"nohup"}, {}, {}}, 900, false);
    ASSERT_TRUE(s.window) << s.program->output();
    ASSERT_TRUE(x.waitForSettledFrame(*s.window, 300ms, 5s));
    s.program->signal(SIGHUP);
    EXPECT_FALSE(s.program->waitExit(2s)) << "a hang-up ended a program started under nohup";
    EXPECT_FALSE(x.waitForGone(*s.window, 500ms));
    s.program->signal(SIGTERM);
    const auto status = s.program->waitExit(10s);
    ASSERT_TRUE(status) << "SIGTERM was not acted on within 10 s";
    EXPECT_EQ(describeStatus(*status), "exit 0") << s.program->output();
    expectShutdownWrote(s, false);
}

}  // namespace
}  // namespace x11test
