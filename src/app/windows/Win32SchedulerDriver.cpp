#include "app/windows/Win32SchedulerDriver.h"

#include <algorithm>

namespace app {

namespace {
constexpr const wchar_t* kClassName = L"VelmoraSchedulerDriver";
constexpr UINT_PTR kTimerId = 1;
}  // namespace

Win32SchedulerDriver::Win32SchedulerDriver(form::Scheduler& scheduler) : scheduler_(scheduler) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);  // fails harmlessly when registered already
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
    scheduler_.setOnChanged([this] { arm(); });
    arm();
}

Win32SchedulerDriver::~Win32SchedulerDriver() {
    scheduler_.setOnChanged({});
    if (window_) DestroyWindow(window_);
}

void Win32SchedulerDriver::arm() {
    if (!window_) return;
    const auto due = scheduler_.nextDue();
    if (!due) {
        KillTimer(window_, kTimerId);
        armed_ = false;
        return;
    }
    const form::Millis wait =
        std::clamp<form::Millis>(*due - scheduler_.now(), USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    // Setting the same timer again replaces its time-out.
    armed_ = SetTimer(window_, kTimerId, static_cast<UINT>(wait), nullptr) != 0;
}

void Win32SchedulerDriver::run() {
    // A handler that runs a nested message loop must not get ticks inside
    // itself; the outer run re-arms when it returns.
    if (scheduler_.inTick()) {
        KillTimer(window_, kTimerId);
        armed_ = false;
        return;
    }
    scheduler_.runDue();
    arm();
}

LRESULT CALLBACK Win32SchedulerDriver::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<Win32SchedulerDriver*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_TIMER && wParam == kTimerId) {
        self->run();
        return 0;
    }
    if (self && message == WM_NCDESTROY) self->window_ = nullptr;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace app
