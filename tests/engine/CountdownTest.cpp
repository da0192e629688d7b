#include <gtest/gtest.h>

#include "ChainHarness.h"

using namespace form::colour;
using testing_support::ChainHarness;

namespace {

struct Countdown : ::testing::Test {
    ChainHarness h;
    model::MainForm& f() { return *h.form; }
    // Records the autostart display after every tick.
    std::vector<std::string> shown;
    void watchAutostartDisplay() {
        f().AUTOSTART_TIMER_TEXTBOX.setObserver(
            [&](form::Property) { shown.push_back(f().AUTOSTART_TIMER_TEXTBOX.text()); });
    }
};

TEST_F(Countdown, StoredAutostartStartsTheChainAtTheEleventhTick) {
    h.seed("AUTOSTART_TICKBOX", "1");
    h.seed("TASK_1_ENABLE_TICKBOX", "1");
    h.load();
    watchAutostartDisplay();
    h.vt.advance(10'999);
    EXPECT_FALSE(f().slot(1).mainTimer.enabled());
    EXPECT_EQ(f().LAST_RUN_TEXTBOX.text(), "RUNNING...");
    EXPECT_EQ(f().LAST_RUN_TEXTBOX.backColour(), Green);
    h.vt.advance(1);
    EXPECT_TRUE(f().slot(1).mainTimer.enabled());
    EXPECT_FALSE(f().AUTOSTART_TIMER.enabled());
    EXPECT_EQ(shown, (std::vector<std::string>{"10", "09", "08", "07", "06", "05", "04", "03", "02", "01",
                                               "00", "-- --"}));
    // Run out: the button still reads STOP and settings stay locked.
    EXPECT_EQ(f().AUTOSTART_START_BUTTON.caption(), "STOP");
    EXPECT_FALSE(f().SETTINGS_BUTTON.enabled());
    h.vt.advance(1000);
    EXPECT_EQ(h.launchTimes(), (std::vector<form::Millis>{12'000}));
    EXPECT_EQ(f().LAST_RUN_TEXTBOX.text(), "RUNNING...");
}

TEST_F(Countdown, WithoutSlotOneNoSlotRunsAndAutocloseFollowsItsBox) {
    for (bool autoclose : {true, false}) {
        ChainHarness c;
        c.seed("AUTOSTART_TICKBOX", "1");
        c.seed("TASK_2_ENABLE_TICKBOX", "1");
        c.seed("AUTOCLOSE_TICKBOX", autoclose ? "1" : "0");
        c.load();
        c.vt.advance(11'000);
        EXPECT_FALSE(c.form->AUTOSTART_TIMER.enabled());
        EXPECT_EQ(c.form->AUTOCLOSE_TIMER.enabled(), autoclose);
        EXPECT_EQ(c.form->AUTOCLOSE_START_BUTTON.caption(), autoclose ? "STOP" : "START");
        c.vt.advance(30'000);
        EXPECT_TRUE(c.launched().empty());
        EXPECT_EQ(c.form->unloaded(), autoclose);  // eleven seconds of autoclose
        if (!autoclose) {
            // Ticking the box now only enables the button; the countdown waits for START.
            c.form->AUTOCLOSE_TICKBOX.click();
            EXPECT_TRUE(c.form->AUTOCLOSE_START_BUTTON.enabled());
            c.vt.advance(30'000);
            EXPECT_FALSE(c.form->unloaded());
        }
    }
}

TEST_F(Countdown, StopThenStartAfterARunOutCountsOnFromZeroToTheSixtiethTick) {
    h.seed("AUTOSTART_TICKBOX", "1");
    h.seed("TASK_1_ENABLE_TICKBOX", "1");
    h.load();
    h.vt.advance(11'000);
    h.vt.advance(60'000);                // let the first pass end
    f().AUTOSTART_START_BUTTON.click();  // STOP: disarms
    EXPECT_EQ(f().LAST_RUN_TEXTBOX.text(), "AUTOSTART - MANUAL STOP");
    EXPECT_EQ(f().LAST_RUN_TEXTBOX.backColour(), Red);
    EXPECT_TRUE(f().SETTINGS_BUTTON.enabled());
    f().AUTOSTART_START_BUTTON.click();  // START
    EXPECT_EQ(f().LAST_RUN_TEXTBOX.text(), "AUTOSTART - MANUAL START");
    watchAutostartDisplay();
    const auto before = h.launched().size();
    h.vt.advance(59'000);
    ASSERT_EQ(shown.size(), 59u);
    for (int i = 1; i <= 59; ++i) EXPECT_EQ(shown[i - 1], (i < 10 ? "0" : "") + std::to_string(i));
    EXPECT_FALSE(f().slot(1).mainTimer.enabled());
    h.vt.advance(1000);
    EXPECT_EQ(shown.back(), "-- --");
    EXPECT_TRUE(f().slot(1).mainTimer.enabled());
    h.vt.advance(1000);
    EXPECT_EQ(h.launched().size(), before + 1);
}

TEST_F(Countdown, DoubleClickRestartsFromElevenWithoutTouchingTheTimer) {
    h.seed("AUTOSTART_TICKBOX", "1");
    h.load();
    h.vt.advance(4000);
    f().AUTOSTART_TIMER_TEXTBOX.dblClick();
    EXPECT_EQ(f().AUTOSTART_TIMER_TEXTBOX.text(), "11");
    watchAutostartDisplay();
    h.vt.advance(1000);
    EXPECT_EQ(shown, (std::vector<std::string>{"10"}));
    f().AUTOSTART_START_BUTTON.click();  // STOP
    f().AUTOSTART_TIMER_TEXTBOX.dblClick();
    EXPECT_FALSE(f().AUTOSTART_TIMER.enabled());
}

TEST_F(Countdown, ManualStartShowsItsStatusOnlyUntilTheFirstTick) {
    h.load();
    f().AUTOSTART_TICKBOX.click();  // no effect until the next start-up
    EXPECT_FALSE(f().AUTOSTART_TIMER.enabled());
    f().AUTOSTART_START_BUTTON.click();
    EXPECT_EQ(f().LAST_RUN_TEXTBOX.text(), "AUTOSTART - MANUAL START");
    EXPECT_EQ(f().LAST_RUN_TEXTBOX.backColour(), Green);
    EXPECT_FALSE(f().SETTINGS_BUTTON.enabled());
    h.vt.advance(999);
    EXPECT_EQ(f().LAST_RUN_TEXTBOX.text(), "AUTOSTART - MANUAL START");
    h.vt.advance(1);
    EXPECT_EQ(f().LAST_RUN_TEXTBOX.text(), "RUNNING...");
}

TEST_F(Countdown, AutocloseClosesAtItsEleventhTickAfterSlotTwentyAndRecordsSuccess) {
    h.seed("AUTOSTART_TICKBOX", "1");
    h.seed("AUTOCLOSE_TICKBOX", "1");
    h.seed("TASK_1_ENABLE_TICKBOX", "1");
    h.seed("TASK_1_CMD", "ok");
    h.load();
    const form::Millis handOver = 11'000 + 21'000;
    h.vt.advance(handOver + 10'999);
    EXPECT_FALSE(f().unloaded());
    EXPECT_EQ(f().AUTOCLOSE_TIMER_TEXTBOX.text(), "01");
    EXPECT_EQ(f().AUTOCLOSE_START_BUTTON.caption(), "STOP");
    h.vt.advance(1);
    EXPECT_TRUE(f().unloaded());
    EXPECT_EQ(f().LAST_RUN_TEXTBOX.text(), "COMPLETED SUCCESSFULLY");
    EXPECT_EQ(f().AUTOCLOSE_TIMER_TEXTBOX.text(), "-- --");
    // Stored by the countdown, then again by shut-down (47 values).
    ASSERT_EQ(h.backend.writes.size(), 48u);
    EXPECT_EQ(h.backend.writes.front().key, "LAST_RUN");
    EXPECT_EQ(h.stored("LAST_RUN"), "COMPLETED SUCCESSFULLY");
    EXPECT_EQ(h.stored("AUTOSTART_TICKBOX"), "1");

    // The next start shows the result in green.
    ChainHarness next;
    next.backend = h.backend;
    next.load();
    EXPECT_EQ(next.form->LAST_RUN_TEXTBOX.backColour(), Green);
}

TEST_F(Countdown, AFailedSlotIsRecordedAsCompletedWithErrors) {
    h.seed("AUTOSTART_TICKBOX", "1");
    h.seed("AUTOCLOSE_TICKBOX", "1");
    h.seed("TASK_1_ENABLE_TICKBOX", "1");
    h.seed("TASK_2_ENABLE_TICKBOX", "1");
    h.seed("TASK_1_CMD", "missing-program");
    h.seed("TASK_2_CMD", "ok");
    h.platform.failLaunch("missing-program", "program not found");
    h.load();
    EXPECT_TRUE(h.vt.runUntil([&] { return f().unloaded(); }, 120'000));
    EXPECT_EQ(h.stored("LAST_RUN"), "COMPLETED WITH ERRORS");
    EXPECT_EQ(h.launched(), (std::vector<std::string>{"missing-program", "ok"}));
}

TEST_F(Countdown, ANewAutostartPassForgetsTheFailuresOfTheLastOne) {
    h.seed("AUTOSTART_TICKBOX", "1");
    h.seed("TASK_1_ENABLE_TICKBOX", "1");
    h.seed("TASK_1_CMD", "missing-program");
    h.platform.failLaunch("missing-program", "program not found");
    h.load();
    h.vt.advance(11'000 + 21'000);  // a failed pass, autoclose box clear
    EXPECT_EQ(f().slot(1).light.backColour(), Magenta);
    f().slot(1).command = "fixed";
    f().AUTOSTART_START_BUTTON.click();  // STOP
    f().AUTOSTART_TIMER_TEXTBOX.dblClick();
    f().AUTOSTART_START_BUTTON.click();  // START: a clean pass
    h.vt.advance(11'000 + 21'000);
    EXPECT_EQ(f().slot(1).light.backColour(), Green);
    f().AUTOCLOSE_TICKBOX.click();
    EXPECT_TRUE(h.vt.runUntil([&] { return f().unloaded(); }, 120'000));
    EXPECT_EQ(h.stored("LAST_RUN"), "COMPLETED SUCCESSFULLY");
}

TEST_F(Countdown, PassEndedWithTheBoxClearClosesOnceTheBoxIsTicked) {
    h.load();
    h.enableSlots({1});
    h.startPass();
    h.runUntilAutoclose();
    h.vt.advance(30'000);
    EXPECT_FALSE(f().unloaded());
    EXPECT_TRUE(f().AUTOCLOSE_TIMER.enabled());
    EXPECT_EQ(f().AUTOCLOSE_START_BUTTON.caption(), "START");
    EXPECT_FALSE(f().AUTOCLOSE_START_BUTTON.enabled());
    f().AUTOCLOSE_TICKBOX.click();
    const form::Millis ticked = h.vt.now();
    EXPECT_TRUE(h.vt.runUntil([&] { return f().unloaded(); }, 60'000));
    EXPECT_LE(h.vt.now() - ticked, 11'000);
    EXPECT_GT(h.vt.now() - ticked, 10'000);
}

TEST_F(Countdown, UntickingStopsACountdownAndTheNextClickActsAsStop) {
    h.seed("AUTOCLOSE_TICKBOX", "1");
    h.load();
    f().AUTOCLOSE_TIMER.setEnabled(true);  // the end of a pass
    h.vt.advance(3000);
    EXPECT_EQ(f().AUTOCLOSE_TIMER_TEXTBOX.text(), "08");
    f().AUTOCLOSE_TICKBOX.click();
    EXPECT_FALSE(f().AUTOCLOSE_TIMER.enabled());
    EXPECT_FALSE(f().AUTOCLOSE_START_BUTTON.enabled());
    EXPECT_EQ(f().AUTOCLOSE_START_BUTTON.caption(), "STOP");
    f().AUTOCLOSE_TICKBOX.click();
    f().AUTOCLOSE_START_BUTTON.click();
    EXPECT_EQ(f().AUTOCLOSE_START_BUTTON.caption(), "START");
    EXPECT_EQ(f().LAST_RUN_TEXTBOX.text(), "AUTOCLOSE - MANUAL STOP");
    EXPECT_FALSE(f().AUTOCLOSE_TIMER.enabled());
}

TEST_F(Countdown, ManualStartRunsWithoutAPassAndStopStartContinues) {
    h.seed("AUTOCLOSE_TICKBOX", "1");
    h.load();
    f().AUTOCLOSE_START_BUTTON.click();
    EXPECT_EQ(f().LAST_RUN_TEXTBOX.text(), "AUTOCLOSE - MANUAL START");
    EXPECT_FALSE(f().AUTOCLOSE_TICKBOX.enabled());
    EXPECT_FALSE(f().SETTINGS_BUTTON.enabled());
    h.vt.advance(7000);
    EXPECT_EQ(f().AUTOCLOSE_TIMER_TEXTBOX.text(), "04");
    f().AUTOCLOSE_START_BUTTON.click();  // STOP
    EXPECT_TRUE(f().AUTOCLOSE_TICKBOX.enabled());
    h.vt.advance(5000);
    f().AUTOCLOSE_START_BUTTON.click();  // START
    h.vt.advance(1000);
    EXPECT_EQ(f().AUTOCLOSE_TIMER_TEXTBOX.text(), "03");
    f().AUTOCLOSE_TIMER_TEXTBOX.dblClick();
    EXPECT_EQ(f().AUTOCLOSE_TIMER_TEXTBOX.text(), "11");
    EXPECT_TRUE(h.vt.runUntil([&] { return f().unloaded(); }, 11'000));
    EXPECT_EQ(h.stored("LAST_RUN"), "COMPLETED SUCCESSFULLY");
}

}  // namespace
