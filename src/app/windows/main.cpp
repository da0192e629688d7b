// VELMORA: starts a fixed list of up to twenty command lines one after another.

#include <windows.h>
// After windows.h, which it builds on.
#include <commctrl.h>

#include <optional>

#include "app/PassLog.h"
#include "app/Program.h"
#include "app/TraceOutput.h"
#include "app/windows/ErrorOutput.h"
#include "app/windows/Win32SchedulerDriver.h"
#include "form/Clock.h"
#include "platform/windows/RegistrySettingsBackend.h"
#include "platform/windows/WindowsPlatform.h"
#include "settings/Store.h"
#include "settings/WriteGroup.h"
#include "ui/win32/MainView.h"
#include "ui/win32/Views.h"
#include "ui/win32/Win32WindowHost.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    platform::RegistrySettingsBackend settingsBackend;
    platform::WindowsPlatform platform;
    // A command kept as an expandable string is expanded as it is launched.
    platform.setExpandsWhenUsed(
        [&settingsBackend](const std::string& command) { return settingsBackend.expandsWhenUsed(command); });
    form::RealClock clock;
    ui::win32::Win32WindowHost windowHost;
    ui::win32::registerViews(windowHost);
    const std::string executableName = settings::ExecutableName(platform::WindowsPlatform::ProgramPath());

    // The pass's trace and the notices go to standard error when the program
    // was started with one, and nowhere otherwise: there is no log file.
    // It is written from a thread of its own, so an error output nobody reads
    // cannot hold the window.
    auto writeError = app::standardErrorWriter();
    std::optional<app::TraceOutput> trace;
    if (writeError) trace.emplace(std::move(writeError));
    auto say = [&trace](const std::string& text) {
        if (trace) trace->write("velmora: " + text + "\n");
    };
    settingsBackend.onWarning = say;
    app::Program program(
        {settingsBackend, platform, clock, windowHost, executableName,
         trace ? app::passLogTo([&trace](const std::string& text) { trace->write(text); }, executableName)
               : engine::PassLog{},
         say});

    ui::win32::MainView window(program.form());
    if (!window.hwnd()) return 1;
    windowHost.addWindow(window);
    window.onClosed = [&window] {
        DestroyWindow(window.hwnd());
        PostQuitMessage(0);
    };
    // The session ending runs the shut-down as a close does; the system may
    // end the process as soon as WM_ENDSESSION returns, so it runs right there.
    bool endedBySystem = false;
    window.messageHook = [&window, &endedBySystem](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message == WM_QUERYENDSESSION) {
            result = TRUE;
            return true;
        }
        if (message == WM_ENDSESSION) {
            if (wParam) {
                endedBySystem = true;
                SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
            }
            result = 0;
            return true;
        }
        return false;
    };
    // A light painted just before a launch's blocking sleep must be on screen.
    platform.setBeforeSleep([&window] { window.paintNow(); });

    program.load();
    // Armed once the load has set up its timers, rather than re-armed for
    // each of the sixty it touches. Nothing in the load waits for a tick.
    app::Win32SchedulerDriver driver(program.scheduler());
    window.show(showCommand == SW_HIDE ? SW_SHOWNORMAL : showCommand);
    const int status = ui::win32::runMessages([] { return false; });
    // A user's close (or the autoclose) learns that the ticks, position and
    // status line were not saved; the session's end waits for nobody.
    if (!endedBySystem && !program.form().shutdownSaveFailure().empty()) {
        MSG quit;  // the loop leaves the quit posted; the box must not take it as its own
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        windowHost.showMessage(program.form(),
                               settings::lostAtShutdown(program.form().shutdownSaveFailure()));
    }
    return status;
}
