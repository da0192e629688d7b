// The all-settings window: sixty fields from the store, written back all at
// once to the store and then to the main window.

#include <gtest/gtest.h>

#include "SettingsFixture.h"
#include "model/main/Contact.h"
#include "settings/Keys.h"

using namespace settingstest;
using model::SettingsForm;
using model::SingleSettingsForm;
namespace keys = settings::keys;

namespace {

using AllSettings = SettingsFixture;

std::string num(int n) {
    return std::to_string(n);
}

TEST_F(AllSettings, FreshStoreShowsDefaultsAndSaveWritesAllSixtyKeysInOrder) {
    for (int n = 1; n <= 20; ++n) h.form->slot(n).enable.setCaption("in memory " + num(n));
    withAll([&](SettingsForm& w) {
        EXPECT_EQ(w.caption, "VELMORA - SETTINGS");
        EXPECT_EQ(w.width, 17400);
        EXPECT_EQ(w.height, 6180);
        for (int n = 1; n <= 20; ++n) {
            EXPECT_EQ(w.row(n).light.text(), num(n));
            EXPECT_EQ(w.row(n).name.text(), "TASK " + num(n));
            EXPECT_EQ(w.row(n).command.text(), "");
            EXPECT_EQ(w.row(n).process.text(), "");
        }
        EXPECT_EQ(w.CANCEL_BUTTON.caption(), "Cancel");
        w.SAVE_BUTTON.click();
        EXPECT_EQ(w.CANCEL_BUTTON.caption(), "Close");
        std::vector<std::string> expected{"SETTINGS-Left=1000", "SETTINGS-Top=1000"};
        for (int n = 1; n <= 20; ++n)
            expected.push_back("TASK_" + num(n) + "_TICKBOX_CAPTION=TASK " + num(n));
        for (int n = 1; n <= 20; ++n) expected.push_back("TASK_" + num(n) + "_CMD=");
        for (int n = 1; n <= 20; ++n) expected.push_back("TASK_" + num(n) + "_PROCESS_NAME_TEXTBOX=");
        EXPECT_EQ(writes(), expected);
        w.SAVE_BUTTON.click();  // a second save writes everything again
        EXPECT_EQ(h.backend.writes.size(), 2 * expected.size());
    });
    for (int n = 1; n <= 20; ++n) EXPECT_EQ(h.form->slot(n).enable.caption(), "TASK " + num(n));
    withAll([](SettingsForm& w) { EXPECT_EQ(w.CANCEL_BUTTON.caption(), "Cancel"); });
    ASSERT_EQ(host.shown().size(), 4u);
    EXPECT_EQ(host.shown()[1].window, kAll);
    EXPECT_EQ(host.shown()[1].owner, kSingle);
}

TEST_F(AllSettings, EveryFieldGoesToItsOwnSlotInTheMainWindow) {
    withAll([](SettingsForm& w) {
        for (int n = 1; n <= 20; ++n) {
            w.row(n).name.setText("name " + num(n));
            w.row(n).command.setText("cmd " + num(n));
            w.row(n).process.setText("proc" + num(n));
        }
        w.SAVE_BUTTON.click();
    });
    for (int n = 1; n <= 20; ++n) {
        EXPECT_EQ(h.form->slot(n).enable.caption(), "name " + num(n));
        EXPECT_EQ(h.form->slot(n).command, "cmd " + num(n));
        EXPECT_EQ(h.form->slot(n).processName, "proc" + num(n));
        EXPECT_EQ(h.stored(keys::taskProcessName(n)), "proc" + num(n));
    }
}

TEST_F(AllSettings, CancelDiscardsEditsAndStoresThePositionTwiceTheCloseBoxOnce) {
    h.seed("TASK_4_CMD", "kept");
    const auto before = snapshot(*h.form);
    struct Case {
        const char* how;
        std::vector<std::string> writes;
    };
    for (const Case& c :
         {Case{"cancel",
               {"SETTINGS-Left=3000", "SETTINGS-Top=450", "SETTINGS-Left=3000", "SETTINGS-Top=450"}},
          Case{"close box", {"SETTINGS-Left=3000", "SETTINGS-Top=450"}}}) {
        h.backend.writes.clear();
        withAll([&](SettingsForm& w) {
            w.row(4).command.setText("edited");
            w.left = 3000;
            w.top = 450;
            if (std::string(c.how) == "cancel") w.CANCEL_BUTTON.click();
        });
        // The single-task window beneath stores its own position as it closes.
        std::vector<std::string> all = writes();
        all.resize(c.writes.size());
        EXPECT_EQ(all, c.writes) << c.how;
        EXPECT_EQ(h.backend.writes.size(), c.writes.size() + 2) << c.how;
        EXPECT_EQ(h.stored("TASK_4_CMD"), "kept");
        EXPECT_EQ(snapshot(*h.form), before) << c.how;
    }
}

TEST_F(AllSettings, CreatorClickShowsTheAddressAndChangesNothingElse) {
    withAll([&](SettingsForm& w) {
        w.VELMORA_CREATOR.click();
        // A build without the maker's address keeps the name.
        const std::string email = model::contact::kCreatorEmail;
        EXPECT_EQ(w.VELMORA_CREATOR.caption(), email.empty() ? "Created By BRANNIC" : email);
        EXPECT_TRUE(h.backend.writes.empty());
        EXPECT_EQ(w.CANCEL_BUTTON.caption(), "Cancel");
    });
    withAll([](SettingsForm& w) { EXPECT_EQ(w.VELMORA_CREATOR.caption(), "Created By BRANNIC"); });
}

TEST_F(AllSettings, TheSingleTaskWindowBeneathKeepsItsOlderTextsAndALaterSaveWritesThem) {
    h.seed("TASK_5_CMD", "first");
    host.whileOpen(kAll, [](form::Window& w) {
        auto& all = static_cast<SettingsForm&>(w);
        EXPECT_EQ(all.row(5).command.text(), "first");
        all.row(5).command.setText("newer");
        all.SAVE_BUTTON.click();
    });
    withSingle([&](SingleSettingsForm& w) {
        w.loadButton(5).click();
        w.VIEW_ALL_SETTINGS_BUTTON.click();
        EXPECT_EQ(h.stored("TASK_5_CMD"), "newer");
        EXPECT_EQ(w.TASK_1_CMD_TEXTBOX.text(), "first") << "not refreshed by the save above it";
        EXPECT_EQ(w.TASK_LIGHT.text(), "5");
        w.SAVE_BUTTON.click();
    });
    EXPECT_EQ(h.stored("TASK_5_CMD"), "first");
    EXPECT_EQ(h.form->slot(5).command, "first");
}

}  // namespace

