// Keys land where the user types them while "Always On Top" is ticked: in
// another program in front, and in VELMORA's own About window over its main
// window. The tick keeps VELMORA's rank once a second and must never take the
// keyboard focus doing so.
#include <gtest/gtest.h>

#include <string>

#include "Driver.h"

using namespace drive;

namespace {

constexpr Millis kTypingTime = 5000ms;
constexpr int kKeys = 20;  // one every 250 ms

// Types `text` a key at a time over the typing time, each key only while
// `target` is in front with the focus inside it; returns how many keys found
// another window in front or holding the focus (those are not typed).
int typeInto(HWND target, const std::wstring& text) {
    int strayed = 0;
    for (wchar_t c : text) {
        const HWND front = GetForegroundWindow();
        const HWND focus = focusOf(target);
        if (front == target && focus && GetAncestor(focus, GA_ROOT) == target)
            typeText(std::wstring(1, c));  // waits 200 ms
        else
            ++strayed, pause(200ms);
        pause(kTypingTime / kKeys - 200ms);
    }
    return strayed;
}

}  // namespace

TEST(KeysWhereTyped, AlwaysOnTopTakesNoFocusFromNotepadOrItsOwnAboutWindow) {
    StartedProgram run("vm-focus");
    const Program& program = run.program;
    Settings seed = mainWindowAt(100, 100);
    seed["AlwaysOnTopTimer_TICKBOX"] = "1";
    const Window main = run.start(seed);
    ASSERT_TRUE(main) << program.errorOutput();
    ASSERT_TRUE(checked(main["AlwaysOnTopTimer_TICKBOX"]));
    // The autostart countdown's box, which a press of START would set going.
    const std::string countdown = text(main["AUTOSTART_TIMER_TEXTBOX"]);

    // Notepad in front, over VELMORA: a space that reached VELMORA would
    // press its START.
    Notepad notepad;
    const HWND editor = notepad.window();
    ASSERT_TRUE(editor);
    SetWindowPos(editor, nullptr, 50, 50, 500, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(bringToFront(editor));
    const HWND page = FindWindowExW(editor, nullptr, L"Edit", nullptr);
    ASSERT_TRUE(page);
    const std::wstring words = L"keys for notepad ok ";
    ASSERT_EQ(words.size(), std::size_t{kKeys});
    EXPECT_EQ(typeInto(editor, words), 0) << "VELMORA took the foreground or the focus from Notepad";
    EXPECT_EQ(text(page), "keys for notepad ok ");
    EXPECT_EQ(text(main["AUTOSTART_START_BUTTON"]), "START");
    EXPECT_EQ(text(main["AUTOSTART_TIMER_TEXTBOX"]), countdown) << "the autostart countdown was started";

    notepad.close();

    // VELMORA's own About window: the main window under it must not take the
    // foreground or the focus back once a second.
    click(main["ABOUT_BUTTON"]);
    const Window about = program.window(L"VELMORA - ABOUT");
    ASSERT_TRUE(about) << "About did not open";
    ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == about.hwnd(); }, 3s));
    EXPECT_EQ(typeInto(about.hwnd(), L"a b c d e f g h i j "), 0)
        << "the main window took the foreground or the focus from About";
    EXPECT_TRUE(about) << "a key closed About";
    EXPECT_EQ(text(main["AUTOSTART_START_BUTTON"]), "START");
    EXPECT_EQ(text(main["AUTOSTART_TIMER_TEXTBOX"]), countdown) << "the autostart countdown was started";

    // Enter on a focused button presses it: Tab to OK, then Enter closes About.
    for (int i = 0; i < 6 && focusOf(about.hwnd()) != about["OK_BUTTON"]; ++i) pressKey(VK_TAB);
    ASSERT_EQ(focusOf(about.hwnd()), about["OK_BUTTON"]);
    pressKey(VK_RETURN);
    EXPECT_TRUE(waitUntil([&] { return !program.find(L"VELMORA - ABOUT"); }, 3s)) << "Enter did not press OK";

    EXPECT_TRUE(run.close());
}
