// Windows own their timers and unload once; secondary windows come and go
// many times in a session, so their timers must go with them. Where a window
// opens on the desktop and what its close stores, as both views ask.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/Placement.h"
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

// 1280 x 1024 with a 30-pixel panel along the top.
const form::Screen kScreen{{0, 0, 1280, 1024}, {0, 30, 1280, 994}};

TEST(WindowPosition, OpensPlacedAndStoresWhereItReallyWas) {
    struct Twips {
        float left, top;
    };
    struct Case {
        form::Rect asked;  // twips
        double dpi;
        form::PixelBox opens;
        Twips opened;     // the model once open
        int closedAt[2];  // the frame's left and top at the close, pixels
        Twips stored;
    };
    const std::vector<Case> cases{
        // Unmoved: 1000 twips is 66.7 px, and through whole pixels it would come back 1005.
        {{1000, 1000, 5865, 8550}, 96, {67, 67, 391, 570}, {1000, 1000}, {67, 67}, {1000, 1000}},
        {{1000, 1000, 5865, 8550}, 96, {67, 67, 391, 570}, {1000, 1000}, {300, 67}, {4500, 1000}},
        {{3000, 1500, 9960, 4125}, 120, {250, 125, 830, 344}, {3000, 1500}, {250, 100}, {3000, 1200}},
        // Lost off every screen it opens 1000 twips into the work area, and
        // the model follows: where it opened is what is stored.
        {{150000, 150000, 5865, 8550}, 96, {67, 97, 391, 570}, {1005, 1455}, {67, 97}, {1005, 1455}},
        // Under the panel, then with no usable size at all.
        {{3000, 0, 9960, 4125}, 96, {200, 30, 664, 275}, {3000, 450}, {200, 30}, {3000, 450}},
        {{3000, 1500, 0, -50}, 96, {200, 100, 1, 1}, {3000, 1500}, {200, 100}, {3000, 1500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases.data());
        form::VirtualTime vt;
        std::vector<std::string> log;
        TestWindow window(vt.scheduler, log);
        window.left = float(c.asked.left);
        window.top = float(c.asked.top);
        window.width = float(c.asked.width);
        window.height = float(c.asked.height);
        EXPECT_EQ(form::placeWindow(window, {kScreen}, c.dpi), c.opens);
        EXPECT_EQ(window.left, c.opened.left);
        EXPECT_EQ(window.top, c.opened.top);
        form::recordPosition(window, c.closedAt[0], c.closedAt[1], c.dpi);
        EXPECT_EQ(window.left, c.stored.left);
        EXPECT_EQ(window.top, c.stored.top);
    }
}

}  // namespace
