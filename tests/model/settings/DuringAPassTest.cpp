// The settings windows while a pass runs: the main window's timers go on,
// a saved command or process name is used at the chain's next look at it,
// and opening or closing a window neither stops nor restarts anything.

#include <gtest/gtest.h>

#include "SettingsFixture.h"

using namespace settingstest;
using model::SettingsForm;
using model::SingleSettingsForm;
using namespace form::colour;
using Op = platform::FakePlatform::Op;

namespace {

// Slots 1 to 3 enabled with commands cmd-1 .. cmd-3, stored and loaded as
// at a start-up; with `waitOnJob` slot 2 waits for "job", which runs until 7.2 s.
struct PassRig : Rig {
    explicit PassRig(bool waitOnJob = false) {
        for (int n = 1; n <= 3; ++n) {
            h.form->slot(n).enable.setValue(1);
            store("TASK_" + std::to_string(n) + "_CMD", h.form->slot(n).command, "cmd-" + std::to_string(n));
        }
        if (waitOnJob) {
            h.form->slot(2).pause.setValue(1);
            store("TASK_2_PROCESS_NAME_TEXTBOX", h.form->slot(2).processName, "job");
            h.platform.setProcessCountUntil("job", 1, 7200);
        }
    }
    void store(const std::string& key, std::string& field, const std::string& text) {
        h.seed(key, text);
        field = text;
    }
    // As the autostart countdown does; slots tick at 1 s, 3 s, 5 s.
    void startPass() { h.form->slot(1).mainTimer.setEnabled(true); }
    std::vector<std::string> calls(Op op) const {
        std::vector<std::string> out;
        for (const auto& c : h.platform.callsOf(op)) out.push_back(std::to_string(c.at) + " " + c.text);
        return out;
    }
    std::vector<std::string> launched() const { return calls(Op::LaunchCommand); }
    std::vector<std::string> polls() const { return calls(Op::CountProcesses); }
};

TEST(DuringAPass, ACommandSavedBeforeItsSlotsTickIsTheOneLaunchedFromEitherWindow) {
    for (const bool allSettings : {false, true}) {
        PassRig r;
        r.startPass();
        r.h.vt.advance(2500);  // slot 1 has run; slot 2 is due at 3000
        // The window stays open while the slot runs.
        if (allSettings) {
            r.withAll([&](SettingsForm& w) {
                w.row(2).command.setText("new 2");
                w.SAVE_BUTTON.click();
                r.h.vt.advance(1000);
            });
        } else {
            r.withSingle([&](SingleSettingsForm& w) {
                w.loadButton(2).click();
                w.TASK_1_CMD_TEXTBOX.setText("new 2");
                w.SAVE_BUTTON.click();
                r.h.vt.advance(1000);
            });
        }
        r.h.vt.advance(5000);
        EXPECT_EQ(r.launched(), (std::vector<std::string>{"1000 cmd-1", "3000 new 2", "5000 cmd-3"}))
            << (allSettings ? "all-settings" : "single-task");
    }
}

TEST(DuringAPass, AProcessNameSavedDuringAWaitIsUsedAtTheNextPoll) {
    PassRig r;
    r.h.form->slot(2).pause.setValue(1);
    r.h.form->slot(2).processName = "old.exe";
    r.h.platform.setProcessCount("old.exe", 1);
    r.startPass();
    r.h.vt.advance(6500);  // slot 2 launched at 3000, polls at 5000 and 6000
    r.withSingle([&](SingleSettingsForm& w) {
        w.loadButton(2).click();
        w.TASK_1_PROCESS_NAME_TEXTBOX.setText("new.exe");  // none of these run
        w.SAVE_BUTTON.click();
        r.h.vt.advance(1000);
    });
    r.h.vt.advance(3000);
    EXPECT_EQ(r.polls(), (std::vector<std::string>{"5000 old.exe", "6000 old.exe", "7000 new.exe"}));
    EXPECT_EQ(r.launched().back(), "8000 cmd-3");
}

TEST(DuringAPass, OpeningAndClosingWindowsNeitherStopsNorRestartsAnything) {
    PassRig alone(true);
    alone.startPass();
    alone.h.vt.runUntil(20'000);

    PassRig r(true);
    r.startPass();
    // Windows open and close at moments before, on and between ticks and
    // polls, nested and not, saving and cancelling.
    r.h.vt.advance(999);
    r.withSingle([&](SingleSettingsForm&) { r.h.vt.advance(1); });
    r.h.vt.advance(2400);
    r.withAll([&](SettingsForm& w) {
        r.h.vt.advance(700);
        w.CANCEL_BUTTON.click();
    });
    r.withSingle([&](SingleSettingsForm& w) {
        w.loadButton(9).click();
        w.SAVE_BUTTON.click();
        r.h.vt.advance(1300);
        w.OK_BUTTON.click();
    });
    r.withAll([&](SettingsForm& w) {
        w.SAVE_BUTTON.click();  // writes the very texts the main window holds
        r.h.vt.advance(2000);
    });
    r.h.vt.runUntil(20'000);
    EXPECT_EQ(r.h.vt.now(), 20'000);
    EXPECT_EQ(r.launched(), alone.launched());
    EXPECT_EQ(r.polls(), alone.polls());
    EXPECT_EQ(r.launched().size(), 3u);
    EXPECT_EQ(snapshot(*r.h.form), snapshot(*alone.h.form));
}

TEST(DuringAPass, DoubleClickOnALightTurnsItWhiteAtOnceAndChangesNothingElse) {
    struct Case {
        int n;
        form::Millis at;      // when the light is double-clicked
        form::Colour before;  // its colour then; 0: the box's own colour
        form::Colour after;   // at 9.5 s
    };
    // Slot 1 green from 2 s; slot 2 skipped (red) at 3 s; slot 3 launched at
    // 4 s and cyan while it waits for "job", green when the poll at 9 s finds
    // none; slot 4 not reached by 9.5 s.
    for (const Case& c : {Case{1, 2500, Green, White}, Case{2, 3500, Red, White}, Case{3, 6500, Cyan, Green},
                          Case{4, 100, 0, White}}) {
        PassRig r;
        r.h.form->slot(2).enable.setValue(0);
        r.h.form->slot(3).pause.setValue(1);
        r.h.form->slot(3).processName = "job";
        r.h.platform.setProcessCountUntil("job", 1, 8500);
        r.startPass();
        r.h.vt.runUntil(c.at);
        const form::Colour was = r.h.form->slot(c.n).light.backColour();
        if (c.before != 0) {
            EXPECT_EQ(was, c.before) << c.n;
        }
        const auto expected = snapshot(*r.h.form);
        r.h.form->slot(c.n).light.dblClick();
        EXPECT_EQ(r.h.form->slot(c.n).light.backColour(), White) << c.n;
        // Put the one change back: everything else is as it was.
        r.h.form->slot(c.n).light.setBackColour(was);
        EXPECT_EQ(snapshot(*r.h.form), expected) << c.n;
        r.h.form->slot(c.n).light.dblClick();
        r.h.vt.runUntil(9500);
        EXPECT_EQ(r.launched(), (std::vector<std::string>{"1000 cmd-1", "4000 cmd-3"})) << c.n;
        EXPECT_EQ(r.polls().size(), 4u) << c.n;
        EXPECT_TRUE(r.host.shown().empty());
        // The chain repaints a light only when it next handles the slot.
        EXPECT_EQ(r.h.form->slot(c.n).light.backColour(), c.after) << c.n;
    }
}

}  // namespace
