// The About and donations windows opened and closed by hand while a pass
// started before goes on beneath them.
#include <gtest/gtest.h>

#include <set>

#include "Driver.h"
#include "Look.h"

using namespace drive;

namespace {

const std::wstring kAbout = L"VELMORA - ABOUT";
const std::wstring kDonations = L"!!! DONATIONS ALWAYS APPRECIATED - BRANNIC - TARNHOLT !!! :)";

// The colours a box shows over about a second, sampled every 100 ms.
std::set<COLORREF> coloursOver(HWND box) {
    std::set<COLORREF> seen;
    for (int i = 0; i < 12; ++i) {
        const Shot shot = grab(screenRect(box));
        seen.insert(shot.at(3, 3));
        pause(100ms);
    }
    return seen;
}

}  // namespace

TEST(AboutWindows, OpenAndCloseWhileAPassStartedBeforeGoesOn) {
    StartedProgram run("vm-about");
    const Tasks& tasks = run.tasks;
    const Program& program = run.program;
    Settings seed = mainWindowAt(1500, 20);
    seed.insert({{"ABOUT-Left", "18750"},
                 {"ABOUT-Top", "300"},
                 {"DONATIONS_WINDOW-Left", "19500"},
                 {"DONATIONS_WINDOW-Top", "4500"}});
    const Settings list = taskList(
        {{1, {tasks.withBlanks("P1")}}, {2, {tasks.withBlanks("P2")}}, {3, {tasks.withBlanks("P3")}}});
    seed.insert(list.begin(), list.end());
    const Window main = run.start(seed);
    ASSERT_TRUE(main) << program.errorOutput();

    click(main["AUTOSTART_START_BUTTON"]);
    // The click is queued input; a loaded machine may take a moment over it.
    ASSERT_TRUE(waitUntil([&] { return text(main["AUTOSTART_START_BUTTON"]) == "STOP"; }, 3s))
        << text(main["AUTOSTART_START_BUTTON"]);
    click(main["ABOUT_BUTTON"]);
    const Window about = program.window(kAbout);
    ASSERT_TRUE(about) << "About did not open";
    EXPECT_FALSE(enabled(main.hwnd()));
    EXPECT_GE(coloursOver(about["DONATIONS_BACK_TEXTBOX"]).size(), 3u)
        << "the donations frame does not flash";
    shootAndCheck(about, "about-window", false);
    expectPicture(about, "RIVA_PIC_PICBOX");

    click(about["DONATIONS_BUTTON"]);
    const Window donations = program.window(kDonations);
    ASSERT_TRUE(donations) << "the donations button did not open its window";
    EXPECT_FALSE(enabled(about.hwnd()));
    EXPECT_EQ(text(donations["THANKS_DONATIONS_MESSAGE_TEXTBOX"]), "!!! DONATIONS ALWAYS APPRECIATED !!!");
    shootAndCheck(donations, "donations-window", false);

    // The pass goes on beneath both windows: the countdown runs out and the
    // slots start two seconds apart.
    ASSERT_TRUE(waitUntil([&] { return tasks.names() == "P1 P2"; }, 25s)) << tasks.names();
    click(donations["OK_BUTTON"]);
    EXPECT_TRUE(waitUntil([&] { return !program.find(kDonations); }, 5s));
    EXPECT_TRUE(waitUntil([&] { return enabled(about.hwnd()); }, 2s));
    ASSERT_TRUE(waitUntil([&] { return tasks.names() == "P1 P2 P3"; }, 10s)) << tasks.names();
    click(about["OK_BUTTON"]);
    EXPECT_TRUE(waitUntil([&] { return !program.find(kAbout); }, 5s));
    EXPECT_TRUE(waitUntil([&] { return enabled(main.hwnd()); }, 2s));
    EXPECT_NEAR(tasks.at("P2") - tasks.at("P1"), 2000, 1000);
    EXPECT_NEAR(tasks.at("P3") - tasks.at("P2"), 2000, 1000);

    const Settings stored = readSection(program.name());
    EXPECT_EQ(stored.at("ABOUT-Left"), "18750");
    EXPECT_EQ(stored.at("DONATIONS_WINDOW-Top"), "4500");
    EXPECT_TRUE(run.close());
}
