// A real unattended pass of velmora.exe: autostart, real programs (one under
// a path with blanks given unquoted, a batch file, a Pause 4 Process wait, a
// missing program), autoclose, what the registry holds afterwards and what
// the next start shows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Driver.h"
#include "Look.h"

using namespace drive;
using ::testing::MatchesRegex;

namespace {

constexpr COLORREF kGreen = 0x00FF00, kRed = 0x0000FF, kMagenta = 0xFF00FF;
// One timer interval is 1 s; a start under Wine may take a few hundred ms more.
constexpr std::int64_t kSlack = 1000;

void expectAbout(std::int64_t actual, std::int64_t expected, const char* what) {
    EXPECT_GE(actual, expected - kSlack) << what;
    EXPECT_LE(actual, expected + kSlack) << what;
}

Settings unattended(int leftPx, int topPx, const Settings& tasks) {
    Settings s = mainWindowAt(leftPx, topPx);
    s["AUTOSTART_TICKBOX"] = "1";
    s["AUTOCLOSE_TICKBOX"] = "1";
    s.insert(tasks.begin(), tasks.end());
    return s;
}

// The status line as the next start shows it: text and colour.
void expectStatusAtNextStart(Program& program, const std::string& text, COLORREF colour) {
    writeSection(program.name(), {{"AUTOSTART_TICKBOX", "0"}});
    program.start();
    const Window main = program.mainWindow();
    ASSERT_TRUE(main);
    HWND status = main["LAST_RUN_TEXTBOX"];
    ASSERT_TRUE(status);
    EXPECT_EQ(drive::text(status), text);
    EXPECT_TRUE(waitUntil([&] { return grab(screenRect(status)).share(colour) > 0.5; }, 5s))
        << program.name() << ": status line not in colour " << std::hex << colour << ", pixel "
        << grab(screenRect(status)).at(6, 6);
    PostMessageW(main.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.waitForExit(10s));
}

}  // namespace

