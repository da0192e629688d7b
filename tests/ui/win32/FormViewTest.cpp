#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>

#include "app/windows/Win32SchedulerDriver.h"
#include "form/Clock.h"
#include "form/Controls.h"
#include "form/Window.h"
#include "ui/win32/FormView.h"
#include "ui/win32/Win32WindowHost.h"
#include "windows/ReadAloud.h"

namespace {

using namespace ui::win32;
using wintest::readAloud;

struct TestWindow : form::Window {
    explicit TestWindow(form::Scheduler& scheduler) : form::Window("TEST_WINDOW", scheduler) {
        caption = "Test window";
        left = 1500, top = 1500, width = 6000, height = 3000;
        title.box = {120, 120, 2000, 300};
        box.box = {120, 600, 2000, 300};
        box.readOnly = true;
        box.setToolTip("a tip");
        tick.box = {120, 1000, 2000, 300};
        tick.tabIndex = 1;
        button.box = {120, 1400, 1000, 400};
        button.tabIndex = 2;
        title.labelFor = &box;
    }
    void Form_Load() override {}
    void Form_Unload() override {
        ++unloads;
        if (onUnload) onUnload();
    }
    std::function<void()> onUnload;

    form::Label title{*this, "TITLE_LABEL", "Title"};
    form::TextBox box{*this, "SOME_TEXTBOX", "text"};
    form::TickBox tick{*this, "SOME_TICKBOX", "Tick & go"};
    form::Button button{*this, "OK_BUTTON", "OK"};
    int unloads = 0;
};

// Every control window of `form` by the name it carries, once asked for them.
std::map<std::string, HWND> named(HWND form) {
    SendMessageW(form, RegisterWindowMessageW(kNameMessage), 0, 0);
    std::map<std::string, HWND> found;
    EnumChildWindows(
        form,
        [](HWND child, LPARAM out) {
            wchar_t name[256] = {};
            const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(child, kNameProperty)));
            if (atom && GlobalGetAtomNameW(atom, name, 256)) {
                std::string narrow;
                for (const wchar_t* c = name; *c; ++c) narrow += static_cast<char>(*c);
                (*reinterpret_cast<std::map<std::string, HWND>*>(out))[narrow] = child;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring textOf(HWND hwnd) {
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
}

class FormViewTest : public ::testing::Test {
protected:
    form::RealClock clock;
    form::Scheduler scheduler{clock, 15};
    TestWindow window{scheduler};
};

TEST_F(FormViewTest, ControlsCarryTheirModelNamesAndState) {
    FormView view(window, nullptr, kSecondaryFrame);
    view.buildControls();
    ASSERT_TRUE(view.hwnd());
    EXPECT_EQ(textOf(view.hwnd()), L"Test window");
    // Names cost nothing until someone asks for them.
    EXPECT_FALSE(GetPropW(view.hwnd(), kNameProperty));
    auto controls = named(view.hwnd());
    ASSERT_EQ(controls.size(), 4u);
    EXPECT_TRUE(GetPropW(view.hwnd(), kNameProperty));
    EXPECT_EQ(textOf(controls["TITLE_LABEL"]), L"Title");
    EXPECT_EQ(textOf(controls["SOME_TICKBOX"]), L"Tick && go");
    EXPECT_TRUE(GetWindowLongW(controls["SOME_TEXTBOX"], GWL_STYLE) & ES_READONLY);
    // The outer frame at its twips: 1500 twips are 100 pixels at 96 dpi.
    RECT frame{};
    GetWindowRect(view.hwnd(), &frame);
    EXPECT_EQ(frame.left, MulDiv(1500, view.dpi(), 1440));
    EXPECT_EQ(frame.right - frame.left, MulDiv(6000, view.dpi(), 1440));

    // The dialog keys walk the keyboard order: the text box (0), the tick (1), the button (2).
    EXPECT_EQ(GetNextDlgTabItem(view.hwnd(), controls["SOME_TEXTBOX"], FALSE), controls["SOME_TICKBOX"]);
    EXPECT_EQ(GetNextDlgTabItem(view.hwnd(), controls["SOME_TICKBOX"], FALSE), controls["OK_BUTTON"]);
    // The system names a field by the label just before it.
    EXPECT_EQ(GetWindow(controls["SOME_TEXTBOX"], GW_HWNDPREV), controls["TITLE_LABEL"]);

    // Only the control that changed is repainted.
    view.show(SW_SHOWNOACTIVATE);
    UpdateWindow(view.hwnd());
    window.box.setBackColour(form::colour::Red);
    EXPECT_TRUE(GetUpdateRect(controls["SOME_TEXTBOX"], nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(controls["TITLE_LABEL"], nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(controls["OK_BUTTON"], nullptr, FALSE));

    window.title.setCaption("Changed");
    window.tick.setValue(1);
    window.button.setEnabled(false);
    EXPECT_EQ(textOf(controls["TITLE_LABEL"]), L"Changed");
    EXPECT_EQ(SendMessageW(controls["SOME_TICKBOX"], BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(controls["OK_BUTTON"]));
}

TEST_F(FormViewTest, TheUsersMovesReachTheModel) {
    FormView view(window, nullptr, kSecondaryFrame);
    view.buildControls();
    auto controls = named(view.hwnd());
    int clicks = 0, ticks = 0, doubleClicks = 0, labelClicks = 0, labelDoubleClicks = 0;
    window.button.onClick = [&] { ++clicks; };
    window.title.onClick = [&] { ++labelClicks; };
    window.title.onDblClick = [&] { ++labelDoubleClicks; };
    window.tick.onClick = [&] { ++ticks; };
    window.box.onDblClick = [&] { ++doubleClicks; };

    SendMessageW(controls["OK_BUTTON"], BM_CLICK, 0, 0);
    SendMessageW(controls["SOME_TICKBOX"], BM_CLICK, 0, 0);
    // A double-click begins with a press, which gives the box the focus.
    SendMessageW(controls["SOME_TEXTBOX"], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(controls["SOME_TEXTBOX"], WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageW(controls["SOME_TEXTBOX"], WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(controls["SOME_TEXTBOX"], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
    SendMessageW(controls["TITLE_LABEL"], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(controls["TITLE_LABEL"], WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(labelClicks, 1);
    EXPECT_EQ(labelDoubleClicks, 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(window.tick.value(), 1);
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(window.box.text(), "typed");

    // The close box runs the shut-down once, with the position brought up to date.
    SetWindowPos(view.hwnd(), nullptr, 200, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(view.hwnd(), WM_CLOSE, 0, 0);
    SendMessageW(view.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(window.unloads, 1);
    EXPECT_FLOAT_EQ(window.left, float(std::round(200 * 1440.0 / view.dpi())));
    EXPECT_FLOAT_EQ(window.top, float(std::round(50 * 1440.0 / view.dpi())));
}

TEST_F(FormViewTest, AModalWindowDisablesItsOwnerWhileTimersTick) {
    FormView owner(window, nullptr, kMainFrame);
    owner.buildControls();
    Win32WindowHost host;
    host.addWindow(owner);
    app::Win32SchedulerDriver driver(scheduler);

    TestWindow dialog(scheduler);
    form::Timer& timer = scheduler.create("CHECK_TIMER");
    timer.setInterval(20);
    int ticks = 0;
    bool ownerDisabled = false;
    timer.onTick = [&] {
        ownerDisabled = !IsWindowEnabled(owner.hwnd());
        if (++ticks < 3) return;
        // Stopped first: on a loaded machine the next tick may be due already.
        timer.setEnabled(false);
        host.closeModals();
    };
    timer.setEnabled(true);
    const form::Millis start = clock.now();
    host.showModal(dialog, window);
    EXPECT_EQ(ticks, 3);
    EXPECT_GE(clock.now() - start, 55);  // three intervals of 20 ms
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
    EXPECT_EQ(dialog.unloads, 1);
    EXPECT_TRUE(host.modals().empty());
}

TEST_F(FormViewTest, ClosingTheMainWindowClosesNestedModalsNewestFirst) {
    FormView owner(window, nullptr, kMainFrame);
    owner.buildControls();
    Win32WindowHost host;
    host.addWindow(owner);
    app::Win32SchedulerDriver driver(scheduler);

    std::string order;
    TestWindow outer(scheduler), inner(scheduler);
    outer.button.onClick = [&] { host.showModal(inner, outer); };
    form::Timer& timer = scheduler.create("STEP_TIMER");
    timer.setInterval(20);
    int step = 0;
    timer.onTick = [&] {
        // A click, not a tick, opens the inner window over the outer one: no
        // tick is delivered inside another.
        if (++step == 1) PostMessageW(named(host.modals().back()->hwnd())["OK_BUTTON"], BM_CLICK, 0, 0);
        if (step == 3) SendMessageW(owner.hwnd(), WM_CLOSE, 0, 0);
    };
    timer.setEnabled(true);
    owner.onClosed = [&] { order += "main "; };
    outer.onUnload = [&] { order += "outer "; };
    inner.onUnload = [&] { order += "inner "; };
    host.showModal(outer, window);
    EXPECT_EQ(order, "inner outer main ");
    EXPECT_EQ(window.unloads, 1);
}

// A window like the program's dialogs: a field, a tick box, another button
// and OK, which may be the window's default button.
struct DialogWindow : form::Window {
    DialogWindow(form::Scheduler& scheduler, bool withDefault) : form::Window("DIALOG_WINDOW", scheduler) {
        caption = "Dialog";
        left = 1500, top = 1500, width = 6000, height = 3000;
        field.box = {120, 120, 2000, 300};
        field.tabIndex = 0;
        tick.box = {120, 600, 2000, 300};
        tick.tabIndex = 1;
        other.box = {120, 1400, 1000, 400};
        other.tabIndex = 2;
        ok.box = {1300, 1400, 1000, 400};
        ok.tabIndex = 3;
        ok.isDefault = withDefault;
        for (form::Button* b : {&other, &ok}) b->onClick = [this, b] { pressed += b->name(); };
        shown.readOnly = true, shown.tabIndex = 4, shown.onDblClick = [this] { pressed += shown.name(); };
        label.tabIndex = 5, label.onClick = [this] { pressed += label.name(); };
    }
    void Form_Load() override {}
    void Form_Unload() override {}

    form::TextBox field{*this, "SOME_TEXTBOX", "text"};
    form::TickBox tick{*this, "SOME_TICKBOX", "Tick"};
    form::Button other{*this, "OTHER_BUTTON", "Other"};
    form::Button ok{*this, "OK_BUTTON", "OK"};
    form::TextBox shown{*this, "SHOWN_TEXTBOX", "7"};
    form::Label label{*this, "NAME_LABEL", "Name"};
    std::string pressed;
};

bool g_keysDone = false;

// Runs the program's message loop over what its queue holds.
void settle() {
    // A timer comes only once the queue holds nothing else.
    g_keysDone = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { g_keysDone = true; });
    runMessages([] { return g_keysDone; });
    KillTimer(nullptr, timer);
}

// Puts a key press and release in the queue as the keyboard would, for the
// control with the focus, and runs the program's message loop over them.
void pressKey(HWND focus, WORD key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(focus, WM_KEYDOWN, key, scan | 1);
    PostMessageW(focus, WM_KEYUP, key, scan | 0xC0000001);
    settle();
}

struct EnterRow {
    const char* what;
    bool withDefault;
    bool okEnabled;
    const char* focus;
    WORD key;
    const char* pressed;       // "" for none
    const char* drawnDefault;  // the button with the default look, "" for none
};

const EnterRow kEnterRows[] = {
    {"OK focused", true, true, "OK_BUTTON", VK_RETURN, "OK_BUTTON", "OK_BUTTON"},
    {"another button focused", true, true, "OTHER_BUTTON", VK_RETURN, "OTHER_BUTTON", "OTHER_BUTTON"},
    {"a field focused", true, true, "SOME_TEXTBOX", VK_RETURN, "OK_BUTTON", "OK_BUTTON"},
    {"a tick box focused", true, true, "SOME_TICKBOX", VK_RETURN, "OK_BUTTON", "OK_BUTTON"},
    {"a field focused, OK disabled", true, false, "SOME_TEXTBOX", VK_RETURN, "", "OK_BUTTON"},
    {"space on another button", true, true, "OTHER_BUTTON", VK_SPACE, "OTHER_BUTTON", "OTHER_BUTTON"},
    {"no default, a button focused", false, true, "OTHER_BUTTON", VK_RETURN, "OTHER_BUTTON", "OTHER_BUTTON"},
    {"no default, a field focused", false, true, "SOME_TEXTBOX", VK_RETURN, "", ""},
    {"no default, a tick box focused", false, true, "SOME_TICKBOX", VK_RETURN, "", ""},
    {"Enter on a read-only box that acts on a double-click", true, true, "SHOWN_TEXTBOX", VK_RETURN,
     "OK_BUTTON", "OK_BUTTON"},
    {"no default, Enter on that box", false, true, "SHOWN_TEXTBOX", VK_RETURN, "SHOWN_TEXTBOX", ""},
    {"space on that box", true, true, "SHOWN_TEXTBOX", VK_SPACE, "SHOWN_TEXTBOX", "OK_BUTTON"},
    {"space on a label that acts on a click", true, true, "NAME_LABEL", VK_SPACE, "NAME_LABEL", "OK_BUTTON"},
};

TEST_F(FormViewTest, EnterPressesTheFocusedButtonElseTheDefaultOne) {
    for (const EnterRow& row : kEnterRows) {
        SCOPED_TRACE(row.what);
        DialogWindow dialog(scheduler, row.withDefault);
        dialog.ok.setEnabled(row.okEnabled);
        FormView view(dialog, nullptr, kSecondaryFrame);
        view.buildControls();
        view.show();
        auto controls = named(view.hwnd());
        SetFocus(controls[row.focus]);
        ASSERT_EQ(GetFocus(), controls[row.focus]);

        std::string drawn;
        for (const char* name : {"OTHER_BUTTON", "OK_BUTTON"})
            if ((GetWindowLongW(controls[name], GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) drawn += name;
        EXPECT_EQ(drawn, row.drawnDefault) << "drawn as the default";

        pressKey(controls[row.focus], row.key);
        EXPECT_EQ(dialog.pressed, row.pressed);
        EXPECT_EQ(dialog.tick.value(), 0) << "Enter ticked the box";
        EXPECT_EQ(dialog.unloaded(), false);
    }
}

// A reader hears each change of a control once, and an announcement as an
// alert whose object reads it. Wine 8 has no UI Automation notification and
// raises none of the system's own events for a window's new text or a tick
// box's state, which Windows adds: only the program's own are seen here.
std::vector<DWORD> g_heard;
HWND g_from = nullptr;

struct ChangeRow {
    const char* what;
    void (*change)(TestWindow&);
    const char* control;  // the one that changed; the alert's object for an announcement
    std::vector<DWORD> events;
    const wchar_t *name, *value;
};
using W = TestWindow&;
// clang-format off
const ChangeRow kChangeRows[] = {
    {"a light's words", [](W w) { w.box.setStateWords("started"); }, "SOME_TEXTBOX", {EVENT_OBJECT_VALUECHANGE}, L"", L"started"},
    {"a button's caption", [](W w) { w.button.setCaption("STOP"); }, "OK_BUTTON", {}, L"Stop it", L""},
    {"a tick", [](W w) { w.tick.setValue(1); }, "SOME_TICKBOX", {}, L"Tick & go", L"ticked"},
    {"a countdown stopped", [](W w) { w.box.setText("-- --"); }, "SOME_TEXTBOX", {}, L"", L"not counting"},
    {"an announcement", [](W w) { w.announce("Task 1 could not start"); }, nullptr, {EVENT_SYSTEM_ALERT}, L"Task 1 could not start", L""},
};
// clang-format on

TEST_F(FormViewTest, AScreenReaderHearsEachChangeOnceAndAnnouncementsAsAlerts) {
    for (const ChangeRow& row : kChangeRows) {
        SCOPED_TRACE(row.what);
        TestWindow form(scheduler);
        form.button.setAccessibleName("{} it");
        form.box.readAs = {{"-- --", "not counting"}};
        FormView view(form, nullptr, kSecondaryFrame);
        view.buildControls();
        EXPECT_FALSE(form.announcing()) << "no reader asked yet";
        HWND control = row.control ? named(view.hwnd())[row.control] : nullptr;
        readAloud(control ? control : view.hwnd());  // a reader asks
        const HWINEVENTHOOK hook = SetWinEventHook(
            EVENT_SYSTEM_ALERT, EVENT_OBJECT_VALUECHANGE, nullptr,
            [](HWINEVENTHOOK, DWORD event, HWND hwnd, LONG, LONG, DWORD, DWORD) {
                if (event == EVENT_SYSTEM_ALERT ||
                    (event >= EVENT_OBJECT_STATECHANGE && event != EVENT_OBJECT_LOCATIONCHANGE))
                    g_heard.push_back(event), g_from = hwnd;
            },
            GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
        g_heard.clear();
        row.change(form);
        settle();
        UnhookWinEvent(hook);
        EXPECT_EQ(g_heard, row.events);
        if (!control) control = g_from;
        EXPECT_EQ(readAloud(control).name, row.name);
        EXPECT_EQ(readAloud(control).value, row.value);
    }
}

}  // namespace
