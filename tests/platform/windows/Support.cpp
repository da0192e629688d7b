#include "Support.h"

#include <sstream>

#include "platform/windows/Win32.h"
#include "support/Poll.h"

namespace wintest {

namespace {

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

bool waitUntil(const std::function<bool()>& done, Millis limit) {
    return testing_support::pollUntil(done, limit, pumpMessages);
}

void pause(Millis time) {
    waitUntil([] { return false; }, time);
}

int runAndWait(const std::wstring& commandLine, Millis limit) {
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return -1;
    platform::windows_backend::UniqueHandle process(started.hProcess), thread(started.hThread);
    if (WaitForSingleObject(process.get(), static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
}

std::string uniqueName(const std::string& stem) {
    static int serial = 0;
    std::ostringstream name;
    name << stem << '-' << GetCurrentProcessId() << '-' << GetTickCount64() << '-' << ++serial;
    return name.str();
}

}  // namespace wintest
