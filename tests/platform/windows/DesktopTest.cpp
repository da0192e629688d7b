// NumLock, the foreground window, the top-most rank and keeping the session
// awake, on the display the tests run on.
#include <gtest/gtest.h>

#include "Support.h"
#include "platform/windows/WindowsPlatform.h"

using platform::WindowsPlatform;
using namespace wintest;

namespace {

// A plain top-level window of this test, closed at the end.
class TestWindow {
public:
    TestWindow(int left, int top, int show = SW_SHOWNORMAL) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VelmoraTestWindow";
        RegisterClassW(&windowClass);  // fails harmlessly for the second window
        hwnd_ = CreateWindowExW(0, windowClass.lpszClassName, L"VELMORA test window", WS_OVERLAPPEDWINDOW,
                                left, top, 320, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
        ShowWindow(hwnd_, show);
        UpdateWindow(hwnd_);
    }
    ~TestWindow() { DestroyWindow(hwnd_); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    platform::WindowHandle handle() const { return reinterpret_cast<std::uintptr_t>(hwnd_); }
    bool topMost() const { return (GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
    RECT rect() const {
        RECT r{};
        GetWindowRect(hwnd_, &r);
        return r;
    }

private:
    HWND hwnd_ = nullptr;
};

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool numLockOn() {
    return (GetKeyState(VK_NUMLOCK) & 1) != 0;
}

// Gives the window the focus and waits until the system says it has it.
// Asked again while it has not: under Wine the window manager settles the
// focus in its own time and may still hand it to a window mapped just before.
bool bringToFront(WindowsPlatform& platform, const TestWindow& window) {
    return waitUntil([&] {
        if (platform.GetForegroundWindow() == window.handle()) return true;
        SetForegroundWindow(window.hwnd());
        return false;
    });
}

}  // namespace

TEST(Desktop, FeaturesAreAvailableOnThisDisplay) {
    WindowsPlatform platform;
    for (auto feature : {platform::DesktopFeature::KeyInjection, platform::DesktopFeature::WindowStacking}) {
        const auto answer = platform.Available(feature);
        EXPECT_TRUE(answer.ok) << answer.error;
    }
}

TEST(Desktop, OneNumLockPressAndReleaseFlipsTheStateOnceAndTwoRestoreIt) {
    WindowsPlatform platform;
    TestWindow window(200, 200);
    ASSERT_TRUE(bringToFront(platform, window));
    const bool before = numLockOn();
    ASSERT_TRUE(platform.SendNumLock().ok);
    EXPECT_TRUE(waitUntil([&] { return numLockOn() != before; }, std::chrono::seconds(5)));
    // Given time to settle: a second flip would show here.
    pause(300ms);
    EXPECT_NE(numLockOn(), before);
    ASSERT_TRUE(platform.SendNumLock().ok);
    EXPECT_TRUE(waitUntil([&] { return numLockOn() == before; }, std::chrono::seconds(5)));
}

TEST(Desktop, SetTopMostGivesAndTakesTheRankWithoutMovingOrActivatingTheWindow) {
    WindowsPlatform platform;
    // A window that gets the rank as the always-on-top tick gives it, and the
    // window the user works in, whose focus must stay where it is. Shown
    // last, as the window manager may hand the focus to the last one mapped.
    TestWindow window(420, 260, SW_SHOWNOACTIVATE);
    TestWindow working(100, 120);
    ASSERT_TRUE(bringToFront(platform, working));
    // Settled: the focus stays without being asked again.
    pause(300ms);
    ASSERT_EQ(platform.GetForegroundWindow(), working.handle()) << "the focus did not settle";
    ASSERT_FALSE(window.topMost());
    const RECT before = window.rect();
    for (bool on : {true, true, false, false}) {
        const auto result = platform.SetTopMost(window.handle(), on);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(window.topMost(), on);
        // Given time to settle: an activation arrives as queued messages.
        pause(200ms);
        EXPECT_TRUE(sameRect(window.rect(), before)) << "moved or resized with on=" << on;
        EXPECT_EQ(platform.GetForegroundWindow(), working.handle()) << "activated with on=" << on;
        EXPECT_EQ(GetActiveWindow(), working.hwnd()) << "activated with on=" << on;
    }
    EXPECT_FALSE(platform.SetTopMost(0, true).ok);
    EXPECT_FALSE(platform.SetTopMost(0xDEAD0, true).ok) << "not a window";
}

TEST(Desktop, KeepAwakeHoldsAndReleasesTheSessionOnce) {
    WindowsPlatform platform;
    // A call without ES_CONTINUOUS changes no lasting request and answers the
    // request in force.
    const auto inForce = [] { return SetThreadExecutionState(ES_SYSTEM_REQUIRED); };
    const EXECUTION_STATE held = ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED;
    for (bool on : {true, true, false, false, true, false}) {
        ASSERT_TRUE(platform.KeepAwake(on).ok);
        EXPECT_EQ(inForce() & held, on ? held : ES_CONTINUOUS) << "on=" << on;
    }
}
