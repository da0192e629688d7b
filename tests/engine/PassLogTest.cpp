// The trace a pass leaves on standard error: which lines, and when, in
// virtual time. The program adds the name and the wall-clock time.

#include <gtest/gtest.h>

#include "ChainHarness.h"
#include "form/Accessible.h"

using testing_support::ChainHarness;

namespace {

struct Line {
    form::Millis at;
    std::string text;
    bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& l) {
    return out << l.at << " " << l.text;
}

struct PassLog : ::testing::Test {
    ChainHarness h;
    std::vector<Line> lines;
    void SetUp() override {
        h.passLog = [this](const std::string& text) { lines.push_back({h.vt.now(), text}); };
        h.load();
    }
    // Arms the autostart countdown as its START button does; slot 1 ticks 12 s later.
    void autostart() { h.form->AUTOSTART_START_BUTTON.click(); }
};

TEST_F(PassLog, OneLinePerStartFailureWaitAndResultNothingWhileWaiting) {
    h.enableSlots({1, 2, 3});
    h.form->slot(1).enable.setCaption("Mail");
    h.form->slot(2).command = "no-such-program --flag";
    h.platform.failLaunch("no-such-program --flag", "program not found: no-such-program");
    h.form->slot(3).pause.setValue(1);
    h.form->slot(3).processName = "backup-job";
    h.platform.setProcessCountUntil("backup-job", 1, 21'500);
    autostart();
    h.vt.advance(60'000);

    // Slot 1 at 12 s, slot 2 at 14 s, slot 3 at 16 s; its wait begins after the
    // launch's one-second sleep, polls from 18 s and sees the job gone at 22 s;
    // slots 4..20 are skipped a second apart from 23 s, so the pass ends at 39 s.
    const std::vector<Line> expected = {
        {12'000, "slot 1 \"Mail\" started: cmd-1"},
        {14'000, "slot 2 \"TASK 2\" could not start: program not found: no-such-program"},
        {16'000, "slot 3 \"TASK 3\" started: cmd-3"},
        {17'000, "slot 3 \"TASK 3\" P-4-P: waiting until no \"backup-job\" runs"},
        {22'000, "slot 3 \"TASK 3\" P-4-P: no \"backup-job\" runs any more, going on"},
        {39'000, "pass finished with errors (slot 2): 2 started, 17 skipped"},
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(PassLog, ASecondPassCountsOnlyItsOwnSlotsAndAFailedQueryIsNamed) {
    h.enableSlots({1});
    h.form->slot(1).pause.setValue(1);
    h.form->slot(1).processName = "x";
    h.platform.failProcessQueries(true, "cannot open /proc");
    autostart();
    h.vt.advance(40'000);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2].text,
              "slot 1 \"TASK 1\" P-4-P: could not look for running processes (cannot open /proc), going on");
    EXPECT_EQ(lines[3].text, "pass finished with errors (slot 1): 1 started, 19 skipped");

    lines.clear();
    h.platform.failProcessQueries(false);
    h.form->AUTOSTART_START_BUTTON.click();  // STOP: the run-out left it armed
    h.form->AUTOSTART_TIMER_TEXTBOX.dblClick();
    autostart();
    h.vt.advance(40'000);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().text, "pass finished: 1 started, 19 skipped");
}

TEST_F(PassLog, SilentWithoutAPassAndOneLineWhenSlotOneIsOff) {
    // Ticks, a running countdown, the heartbeat: nothing of a pass happens.
    h.enableSlots({2});
    h.form->RIVA_START_BUTTON.click();
    h.vt.advance(10 * 60'000);
    EXPECT_TRUE(lines.empty());

    autostart();
    h.vt.advance(60'000);
    EXPECT_EQ(
        lines,
        (std::vector<Line>{{600'000 + 11'000, "pass not run: slot 1 is not enabled, so no slot starts"}}));
}

// What a screen reader is told while the focus is elsewhere: each failed slot
// once, the pass's end in one sentence with the window's closing. A light reset
// before then reads only "waiting", and the end still names how it failed.
TEST(Announced, FailuresOnceAndThePassInOneSentence) {
    // fail2: slot 2's launch fails; watch1: slot 1 waits and cannot look; reset2: its light at 20 s.
    struct Case {
        std::vector<int> ticked;
        bool fail2, watch1, autoclose, reset2;
        std::vector<Line> said;
    };
    const std::string failed1 = "Task 1 could not look for running programs: cannot open /proc";
    const std::string end1 =
        "Pass finished with errors: task 1 could not look for running programs; 1 started, 19 skipped.";
    const std::string failed2 = "Task 2 (Old tool) could not start: program not found";
    const std::string end2 = "Pass finished with errors: task 2 could not start; 1 started, 18 skipped.";
    const std::string closing = " The window closes in 11 seconds.";
    const Case cases[] = {
        {{1, 3}, false, false, false, false, {{33'000, "Pass finished: 2 started, 18 skipped."}}},
        {{1, 2}, true, false, true, false, {{14'000, failed2}, {33'000, end2 + closing}}},
        {{1, 2}, true, false, false, true, {{14'000, failed2}, {33'000, end2}}},
        {{1}, false, true, false, false, {{14'000, failed1}, {33'000, end1}}},
        {{}, false, false, true, false, {{11'000, "No pass: task 1 is not ticked." + closing}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        ChainHarness h;
        h.load();
        std::vector<Line> said;
        h.form->onAnnounce = [&](const std::string& s) { said.push_back({h.vt.now(), s}); };
        for (int n : c.ticked) h.enableSlots({n});
        h.form->slot(2).setCaption("Old tool");
        if (c.fail2) h.platform.failLaunch("cmd-2", "program not found");
        h.form->slot(1).pause.setValue(c.watch1);
        h.platform.failProcessQueries(c.watch1, "cannot open /proc");
        h.form->AUTOCLOSE_TICKBOX.setValue(c.autoclose);
        h.form->AUTOSTART_START_BUTTON.click();
        h.vt.advance(20'000);
        if (c.reset2) h.form->slot(2).tell(model::Light::Waiting);  // as a double-click on the light does
        h.vt.advance(24'000);
        EXPECT_EQ(said, c.said);
        if (c.reset2) {  // nor its old reason in the tooltip a reader falls back on
            EXPECT_EQ(form::accessibleOf(h.form->slot(2).light).value + h.form->slot(2).light.toolTip(),
                      "waiting");
        }
        EXPECT_EQ(form::accessibleOf(h.form->AUTOSTART_TIMER_TEXTBOX).value, "not counting");
    }
}

}  // namespace
