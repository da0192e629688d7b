#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>

#include <chrono>
#include <filesystem>

#include "platform/qt/FileDialog.h"
#include "platform/qt/LinuxPlatform.h"

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(Sleep, CallsTheHookFirstAndThenBlocksForTheWholeDuration) {
    platform::LinuxPlatform host;
    Clock::time_point hookAt{};
    int hookCalls = 0;
    host.setBeforeSleep([&] {
        ++hookCalls;
        hookAt = Clock::now();
    });
    const auto start = Clock::now();
    host.Sleep(120);
    const auto end = Clock::now();
    EXPECT_EQ(hookCalls, 1);
    EXPECT_GE(end - start, milliseconds(120));
    EXPECT_GE(end - hookAt, milliseconds(120)) << "the hook runs before the wait, not after";
    EXPECT_LT(end - start, milliseconds(1000));
}

namespace {
void onAlarm(int) {}
}  // namespace

TEST(Sleep, SignalsDoNotCutTheWaitShort) {
    struct sigaction handler {
    }, old{};
    handler.sa_handler = onAlarm;  // no SA_RESTART: every alarm interrupts the wait
    ::sigaction(SIGALRM, &handler, &old);
    itimerval every15ms{{0, 15000}, {0, 15000}}, off{};
    ::setitimer(ITIMER_REAL, &every15ms, nullptr);

    platform::LinuxPlatform host;
    const auto start = Clock::now();
    host.Sleep(200);
    const auto elapsed = Clock::now() - start;

    ::setitimer(ITIMER_REAL, &off, nullptr);
    ::sigaction(SIGALRM, &old, nullptr);
    EXPECT_GE(elapsed, milliseconds(200));
}

TEST(Sleep, NoWaitAndNoHookForNothing) {
    platform::LinuxPlatform host;
    int hookCalls = 0;
    host.setBeforeSleep([&] { ++hookCalls; });
    host.Sleep(0);
    host.Sleep(-5);
    EXPECT_EQ(hookCalls, 0);
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgramFile) {
    platform::LinuxPlatform host;
    const std::filesystem::path folder = host.ProgramFolder();
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_TRUE(std::filesystem::exists(folder / "test_platform_qt")) << folder;
}

TEST(FileFilter, PipeSeparatedPairsBecomeDialogFilters) {
    using platform::qt::toDialogFilters;
    // Programs here carry no ".exe": that entry lists executable files instead.
    EXPECT_EQ(toDialogFilters("Applications (*.exe)|*.exe|CMD Batch Files (*.bat)|*.bat|"
                              "All files (*.*)|*.*"),
              "Applications (*.exe) (*);;CMD Batch Files (*.bat) (*.bat);;All files (*.*) (*)");
    EXPECT_EQ(toDialogFilters("Programs|*.exe;*.com"), "Programs (*.exe *.com)");
    EXPECT_EQ(toDialogFilters("Old label (*.txt) |*.log"), "Old label (*.txt) (*.log)");
    EXPECT_EQ(toDialogFilters("|*.sh"), "(*.sh)");
    EXPECT_EQ(toDialogFilters("Scripts (*.sh);;Everything (*)"), "Scripts (*.sh);;Everything (*)");
    EXPECT_EQ(toDialogFilters("Text|*.txt|Dangling"), "Text (*.txt)");
}

TEST(FileFilter, OnlyAnEntryOfProgramsAloneListsExecutables) {
    using platform::qt::dialogFilters;
    struct Case {
        const char* filter;
        bool executablesOnly;
    };
    for (const Case& c : {Case{"Apps|*.exe", true}, Case{"Apps|*.EXE", true}, Case{"Apps|*.exe;*.exe", true},
                          Case{"Apps|*.exe;*.com", false}, Case{"Apps|*.exes", false}, Case{"All|*.*", false},
                          Case{"Apps (*)", false}}) {
        const auto entries = dialogFilters(c.filter);
        ASSERT_EQ(entries.size(), 1u) << c.filter;
        EXPECT_EQ(entries[0].executablesOnly, c.executablesOnly) << c.filter;
    }
}
