// Starts a Windows program and measures, from the start:
//   startup_probe.exe PROGRAM.exe [HOLD_MS]
// prints "<ms to a visible window> <ms until its first paint is done>" once
// the paint is done, then keeps the program open HOLD_MS (default 1000) for
// its memory to be read from outside, and closes it as a user would.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

struct Search {
    DWORD pid;
    HWND found = nullptr;
};

HWND visibleWindowOf(DWORD pid) {
    Search search{pid};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s.pid || !IsWindowVisible(window)) return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const DWORD hold = argc > 2 ? static_cast<DWORD>(_wtoi(argv[2])) : 1000;
    std::wstring line = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    using Clock = std::chrono::steady_clock;
    const auto begin = Clock::now();
    if (!CreateProcessW(argv[1], line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return 3;
    const auto ms = [&] { return std::chrono::duration<double, std::milli>(Clock::now() - begin).count(); };
    HWND window = nullptr;
    while (!(window = visibleWindowOf(started.dwProcessId)) && ms() < 30'000) Sleep(1);
    const double shown = ms();
    // The program waits for input only once its queue is empty, the first
    // WM_PAINT of the shown window handled.
    WaitForInputIdle(started.hProcess, 30'000);
    const double painted = ms();
    std::printf("%.1f %.1f\n", shown, painted);
    std::fflush(stdout);
    Sleep(hold);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(started.hProcess, 10'000) != WAIT_OBJECT_0) TerminateProcess(started.hProcess, 1);
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
    return window ? 0 : 1;
}
