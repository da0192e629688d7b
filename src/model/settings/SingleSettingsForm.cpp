#include "model/settings/SingleSettingsForm.h"

#include "model/main/Announcements.h"
#include "model/main/Look.h"
#include "model/settings/SettingsForm.h"
#include "settings/Keys.h"
#include "settings/WriteGroup.h"

namespace model {

namespace keys = settings::keys;

SingleSettingsForm::SingleSettingsForm(form::Scheduler& scheduler, settings::Store& store, MainForm& main,
                                       form::WindowHost& host, platform::Platform& platform)
    : form::Window("VELMORA_SINGLE_SETTINGS_WINDOW", scheduler),
      store_(store),
      main_(main),
      host_(host),
      platform_(platform),
      chooser_(platform) {
    for (int n = 1; n <= kSlots; ++n) {
        auto button =
            std::make_unique<form::Button>(*this, slotName(n, "LOAD_BUTTON"), "TASK" + std::to_string(n));
        button->onClick = [this, n] { TASK_LOAD_BUTTON_Click(n); };
        loadButtons_[static_cast<std::size_t>(n - 1)] = std::move(button);
    }
    caption = "VELMORA - SINGLE SETTINGS";
    clientWidth = 11670;
    clientHeight = 4350;
    layOut();
    SAVE_BUTTON.onClick = [this] { SAVE_BUTTON_Click(); };
    BROWSE_FILE_BUTTON.onClick = [this] { BROWSE_FILE_BUTTON_Click(); };
    VIEW_ALL_SETTINGS_BUTTON.onClick = [this] { VIEW_ALL_SETTINGS_BUTTON_Click(); };
    OK_BUTTON.onClick = [this] { OK_BUTTON_Click(); };
}

void SingleSettingsForm::layOut() {
    look::banner(TARNHOLT_TITLE, {120, 120, 3495, 360});
    look::banner(VELMORA_TITLE, {3720, 120, 4215, 360});
    look::banner(SINGLE_SETTINGS_LABEL, {8040, 120, 3495, 360});

    // Two rows of ten; the keyboard visits them after "OK".
    for (int n = 1; n <= kSlots; ++n) {
        form::Button& b = loadButton(n);
        b.box = {480 + 1080 * ((n - 1) % 10), n <= 10 ? 600 : 1200, 975, 375};
        b.tabIndex = n;
        b.setAccessibleName("Load task " + std::to_string(n));
    }
    lines.push_back({240, 1800, 11400, 1800});

    TASK_NUMBER_LABEL.box = {600, 2040, 495, 255};
    TASK_NAME_LABEL.box = {1320, 2040, 1335, 255};
    TASK_PROCESS_NAME_LABEL.box = {8040, 2040, 2295, 255};
    TASK_CMD_LABEL.box = {600, 2760, 1335, 255};

    TASK_LIGHT.box = {600, 2280, 495, 315};
    TASK_LIGHT.readOnly = true;
    TASK_LIGHT.centred = true;
    TASK_LIGHT.tabIndex = -1;  // outside the keyboard order
    TASK_1_NAME_TEXTBOX.box = {1320, 2280, 6495, 315};
    TASK_1_PROCESS_NAME_TEXTBOX.box = {8040, 2280, 3015, 315};
    TASK_1_PROCESS_NAME_TEXTBOX.setToolTip(kProcessTip);
    TASK_1_CMD_TEXTBOX.box = {960, 3000, 10095, 315};
    for (form::TextBox* t :
         {&TASK_LIGHT, &TASK_1_NAME_TEXTBOX, &TASK_1_PROCESS_NAME_TEXTBOX, &TASK_1_CMD_TEXTBOX})
        t->font = look::arialBold(8.25);
    BROWSE_FILE_BUTTON.box = {600, 3000, 375, 375};
    // Named by the label above or beside each; the picture by what it does.
    TASK_LIGHT.setAccessibleName("Loaded task");
    TASK_1_NAME_TEXTBOX.setAccessibleName(TASK_NAME_LABEL.caption());
    TASK_1_PROCESS_NAME_TEXTBOX.setAccessibleName(TASK_PROCESS_NAME_LABEL.caption());
    TASK_1_CMD_TEXTBOX.setAccessibleName(TASK_CMD_LABEL.caption());
    BROWSE_FILE_BUTTON.setAccessibleName("Select file to run");
    TASK_NUMBER_LABEL.labelFor = &TASK_LIGHT;
    TASK_NAME_LABEL.labelFor = &TASK_1_NAME_TEXTBOX;
    TASK_PROCESS_NAME_LABEL.labelFor = &TASK_1_PROCESS_NAME_TEXTBOX;
    TASK_CMD_LABEL.labelFor = &TASK_1_CMD_TEXTBOX;
    for (form::Label* banner : {&TARNHOLT_TITLE, &VELMORA_TITLE, &SINGLE_SETTINGS_LABEL})
        banner->heading = true;

    VIEW_ALL_SETTINGS_BUTTON.box = {1200, 3600, 2415, 495};
    SAVE_BUTTON.box = {4920, 3600, 2055, 495};
    OK_BUTTON.box = {8880, 3600, 1815, 495};

    OK_BUTTON.tabIndex = 0;
    OK_BUTTON.isDefault = true;
    TASK_1_NAME_TEXTBOX.tabIndex = kSlots + 1;
    TASK_1_PROCESS_NAME_TEXTBOX.tabIndex = kSlots + 2;
    BROWSE_FILE_BUTTON.tabIndex = kSlots + 3;
    TASK_1_CMD_TEXTBOX.tabIndex = kSlots + 4;
    SAVE_BUTTON.tabIndex = kSlots + 5;
    VIEW_ALL_SETTINGS_BUTTON.tabIndex = kSlots + 6;
}

void SingleSettingsForm::Form_Load() {
    place_.restore(*this);
    TASK_LIGHT.setText("");
    TASK_1_NAME_TEXTBOX.setText("");
    TASK_1_CMD_TEXTBOX.setText("");
    TASK_1_PROCESS_NAME_TEXTBOX.setText("");
}

void SingleSettingsForm::TASK_LOAD_BUTTON_Click(int n) {
    TASK_LIGHT.setText(std::to_string(n));
    TASK_1_NAME_TEXTBOX.setText(store_.get(keys::taskCaption(n)));
    TASK_1_CMD_TEXTBOX.setText(store_.get(keys::taskCommand(n)));
    TASK_1_PROCESS_NAME_TEXTBOX.setText(store_.get(keys::taskProcessName(n)));
    if (announcing()) announce(announce::loaded(n, TASK_1_NAME_TEXTBOX.text()));
}

void SingleSettingsForm::SAVE_BUTTON_Click() {
    for (int n = 1; n <= kSlots; ++n) {
        if (TASK_LIGHT.text() != std::to_string(n)) continue;
        settings::WriteGroup group(store_);  // the slot's three values as one change
        store_.save(keys::taskCaption(n), TASK_1_NAME_TEXTBOX.text());
        store_.save(keys::taskCommand(n), TASK_1_CMD_TEXTBOX.text());
        store_.save(keys::taskProcessName(n), TASK_1_PROCESS_NAME_TEXTBOX.text());
        const platform::Result saved = group.end();
        if (!saved.ok) host_.showMessage(*this, settings::saveFailure(saved.error));
        SlotRow& slot = main_.slot(n);
        slot.setCaption(TASK_1_NAME_TEXTBOX.text());
        slot.command = TASK_1_CMD_TEXTBOX.text();
        slot.processName = TASK_1_PROCESS_NAME_TEXTBOX.text();
    }
}

void SingleSettingsForm::BROWSE_FILE_BUTTON_Click() {
    chooser_.title = "Select File To Run";
    chooser_.filter = "Applications (*.exe)|*.exe|CMD Batch Files (*.bat)|*.bat|All files (*.*)|*.*";
    chooser_.defaultExtension = "exe";
    chooser_.startFolder = platform_.ProgramFolder();
    // A cancel leaves the field as the user left it.
    if (std::optional<std::string> chosen = chooser_.show()) TASK_1_CMD_TEXTBOX.setText(*chosen);
}

void SingleSettingsForm::VIEW_ALL_SETTINGS_BUTTON_Click() {
    SettingsForm all(scheduler(), store_, main_, host_);
    host_.showModal(all, *this);
}

void SingleSettingsForm::OK_BUTTON_Click() {
    Close();
}

void SingleSettingsForm::Form_Unload() {
    place_.store(*this);
}

}  // namespace model