namespace {

// Each "Save" and each storing of a window's place is one change of the
// settings file, so a program killed in the middle leaves all of it or none.
TEST_F(AllSettings, EachSaveAndEachStoredPlaceIsOneChangeOfTheFile) {
    withAll([&](SettingsForm& w) {
        h.backend.replaces = 0;
        w.SAVE_BUTTON.click();
        EXPECT_EQ(h.backend.replaces, 1) << "sixty-two values";
        w.CANCEL_BUTTON.click();
        EXPECT_EQ(h.backend.replaces, 3) << "the button's place, then the unload's";
    });
    withSingle([&](SingleSettingsForm& w) {
        w.loadButton(4).click();
        h.backend.replaces = 0;
        w.SAVE_BUTTON.click();
        EXPECT_EQ(h.backend.replaces, 1) << "the slot's three values";
        w.OK_BUTTON.click();
        EXPECT_EQ(h.backend.replaces, 2);
    });
}

}  // namespace

namespace {

// A save the store refuses is said in a message box over the window, and the
// all-settings window keeps its Cancel, as nothing was saved.
TEST_F(AllSettings, ARefusedSaveIsSaidInAMessageBoxAndNothingLooksSaved) {
    h.backend.refusal = "Access is denied";
    const std::string said = "The settings could not be saved: Access is denied.";
    withAll([&](SettingsForm& w) {
        w.row(3).command.setText("tool --now");
        w.SAVE_BUTTON.click();
        EXPECT_EQ(w.CANCEL_BUTTON.caption(), "Cancel");
    });
    withSingle([&](SingleSettingsForm& w) {
        w.loadButton(4).click();
        w.TASK_1_CMD_TEXTBOX.setText("other");
        w.SAVE_BUTTON.click();
    });
    ASSERT_EQ(host.messages().size(), 2u);
    EXPECT_EQ(host.messages()[0].window, said);
    EXPECT_EQ(host.messages()[0].owner, kAll);
    EXPECT_EQ(host.messages()[1].window, said);
    EXPECT_EQ(host.messages()[1].owner, kSingle);
    EXPECT_TRUE(h.backend.writes.empty());
    // The session goes on with what was typed.
    EXPECT_EQ(h.form->slot(3).command, "tool --now");
    EXPECT_EQ(h.form->slot(4).command, "other");
    // The main window's shut-down keeps the reason for the program to show.
    EXPECT_EQ(h.form->shutdownSaveFailure(), "");
    h.form->Close();
    EXPECT_EQ(h.form->shutdownSaveFailure(), "Access is denied");
}

}  // namespace
