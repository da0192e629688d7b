// Windows own their timers and unload once; secondary windows come and go
// many times in a session, so their timers must go with them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/VirtualTime.h"
#include "form/Window.h"

namespace {

struct TestWindow : form::Window {
    TestWindow(form::Scheduler& s, std::vector<std::string>& log, std::string name = "TEST_WINDOW")
        : form::Window(std::move(name), s), log_(log), FLASH_TIMER(createTimer("FLASH_TIMER")) {}
    void Form_Load() override {}
    void Form_Unload() override { log_.push_back(name() + " unload at " + std::to_string(left)); }
    std::vector<std::string>& log_;
    form::Timer& FLASH_TIMER;
};

TEST(Window, UnloadRunsOnceAfterSyncingThePositionAndStopsTheWindowsTimers) {
    form::VirtualTime vt;
    std::vector<std::string> log;
    TestWindow w(vt.scheduler, log);
    w.onSyncGeometry = [&] { w.left = 2220; };
    w.FLASH_TIMER.setInterval(200);
    w.FLASH_TIMER.setEnabled(true);
    int ticks = 0;
    w.FLASH_TIMER.onTick = [&] { ++ticks; };
    vt.advance(1000);
    w.Close();  // no view: unloads at once
    w.Close();
    w.unload();
    vt.advance(1000);
    EXPECT_EQ(ticks, 5);
    EXPECT_EQ(log, (std::vector<std::string>{"TEST_WINDOW unload at 2220.000000"}));
}

TEST(Window, CloseWithAViewLeavesTheUnloadToTheView) {
    form::VirtualTime vt;
    std::vector<std::string> log;
    TestWindow w(vt.scheduler, log);
    int asked = 0;
    w.onCloseRequested = [&] { ++asked; };  // a view that has not closed yet
    w.Close();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(w.unloaded()) << "a close the view could not deliver still unloads";
}

TEST(Window, TimersOfAClosedWindowAreForgottenAndOthersKeepTheirOrder) {
    form::VirtualTime vt;
    std::vector<std::string> log, ticks;
    form::Timer& before = vt.scheduler.create("BEFORE");
    for (int round = 0; round < 3; ++round) {
        TestWindow w(vt.scheduler, log);
        w.FLASH_TIMER.setInterval(100);
        w.FLASH_TIMER.setEnabled(true);
        vt.advance(100);
    }
    form::Timer& after = vt.scheduler.create("AFTER");
    for (form::Timer* t : {&after, &before}) {
        t->onTick = [&ticks, t] { ticks.push_back(t->name()); };
        t->setInterval(500);
        t->setEnabled(true);
    }
    vt.advance(500);
    EXPECT_EQ(ticks, (std::vector<std::string>{"BEFORE", "AFTER"}))
        << "simultaneous ticks keep creation order";
    after.setEnabled(false);
    before.setEnabled(false);
    EXPECT_FALSE(vt.scheduler.nextDue().has_value()) << "no timer of a destroyed window is left armed";
}

TEST(Window, ATimerMayReleaseItselfFromItsOwnTick) {
    form::VirtualTime vt;
    form::Timer* t = &vt.scheduler.create("SELF");
    form::Timer& other = vt.scheduler.create("OTHER");
    int otherTicks = 0, selfTicks = 0;
    other.onTick = [&] { ++otherTicks; };
    t->onTick = [&] {
        ++selfTicks;
        vt.scheduler.release(*t);
    };
    for (form::Timer* x : {t, &other}) {
        x->setInterval(100);
        x->setEnabled(true);
    }
    vt.advance(300);
    EXPECT_EQ(selfTicks, 1);
    EXPECT_EQ(otherTicks, 3);
}

}  // namespace
