#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Harness.h"

using form::colour::Black;
using form::colour::Cyan;
using form::colour::Green;
using platform::FakePlatform;
using testing_support::Harness;
using Op = FakePlatform::Op;

namespace {

// The window started with the scanner and heartbeat running from the stored
// tick, at virtual time 0; always-on-top off to keep the record short.
struct HeartbeatHarness : Harness {
    HeartbeatHarness() {
        seed("RIVA_AUTOSTART_TICKBOX", "1");
        seed("AlwaysOnTopTimer_TICKBOX", "0");
        load();
        form->HEARTBEAT_COUNTDOWN_TEXTBOX.setObserver([this](form::Property) { shown.push_back(text()); });
    }
    std::string text() const { return form->HEARTBEAT_COUNTDOWN_TEXTBOX.text(); }
    std::vector<form::Millis> presses() const {
        std::vector<form::Millis> at;
        for (const auto& c : platform.callsOf(Op::SendNumLock)) at.push_back(c.at);
        return at;
    }
    form::Colour backdrop() const { return form->RIVA_BACKGROUND_LABEL.backColour(); }
    std::vector<std::string> shown;
};

TEST(Heartbeat, FirstPulseComes301TicksAfterStartAndPressesTwice750msApart) {
    HeartbeatHarness h;
    EXPECT_EQ(h.text(), "00:00:00");
    h.vt.advance(1000);
    EXPECT_EQ(h.text(), "00:05:00");
    h.vt.advance(299'000);
    EXPECT_EQ(h.text(), "00:00:01");
    EXPECT_EQ(h.backdrop(), Black);
    h.vt.advance(1000);  // tick 301: expiry
    EXPECT_EQ(h.text(), "00:05:01");
    EXPECT_EQ(h.backdrop(), Cyan);
    EXPECT_TRUE(h.presses().empty());
    h.vt.advance(750);
    EXPECT_EQ(h.backdrop(), Green);
    EXPECT_TRUE(h.platform.numLockOn());
    h.vt.advance(750);
    EXPECT_EQ(h.backdrop(), Black);
    EXPECT_EQ(h.presses(), (std::vector<form::Millis>{301'750, 302'500}));
    EXPECT_FALSE(h.platform.numLockOn());
    EXPECT_FALSE(h.form->NUMLOCK_TIMER_1.enabled());
    EXPECT_FALSE(h.form->NUMLOCK_TIMER_2.enabled());
}

TEST(Heartbeat, PulsesStayExactly301sApartForADayAndZeroIsNeverLeftShown) {
    HeartbeatHarness h;
    h.vt.advance(24 * 3600 * 1000);
    const auto at = h.presses();
    ASSERT_EQ(at.size(), 2u * (86'400 / 301));
    for (std::size_t i = 0; i < at.size(); i += 2) {
        ASSERT_EQ(at[i], 301'750 + static_cast<form::Millis>(i / 2) * 301'000) << "pulse " << i / 2;
        ASSERT_EQ(at[i + 1], at[i] + 750);
    }
    EXPECT_FALSE(h.platform.numLockOn());
    // Zero is written and replaced within the same tick, never left on display.
    for (std::size_t i = 0; i < h.shown.size(); ++i)
        if (h.shown[i] == "00:00:00") {
            ASSERT_EQ(h.shown.at(i + 1), "00:05:01") << i;
        }
    EXPECT_NE(h.text(), "00:00:00");
}

TEST(Heartbeat, DoubleClickRestartsFromFiveMinutesRunningOrStopped) {
    HeartbeatHarness h;
    h.vt.advance(294'000);
    ASSERT_EQ(h.text(), "00:00:07");
    h.form->HEARTBEAT_COUNTDOWN_TEXTBOX.dblClick();
    EXPECT_EQ(h.text(), "00:05:00");
    h.vt.advance(1000);
    EXPECT_EQ(h.text(), "00:04:59");
    h.vt.advance(20'000);  // well past the old expiry
    EXPECT_TRUE(h.presses().empty());
    EXPECT_EQ(h.backdrop(), Black);

    h.form->RIVA_START_BUTTON.click();  // stop
    h.form->HEARTBEAT_COUNTDOWN_TEXTBOX.dblClick();
    EXPECT_EQ(h.text(), "00:05:00");
    h.vt.advance(60'000);
    EXPECT_EQ(h.text(), "00:05:00");
    h.form->RIVA_START_BUTTON.click();  // start
    h.vt.advance(1000);
    EXPECT_EQ(h.text(), "00:04:59");
}

TEST(Heartbeat, StoppingJustAfterAPulseWasArmedStillGivesBothPresses) {
    HeartbeatHarness h;
    h.vt.advance(301'000);
    ASSERT_EQ(h.backdrop(), Cyan);
    h.vt.advance(200);
    h.form->RIVA_START_BUTTON.click();  // stop
    EXPECT_FALSE(h.form->HEARTBEAT_TIMER.enabled());
    h.vt.advance(5000);
    EXPECT_EQ(h.presses(), (std::vector<form::Millis>{301'750, 302'500}));
    EXPECT_EQ(h.backdrop(), Black);
    EXPECT_FALSE(h.platform.numLockOn());
    EXPECT_EQ(h.text(), "00:05:01");
}

// Closing the window between the presses must not leave NumLock flipped; a
// pulse only armed has pressed nothing and presses nothing.
TEST(Heartbeat, ClosingTheWindowMidPulseCompletesThePair) {
    for (const form::Millis into : {200, 900}) {
        SCOPED_TRACE(into);
        HeartbeatHarness h;
        h.vt.advance(301'000 + into);
        h.form->Close();
        h.vt.advance(5000);
        EXPECT_EQ(h.presses().size(), into < 750 ? 0u : 2u);
        EXPECT_FALSE(h.platform.numLockOn());
    }
}

}  // namespace
