// The settings windows of the real program, driven with the real pointer and
// keyboard: "Settings" opens the single-task window, a slot button loads slot
// 1, a typed command is saved, "VIEW ALL SETTINGS" opens the all-settings
// window over it, both close by their buttons, and the next pass runs the
// saved command. Both windows are photographed for review. When the pass
// ends the program with both windows open again, they close first, without
// saving an edit, each storing its place.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <fstream>
#include <thread>

#include "Support.h"

namespace x11test {
namespace {

constexpr Millis kAppear = 20s;

// A control's centre in client pixels at 96 dpi, from its twip box.
struct Spot {
    int x, y;
};
constexpr Spot centre(int left, int top, int width, int height) {
    return {(2 * left + width) / 30, (2 * top + height) / 30};
}
constexpr Spot kSettingsButton = centre(2400, 1680, 1095, 375);
constexpr Spot kAutostartButton = centre(1200, 1680, 975, 375);
constexpr Spot kTask1Load = centre(480, 600, 975, 375);
constexpr Spot kCommandField = centre(960, 3000, 10095, 315);
constexpr Spot kSingleSave = centre(4920, 3600, 2055, 495);
constexpr Spot kViewAll = centre(1200, 3600, 2415, 495);
constexpr Spot kSingleOk = centre(8880, 3600, 1815, 495);
constexpr Spot kAllCancel = centre(9240, 4920, 1575, 615);
constexpr Spot kAllTask2Command = centre(3000, 1200, 3135, 315);

class SettingsWindows : public OnDisplay {
protected:
    void clickIn(const Frame& f, Spot s) { x->click(f.clientX + s.x, f.clientY + s.y); }

    // The window once framed and still, or a failure.
    std::optional<Frame> settled(unsigned long window) { return x->waitForSettledFrame(window, 500ms, 5s); }

    void shoot(const Frame& f, const std::string& file) {
        const fs::path png = artifactDir() / file;
        EXPECT_TRUE(x->grab(f.x, f.y, f.width, f.height).savePng(png)) << png;
    }
};

TEST_F(SettingsWindows, OpenFromTheMainWindowSaveACommandCloseBothAndThePassRunsIt) {
    const std::string name = "vm-settings";
    const fs::path tools = tmp.path() / "my tools";
    fs::create_directories(tools);
    const fs::path log = tmp.path() / "ran.log";
    // A path with a blank, typed as it is: the whole text names the program.
    const fs::path script = tools / "run me.sh";
    writeScript(script, "echo \"ran $#\" >> '" + log.string() + "'\n");
    const unsigned long main = open(name, {{"AlwaysOnTopTimer_TICKBOX", "0"},
                                           {"AUTOCLOSE_TICKBOX", "1"},
                                           {"TASK_1_ENABLE_TICKBOX", "1"},
                                           {"TASK_1_CMD", "stale"},
                                           {"TASK_2_CMD", "kept"}});
    ASSERT_NE(main, 0u);
    Program& program = *this->program;
    const auto mainFrame = settled(main);
    ASSERT_TRUE(mainFrame);

    clickIn(*mainFrame, kSettingsButton);
    const auto single = x->waitForClient(program.pid(), "VELMORA - SINGLE SETTINGS", kAppear);
    ASSERT_TRUE(single) << "\"Settings\" opened no window:\n" << program.output();
    const auto singleFrame = settled(*single);
    ASSERT_TRUE(singleFrame);
    // Its stored (default) place and outer size in twips: 1000, 1000, 11760 x 4725.
    EXPECT_LE(std::abs(singleFrame->x - 67), 1) << describe(*singleFrame);
    EXPECT_LE(std::abs(singleFrame->y - 67), 1) << describe(*singleFrame);
    EXPECT_EQ(singleFrame->width, 784) << describe(*singleFrame);
    EXPECT_EQ(singleFrame->height, 315) << describe(*singleFrame);

    clickIn(*singleFrame, kTask1Load);
    clickIn(*singleFrame, kCommandField);
    // The field shows slot 1's stored command, "stale"; the user rubs it out.
    x->type("\b\b\b\b\b");
    shoot(*singleFrame, "settings-single-loaded.png");
    x->type(script.string());
    clickIn(*singleFrame, kSingleSave);
    shoot(*singleFrame, "settings-single.png");

    clickIn(*singleFrame, kViewAll);
    const auto all = x->waitForClient(program.pid(), "VELMORA - SETTINGS", kAppear);
    ASSERT_TRUE(all) << "\"VIEW ALL SETTINGS\" opened no window:\n" << program.output();
    const auto allFrame = settled(*all);
    ASSERT_TRUE(allFrame);
    EXPECT_EQ(allFrame->width, 1160) << describe(*allFrame);
    EXPECT_EQ(allFrame->height, 412) << describe(*allFrame);
    shoot(*allFrame, "settings-all.png");

    clickIn(*allFrame, kAllCancel);
    EXPECT_TRUE(x->waitForGone(*all, 10s)) << "Cancel did not close the all-settings window";
    clickIn(*singleFrame, kSingleOk);
    EXPECT_TRUE(x->waitForGone(*single, 10s)) << "OK did not close the single-task window";

    const Settings stored = readSettings(settingsFile(config, name));
    EXPECT_EQ(stored.count("TASK_1_CMD") ? stored.at("TASK_1_CMD") : "<none>", script.string());
    EXPECT_EQ(stored.count("TASK_1_TICKBOX_CAPTION") ? stored.at("TASK_1_TICKBOX_CAPTION") : "<none>",
              "TASK 1");
    for (const char* key : {"SINGLE_SETTINGS-Left", "SINGLE_SETTINGS-Top", "SETTINGS-Left", "SETTINGS-Top"})
        EXPECT_EQ(stored.count(key), 1u) << key;
    for (const char* key : {"SINGLE_SETTINGS-Width", "SETTINGS-Height"})
        EXPECT_EQ(stored.count(key), 0u) << key;

    // The next pass runs the saved command, blank and all, with no arguments.
    clickIn(*mainFrame, kAutostartButton);
    testing_support::pollUntil([&] { return fs::exists(log); }, 30s);
    std::ifstream in(log);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "ran 0") << program.output();

