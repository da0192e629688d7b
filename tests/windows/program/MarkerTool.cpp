// What a slot starts in the tests:
//   marker_tool.exe LOG NAME [--stay MS] [WORDS...]
// appends "NAME <system-clock ms> WORDS" as one line to LOG, then with --stay
// keeps running for MS milliseconds (a process for Pause 4 Process to wait on).
// No window, so nothing of it covers the program under test.
#include <windows.h>

#include <string>

#include "platform/win32text/WideText.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 3) return 2;
    DWORD stay = 0;
    std::wstring words;
    for (int i = 3; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--stay" && i + 1 < argc) {
            stay = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
        } else {
            words += L" " + std::wstring(argv[i]);
        }
    }
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const auto ms =
        ((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10'000;
    const std::string line =
        platform::toUtf8(argv[2]) + " " + std::to_string(ms) + platform::toUtf8(words) + "\n";
    // One write of the whole line at the end of the file: markers of
    // programs running side by side do not interleave.
    HANDLE log =
        CreateFileW(argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
    LocalFree(argv);
    Sleep(stay);
    return 0;
}
