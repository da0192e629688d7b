#include <gtest/gtest.h>

#include <memory>
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

// The session is asked not to idle exactly while the heartbeat runs: on and
// off strictly in turn, whichever way it starts and stops.
TEST(KeepAwake, HeldExactlyWhileTheHeartbeatRunsAndNeverAskedTwice) {
    const auto asked = [](const FakePlatform& p) {
        std::vector<bool> on;
        for (const auto& c : p.callsOf(Op::KeepAwake)) on.push_back(c.on);
        return on;
    };
    HeartbeatHarness h;  // started by its tick
    EXPECT_EQ(asked(h.platform), std::vector<bool>{true});
    EXPECT_TRUE(h.platform.keepingAwake());
    h.vt.advance(2 * 301'000);
    h.form->RIVA_START_BUTTON.click();  // stop
    EXPECT_FALSE(h.platform.keepingAwake());
    h.form->RIVA_START_BUTTON.click();  // start
    EXPECT_TRUE(h.platform.keepingAwake());
    h.form->Close();
    h.form->Form_Unload();  // a second shut-down asks nothing more
    EXPECT_EQ(asked(h.platform), (std::vector<bool>{true, false, true, false}));
    EXPECT_FALSE(h.platform.keepingAwake());

    Harness stopped;  // heartbeat not ticked: nothing to hold or give back
    stopped.seed("AlwaysOnTopTimer_TICKBOX", "0");
    stopped.load();
    stopped.form->Close();
    EXPECT_TRUE(asked(stopped.platform).empty());
}

// Added beside the presses, it leaves their timing alone, and an inhibitor
// that cannot be had stops nothing.
TEST(KeepAwake, PulseTimingIsTheSameWithOrWithoutAnInhibitor) {
    std::vector<std::vector<form::Millis>> runs;
    for (const bool inhibitor : {true, false}) {
        HeartbeatHarness h;
        if (!inhibitor) h.platform.setUnavailable(platform::DesktopFeature::KeepAwake, "none here");
        h.vt.advance(200'000);
        h.form->RIVA_START_BUTTON.click();
        h.form->RIVA_START_BUTTON.click();
        h.vt.advance(2 * 301'000);
        runs.push_back(h.presses());
    }
    EXPECT_EQ(runs[0], (std::vector<form::Millis>{301'750, 302'500, 602'750, 603'500}));
    EXPECT_EQ(runs[1], runs[0]);
}

// What the start-up says of the keep-alive: nothing where the presses reach
// the whole desktop; once, naming the inhibitor or saying that the screen may
// still lock, where they do not. The heartbeat button's tooltip says the same.
TEST(KeepAwake, StartUpNoticeNamesTheInhibitorOrWarnsOfTheLock) {
    using platform::DesktopFeature;
    const std::string wayland = "NumLock presses reach only X11 programs in this Wayland session";
    struct Case {
        std::string keysNote, keysMissing, awakeMissing, notice;
    };
    const std::vector<Case> cases = {
        {"", "", "", ""},
        {"", "", "no D-Bus session bus", ""},
        {wayland, "", "", wayland + "; the session is kept from idling by the test inhibitor"},
        {wayland, "", "no D-Bus session bus",
         wayland +
             "; nothing keeps the session from idling (no D-Bus session bus), so the screen may still lock"},
        {"", "no XTest", "none answers",
         "NumLock keep-alive unavailable: no XTest; nothing keeps the session from idling (none answers), so "
         "the "
         "screen may still lock"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notice);
        Harness h;
        h.seed("RIVA_AUTOSTART_TICKBOX", "1");
        h.platform.setNote(DesktopFeature::KeyInjection, c.keysNote);
        h.platform.setUnavailable(DesktopFeature::KeyInjection, c.keysMissing);
        h.platform.setUnavailable(DesktopFeature::KeepAwake, c.awakeMissing);
        std::vector<std::string> notices;
        h.store = std::make_unique<settings::Store>(h.backend, h.section);
        h.form = std::make_unique<model::MainForm>(h.vt.scheduler, *h.store, h.section, h.platform);
        h.form->onNotice = [&](const std::string& n) { notices.push_back(n); };
        h.form->Form_Load();
        h.vt.advance(302'000);
        EXPECT_EQ(notices,
                  c.notice.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.notice});
        EXPECT_EQ(h.form->RIVA_START_BUTTON.toolTip(), c.notice);
    }
}

}  // namespace
