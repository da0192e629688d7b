#pragma once

#include <windows.h>

#include "form/Scheduler.h"

namespace app {

// Runs the form scheduler from the Win32 message loop: one timer (SetTimer on
// a message-only window) armed for the scheduler's next due time, re-armed
// whenever the scheduler reports a change and after every run. WM_TIMER comes
// only when no other message waits, so ticks fall between handlers; and every
// message loop dispatches it, a modal window's and the system's own (a window
// being dragged) included.
class Win32SchedulerDriver {
public:
    explicit Win32SchedulerDriver(form::Scheduler& scheduler);
    ~Win32SchedulerDriver();
    Win32SchedulerDriver(const Win32SchedulerDriver&) = delete;
    Win32SchedulerDriver& operator=(const Win32SchedulerDriver&) = delete;

    // Whether a wake-up is pending (for tests).
    bool armed() const { return armed_; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void arm();
    void run();

    form::Scheduler& scheduler_;
    HWND window_ = nullptr;
    bool armed_ = false;
};

}  // namespace app
