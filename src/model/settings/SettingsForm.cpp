#include "model/settings/SettingsForm.h"

#include "model/main/Contact.h"
#include "model/main/Look.h"
#include "settings/Keys.h"
#include "settings/WriteGroup.h"

namespace model {

namespace keys = settings::keys;

SettingsRow::SettingsRow(form::Window& window, int number)
    : n(number),
      light(window, slotName(number, "LIGHT"), std::to_string(number)),
      name(window, slotName(number, "NAME_TEXTBOX")),
      command(window, slotName(number, "CMD_TEXTBOX")),
      process(window, slotName(number, "PROCESS_NAME_TEXTBOX")) {
    // Two columns of ten rows, with room for a separator after the fifth.
    const int r = (number - 1) % 10;
    const int top = r < 5 ? 840 + 360 * r : 2760 + 360 * (r - 5);
    const int shift = number <= 10 ? 0 : 8520;
    light.box = {240 + shift, top, 495, 315};
    name.box = {720 + shift, top, 2175, 315};
    command.box = {3000 + shift, top, 3135, 315};
    process.box = {6240 + shift, top, 2295, 315};
    light.readOnly = true;
    light.centred = true;
    light.tabIndex = -1;  // outside the keyboard order
    process.setToolTip(kProcessTip);
    // Cancel first, then each slot's three fields, then Save.
    name.tabIndex = 1 + 3 * (number - 1);
    command.tabIndex = name.tabIndex + 1;
    process.tabIndex = name.tabIndex + 2;
    for (form::TextBox* box : {&light, &name, &command, &process}) box->font = look::arialBold(8.25);
    // Read as the slot's; the number box beside them says nothing more.
    const std::string slot = "Task " + std::to_string(number);
    name.setAccessibleName(slot + " display name");
    command.setAccessibleName(slot + " command");
    process.setAccessibleName(slot + " process name");
    light.decoration = true;
}

SettingsForm::SettingsForm(form::Scheduler& scheduler, settings::Store& store, MainForm& main,
                           form::WindowHost& host)
    : form::Window("VELMORA_SETTINGS", scheduler), store_(store), main_(main), host_(host) {
    for (int n = 1; n <= kSlots; ++n)
        rows_[static_cast<std::size_t>(n - 1)] = std::make_unique<SettingsRow>(*this, n);
    // From the store, not from the main window; saved in this order.
    for (int n = 1; n <= kSlots; ++n) stored_.text(row(n).name, keys::taskCaption(n));
    for (int n = 1; n <= kSlots; ++n) stored_.text(row(n).command, keys::taskCommand(n));
    for (int n = 1; n <= kSlots; ++n) stored_.text(row(n).process, keys::taskProcessName(n));
    caption = "VELMORA - SETTINGS";
    clientWidth = 17310;
    clientHeight = 5805;
    layOut();
    SAVE_BUTTON.onClick = [this] { SAVE_BUTTON_Click(); };
    CANCEL_BUTTON.onClick = [this] { CANCEL_BUTTON_Click(); };
    VELMORA_CREATOR.onClick = [this] { VELMORA_CREATOR_Click(); };
}

void SettingsForm::layOut() {
    look::banner(VELMORA_TITLE, {120, 120, 6015, 360});
    look::banner(VELMORA_VERSION, {6240, 120, 2295, 345});
    look::banner(FREEWARE_LABEL, {8760, 120, 2655, 345});
    look::banner(VELMORA_CREATOR, {11520, 120, 5655, 330});

    Label1.box = {840, 600, 1335, 255};
    Label2.box = {3120, 600, 1695, 255};
    Label3.box = {6240, 600, 2295, 255};
    Label4.box = {9360, 600, 1335, 255};
    Label5.box = {11640, 600, 1695, 255};
    Label6.box = {14760, 600, 2295, 255};
    // Banners and column headings: the fields are named each on its own.
    for (form::Label* heading : {&VELMORA_TITLE, &VELMORA_VERSION, &FREEWARE_LABEL, &VELMORA_CREATOR, &Label1,
                                 &Label2, &Label3, &Label4, &Label5, &Label6})
        heading->heading = true;

    SAVE_BUTTON.box = {6480, 4920, 1575, 615};
    SAVE_BUTTON.tabIndex = 1 + 3 * kSlots;
    CANCEL_BUTTON.box = {9240, 4920, 1575, 615};
    CANCEL_BUTTON.tabIndex = 0;
    // A click on the creator's name shows the address; the keyboard reaches
    // it last, as nothing else does what it does.
    VELMORA_CREATOR.tabIndex = SAVE_BUTTON.tabIndex + 1;

    lines.push_back({8640, 600, 8640, 4560});
    lines.push_back({240, 2640, 17040, 2640});
    lines.push_back({240, 4560, 17040, 4560});
}

void SettingsForm::Form_Load() {
    place_.restore(*this);
    stored_.load();
}

void SettingsForm::SAVE_BUTTON_Click() {
    syncGeometry();
    // All sixty-two values reach the settings file as one change, or none.
    settings::WriteGroup group(store_);
    place_.store(*this);
    stored_.save();
    const platform::Result saved = group.end();
    // The session goes on with them either way, as the store keeps them.
    for (int n = 1; n <= kSlots; ++n) main_.slot(n).setCaption(row(n).name.text());
    for (int n = 1; n <= kSlots; ++n) main_.slot(n).command = row(n).command.text();
    for (int n = 1; n <= kSlots; ++n) main_.slot(n).processName = row(n).process.text();
    if (!saved.ok) {
        host_.showMessage(*this, settings::saveFailure(saved.error));  // and Cancel stays: nothing is saved
        return;
    }
    CANCEL_BUTTON.setCaption("Close");
}

void SettingsForm::CANCEL_BUTTON_Click() {
    syncGeometry();
    place_.store(*this);
    Close();  // unloading stores the position again
}

void SettingsForm::Form_Unload() {
    place_.store(*this);
}

void SettingsForm::VELMORA_CREATOR_Click() {
    VELMORA_CREATOR.setCaption(contact::creatorOr(VELMORA_CREATOR.caption()));
}

}  // namespace model
