// Two copies of the program started under the same name share one settings
// file: both start from it, each writes its own state when it closes, and the
// one that closes last is what the next start sees. Nothing else is lost.

#include <gtest/gtest.h>

#include "Support.h"

namespace x11test {
namespace {

constexpr Millis kAppear = 20s;

using TwoCopies = OnDisplay;

TEST_F(TwoCopies, SameNameShareTheFileAndTheLastToCloseWins) {
    XSession& x = *this->x;
    const std::string name = "vm-twice";
    const fs::path file = settingsFile(config, name);
    writeSettings(file, {{"MAIN-Left", "12000"},
                         {"MAIN-Top", "750"},
                         {"TASK_2_TICKBOX_CAPTION", "Mail"},
                         {"TASK_4_ENABLE_TICKBOX", "1"}});
    const fs::path exe = installCopy(tmp.path(), name);
    const auto env = this->env();

    Program first(exe, env, tmp.path() / "first.txt");
    const auto firstWindow = x.waitForClient(first.pid(), "VELMORA - " + name, kAppear);
    ASSERT_TRUE(firstWindow) << first.output();
    Program second(exe, env, tmp.path() / "second.txt");
    const auto secondWindow = x.waitForClient(second.pid(), "VELMORA - " + name, kAppear);
    ASSERT_TRUE(secondWindow) << second.output();

    // Each copy is moved somewhere of its own.
    const auto moveTo = [&](unsigned long window, int px, int py) {
        x.moveFrame(window, px, py);
        const auto f = x.waitForFrame(
            window, [&](const Frame& f) { return f.x == px && f.y == py; }, 5s);
        ASSERT_TRUE(f && f->x == px && f->y == py) << "not moved to " << px << "," << py;
        ASSERT_TRUE(x.waitForSettledFrame(window, 300ms, 5s));
    };
    moveTo(*firstWindow, 811, 203);
    moveTo(*secondWindow, 1233, 407);

    // A task list saved while both run (as either copy's settings window
    // does): neither shut-down writes captions, so neither may undo it.
    Settings saved = readSettings(file);
    saved["TASK_2_TICKBOX_CAPTION"] = "Mail, saved later";
    writeSettings(file, saved);

    // The first copy closes first, the second last.
    x.closeViaWindowManager(*firstWindow);
    auto status = first.waitExit(10s);
    ASSERT_TRUE(status);
    EXPECT_EQ(describeStatus(*status), "exit 0") << first.output();
    EXPECT_EQ(readSettings(file).at("MAIN-Left"), std::to_string(811 * 15));
    EXPECT_TRUE(second.running()) << "the second copy ended with the first";

    x.closeViaWindowManager(*secondWindow);
    status = second.waitExit(10s);
    ASSERT_TRUE(status);
    EXPECT_EQ(describeStatus(*status), "exit 0") << second.output();

    const Settings after = readSettings(file);
    EXPECT_EQ(after.at("MAIN-Left"), std::to_string(1233 * 15));
    EXPECT_EQ(after.at("MAIN-Top"), std::to_string(407 * 15));
    EXPECT_EQ(after.at("TASK_2_TICKBOX_CAPTION"), "Mail, saved later");
    EXPECT_EQ(after.at("TASK_4_ENABLE_TICKBOX"), "1");
    for (const auto& key : shutdownKeys()) EXPECT_TRUE(after.count(key)) << key << " not written";
    // Neither copy found the file damaged or failed to write it.
    EXPECT_EQ(first.output().find("settings"), std::string::npos) << first.output();
    EXPECT_EQ(second.output().find("settings"), std::string::npos) << second.output();
}

}  // namespace
}  // namespace x11test
