// What a launcher hands over: closed standard descriptors, a blocked SIGTERM,
// an ignored SIGHUP. The program must still show its window, run a pass, end
// on SIGTERM writing its settings, and not end on a hang-up it was told to
// ignore.

#include <gtest/gtest.h>
#include <signal.h>

#include "Support.h"

namespace x11test {
namespace {

struct Case {
    const char* name;
    StartAs how;
    bool pass;   // autostart a pass and wait until it has run slot 1
    int leftPx;  // tests run side by side, each window in a place of its own
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class StartedAs : public OnDisplay, public ::testing::WithParamInterface<Case> {};

TEST_P(StartedAs, ShowsItsWindowRunsAndWritesItsSettingsWhenTold) {
    const Case& c = GetParam();
    const std::string name = std::string("vm-") + c.name;
    const testing_support::Tasks tasks(tmp.path() / "work", testing_support::markerProgram());
    const unsigned long window = open(name,
                                      {{"MAIN-Left", std::to_string(c.leftPx * 15)},
                                       {"MAIN-Top", "9750"},
                                       {"AUTOSTART_TICKBOX", c.pass ? "1" : "0"},
                                       {"AlwaysOnTopTimer_TICKBOX", "0"},
                                       {"TASK_1_ENABLE_TICKBOX", "1"},
                                       {"TASK_1_CMD", tasks.withBlanks("ran")}},
                                      c.how);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(x->waitForSettledFrame(window, 300ms, 5s));
    Program& program = *this->program;
    if (c.pass) {
        // Autostart counts 11 s, then slot 1 runs.
        ASSERT_TRUE(testing_support::pollUntil([&] { return tasks.find("ran").has_value(); }, 30s))
            << "the pass did not run slot 1 within 30 s";
    }
    if (!c.how.through.empty()) {
        program.signal(SIGHUP);
        EXPECT_FALSE(program.waitExit(2s)) << "a hang-up ended a program started under nohup";
    }
    program.signal(SIGTERM);
    const auto status = program.waitExit(10s);
    ASSERT_TRUE(status) << "still running 10 s after it was told to end";
    EXPECT_EQ(describeStatus(*status), "exit 0") << program.output();
    const Settings after = readSettings(settingsFile(config, name));
    for (const auto& key : shutdownKeys()) EXPECT_TRUE(after.count(key)) << key << " not written";
}

INSTANTIATE_TEST_SUITE_P(
    Inherited, StartedAs,
    ::testing::Values(Case{"err-closed", {{}, {}, {2}}, true, 900},
                      Case{"all-closed", {{}, {}, {0, 1, 2}}, true, 1100},
                      Case{"term-blocked", {{}, {SIGTERM, SIGINT, SIGHUP}, {}}, false, 1300},
                      Case{"nohup", {{"nohup"}, {}, {}}, false, 1500}),
    [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace x11test
