#include <gtest/gtest.h>

#include <string>

#include "support/Harness.h"

using testing_support::Harness;

namespace {

// The seven lamps as text: R lit, . dark.
std::string lamps(const model::MainForm& f) {
    std::string s;
    for (const auto& lamp : f.RIVA_LABEL) s += lamp->backColour() == form::colour::Red ? 'R' : '.';
    return s;
}

int enabledSteps(const model::MainForm& f, int* which = nullptr) {
    int count = 0;
    for (int n = 1; n <= 16; ++n)
        if (f.RIVA_RED_TIMER[n - 1]->enabled()) {
            ++count;
            if (which) *which = n;
        }
    return count;
}

// What the lamps show after each of the first sixteen steps.
struct Sweep {
    const char* start;
    std::string before;              // lamps during the first 100 ms
    std::vector<std::string> after;  // after step 1 .. 16 of two cycles
};

const std::vector<std::string> kCycle = {"R......", ".R.....", "..R....", "...R...", "....R..", ".....R.",
                                         "......R", ".......", "......R", ".....R.", "....R..", "...R...",
                                         "..R....", ".R.....", "R......", "......."};

TEST(Scanner, LampSequenceOfAStartByButtonAndOfAStartUpWithTheTick) {
    std::vector<std::string> firstCycleFromRed = {"RRRRRRR", ".RRRRRR", "..RRRRR", "...RRRR",
                                                  "....RRR", ".....RR", "......R", "......."};
    firstCycleFromRed.insert(firstCycleFromRed.end(), kCycle.begin() + 8, kCycle.end());
    std::vector<std::string> byButton = kCycle;
    byButton.insert(byButton.end(), kCycle.begin(), kCycle.end());
    std::vector<std::string> byTick = firstCycleFromRed;
    byTick.insert(byTick.end(), kCycle.begin(), kCycle.end());

    for (const Sweep& sweep :
         {Sweep{"button", ".......", byButton}, Sweep{"stored tick", "RRRRRRR", byTick}}) {
        SCOPED_TRACE(sweep.start);
        Harness h;
        if (std::string(sweep.start) == "stored tick") h.seed("RIVA_AUTOSTART_TICKBOX", "1");
        h.load();
        if (std::string(sweep.start) == "button") h.form->RIVA_START_BUTTON.click();
        EXPECT_EQ(h.form->RIVA_START_BUTTON.caption(), "STOP");
        EXPECT_TRUE(h.form->HEARTBEAT_TIMER.enabled());
        h.vt.advance(99);
        EXPECT_EQ(lamps(*h.form), sweep.before);
        for (std::size_t k = 0; k < sweep.after.size(); ++k) {
            h.vt.advance(k == 0 ? 1 : 100);
            int step = 0;
            ASSERT_EQ(enabledSteps(*h.form, &step), 1);
            const int done = static_cast<int>(k % 16) + 1;
            EXPECT_EQ(step, done % 16 + 1);
            EXPECT_EQ(lamps(*h.form), sweep.after[k]) << "after step " << k % 16 + 1;
        }
        EXPECT_EQ(h.form->RIVA_BACKGROUND_LABEL.backColour(), form::colour::Black);
    }
}

TEST(Scanner, EveryStartBeginsAtStepOneWhereverItWasStopped) {
    for (const int stoppedAfter : {1, 5, 8, 12, 16}) {
        SCOPED_TRACE(stoppedAfter);
        Harness h;
        h.load();
        h.form->RIVA_START_BUTTON.click();
        h.vt.advance(100 * stoppedAfter + 50);
        h.form->RIVA_START_BUTTON.click();  // stop
        EXPECT_EQ(lamps(*h.form), "RRRRRRR");
        EXPECT_EQ(enabledSteps(*h.form), 0);
        EXPECT_FALSE(h.form->HEARTBEAT_TIMER.enabled());
        h.vt.advance(1000);
        EXPECT_EQ(lamps(*h.form), "RRRRRRR");
        h.form->RIVA_START_BUTTON.click();  // start again
        int step = 0;
        ASSERT_EQ(enabledSteps(*h.form, &step), 1);
        EXPECT_EQ(step, 1);
        EXPECT_EQ(lamps(*h.form), ".......");
        h.vt.advance(100);
        EXPECT_EQ(lamps(*h.form), "R......");
    }
}

// A slot's launch sleeps a second inside its tick: the lamps and the count
// stand still meanwhile and then go on by one step and one second, from
// where they stood.
TEST(Scanner, BlockingSlotLaunchHoldsLampsAndCountWhichThenGoOn) {
    Harness h;
    h.seed("RIVA_AUTOSTART_TICKBOX", "1");
    h.seed("AlwaysOnTopTimer_TICKBOX", "0");
    h.load();
    h.form->slot(1).enable.setValue(1);
    h.form->slot(1).command = "editor";
    h.vt.advance(4950);
    h.form->slot(1).mainTimer.setEnabled(true);  // ticks at 5950 and sleeps until 6950
    h.vt.runUntil(5949);
    int before = 0;
    ASSERT_EQ(enabledSteps(*h.form, &before), 1);
    ASSERT_EQ(h.form->HEARTBEAT_COUNTDOWN_TEXTBOX.text(), "00:04:56");
    h.vt.advance(1);
    ASSERT_EQ(h.platform.callsOf(platform::FakePlatform::Op::Sleep).size(), 1u);
    EXPECT_EQ(h.vt.now(), 6950);
    int after = 0;
    ASSERT_EQ(enabledSteps(*h.form, &after), 1);
    EXPECT_EQ(after, before % 16 + 1) << "one step, not ten";
    EXPECT_EQ(h.form->HEARTBEAT_COUNTDOWN_TEXTBOX.text(), "00:04:55");
    h.vt.advance(1000);
    EXPECT_EQ(h.form->HEARTBEAT_COUNTDOWN_TEXTBOX.text(), "00:04:54");
}

}  // namespace
