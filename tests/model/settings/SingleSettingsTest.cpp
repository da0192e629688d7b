// The single-task settings window: one slot at a time, loaded from the store,
// saved to the store and then to the main window, texts untouched.

#include <gtest/gtest.h>

#include "SettingsFixture.h"
#include "settings/Keys.h"

using namespace settingstest;
using model::SingleSettingsForm;
using Op = platform::FakePlatform::Op;

namespace {

using SingleSettings = SettingsFixture;

TEST_F(SingleSettings, OpensEmptyOverTheMainWindowAndSaveWithoutASlotWritesNothing) {
    for (int n = 1; n <= 20; ++n) h.seed(settings::keys::taskCommand(n), "stored-" + std::to_string(n));
    const auto before = snapshot(*h.form);
    withSingle([&](SingleSettingsForm& w) {
        EXPECT_EQ(w.caption, "VELMORA - SINGLE SETTINGS");
        EXPECT_EQ(w.left, 1000);
        EXPECT_EQ(w.top, 1000);
        EXPECT_EQ(w.width, 11760);
        EXPECT_EQ(w.height, 4725);
        for (auto* t :
             {&w.TASK_LIGHT, &w.TASK_1_NAME_TEXTBOX, &w.TASK_1_CMD_TEXTBOX, &w.TASK_1_PROCESS_NAME_TEXTBOX})
            EXPECT_EQ(t->text(), "") << t->name();
        w.TASK_LIGHT.setText("21");  // no slot of that number: nothing matches
        w.SAVE_BUTTON.click();
        w.TASK_LIGHT.setText(" 3");  // only the plain decimal text names a slot
        w.SAVE_BUTTON.click();
        EXPECT_TRUE(h.backend.writes.empty());
    });
    ASSERT_EQ(host.shown().size(), 1u);
    EXPECT_EQ(host.shown()[0].owner, "VELMORA_MAIN");
    // The close box stores the position once; width and height never.
    EXPECT_EQ(writes(), (std::vector<std::string>{"SINGLE_SETTINGS-Left=1000", "SINGLE_SETTINGS-Top=1000"}));
    EXPECT_EQ(snapshot(*h.form), before);
}

TEST_F(SingleSettings, SlotButtonLoadsFromTheStoreAndSaveWritesStoreThenMainWindow) {
    // The main window holds other texts than the store: the window reads the store.
    h.form->slot(7).command = "in memory only";
    h.form->slot(7).enable.setCaption("in memory only");
    h.form->slot(7).enable.setValue(1);
    h.form->slot(7).pause.setValue(1);
    std::vector<std::string> order;
    h.form->slot(7).enable.setObserver(
        [&](form::Property) { order.push_back("caption after " + std::to_string(h.backend.writes.size())); });
    auto before = snapshot(*h.form);
    withSingle([&](SingleSettingsForm& w) {
        std::string said;
        w.onAnnounce = [&said](const std::string& s) { said = s; };
        w.loadButton(7).click();
        EXPECT_EQ(said, "Task 7 loaded: TASK 7");
        EXPECT_EQ(w.TASK_LIGHT.text(), "7");
        EXPECT_EQ(w.TASK_1_NAME_TEXTBOX.text(), "TASK 7");
        EXPECT_EQ(w.TASK_1_CMD_TEXTBOX.text(), "");
        EXPECT_EQ(w.TASK_1_PROCESS_NAME_TEXTBOX.text(), "");
        w.SAVE_BUTTON.click();
        EXPECT_EQ(writes(), (std::vector<std::string>{"TASK_7_TICKBOX_CAPTION=TASK 7",
                                                      "TASK_7_CMD=", "TASK_7_PROCESS_NAME_TEXTBOX="}));
        EXPECT_EQ(w.TASK_LIGHT.text(), "7") << "saving keeps the slot loaded";
    });
    EXPECT_EQ(order, (std::vector<std::string>{"caption after 3"}));
    // Only slot 7's caption, command and process name changed.
    before["TASK_7_ENABLE_TICKBOX"] = snapshot(*h.form)["TASK_7_ENABLE_TICKBOX"];
    before["cmd7"] = "";
    EXPECT_EQ(snapshot(*h.form), before);
    EXPECT_EQ(h.form->slot(7).enable.caption(), "TASK 7");
    EXPECT_TRUE(h.form->slot(7).enable.ticked());
    EXPECT_TRUE(h.form->slot(7).pause.ticked());
}

TEST_F(SingleSettings, UnsavedEditsAreDroppedBySlotButtonsAndByClosing) {
    h.seed("TASK_3_CMD", "old-3");
    h.seed("TASK_8_CMD", "old-8");
    withSingle([&](SingleSettingsForm& w) {
        w.loadButton(3).click();
        w.TASK_1_CMD_TEXTBOX.setText("edited-3");
        w.loadButton(8).click();
        EXPECT_EQ(w.TASK_1_CMD_TEXTBOX.text(), "old-8");
        w.TASK_1_CMD_TEXTBOX.setText("edited-8");
        w.loadButton(8).click();  // the same slot again reloads it
        EXPECT_EQ(w.TASK_1_CMD_TEXTBOX.text(), "old-8");
        w.SAVE_BUTTON.click();
        w.TASK_1_CMD_TEXTBOX.setText("never saved");
        w.OK_BUTTON.click();
    });
    EXPECT_EQ(writes(), (std::vector<std::string>{"TASK_8_TICKBOX_CAPTION=TASK 8", "TASK_8_CMD=old-8",
                                                  "TASK_8_PROCESS_NAME_TEXTBOX=", "SINGLE_SETTINGS-Left=1000",
                                                  "SINGLE_SETTINGS-Top=1000"}));
    EXPECT_EQ(h.stored("TASK_3_CMD"), "old-3");
    EXPECT_EQ(h.form->slot(3).command, "");  // as the main window loaded it
    EXPECT_EQ(h.form->slot(8).command, "old-8");
}

TEST_F(SingleSettings, ReopensWhereItWasLeftWithTheStoredSize) {
    h.seed("SINGLE_SETTINGS-Width", "13000");
    h.seed("SINGLE_SETTINGS-Height", "5000");
    withSingle([](SingleSettingsForm& w) {
        w.left = 2220.5f;  // moved by the user
        w.top = -300;
    });
    h.backend.writes.clear();
    withSingle([](SingleSettingsForm& w) {
        EXPECT_EQ(w.left, 2220.5f);
        EXPECT_EQ(w.top, -300);
        EXPECT_EQ(w.width, 13000);
        EXPECT_EQ(w.height, 5000);
        w.OK_BUTTON.click();
    });
    EXPECT_EQ(writes(),
              (std::vector<std::string>{"SINGLE_SETTINGS-Left=2220.5", "SINGLE_SETTINGS-Top=-300"}));
}

TEST_F(SingleSettings, BrowseFillsTheCommandFieldOnAConfirmedChoiceAndACancelLeavesIt) {
    h.platform.setProgramFolder("/opt/velmora tools");
    h.seed("TASK_2_CMD", "stored");
    struct Step {
        std::optional<std::string> answer;  // nullopt: the user cancels
        std::string field;                  // the command field afterwards
    };
    const std::vector<Step> firstOpening{
        {std::nullopt, "stored"},  // a cancel keeps what the field holds
        {"/opt/velmora tools/run me", "/opt/velmora tools/run me"},
        {std::nullopt, "/opt/velmora tools/run me"},
        {"/usr/bin/tool", "/usr/bin/tool"},
        {std::nullopt, "/usr/bin/tool"},
    };
    const std::vector<Step> afterAnEdit{
        {std::nullopt, "typed"},
        {"/bin/other", "/bin/other"},
    };
    withSingle([&](SingleSettingsForm& w) {
        w.loadButton(2).click();
        w.TASK_1_NAME_TEXTBOX.setText("kept");
        for (const Step& step : firstOpening) {
            h.platform.queueChooserAnswer(step.answer);
            w.BROWSE_FILE_BUTTON.click();
            EXPECT_EQ(w.TASK_1_CMD_TEXTBOX.text(), step.field);
        }
        EXPECT_EQ(w.TASK_1_NAME_TEXTBOX.text(), "kept");
        EXPECT_EQ(w.TASK_LIGHT.text(), "2");
    });
    // Nothing was saved; a cancel after an edit keeps the edit.
    EXPECT_EQ(h.stored("TASK_2_CMD"), "stored");
    EXPECT_EQ(h.form->slot(2).command, "");
    withSingle([&](SingleSettingsForm& w) {
        w.TASK_1_CMD_TEXTBOX.setText("typed");
        for (const Step& step : afterAnEdit) {
            h.platform.queueChooserAnswer(step.answer);
            w.BROWSE_FILE_BUTTON.click();
            EXPECT_EQ(w.TASK_1_CMD_TEXTBOX.text(), step.field);
        }
    });
    ASSERT_EQ(h.platform.chooserRequests().size(), firstOpening.size() + afterAnEdit.size());
    for (const auto& request : h.platform.chooserRequests()) {
        EXPECT_EQ(request.title, "Select File To Run");
        EXPECT_EQ(request.filter,
                  "Applications (*.exe)|*.exe|CMD Batch Files (*.bat)|*.bat|All files (*.*)|*.*");
        EXPECT_EQ(request.defaultExtension, "exe");
        EXPECT_EQ(request.startFolder, "/opt/velmora tools");
    }
}

}  // namespace
