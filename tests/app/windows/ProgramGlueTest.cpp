#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/windows/ErrorOutput.h"
#include "app/windows/Win32SchedulerDriver.h"
#include "form/Clock.h"
#include "form/Scheduler.h"
#include "ui/win32/Win32WindowHost.h"

namespace {

TEST(SchedulerDriver, OneSystemTimerDeliversEveryTimersTicks) {
    form::RealClock clock;
    form::Scheduler scheduler(clock, 15);
    app::Win32SchedulerDriver driver(scheduler);
    EXPECT_FALSE(driver.armed());  // nothing to wait for

    form::Timer& fast = scheduler.create("FAST");
    form::Timer& slow = scheduler.create("SLOW");
    int fastTicks = 0, slowTicks = 0;
    fast.onTick = [&] { ++fastTicks; };
    slow.onTick = [&] {
        ++slowTicks;
        slow.setEnabled(false);
    };
    fast.setInterval(30);
    slow.setInterval(200);
    fast.setEnabled(true);
    slow.setEnabled(true);
    EXPECT_TRUE(driver.armed());

    const form::Millis start = clock.now();
    ui::win32::runMessages([&] { return clock.now() - start >= 400; });
    EXPECT_EQ(slowTicks, 1);
    // About one per 30 ms; a late system timer (a busy machine) costs some, never adds.
    EXPECT_GE(fastTicks, 6);
    EXPECT_LE(fastTicks, 14);

    fast.setEnabled(false);
    EXPECT_FALSE(driver.armed());
}

TEST(ErrorOutput, NothingWithoutAHandleEverythingWithOne) {
    HANDLE saved = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_ERROR_HANDLE, nullptr);
    EXPECT_FALSE(app::standardErrorWriter());

    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 0));
    SetStdHandle(STD_ERROR_HANDLE, write);
    const auto writer = app::standardErrorWriter();
    SetStdHandle(STD_ERROR_HANDLE, saved);
    ASSERT_TRUE(writer);
    writer("velmora: 12:00:00 slot 1 started\n");
    char buffer[64] = {};
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(read, buffer, sizeof buffer - 1, &got, nullptr));
    EXPECT_EQ(std::string(buffer, got), "velmora: 12:00:00 slot 1 started\n");
    CloseHandle(read);
    CloseHandle(write);
}

}  // namespace
