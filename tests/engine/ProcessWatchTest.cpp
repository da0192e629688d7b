#include <gtest/gtest.h>

#include "ChainHarness.h"

using namespace form::colour;
using testing_support::ChainHarness;
using testing_support::Op;

namespace {

struct ProcessWatch : ::testing::Test {
    ChainHarness h;
    void SetUp() override {
        h.load();
        h.enableSlots({1, 2, 3});
    }
    void waitOn(int n, const std::string& name) {
        h.form->slot(n).pause.setValue(1);
        h.form->slot(n).processName = name;
    }
    std::vector<std::string> polls() const {
        std::vector<std::string> names;
        for (const auto& c : h.platform.callsOf(Op::CountProcesses)) names.push_back(c.text);
        return names;
    }
};

TEST_F(ProcessWatch, HoldsTheChainUntilTheLastProcessOfTheNameEnds) {
    waitOn(2, "backup-job");
    h.platform.setProcessCount("backup-job", 3);
    h.startPass();
    h.vt.advance(9000);
    // Slot 2 launched at 3000, its watcher polls from 5000 on; slot 3 waits.
    EXPECT_EQ(h.launchTimes(), (std::vector<form::Millis>{1000, 3000}));
    EXPECT_EQ(h.light(2), Cyan);
    EXPECT_EQ(h.form->slot(2).pause.backColour(), Green);
    h.platform.setProcessCount("backup-job", 1);
    h.vt.advance(5000);
    EXPECT_EQ(h.launched().size(), 2u);
    h.platform.setProcessCount("backup-job", 0);  // at 14000
    h.vt.advance(1000);                           // poll at 15000 finds none
    EXPECT_EQ(h.light(2), Green);
    EXPECT_FALSE(h.form->slot(2).watcherTimer.enabled());
    h.vt.advance(1000);
    EXPECT_EQ(h.launchTimes().back(), 16'000);  // one second after the poll that found none
}

TEST_F(ProcessWatch, SlotOneIsGreenWhileWaitingAndOtherSlotsCyan) {
    waitOn(1, "a");
    waitOn(2, "b");
    h.platform.setProcessCount("a", 1);
    h.platform.setProcessCount("b", 1);
    h.startPass();
    h.vt.advance(3000);
    EXPECT_EQ(h.light(1), Green);
    h.platform.setProcessCount("a", 0);
    h.vt.advance(4000);
    EXPECT_EQ(h.light(2), Cyan);
    EXPECT_TRUE(h.form->slot(2).watcherTimer.enabled());
}

TEST_F(ProcessWatch, EmptyOrAbsentNameEndsTheWaitAtTheFirstPollTwoSecondsAfterLaunch) {
    waitOn(1, "");
    waitOn(2, "not-started-yet");
    h.startPass();
    h.vt.advance(3000);
    // Slot 1: launch at 1000, poll at 3000 finds nothing; slot 2 follows at 4000.
    EXPECT_EQ(polls(), (std::vector<std::string>{""}));
    h.vt.advance(3000);
    EXPECT_EQ(h.launchTimes(), (std::vector<form::Millis>{1000, 4000}));
    EXPECT_EQ(polls().size(), 2u);
}

TEST_F(ProcessWatch, UntickingTheBoxDoesNotEndTheWaitButANewNameIsUsedAtTheNextPoll) {
    waitOn(2, "old-name");
    h.platform.setProcessCount("old-name", 1);
    h.platform.setProcessCount("new-name", 1);
    h.startPass();
    h.vt.advance(6000);
    h.form->slot(2).pause.setValue(0);
    h.vt.advance(3000);
    EXPECT_TRUE(h.form->slot(2).watcherTimer.enabled());
    h.form->slot(2).processName = "new-name";
    h.vt.advance(1000);
    EXPECT_EQ(polls().back(), "new-name");
    h.platform.setProcessCount("new-name", 0);
    h.vt.advance(1000);
    EXPECT_FALSE(h.form->slot(2).watcherTimer.enabled());
}

TEST_F(ProcessWatch, NameIsPassedAsPlainText) {
    const std::string odd = "it's \"a\" name; rm -rf * $(x) ' OR '1'='1";
    waitOn(1, odd);
    h.startPass();
    h.vt.advance(3000);
    EXPECT_EQ(polls(), (std::vector<std::string>{odd}));
}

TEST_F(ProcessWatch, SlotTwentyHandsOverWhenItsWaitEnds) {
    h.enableSlots({20});
    waitOn(20, "last");
    h.platform.setProcessCountUntil("last", 1, 60'000);
    h.startPass();
    // Slots 1..3 launched (2 s each), 4..19 skipped, 20 launched at 23000.
    EXPECT_EQ(h.runUntilAutoclose(), 60'000);
    EXPECT_EQ(h.light(20), Green);
}

TEST_F(ProcessWatch, AFailedQueryCountsAsNoProcessAndMarksTheSlot) {
    waitOn(2, "x");
    h.platform.setProcessCount("x", 1);
    h.platform.failProcessQueries(true, "cannot open /proc");
    h.startPass();
    h.vt.advance(5000);  // first poll of slot 2
    EXPECT_EQ(h.light(2), Magenta);
    EXPECT_NE(h.form->slot(2).light.toolTip().find("cannot open /proc"), std::string::npos);
    EXPECT_FALSE(h.form->slot(2).watcherTimer.enabled());
    h.vt.advance(1000);
    EXPECT_EQ(h.launchTimes().back(), 6000);
}

}  // namespace
