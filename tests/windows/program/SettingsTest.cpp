// The settings windows by hand, with the real pointer and keyboard: a slot
// loaded, a command typed and saved, the all-settings window saving too, and
// the next pass running what was typed.
#include <gtest/gtest.h>

#include "Driver.h"
#include "Look.h"

using namespace drive;

namespace {

const std::wstring kSingle = L"VELMORA - SINGLE SETTINGS", kAll = L"VELMORA - SETTINGS";

// Replaces a text box's text by typing, as a user who selected it all would;
// done once the box shows it all.
void retype(HWND box, const std::string& typed) {
    click(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
    typeText(std::wstring(typed.begin(), typed.end()));
    EXPECT_TRUE(waitUntil([&] { return text(box) == typed; }, 10s))
        << "typed " << typed << ", shows " << text(box);
}

}  // namespace

TEST(SettingsByHand, TypedCommandIsSavedAndRunByTheNextPassAndTheAllSettingsWindowSaves) {
    StartedProgram run("vm-settings");
    const Tasks& tasks = run.tasks;
    const Program& program = run.program;
    Settings seed = mainWindowAt(860, 20);
    // Both settings windows open below the main window, in this test's part of the screen.
    seed.insert({{"SINGLE_SETTINGS-Left", "600"},
                 {"SINGLE_SETTINGS-Top", "9600"},
                 {"SETTINGS-Left", "600"},
                 {"SETTINGS-Top", "9900"},
                 {"TASK_1_TICKBOX_CAPTION", "Stored caption"}});
    const Window main = run.start(seed);
    ASSERT_TRUE(main) << program.errorOutput();

    click(main["SETTINGS_BUTTON"]);
    const Window single = program.window(kSingle);
    ASSERT_TRUE(single) << "Settings did not open the single-task window";
    EXPECT_FALSE(enabled(main.hwnd())) << "the main window takes input under its modal window";
    EXPECT_EQ(text(single["TASK_LIGHT"]), "");

    click(single["TASK_1_LOAD_BUTTON"]);
    EXPECT_TRUE(waitUntil([&] { return text(single["TASK_LIGHT"]) == "1"; }, 3s));
    EXPECT_EQ(text(single["TASK_1_NAME_TEXTBOX"]), "Stored caption");
    EXPECT_EQ(text(single["TASK_1_CMD_TEXTBOX"]), "");
    const std::string command = tasks.withBlanks("T", "typed by hand");
    retype(single["TASK_1_NAME_TEXTBOX"], "Typed caption");
    retype(single["TASK_1_CMD_TEXTBOX"], command);
    shootAndCheck(single, "single-settings-window", false);
    expectPicture(single, "BROWSE_FILE_BUTTON");
    click(single["SAVE_BUTTON"]);
    Settings stored = readSection(program.name());
    EXPECT_EQ(stored["TASK_1_CMD"], command);
    EXPECT_EQ(stored["TASK_1_TICKBOX_CAPTION"], "Typed caption");
    EXPECT_EQ(stored["TASK_1_PROCESS_NAME_TEXTBOX"], "");
    EXPECT_EQ(text(main["TASK_1_ENABLE_TICKBOX"]), "Typed caption");

    click(single["VIEW_ALL_SETTINGS_BUTTON"]);
    const Window all = program.window(kAll);
    ASSERT_TRUE(all) << "VIEW ALL SETTINGS did not open the all-settings window";
    EXPECT_FALSE(enabled(single.hwnd()));
    EXPECT_EQ(text(all["TASK_1_CMD_TEXTBOX"]), command);
    EXPECT_EQ(text(all["TASK_20_NAME_TEXTBOX"]), "TASK 20");
    EXPECT_EQ(text(all["CANCEL_BUTTON"]), "Cancel");
    retype(all["TASK_5_NAME_TEXTBOX"], "Fifth");
    retype(all["TASK_5_PROCESS_NAME_TEXTBOX"], "fifth.exe");
    shootAndCheck(all, "all-settings-window", false);
    click(all["SAVE_BUTTON"]);
    EXPECT_TRUE(waitUntil([&] { return text(all["CANCEL_BUTTON"]) == "Close"; }, 3s));
    stored = readSection(program.name());
    EXPECT_EQ(stored["TASK_5_TICKBOX_CAPTION"], "Fifth");
    EXPECT_EQ(stored["TASK_5_PROCESS_NAME_TEXTBOX"], "fifth.exe");
    EXPECT_EQ(stored["TASK_1_CMD"], command) << "the all-settings Save rewrites every slot as shown";
    EXPECT_EQ(stored["TASK_20_TICKBOX_CAPTION"], "TASK 20");
    EXPECT_EQ(text(main["TASK_5_ENABLE_TICKBOX"]), "Fifth");

    click(all["CANCEL_BUTTON"]);
    EXPECT_TRUE(waitUntil([&] { return !program.find(kAll); }, 5s));
    EXPECT_TRUE(enabled(single.hwnd()));
    click(single["OK_BUTTON"]);
    EXPECT_TRUE(waitUntil([&] { return !program.find(kSingle); }, 5s));
    EXPECT_TRUE(waitUntil([&] { return enabled(main.hwnd()); }, 2s));
    stored = readSection(program.name());
    EXPECT_EQ(stored["SINGLE_SETTINGS-Left"], "600");
    EXPECT_EQ(stored["SETTINGS-Top"], "9900");

    // The next pass starts what was typed, with the words as typed.
    click(main["TASK_1_ENABLE_TICKBOX"]);
    EXPECT_TRUE(waitUntil([&] { return checked(main["TASK_1_ENABLE_TICKBOX"]); }, 3s));
    click(main["AUTOSTART_START_BUTTON"]);
    EXPECT_TRUE(waitUntil([&] { return text(main["AUTOSTART_START_BUTTON"]) == "STOP"; }, 3s));
    ASSERT_TRUE(waitUntil([&] { return tasks.names() == "T"; }, 20s)) << program.errorOutput();
    EXPECT_EQ(tasks.markers()[0].words, "typed by hand");

    // A tick another tool stored with bytes past its end keeps them through the close.
    const std::wstring section = L"Software\\VB and VBA Program Settings\\VELMORA\\" +
                                 std::wstring(program.name().begin(), program.name().end());
    const wchar_t odd[] = L"0\0tail";
    RegSetKeyValueW(HKEY_CURRENT_USER, section.c_str(), L"TASK_9_ENABLE_TICKBOX", REG_SZ, odd, sizeof odd);
    EXPECT_TRUE(run.close());
    EXPECT_EQ(readSection(program.name())["TASK_1_ENABLE_TICKBOX"], "1");
    DWORD size = 0;
    RegGetValueW(HKEY_CURRENT_USER, section.c_str(), L"TASK_9_ENABLE_TICKBOX", RRF_RT_ANY, nullptr, nullptr,
                 &size);
    EXPECT_EQ(size, sizeof odd);
}
