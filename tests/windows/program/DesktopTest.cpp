// The desktop features of the running program: always on top against
// another program's window, the scanner and the heartbeat on screen, and one
// real NumLock pulse 301 s after the heartbeat starts. Other programs taking
// the foreground would disturb it, so it runs on a display of its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <vector>

#include "Driver.h"

using namespace drive;

namespace {

constexpr COLORREF kRed = 0x0000FF;

// Which lamps are lit in one look at the strip.
std::vector<int> litLamps(const Window& main) {
    const RECT strip = screenRect(main["RIVA_BACKGROUND_LABEL"]);
    const Shot shot = grab(strip);
    std::vector<int> lit;
    for (int k = 1; k <= 7; ++k) {
        const RECT lamp = screenRect(main["RIVA_LABEL_" + std::to_string(k)]);
        if (shot.at((lamp.left + lamp.right) / 2 - strip.left, (lamp.top + lamp.bottom) / 2 - strip.top) ==
            kRed)
            lit.push_back(k);
    }
    return lit;
}

// A window of the test's own that records the NumLock presses it receives.
struct KeyWindow {
    static inline std::vector<std::int64_t> presses;
    static LRESULT CALLBACK proc(HWND w, UINT message, WPARAM key, LPARAM info) {
        if (message == WM_KEYDOWN && key == VK_NUMLOCK) presses.push_back(epochMillis());
        return DefWindowProcW(w, message, key, info);
    }
    KeyWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VelmoraKeyWindow";
        RegisterClassW(&windowClass);
        hwnd = CreateWindowExW(0, windowClass.lpszClassName, L"key window", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               700, 100, 300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    }
    ~KeyWindow() { DestroyWindow(hwnd); }
    HWND hwnd;
};

// "hh:mm:ss" in seconds; -1 for anything else.
int seconds(const std::string& clock) {
    int h = 0, m = 0, s = 0;
    return std::sscanf(clock.c_str(), "%2d:%2d:%2d", &h, &m, &s) == 3 ? h * 3600 + m * 60 + s : -1;
}

// Whether `upper` is in front of `lower` in the z-order of the top-level windows.
bool inFront(HWND upper, HWND lower) {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == upper) return true;
        if (w == lower) return false;
    }
    return false;
}

bool underWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

DWORD lastInput() {
    LASTINPUTINFO info{sizeof info, 0};
    GetLastInputInfo(&info);
    return info.dwTime;
}

}  // namespace

TEST(Desktop, AlwaysOnTopScannerHeartbeatAndOneRealPulse) {
    StartedProgram run("vm-desktop");
    const Program& program = run.program;
    Settings seed = mainWindowAt(100, 100);
    seed["AlwaysOnTopTimer_TICKBOX"] = "1";
    seed["RIVA_AUTOSTART_TICKBOX"] = "1";
    const Window main = run.start(seed);
    const std::int64_t heartbeatStarted = epochMillis();
    ASSERT_TRUE(main) << program.errorOutput();

    // The scanner: after the first sweep a single lamp moves along the strip.
    pause(1800ms);
    std::set<int> positions;
    for (int i = 0; i < 20; ++i) {
        auto lit = litLamps(main);
        // Each lamp is a window of its own, repainted in turn: one look may
        // fall between a step's two repaints, a second one 20 ms on may not.
        if (lit.size() > 1) {
            pause(20ms);
            lit = litLamps(main);
        }
        EXPECT_LE(lit.size(), 1u) << "look " << i;
        if (lit.size() == 1) positions.insert(lit[0]);
        pause(80ms);
    }
    EXPECT_GE(positions.size(), 5u) << "the lit lamp does not move";

    // The heartbeat counts down from 00:05:01, a second a second.
    HWND heartbeat = main["HEARTBEAT_COUNTDOWN_TEXTBOX"];
    for (int look = 0; look < 2; ++look) {
        const std::int64_t remaining = 301 - (epochMillis() - heartbeatStarted) / 1000;
        EXPECT_NEAR(seconds(text(heartbeat)), remaining, 2)
            << text(heartbeat) << " after " << epochMillis() - heartbeatStarted << " ms";
        pause(2000ms);
    }

    // Another program's top-most window in front loses its rank to VELMORA
    // within about two seconds.
    Notepad notepad;
    const HWND other = notepad.window();
    ASSERT_TRUE(other);
    // Its rank is checked before it is brought to the front: once it is in
    // front, VELMORA's next tick may take the rank before the test looks.
    ASSERT_TRUE(waitUntil(
        [&] { return SetWindowPos(other, HWND_TOPMOST, 600, 300, 500, 300, SWP_NOACTIVATE) && topMost(other); },
        2s));
    ASSERT_TRUE(bringToFront(other));
    // Works around Wine 8: made top-most, a window with a top-most owned
    // pop-up (VELMORA's tooltip) is only put in front of the other windows and
    // keeps its rank, where Windows makes it and its pop-ups top-most. There
    // VELMORA's rank is left unchecked; in front of Notepad it must still be.
    const bool rankShown = !underWine();
    EXPECT_TRUE(waitUntil(
        [&] {
            return !topMost(other) && inFront(main.hwnd(), other) && (topMost(main.hwnd()) || !rankShown);
        },
        2500ms))
        << "notepad top-most " << topMost(other) << ", VELMORA top-most " << topMost(main.hwnd())
        << ", VELMORA in front of notepad " << inFront(main.hwnd(), other);

    // With VELMORA itself in front nothing is sent to anyone.
    ASSERT_TRUE(bringToFront(main.hwnd()));
    SetWindowPos(other, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    pause(2500ms);
    EXPECT_TRUE(topMost(other)) << "the rank was taken while VELMORA was in front";
    notepad.close();

    // Always on top off: its SetWindowPos activates VELMORA, and Wine, unlike
    // Windows, lets a background process take the foreground so.
    PostMessageW(main["AlwaysOnTopTimer_TICKBOX"], BM_CLICK, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return !checked(main["AlwaysOnTopTimer_TICKBOX"]); }, 2s));
    pause(1500ms);

    // The pulse: two NumLock presses 750 ms apart, 301 s after the heartbeat
    // started, reach the window in front; the state is as before and the
    // system has seen input.
    KeyWindow keys;
    ASSERT_TRUE(bringToFront(keys.hwnd));
    const bool numLockBefore = (GetKeyState(VK_NUMLOCK) & 1) != 0;
    const std::int64_t due = heartbeatStarted + 301'000 + 750;
    waitUntil([&] { return epochMillis() > due - 8'000; }, 320s);
    ASSERT_EQ(GetForegroundWindow(), keys.hwnd) << "something took the foreground before the pulse";
    const DWORD inputBefore = lastInput();
    ASSERT_TRUE(waitUntil([&] { return KeyWindow::presses.size() >= 2; }, 20s))
        << KeyWindow::presses.size() << " NumLock presses by " << (epochMillis() - heartbeatStarted) << " ms";
    pause(500ms);
    EXPECT_EQ(KeyWindow::presses.size(), 2u);
    EXPECT_NEAR(KeyWindow::presses[0] - heartbeatStarted, 301'750, 3'000);
    EXPECT_NEAR(KeyWindow::presses[1] - KeyWindow::presses[0], 750, 250);
    EXPECT_EQ((GetKeyState(VK_NUMLOCK) & 1) != 0, numLockBefore);
    EXPECT_NE(lastInput(), inputBefore) << "the system saw no input";
    EXPECT_TRUE(program.running());

    EXPECT_TRUE(run.close());
}
