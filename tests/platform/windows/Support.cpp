#include "Support.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "platform/windows/Win32.h"

namespace wintest {

TempFolder::TempFolder() {
    path_ = fs::temp_directory_path() / uniqueName("velmora-test");
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

fs::path helperProgram() {
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return fs::path(self).parent_path() / L"velmora_test_helper.exe";
}

int runAndWait(const std::wstring& commandLine, std::chrono::milliseconds limit) {
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

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string uniqueName(const std::string& stem) {
    static int serial = 0;
    std::ostringstream name;
    name << stem << '-' << GetCurrentProcessId() << '-' << GetTickCount64() << '-' << ++serial;
    return name.str();
}

}  // namespace wintest
