#include "platform/windows/WindowsPlatform.h"

#include <windows.h>

#include <array>

#include "platform/win32text/WideText.h"
#include "platform/windows/FileDialog.h"
#include "platform/windows/Launch.h"
#include "platform/windows/Win32.h"

namespace platform {

using windows_backend::lastErrorMessage;
using windows_backend::UniqueHandle;

namespace {

HWND toHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

// A service or a locked workstation runs on a window station that shows
// nothing: no input reaches a window from there and no window can be raised.
Result interactiveDesktop() {
    HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    if (station == nullptr || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr))
        return Result::failure("no window station: " + lastErrorMessage());
    if ((flags.dwFlags & WSF_VISIBLE) == 0) return Result::failure("this session has no visible desktop");
    return Result::success();
}

}  // namespace

Result WindowsPlatform::LaunchCommand(const std::string& command, int windowStyle) {
    // Known at once, and no search of a program among its words is begun.
    std::wstring typed = toWide(command);
    if (typed.size() > windows_backend::kMaxCommandLine)
        return Result::failure(windows_backend::kCommandTooLong);
    const bool expand = expandsWhenUsed_ && expandsWhenUsed_(command);
    if (expand) {
        // What cannot be expanded whole would run cut short.
        auto expanded = windows_backend::expandVariables(typed);
        if (!expanded) return Result::failure(windows_backend::kCommandTooLong);
        typed = std::move(*expanded);
        if (typed.find_first_not_of(L" \t") == std::wstring::npos)
            return Result::failure(windows_backend::kExpandsToNothing);
    }
    const auto plan = windows_backend::planLaunch(typed, windows_backend::searchProgram,
                                                  windows_backend::commandInterpreter());
    // A batch file's line grows by the interpreter's part.
    if (plan.commandLine.size() > windows_backend::kMaxCommandLine)
        return Result::failure(windows_backend::kCommandTooLong);
    std::wstring line = plan.commandLine;  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(plan.application.empty() ? nullptr : plan.application.c_str(), line.data(), nullptr,
                        nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        const DWORD error = GetLastError();  // before anything else can change it
        const std::string program = toUtf8(plan.program);
        std::string why = windows_backend::systemMessage(error, program);
        // The settings show the command unexpanded: say which path was tried.
        if (expand && why.find(program) == std::string::npos) why = program + ": " + why;
        return Result::failure(why);
    }
    // Nothing of the new process is kept.
    UniqueHandle process(started.hProcess), thread(started.hThread);
    return Result::success();
}

void WindowsPlatform::Sleep(int ms) {
    if (ms <= 0) return;
    if (beforeSleep_) beforeSleep_();
    ::Sleep(static_cast<DWORD>(ms));
}

ProcessQuery WindowsPlatform::CountProcesses(const std::string& name) {
    return processWatch_.count(name);
}

Result WindowsPlatform::SendNumLock() {
    std::array<INPUT, 2> presses{};
    for (auto& input : presses) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = VK_NUMLOCK;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(VK_NUMLOCK, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
    }
    presses[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    // A locked or secure desktop takes none; the system says so with a 0.
    if (SendInput(static_cast<UINT>(presses.size()), presses.data(), sizeof(INPUT)) != presses.size())
        return Result::failure("the system refused the key presses: " + lastErrorMessage());
    return Result::success();
}

WindowHandle WindowsPlatform::GetForegroundWindow() {
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(::GetForegroundWindow()));
}

Result WindowsPlatform::SetTopMost(WindowHandle window, bool on) {
    if (window == 0 || !IsWindow(toHwnd(window))) return Result::failure("no window");
    // Without SWP_NOACTIVATE the window would also be activated: once a
    // second the keyboard focus would leave the window the user types in.
    if (!SetWindowPos(toHwnd(window), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                      SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE))
        return Result::failure(lastErrorMessage());
    return Result::success();
}

Result WindowsPlatform::Available(DesktopFeature feature) {
    switch (feature) {
        case DesktopFeature::KeyInjection:
        case DesktopFeature::WindowStacking:
            return interactiveDesktop();
        case DesktopFeature::KeepAwake:  // SetThreadExecutionState works in every session
            return Result::success();
    }
    return Result::failure("unknown feature");
}

std::optional<std::string> WindowsPlatform::ChooseFileToRun(const std::string& title,
                                                            const std::string& filter,
                                                            const std::string& defaultExtension,
                                                            const std::string& startFolder) {
    return windows_backend::chooseFile(title, filter, defaultExtension, startFolder);
}

std::string WindowsPlatform::ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        // A full buffer may hold a cut path: try a larger one.
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    // Started by its short name (VELM~PRP.EXE) the module path is the short
    // one; the section is named after the long one, so every start of one
    // file finds the same task list.
    return toUtf8(windows_backend::longPathName(path));
}

std::string WindowsPlatform::ProgramFolder() {
    const std::string path = ProgramPath();
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

Result WindowsPlatform::KeepAwake(bool on) {
    const EXECUTION_STATE state =
        on ? ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED : ES_CONTINUOUS;
    if (SetThreadExecutionState(state) == 0) return Result::failure(lastErrorMessage());
    return Result::success();
}

}  // namespace platform
