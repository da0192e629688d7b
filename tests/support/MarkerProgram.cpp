// The marker program: what a slot starts in the tests, on every system:
//   velmora_marker LOG NAME [--stay MS] [--until FILE] [WORDS...]
// appends one line for NAME to LOG (see Markers.h), then keeps running MS
// milliseconds or until FILE exists (at most two minutes): a process for
// Pause 4 Process to wait on or for the process query to count. No window,
// so nothing of it covers the program under test.
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "Markers.h"
#include "settings/Store.h"

#ifdef _WIN32
#include <windows.h>

#include <cwctype>

#include "platform/win32text/WideText.h"
#include "platform/windows/WindowsPlatform.h"
#else
#include <fcntl.h>
#include <unistd.h>

#include "platform/qt/LinuxPlatform.h"
#endif

namespace {

using namespace std::chrono_literals;

struct Self {
    std::string path, folder;
};

#ifdef _WIN32
Self self() {
    return {platform::WindowsPlatform::ProgramPath(), platform::WindowsPlatform().ProgramFolder()};
}

std::vector<std::string> arguments() {
    // Started by an unquoted path with blanks (the system's search finds such
    // a program), the line's first words are this program's path, which
    // CommandLineToArgvW would end at the first blank.
    std::wstring line = GetCommandLineW();
    const std::wstring self = platform::toWide(platform::WindowsPlatform::ProgramPath());
    if (line.size() > self.size() && _wcsnicmp(line.c_str(), self.c_str(), self.size()) == 0 &&
        iswspace(line[self.size()]))
        line = L"marker" + line.substr(self.size());
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(line.c_str(), &argc);
    std::vector<std::string> words;
    for (int i = 0; argv != nullptr && i < argc; ++i) words.push_back(platform::toUtf8(argv[i]));
    LocalFree(argv);
    return words;
}

// One write at the end of the file: lines of stand-ins running side by side
// do not interleave.
bool append(const std::string& log, const std::string& line) {
    HANDLE file = CreateFileW(platform::toWide(log).c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
                    written == line.size();
    CloseHandle(file);
    return ok;
}
#else
Self self() {
    std::error_code ignored;
    return {std::filesystem::read_symlink("/proc/self/exe", ignored).string(),
            platform::LinuxPlatform().ProgramFolder()};
}

bool append(const std::string& log, const std::string& line) {
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool ok = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    ::close(fd);
    return ok;
}
#endif

int run(const std::vector<std::string>& argv) {
    if (argv.size() < 3) return 2;
    const std::int64_t started = testing_support::epochMillis();
    std::chrono::milliseconds stay{0};
    std::string until, words;
    for (std::size_t i = 3; i < argv.size(); ++i) {
        if (argv[i] == "--stay" && i + 1 < argv.size()) {
            stay = std::chrono::milliseconds(std::stoll(argv[++i]));
        } else if (argv[i] == "--until" && i + 1 < argv.size()) {
            until = argv[++i];
            stay = 120s;
        } else {
            words += (words.empty() ? "" : " ") + argv[i];
        }
    }
    const Self me = self();
    const std::string line = argv[2] + '\t' + std::to_string(started) + '\t' + words + '\t' + me.path + '\t' +
                             me.folder + '\t' + settings::ExecutableName(me.path) + '\n';
    if (!append(argv[1], line)) return 3;
    const auto end = std::chrono::steady_clock::now() + stay;
    while (std::chrono::steady_clock::now() < end) {
        if (!until.empty() && std::filesystem::exists(until)) break;
        std::this_thread::sleep_for(std::min<std::chrono::milliseconds>(
            20ms,
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now())));
    }
    return 0;
}

}  // namespace

#ifdef _WIN32
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return run(arguments());
}
#else
int main(int argc, char** argv) {
    return run(std::vector<std::string>(argv, argv + argc));
}
#endif
