#include <gtest/gtest.h>

#include "ChainHarness.h"

using namespace form::colour;
using testing_support::ChainHarness;
using testing_support::Op;

namespace {

struct LaunchChain : ::testing::Test {
    ChainHarness h;
    void SetUp() override { h.load(); }
};

TEST_F(LaunchChain, SlotOneAloneHandsOverAfterTwentyOneSeconds) {
    h.enableSlots({1});
    std::vector<std::pair<form::Millis, int>> redAt;
    for (int n = 2; n <= model::kSlots; ++n)
        h.form->slot(n).light.setObserver([&, n](form::Property p) {
            if (p == form::Property::BackColour) redAt.push_back({h.vt.now(), n});
        });
    std::vector<form::Colour> light1;
    h.form->slot(1).light.setObserver([&](form::Property p) {
        if (p == form::Property::BackColour) light1.push_back(h.light(1));
    });
    h.startPass();
    EXPECT_EQ(h.runUntilAutoclose(), 21'000);
    EXPECT_EQ(light1, (std::vector<form::Colour>{Cyan, Green}));
    ASSERT_EQ(redAt.size(), 19u);
    for (int i = 0; i < 19; ++i) {
        EXPECT_EQ(redAt[i].second, i + 2);
        EXPECT_EQ(redAt[i].first, 3000 + 1000 * i);  // one per second after slot 1's two
        EXPECT_EQ(h.light(i + 2), Red);
    }
    EXPECT_EQ(h.launched(), (std::vector<std::string>{"cmd-1"}));
}

TEST_F(LaunchChain, TwentyLaunchedSlotsTakeFortySecondsTwoApart) {
    for (int n = 1; n <= model::kSlots; ++n) h.enableSlots({n});
    h.startPass();
    EXPECT_EQ(h.runUntilAutoclose(), 40'000);
    const auto times = h.launchTimes();
    ASSERT_EQ(times.size(), 20u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(times[i], 1000 + 2000 * i);
    for (int n = 1; n <= model::kSlots; ++n) {
        EXPECT_EQ(h.light(n), Green);
        EXPECT_FALSE(h.form->slot(n).mainTimer.enabled());
        EXPECT_FALSE(h.form->slot(n).watcherTimer.enabled());
    }
    // Every launch asked for a normal, focused window and was followed by a one-second sleep.
    for (const auto& c : h.platform.callsOf(Op::LaunchCommand)) EXPECT_EQ(c.number, 1);
    for (const auto& c : h.platform.callsOf(Op::Sleep)) EXPECT_EQ(c.number, 1000);
}

TEST_F(LaunchChain, LightIsCyanWhileTheLaunchingSlotSleeps) {
    h.enableSlots({1, 2});
    form::Colour duringSleep = 0;
    h.form->slot(2).light.setObserver([&](form::Property) {
        if (h.light(2) == Cyan) duringSleep = Cyan;
    });
    h.startPass();
    h.vt.advance(3000);  // slot 2 ticks at 3000 and sleeps until 4000
    EXPECT_EQ(duringSleep, Cyan);
    EXPECT_EQ(h.light(2), Green);
}

TEST_F(LaunchChain, SkippedAndGreyedSlotsPassOnAfterOneSecond) {
    h.enableSlots({1, 3});
    h.form->slot(2).enable.setValue(2);  // greyed counts as not ticked
    h.startPass();
    h.vt.advance(4000);
    EXPECT_EQ(h.light(2), Red);
    EXPECT_EQ(h.launchTimes(), (std::vector<form::Millis>{1000, 4000}));
}

TEST_F(LaunchChain, TicksAndCommandsAreReadWhenTheSlotIsReached) {
    h.enableSlots({1, 2, 3});
    h.startPass();
    h.vt.advance(1500);  // slot 1 done
    h.form->slot(2).enable.setValue(0);
    h.form->slot(4).enable.setValue(1);
    h.form->slot(3).command = "changed by a settings window";
    h.form->slot(4).command = "late";
    h.vt.advance(10'000);
    EXPECT_EQ(h.launched(), (std::vector<std::string>{"cmd-1", "changed by a settings window", "late"}));
    EXPECT_EQ(h.light(2), Red);
}

TEST_F(LaunchChain, SecondStartDuringAPassRunsASecondPassBesideIt) {
    h.enableSlots({1, 2});
    h.startPass();
    h.vt.advance(2500);  // first pass is waiting for slot 2
    h.startPass();       // slot 1 again
    EXPECT_TRUE(h.form->slot(1).mainTimer.enabled());
    EXPECT_TRUE(h.form->slot(2).mainTimer.enabled());
    h.vt.advance(20'000);
    EXPECT_EQ(h.launched(), (std::vector<std::string>{"cmd-1", "cmd-2", "cmd-1", "cmd-2"}));
}

TEST_F(LaunchChain, TheLightsStayAfterThePassAndTheRelayIsIdle) {
    h.enableSlots({2});
    h.startPass();
    h.runUntilAutoclose();
    h.vt.advance(60'000);
    EXPECT_EQ(h.light(1), Red);
    EXPECT_EQ(h.light(2), Green);
    EXPECT_EQ(h.launched().size(), 1u);
}

TEST_F(LaunchChain, FailedLaunchShowsMagentaWithTheReasonAndTheChainGoesOn) {
    h.enableSlots({1, 2, 3});
    h.platform.failLaunch("cmd-2", "program not found: cmd-2");
    h.startPass();
    EXPECT_EQ(h.runUntilAutoclose(), 6000 + 17'000);
    EXPECT_EQ(h.light(1), Green);
    EXPECT_EQ(h.light(2), Magenta);
    EXPECT_NE(h.form->slot(2).light.toolTip().find("program not found: cmd-2"), std::string::npos);
    EXPECT_EQ(h.light(3), Green);
    EXPECT_EQ(h.launchTimes(), (std::vector<form::Millis>{1000, 3000, 5000}));

    // The next pass that launches it successfully clears the mark.
    h.form->slot(2).command = "cmd-2-fixed";
    h.form->AUTOCLOSE_TIMER.setEnabled(false);
    h.startPass();
    h.runUntilAutoclose();
    EXPECT_EQ(h.light(2), Green);
    EXPECT_EQ(h.form->slot(2).light.toolTip(), "");
}

TEST_F(LaunchChain, SlotOneWithAFailedLaunchShowsMagentaInsteadOfGreenWhileItWaits) {
    h.enableSlots({1});
    h.form->slot(1).pause.setValue(1);
    h.form->slot(1).processName = "holder";
    h.platform.failLaunch("cmd-1", "not executable");
    h.platform.setProcessCountUntil("holder", 1, 6000);
    h.startPass();
    h.vt.advance(2500);
    EXPECT_EQ(h.light(1), Magenta);
    EXPECT_TRUE(h.form->slot(1).watcherTimer.enabled());
    // The wait still runs as usual, and its end leaves the light magenta.
    EXPECT_EQ(h.runUntilAutoclose(), 6000 + 19'000);  // last poll at 6000, slots 2..20 one second each
    EXPECT_EQ(h.light(1), Magenta);
}

// What a screen reader hears of each light as a pass goes: its words follow
// its colour, and a failure says why.
TEST_F(LaunchChain, EachLightSaysInWordsWhatItsColourShows) {
    h.enableSlots({1, 2, 4});
    h.form->slot(4).pause.setValue(1);
    h.form->slot(4).processName = "editor";
    h.platform.failLaunch("cmd-2", "program not found");
    h.platform.setProcessCountUntil("editor", 1, 12'000);
    const auto heard = [&](int n) {
        return h.form->slot(n).light.stateWords() + "/" + h.form->slot(n).light.accessibleDescription();
    };
    EXPECT_EQ(heard(1), "waiting/");
    h.startPass();
    h.vt.advance(8000);  // slot 4 launched at 6000 and waits
    for (const auto& [n, words] : {std::pair{1, "started/"},
                                   {2, "could not start/program not found"},
                                   {3, "skipped/"},
                                   {4, "started, waiting for \"editor\" to end/"},
                                   {5, "waiting/"}})
        EXPECT_EQ(heard(n), words);
    h.runUntilAutoclose();
    EXPECT_EQ(heard(4), "started/");
}

}  // namespace