    // STOP ends the countdown's hold on "Settings"; the pass goes on. Both
    // windows open again, the all-settings one moved and edited, unsaved.
    clickIn(*mainFrame, kAutostartButton);
    clickIn(*mainFrame, kSettingsButton);
    const auto single2 = x->waitForClient(program.pid(), "VELMORA - SINGLE SETTINGS", kAppear);
    ASSERT_TRUE(single2) << "\"Settings\" opened no window during the pass:\n" << program.output();
    const auto single2Frame = settled(*single2);
    ASSERT_TRUE(single2Frame);
    clickIn(*single2Frame, kViewAll);
    const auto all2 = x->waitForClient(program.pid(), "VELMORA - SETTINGS", kAppear);
    ASSERT_TRUE(all2);
    x->moveFrame(*all2, 300, 600);
    const auto all2Frame = x->waitForFrame(
        *all2, [](const Frame& f) { return f.x == 300 && f.y == 600; }, 5s);
    ASSERT_TRUE(all2Frame && all2Frame->x == 300 && all2Frame->y == 600);
    ASSERT_TRUE(settled(*all2));
    clickIn(*all2Frame, kAllTask2Command);
    x->type("\b\b\b\bunsaved");
    ASSERT_TRUE(program.running()) << "the pass ended before the windows were open; its output:\n"
                                   << program.output();

    // Slots 2 to 20 are off: the autoclose countdown ends the program within
    // about half a minute of the launch.
    const auto status = program.waitExit(45s);
    ASSERT_TRUE(status) << "the program did not close itself with the settings windows open; status line "
                        << readSettings(settingsFile(config, name))["LAST_RUN"] << "; single "
                        << x->waitForGone(*single2, 0ms) << " all " << x->waitForGone(*all2, 0ms) << " main "
                        << x->waitForGone(main, 0ms) << "\n"
                        << program.output();
    EXPECT_EQ(describeStatus(*status), "exit 0") << program.output();
    const Settings after = readSettings(settingsFile(config, name));
    EXPECT_EQ(after.count("LAST_RUN") ? after.at("LAST_RUN") : "<none>", "COMPLETED SUCCESSFULLY");
    EXPECT_EQ(after.count("SETTINGS-Left") ? after.at("SETTINGS-Left") : "<none>", "4500");
    EXPECT_EQ(after.count("SETTINGS-Top") ? after.at("SETTINGS-Top") : "<none>", "9000");
    EXPECT_EQ(after.count("TASK_2_CMD") ? after.at("TASK_2_CMD") : "<none>", "kept");
    EXPECT_EQ(after.count("TASK_1_CMD") ? after.at("TASK_1_CMD") : "<none>", script.string());
}

}  // namespace
}  // namespace x11test
