// What a screen reader reads in each window of the real program, asked from
// outside as a screen reader asks, and the order in which Tab walks the main window.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "Driver.h"
#include "windows/ReadAloud.h"

using namespace drive;

namespace {

// Role 0: left out of what is read; value nullptr: not checked.
struct Heard {
    const char *window, *control;
    const wchar_t* name;
    long role;
    const wchar_t* value;
};
const Heard kHeard[] = {
    {"main", "TASK_2_ENABLE_TICKBOX", L"Task 2: Mail client", ROLE_SYSTEM_CHECKBUTTON, L"ticked"},
    {"main", "TASK_7_PAUSE_TICKBOX", L"P-4-P, task 7", ROLE_SYSTEM_CHECKBUTTON, L"clear"},
    {"main", "TASK_7_LIGHT", L"Task 7 light", ROLE_SYSTEM_STATUSBAR, L"waiting"},
    {"main", "AUTOSTART_START_BUTTON", L"Start autostart countdown", ROLE_SYSTEM_PUSHBUTTON, nullptr},
    {"main", "LAST_RUN_TEXTBOX", L"Last run", ROLE_SYSTEM_TEXT, L"COMPLETED SUCCESSFULLY"},
    {"main", "RIVA_LABEL_4", L"", 0, nullptr},
    {"single", "BROWSE_FILE_BUTTON", L"Select file to run", ROLE_SYSTEM_PUSHBUTTON, nullptr},
    {"all", "TASK_7_CMD_TEXTBOX", L"Task 7 command", ROLE_SYSTEM_TEXT, L""},
    {"all", "TASK_7_LIGHT", L"", 0, nullptr},
    {"about", "RIVA_PIC_PICBOX", L"Picture: a night road under a row of red scanner lamps",
     ROLE_SYSTEM_GRAPHIC, nullptr},
    {"about", "DONATIONS_BACK_TEXTBOX", L"", 0, nullptr},
    {"donations", "BTC_DONATION_ADDRESS_TEXTBOX", L"BTC address", ROLE_SYSTEM_TEXT, nullptr},
};

void expectHeard(const std::string& window, const Window& w) {
    for (const Heard& row : kHeard) {
        if (row.window != window) continue;
        const ReadAloud read = readAloud(w[row.control]);
        EXPECT_EQ(read.name, row.name) << row.control;
        EXPECT_EQ(read.role, row.role) << row.control;
        EXPECT_EQ(row.value ? read.value : L"", row.value ? row.value : L"") << row.control;
    }
}

}  // namespace

TEST(ScreenReader, ReadsEveryWindowInWordsAndTabWalksTheMainWindowInItsOrder) {
    StartedProgram run("vm-reader");
    Settings seed = mainWindowAt(20, 20);
    seed.insert({{"TASK_2_TICKBOX_CAPTION", "Mail client"},
                 {"TASK_2_ENABLE_TICKBOX", "1"},
                 {"LAST_RUN", "COMPLETED SUCCESSFULLY"}});
    const Window main = run.start(seed);
    ASSERT_TRUE(main) << run.program.errorOutput();
    expectHeard("main", main);

    click(main["SETTINGS_BUTTON"]);
    const Window single = run.program.window(L"VELMORA - SINGLE SETTINGS");
    expectHeard("single", single);
    // A field's caption stands just before it, where the system looks for it.
    EXPECT_EQ(GetWindow(single["TASK_1_NAME_TEXTBOX"], GW_HWNDPREV), single["TASK_NAME_LABEL"]);
    click(single["VIEW_ALL_SETTINGS_BUTTON"]);
    expectHeard("all", run.program.window(L"VELMORA - SETTINGS"));
    for (const wchar_t* window : {L"VELMORA - SETTINGS", L"VELMORA - SINGLE SETTINGS"})
        PostMessageW(run.program.find(window), WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return enabled(main.hwnd()); }, 5s));
    click(main["ABOUT_BUTTON"]);
    const Window about = run.program.window(L"VELMORA - ABOUT");
    expectHeard("about", about);
    click(about["DONATIONS_BUTTON"]);
    expectHeard("donations",
                run.program.window(L"!!! DONATIONS ALWAYS APPRECIATED - BRANNIC - TARNHOLT !!! :)"));
    for (const wchar_t* window :
         {L"!!! DONATIONS ALWAYS APPRECIATED - BRANNIC - TARNHOLT !!! :)", L"VELMORA - ABOUT"})
        PostMessageW(run.program.find(window), WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == main.hwnd(); }, 5s));

    // The keyboard order, AUTOCLOSE's START left out while it is greyed.
    std::vector<std::string> order{"AUTOSTART_START_BUTTON",   "SETTINGS_BUTTON",   "AUTOSTART_TICKBOX",
                                   "AlwaysOnTopTimer_TICKBOX", "AUTOCLOSE_TICKBOX", "RIVA_AUTOSTART_TICKBOX",
                                   "RIVA_START_BUTTON",        "ABOUT_BUTTON"};
    for (int n = 1; n <= 20; ++n)
        for (const char* what : {"_ENABLE_TICKBOX", "_PAUSE_TICKBOX"})
            order.push_back("TASK_" + std::to_string(n) + what);
    order.insert(order.end(), {"AUTOSTART_TIMER_TEXTBOX", "AUTOCLOSE_TIMER_TEXTBOX"});
    for (int n = 1; n <= 20; ++n) order.push_back("TASK_" + std::to_string(n) + "_LIGHT");
    order.insert(order.end(), {"HEARTBEAT_COUNTDOWN_TEXTBOX", "LAST_RUN_TEXTBOX"});
    std::map<HWND, std::string> nameOf;
    for (const std::string& name : main.names()) nameOf[main[name]] = name;
    // The walk starts where the focus came back to, on About.
    std::vector<std::string> walked{nameOf[focusOf(main.hwnd())]};
    std::rotate(order.begin(), std::find(order.begin(), order.end(), walked[0]), order.end());
    while (walked.size() < order.size()) {
        const HWND from = focusOf(main.hwnd());
        pressKey(VK_TAB);
        waitUntil([&] { return focusOf(main.hwnd()) != from; }, 2s);
        walked.push_back(nameOf[focusOf(main.hwnd())]);
    }
    EXPECT_EQ(walked, order);
    EXPECT_TRUE(run.close());
}
