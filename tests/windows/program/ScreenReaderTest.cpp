// What a screen reader reads in each window of the real program, asked from
// outside as a screen reader asks, and the order in which Tab walks the main window.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "Driver.h"
#include "windows/ReadAloud.h"

using namespace drive;

namespace {

constexpr long kHidden = 0;  // decoration: in the window, not in what is read
struct Heard {
    const char* window;
    const char* control;
    const wchar_t* name;
    long role;
    const wchar_t* value;  // nullptr: not checked
};
const Heard kHeard[] = {
    {"main", "AUTOSTART_TICKBOX", L"AutoStart Timer", ROLE_SYSTEM_CHECKBUTTON, L"clear"},
    {"main", "TASK_2_ENABLE_TICKBOX", L"Task 2: Mail client", ROLE_SYSTEM_CHECKBUTTON, L"ticked"},
    {"main", "TASK_7_ENABLE_TICKBOX", L"Task 7", ROLE_SYSTEM_CHECKBUTTON, L"clear"},
    {"main", "TASK_7_PAUSE_TICKBOX", L"P-4-P, task 7", ROLE_SYSTEM_CHECKBUTTON, L"clear"},
    {"main", "TASK_7_LIGHT", L"Task 7 light", ROLE_SYSTEM_STATUSBAR, L"waiting"},
    {"main", "AUTOSTART_START_BUTTON", L"Start autostart countdown", ROLE_SYSTEM_PUSHBUTTON, nullptr},
    {"main", "AUTOCLOSE_START_BUTTON", L"Start autoclose countdown", ROLE_SYSTEM_PUSHBUTTON, nullptr},
    {"main", "RIVA_START_BUTTON", L"Start heartbeat", ROLE_SYSTEM_PUSHBUTTON, nullptr},
    {"main", "AUTOSTART_TIMER_TEXTBOX", L"AutoStart countdown", ROLE_SYSTEM_TEXT, L"00"},
    {"main", "HEARTBEAT_COUNTDOWN_TEXTBOX", L"Heartbeat: next NumLock pulse in", ROLE_SYSTEM_TEXT,
     L"00:00:00"},
    {"main", "LAST_RUN_TEXTBOX", L"Last run", ROLE_SYSTEM_TEXT, L"COMPLETED SUCCESSFULLY"},
    {"main", "RIVA_LABEL_4", L"", kHidden, nullptr},
    {"single", "TASK_7_LOAD_BUTTON", L"Load task 7", ROLE_SYSTEM_PUSHBUTTON, nullptr},
    {"single", "TASK_1_CMD_TEXTBOX", L"TASK COMMAND", ROLE_SYSTEM_TEXT, L""},
    {"single", "BROWSE_FILE_BUTTON", L"Select file to run", ROLE_SYSTEM_PUSHBUTTON, nullptr},
    {"all", "TASK_2_NAME_TEXTBOX", L"Task 2 display name", ROLE_SYSTEM_TEXT, L"Mail client"},
    {"all", "TASK_7_CMD_TEXTBOX", L"Task 7 command", ROLE_SYSTEM_TEXT, L""},
    {"all", "TASK_7_LIGHT", L"", kHidden, nullptr},
    {"about", "RIVA_PIC_PICBOX", L"Picture: a night road under a row of red scanner lamps",
     ROLE_SYSTEM_GRAPHIC, nullptr},
    {"about", "VELMORA_CREATOR", L"Created By BRANNIC", ROLE_SYSTEM_STATICTEXT, nullptr},
    {"donations", "BTC_DONATION_ADDRESS_TEXTBOX", L"BTC address", ROLE_SYSTEM_TEXT, nullptr},
    {"donations", "THANKS_DONATIONS_MESSAGE_TEXTBOX", L"Thank-you line", ROLE_SYSTEM_TEXT, nullptr},
};

void expectHeard(const char* window, const Window& w) {
    for (const Heard& row : kHeard) {
        if (std::string(row.window) != window) continue;
        SCOPED_TRACE(row.control);
        const ReadAloud read = readAloud(w[row.control]);
        EXPECT_EQ(read.name, row.name);
        EXPECT_EQ(read.hidden() ? kHidden : read.role, row.role);
        if (row.value) {
            EXPECT_EQ(read.value, row.value);
        }
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
    click(single["VIEW_ALL_SETTINGS_BUTTON"]);
    expectHeard("all", run.program.window(L"VELMORA - SETTINGS"));
    PostMessageW(run.program.find(L"VELMORA - SETTINGS"), WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitUntil([&] { return enabled(single.hwnd()); }, 5s));
    click(single["OK_BUTTON"]);
    EXPECT_TRUE(waitUntil([&] { return enabled(main.hwnd()); }, 5s));
    click(main["ABOUT_BUTTON"]);
    const Window about = run.program.window(L"VELMORA - ABOUT");
    expectHeard("about", about);
    click(about["DONATIONS_BUTTON"]);
    const Window donations =
        run.program.window(L"!!! DONATIONS ALWAYS APPRECIATED - BRANNIC - TARNHOLT !!! :)");
    expectHeard("donations", donations);
    click(donations["OK_BUTTON"]);
    EXPECT_TRUE(waitUntil([&] { return enabled(about.hwnd()); }, 5s));
    click(about["OK_BUTTON"]);
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
