#include <gtest/gtest.h>

#include <set>

#include "form/TimeValue.h"
#include "support/Harness.h"

using form::colour::Black;
using form::colour::Green;
using form::colour::Red;
using testing_support::Harness;

namespace {

TEST(MainFormStartUp, FirstRunWithAnEmptyStoreShowsEveryDefault) {
    Harness h;
    h.load();
    model::MainForm& f = *h.form;
    EXPECT_EQ(f.left, 1000);
    EXPECT_EQ(f.top, 1000);
    EXPECT_EQ(f.width, 5865);
    EXPECT_EQ(f.height, 8550);
    EXPECT_EQ(f.caption, "VELMORA - velmora");
    EXPECT_EQ(f.APP_EXE_NAME_LABEL.caption(), "velmora");
    EXPECT_EQ(f.LAST_RUN_TEXTBOX.text(), "");
    EXPECT_EQ(f.LAST_RUN_TEXTBOX.backColour(), Red);
    EXPECT_EQ(f.LAST_RUN_TEXTBOX.foreColour(), Black);
    EXPECT_EQ(f.AlwaysOnTopTimer_TICKBOX.value(), 1);
    EXPECT_TRUE(f.AlwaysOnTopTimer.enabled());
    EXPECT_EQ(f.AlwaysOnTopTimer.interval(), 1000);
    for (int n = 1; n <= model::kSlots; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(f.slot(n).enable.value(), 0);
        EXPECT_EQ(f.slot(n).pause.value(), 0);
        EXPECT_EQ(f.slot(n).enable.caption(), "TASK " + std::to_string(n));
        EXPECT_EQ(f.slot(n).command, "");
        EXPECT_EQ(f.slot(n).processName, "");
        EXPECT_FALSE(f.slot(n).mainTimer.enabled());
        EXPECT_FALSE(f.slot(n).watcherTimer.enabled());
    }
    EXPECT_EQ(f.AUTOSTART_TICKBOX.value(), 0);
    EXPECT_EQ(f.AUTOCLOSE_TICKBOX.value(), 0);
    EXPECT_EQ(f.RIVA_AUTOSTART_TICKBOX.value(), 0);
    EXPECT_FALSE(f.AUTOSTART_TIMER.enabled());
    EXPECT_FALSE(f.AUTOCLOSE_TIMER.enabled());
    EXPECT_FALSE(f.HEARTBEAT_TIMER.enabled());
    EXPECT_EQ(f.AUTOSTART_START_BUTTON.caption(), "START");
    EXPECT_EQ(f.RIVA_START_BUTTON.caption(), "START");
    EXPECT_TRUE(f.SETTINGS_BUTTON.enabled());
    EXPECT_FALSE(f.AUTOCLOSE_START_BUTTON.enabled());
    for (auto& lamp : f.RIVA_LABEL) EXPECT_EQ(lamp->backColour(), Red);
    EXPECT_EQ(form::formatClock(f.HEARTBEAT_REMAINING), "00:05:01");
    EXPECT_EQ(form::formatClock(f.AUTOSTART_REMAINING), "00:00:11");
}

TEST(MainFormStartUp, FirstRunReadsEveryMainWindowKeyOnceAndWritesNothing) {
    Harness h;
    h.store = std::make_unique<settings::Store>(h.backend, h.section);
    h.form = std::make_unique<model::MainForm>(h.vt.scheduler, *h.store, h.section, h.platform);
    h.engine = std::make_unique<engine::Engine>(*h.form, h.platform);
    h.form->Form_Load();
    EXPECT_TRUE(h.backend.writes.empty());
    // 4 geometry + status + 4 feature ticks + 5 per slot.
    EXPECT_EQ(h.backend.reads.size(), 9u + 5u * model::kSlots);
    std::set<std::string> distinct;
    for (const auto& r : h.backend.reads) distinct.insert(r.key);
    EXPECT_EQ(distinct.size(), h.backend.reads.size());
}

TEST(MainFormStartUp, RestoresTicksCaptionsCommandsNamesAndStatus) {
    Harness h;
    h.seed("MAIN-Left", "3000");
    h.seed("MAIN-Top", "-45");
    h.seed("LAST_RUN", "COMPLETED SUCCESSFULLY");
    h.seed("AlwaysOnTopTimer_TICKBOX", "0");
    h.seed("AUTOCLOSE_TICKBOX", "1");
    h.seed("TASK_3_ENABLE_TICKBOX", "1");
    h.seed("TASK_20_PAUSE_TICKBOX", "1");
    h.seed("TASK_3_TICKBOX_CAPTION", "Mail client");
    h.seed("TASK_4_TICKBOX_CAPTION", "");
    h.seed("TASK_3_CMD", "\"/opt/my apps/mail\" --quiet");
    h.seed("TASK_20_PROCESS_NAME_TEXTBOX", "backup-job");
    h.load();
    model::MainForm& f = *h.form;
    EXPECT_EQ(f.left, 3000);
    EXPECT_EQ(f.top, -45);
    EXPECT_EQ(f.LAST_RUN_TEXTBOX.text(), "COMPLETED SUCCESSFULLY");
    EXPECT_EQ(f.LAST_RUN_TEXTBOX.backColour(), Green);
    EXPECT_EQ(f.AlwaysOnTopTimer_TICKBOX.value(), 0);
    EXPECT_FALSE(f.AlwaysOnTopTimer.enabled());
    EXPECT_EQ(f.slot(3).enable.value(), 1);
    EXPECT_EQ(f.slot(20).pause.value(), 1);
    EXPECT_EQ(f.slot(3).enable.caption(), "Mail client");
    EXPECT_EQ(f.slot(4).enable.caption(), "");  // stored empty stays empty
    EXPECT_EQ(f.slot(3).command, "\"/opt/my apps/mail\" --quiet");
    EXPECT_EQ(f.slot(20).processName, "backup-job");
    EXPECT_FALSE(f.AUTOCLOSE_TIMER.enabled());
}

TEST(MainFormStartUp, StatusLineIsGreenOnlyForTheExactSuccessText) {
    for (const char* text : {"completed successfully", "COMPLETED SUCCESSFULLY ", " COMPLETED SUCCESSFULLY",
                             "RUNNING...", "COMPLETED WITH ERRORS", ""}) {
        Harness h;
        h.seed("LAST_RUN", text);
        h.load();
        EXPECT_EQ(h.form->LAST_RUN_TEXTBOX.backColour(), Red) << '"' << text << '"';
        EXPECT_EQ(h.form->LAST_RUN_TEXTBOX.text(), text);
    }
}

TEST(MainFormStartUp, AutocloseButtonIsEnabledExactlyWhenItsBoxIsRestoredTicked) {
    for (const char* stored : {"0", "1", "2", "junk"}) {
        Harness h;
        h.seed("AUTOCLOSE_TICKBOX", stored);
        h.load();
        EXPECT_EQ(h.form->AUTOCLOSE_START_BUTTON.enabled(), std::string(stored) == "1") << stored;
        EXPECT_FALSE(h.form->AUTOCLOSE_TIMER.enabled());
    }
}

TEST(MainFormStartUp, StoredAutostartArmsTheCountdownAndRivaTheScannerAndHeartbeat) {
    Harness h;
    h.seed("AUTOSTART_TICKBOX", "1");
    h.seed("RIVA_AUTOSTART_TICKBOX", "1");
    h.load();
    model::MainForm& f = *h.form;
    EXPECT_TRUE(f.AUTOSTART_TIMER.enabled());
    EXPECT_EQ(f.AUTOSTART_START_BUTTON.caption(), "STOP");
    EXPECT_FALSE(f.SETTINGS_BUTTON.enabled());
    EXPECT_TRUE(f.HEARTBEAT_TIMER.enabled());
    EXPECT_TRUE(f.RIVA_RED_TIMER[0]->enabled());
    EXPECT_EQ(f.RIVA_RED_TIMER[0]->interval(), 100);
    EXPECT_EQ(f.RIVA_START_BUTTON.caption(), "STOP");
    EXPECT_EQ(f.NUMLOCK_TIMER_1.interval(), 750);
}

TEST(MainFormStartUp, UnparsableGeometryAndTicksFallBackToTheDefaults) {
    Harness h;
    h.seed("MAIN-Left", "left");
    h.seed("MAIN-Width", "");
    h.seed("AlwaysOnTopTimer_TICKBOX", "7");
    h.seed("TASK_1_ENABLE_TICKBOX", "-1");
    h.load();
    EXPECT_EQ(h.form->left, 1000);
    EXPECT_EQ(h.form->width, 5865);
    EXPECT_EQ(h.form->AlwaysOnTopTimer_TICKBOX.value(), 1);
    EXPECT_EQ(h.form->slot(1).enable.value(), 0);
}

TEST(MainFormShutDown, WritesExactlyTheFortySevenValuesInOrder) {
    Harness h;
    h.seed("MAIN-Width", "6000");
    h.load();
    model::MainForm& f = *h.form;
    f.left = 1815;
    f.top = -120;
    f.AUTOSTART_TICKBOX.setValue(1);
    f.slot(7).enable.setValue(1);
    f.slot(9).pause.setValue(1);
    f.LAST_RUN_TEXTBOX.setText("AUTOSTART - MANUAL STOP");
    f.slot(2).enable.setCaption("changed on screen only");
    f.Close();
    ASSERT_TRUE(f.unloaded());
    EXPECT_EQ(h.backend.replaces, 1) << "one change of the store for the whole shut-down";
    const auto& w = h.backend.writes;
    ASSERT_EQ(w.size(), 47u);
    EXPECT_EQ(w[0].key, "MAIN-Left");
    EXPECT_EQ(w[0].value, "1815");
    EXPECT_EQ(w[1].key, "MAIN-Top");
    EXPECT_EQ(w[1].value, "-120");
    EXPECT_EQ(w[2].key, "AlwaysOnTopTimer_TICKBOX");
    EXPECT_EQ(w[3].key, "AUTOSTART_TICKBOX");
    EXPECT_EQ(w[3].value, "1");
    EXPECT_EQ(w[4].key, "AUTOCLOSE_TICKBOX");
    EXPECT_EQ(w[5].key, "RIVA_AUTOSTART_TICKBOX");
    for (int n = 1; n <= model::kSlots; ++n) {
        EXPECT_EQ(w[5 + n].key, "TASK_" + std::to_string(n) + "_ENABLE_TICKBOX");
        EXPECT_EQ(w[5 + n].value, n == 7 ? "1" : "0");
        EXPECT_EQ(w[25 + n].key, "TASK_" + std::to_string(n) + "_PAUSE_TICKBOX");
        EXPECT_EQ(w[25 + n].value, n == 9 ? "1" : "0");
    }
    EXPECT_EQ(w[46].key, "LAST_RUN");
    EXPECT_EQ(w[46].value, "AUTOSTART - MANUAL STOP");
    for (const auto& x : w) {
        EXPECT_EQ(x.section, "velmora");
        EXPECT_NE(x.key, "MAIN-Width");
        EXPECT_NE(x.key, "MAIN-Height");
    }
    EXPECT_EQ(h.stored("MAIN-Width"), "6000");
    EXPECT_FALSE(h.stored("MAIN-Height").has_value());

    // Closing again (the system asking too) writes nothing more.
    f.Close();
    f.Form_Unload();
    EXPECT_EQ(h.backend.writes.size(), 47u);
    EXPECT_EQ(h.backend.replaces, 1);
}

TEST(MainFormShutDown, TimersStopWithTheWindow) {
    Harness h;
    h.seed("AUTOSTART_TICKBOX", "1");
    h.load();
    h.form->Close();
    EXPECT_FALSE(h.form->AUTOSTART_TIMER.enabled());
    EXPECT_FALSE(h.vt.scheduler.nextDue().has_value());
}

TEST(MainFormSections, RenamingTheExecutableStartsFromDefaultsAndLeavesTheOldSection) {
    Harness first("velmora");
    first.load();
    first.form->slot(5).enable.setValue(1);
    first.form->Close();

    Harness renamed("velmora-work");
    renamed.backend = first.backend;  // the same store on disk
    renamed.load();
    EXPECT_EQ(renamed.form->caption, "VELMORA - velmora-work");
    EXPECT_EQ(renamed.form->slot(5).enable.value(), 0);
    renamed.form->slot(6).enable.setValue(1);
    renamed.form->Close();
    EXPECT_EQ(renamed.backend.value("velmora", "TASK_5_ENABLE_TICKBOX"), "1");
    EXPECT_EQ(renamed.backend.value("velmora", "TASK_6_ENABLE_TICKBOX"), "0");
    EXPECT_EQ(renamed.backend.value("velmora-work", "TASK_6_ENABLE_TICKBOX"), "1");
    for (const auto& w : renamed.backend.writes) EXPECT_EQ(w.section, "velmora-work");
}

TEST(MainFormLayout, ControlsSitAtTheirTwipBoxesWithTheirTabOrder) {
    Harness h;
    h.load();
    model::MainForm& f = *h.form;
    EXPECT_EQ(f.slot(1).light.box, (form::Rect{120, 2400, 375, 255}));
    EXPECT_EQ(f.slot(20).enable.box, (form::Rect{600, 6960, 4095, 255}));
    EXPECT_EQ(f.slot(20).pause.box, (form::Rect{4800, 6960, 735, 255}));
    EXPECT_EQ(f.RIVA_LABEL[6]->box, (form::Rect{2880 + 240 * 6, 7680, 255, 135}));
    EXPECT_EQ(f.slot(20).light.tabIndex, 75);
    EXPECT_EQ(f.slot(20).enable.tabIndex, 47);
    EXPECT_EQ(f.slot(20).pause.tabIndex, 48);
    // Every visible control ends left of x = 5655; only the headings lie beyond.
    std::set<int> tabs;
    for (form::Control* c : f.controls()) {
        const bool heading = c == &f.CMD_HEADING || c == &f.PROCESS_HEADING;
        EXPECT_EQ(c->box.left + c->box.width <= 5655, !heading) << c->name();
        if (c->tabIndex >= 0) {
            EXPECT_TRUE(tabs.insert(c->tabIndex).second) << c->name();
        }
    }
    EXPECT_EQ(f.lines.size(), 8u);
}

}  // namespace