TEST(RealPass, RunsTheListOnTimeReportsTheMissingProgramClosesItselfAndTheNextStartShowsTheResult) {
    TempFolder tmp("velmora-pass");
    const Tasks tasks(tmp.path() / "work", testing_support::markerProgram()),
        cleanTasks(tmp.path() / "clean", testing_support::markerProgram());
    Program withErrors(tmp.path() / "bin", "vm-pass-errors"), clean(tmp.path() / "bin", "vm-pass-clean");
    const Settings list = taskList({
        {1, {tasks.withBlanks("A", "one two")}},
        {2, {tasks.script("B")}},
        {3, {tasks.staying("p4pwait.exe", "C", 4000), "P4PWAIT.EXE"}},
        {4, {tasks.missing()}},
        {5, {tasks.withBlanks("E"), "", false}},
        {6, {tasks.withBlanks("D")}},
    });
    writeSection(withErrors.name(), unattended(20, 20, list));
    writeSection(clean.name(), unattended(430, 20, taskList({{1, {cleanTasks.withBlanks("S")}}})));

    withErrors.start();
    clean.start();
    const Window main = withErrors.mainWindow();
    const std::int64_t shown = epochMillis();
    ASSERT_TRUE(main) << withErrors.errorOutput();
    ASSERT_TRUE(clean.mainWindow());

    // The lights while the autoclose countdown runs: passed, failed, skipped.
    ASSERT_TRUE(waitUntil([&] { return tasks.names() == "A B C D"; }, 60s)) << tasks.names();
    pause(2500ms);
    const struct {
        int slot;
        COLORREF colour;
    } lights[] = {{1, kGreen}, {2, kGreen}, {3, kGreen}, {4, kMagenta}, {5, kRed}, {6, kGreen}, {7, kRed}};
    for (const auto& light : lights) {
        HWND box = main["TASK_" + std::to_string(light.slot) + "_LIGHT"];
        ASSERT_TRUE(box);
        const Shot shot = grab(screenRect(box));
        EXPECT_GT(shot.share(light.colour), 0.5)
            << "light " << light.slot << " pixel " << std::hex << shot.at(shot.width / 2, 3);
    }
    shootAndCheck(main, "main-window", true);

    ASSERT_TRUE(withErrors.waitForExit(40s)) << "still open 40 s after the last slot";
    const std::int64_t exited = epochMillis();
    ASSERT_TRUE(clean.waitForExit(30s));
    EXPECT_EQ(withErrors.exitCode(), 0u);
    EXPECT_EQ(clean.exitCode(), 0u);

    // The order, the words each got, and the spacing of the Linux program:
    // 11 s countdown and 1 s to slot 1, 2 s per launch, 1 s per skip, the
    // wait as long as the waited-for program runs, 11 s autoclose.
    ASSERT_EQ(tasks.names(), "A B C D");
    EXPECT_EQ(tasks.markers()[0].words, "one two");
    EXPECT_EQ(tasks.markers()[1].words, "from-script");
    expectAbout(tasks.at("A") - shown, 12'000, "window shown to slot 1");
    expectAbout(tasks.at("B") - tasks.at("A"), 2'000, "slot 1 to slot 2 (a batch file)");
    expectAbout(tasks.at("C") - tasks.at("A"), 4'000, "slot 1 to slot 3");
    // Slot 3's program runs 4 s; the first poll after it ends lets slot 4
    // start 1 s later; slot 4 fails (1 s sleep, 1 s), slot 5 is skipped (1 s).
    expectAbout(tasks.at("D") - tasks.at("C"), 9'000, "slot 3 with its wait to slot 6");
    // Slots 7 to 20 skipped (14 s), then the autoclose countdown (11 s).
    expectAbout(exited - tasks.at("D"), 26'000, "slot 6 to the program's end");

    const auto trace = withErrors.trace();
    ASSERT_EQ(trace.size(), 8u) << withErrors.errorOutput();
    const std::string slot3 = "slot 3 \"TASK 3\" P-4-P: ";
    EXPECT_EQ(trace[0], "slot 1 \"TASK 1\" started: " + list.at("TASK_1_CMD"));
    EXPECT_EQ(trace[1], "slot 2 \"TASK 2\" started: " + list.at("TASK_2_CMD"));
    EXPECT_EQ(trace[2], "slot 3 \"TASK 3\" started: " + list.at("TASK_3_CMD"));
    EXPECT_EQ(trace[3], slot3 + "waiting until no \"P4PWAIT.EXE\" runs");
    EXPECT_EQ(trace[4], slot3 + "no \"P4PWAIT.EXE\" runs any more, going on");
    EXPECT_THAT(trace[5], MatchesRegex("slot 4 \"TASK 4\" could not start: .+"));
    EXPECT_EQ(trace[6], "slot 6 \"TASK 6\" started: " + list.at("TASK_6_CMD"));
    EXPECT_EQ(trace[7], "pass finished with errors (slot 4): 4 started, 15 skipped");
    EXPECT_THAT(clean.trace(), ::testing::Contains("pass finished: 1 started, 19 skipped"));

    const Settings stored = readSection(withErrors.name());
    EXPECT_EQ(stored.at("LAST_RUN"), "COMPLETED WITH ERRORS");
    EXPECT_EQ(readSection(clean.name()).at("LAST_RUN"), "COMPLETED SUCCESSFULLY");
    for (const auto& [key, value] : Settings{{"AUTOSTART_TICKBOX", "1"},
                                             {"AUTOCLOSE_TICKBOX", "1"},
                                             {"AlwaysOnTopTimer_TICKBOX", "0"},
                                             {"RIVA_AUTOSTART_TICKBOX", "0"},
                                             {"TASK_3_PAUSE_TICKBOX", "1"},
                                             {"TASK_5_ENABLE_TICKBOX", "0"},
                                             {"TASK_6_ENABLE_TICKBOX", "1"},
                                             {"MAIN-Left", "300"},
                                             {"MAIN-Top", "300"}})
        EXPECT_EQ(stored.at(key), value) << key;
    EXPECT_EQ(stored.count("MAIN-Width"), 0u);

    expectStatusAtNextStart(withErrors, "COMPLETED WITH ERRORS", kRed);
    expectStatusAtNextStart(clean, "COMPLETED SUCCESSFULLY", kGreen);
}
