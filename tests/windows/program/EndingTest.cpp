// The program ended from outside: a close request (WM_CLOSE, as taskkill
// without /F sends) and the session ending, with modal windows open. Each
// runs the main window's shut-down and leaves no process behind.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "Driver.h"

using namespace drive;

namespace {

int processesNamed(const std::string& exe) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        count += _wcsicmp(entry.szExeFile, std::wstring(exe.begin(), exe.end()).c_str()) == 0;
    CloseHandle(snapshot);
    return count;
}

// What shut-down writes, as on every system: the place, 4 feature ticks, 40
// slot ticks and the status line, and no other tick.
void expectShutDownWritten(const Settings& stored, const std::string& name) {
    for (const auto& key : testing_support::shutdownKeys())
        EXPECT_EQ(stored.count(key), 1u) << name << ": " << key;
    int ticks = 0;
    for (const auto& [key, value] : stored) ticks += key.find("_TICKBOX") != std::string::npos;
    EXPECT_EQ(ticks, 44) << name;
    EXPECT_EQ(stored.count("AUTOCLOSE_TICKBOX") ? stored.at("AUTOCLOSE_TICKBOX") : "", "1")
        << name << ": the tick changed while it ran";
}

enum class Open { Nothing, About, BothSettings };

// Opens windows over the main window as a click would, without the pointer:
// how they were opened is not what this test is about.
void open(const Program& program, const Window& main, Open what) {
    if (what == Open::Nothing) return;
    if (what == Open::About) {
        PostMessageW(main["ABOUT_BUTTON"], BM_CLICK, 0, 0);
        ASSERT_TRUE(program.window(L"VELMORA - ABOUT"));
        return;
    }
    PostMessageW(main["SETTINGS_BUTTON"], BM_CLICK, 0, 0);
    const Window single = program.window(L"VELMORA - SINGLE SETTINGS");
    ASSERT_TRUE(single);
    PostMessageW(single["VIEW_ALL_SETTINGS_BUTTON"], BM_CLICK, 0, 0);
    ASSERT_TRUE(program.window(L"VELMORA - SETTINGS"));
}

struct Ending {
    const char* name;
    Open open;
    void (*end)(const Program&, const Window&);
};

void closeRequest(const Program&, const Window& main) {
    PostMessageW(main.hwnd(), WM_CLOSE, 0, 0);
}

void taskkill(const Program& program, const Window&) {
    std::wstring line =
        L"taskkill.exe /IM " + std::wstring(program.name().begin(), program.name().end()) + L".exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                               nullptr, &startup, &started));
    WaitForSingleObject(started.hProcess, 20000);
    CloseHandle(started.hProcess);
    CloseHandle(started.hThread);
}

// The system asks every top-level window whether the session may end, then
// tells it that it does; the program must be done by the time that returns.
void sessionEnd(const Program&, const Window& main) {
    DWORD_PTR mayEnd = 0;
    ASSERT_TRUE(SendMessageTimeoutW(main.hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                    10000, &mayEnd));
    EXPECT_TRUE(mayEnd) << "the program held the session up";
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main.hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000,
                        &ignored);
}

class Ends : public ::testing::TestWithParam<Ending> {};

}  // namespace

TEST_P(Ends, RunTheShutDownAndLeaveNoProcess) {
    const Ending ending = GetParam();
    StartedProgram run(std::string("vm-end-") + ending.name);
    const Program& program = run.program;
    Settings seed = mainWindowAt(1500, 740);
    for (const char* window : {"SINGLE_SETTINGS", "SETTINGS", "ABOUT"}) {
        seed[std::string(window) + "-Left"] = "18900";
        seed[std::string(window) + "-Top"] = "13500";
    }
    const Window main = run.start(seed);
    ASSERT_TRUE(main) << program.errorOutput();
    PostMessageW(main["AUTOCLOSE_TICKBOX"], BM_CLICK, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return checked(main["AUTOCLOSE_TICKBOX"]); }, 2s));
    open(program, main, ending.open);

    // Start-up read everything; from here on only shut-down writes.
    deleteSection(program.name());
    ending.end(program, main);
    if (ending.end == sessionEnd) expectShutDownWritten(readSection(program.name()), program.name());
    ASSERT_TRUE(program.waitForExit(15s)) << "still running";
    EXPECT_EQ(processesNamed(program.name() + ".exe"), 0);
    const Settings stored = readSection(program.name());
    expectShutDownWritten(stored, program.name());
    if (ending.open == Open::BothSettings) {
        EXPECT_EQ(stored.count("SETTINGS-Left"), 1u) << "the all-settings window was not closed first";
        EXPECT_EQ(stored.count("SINGLE_SETTINGS-Left"), 1u) << "the single-task window was not closed first";
    }
}

INSTANTIATE_TEST_SUITE_P(FromOutside, Ends,
                         ::testing::Values(Ending{"close", Open::Nothing, closeRequest},
                                           Ending{"taskkill", Open::About, taskkill},
                                           Ending{"session", Open::BothSettings, sessionEnd}),
                         [](const auto& info) { return std::string(info.param.name); });
