#include "model/settings/SettingsWindows.h"

#include "model/settings/SingleSettingsForm.h"

namespace model {

SettingsWindows::SettingsWindows(MainForm& main, form::WindowHost& host, platform::Platform& platform)
    : main_(main), host_(host), platform_(platform) {
    main_.SETTINGS_BUTTON.onClick = [this] { SETTINGS_BUTTON_Click(); };
    for (int n = 1; n <= kSlots; ++n) main_.slot(n).light.onDblClick = [this, n] { TASK_LIGHT_DblClick(n); };
}

SettingsWindows::~SettingsWindows() {
    main_.SETTINGS_BUTTON.onClick = nullptr;
    for (int n = 1; n <= kSlots; ++n) main_.slot(n).light.onDblClick = nullptr;
}

void SettingsWindows::SETTINGS_BUTTON_Click() {
    // A window of its own each time: empty fields, no slot, a fresh chooser.
    SingleSettingsForm window(main_.scheduler(), main_.store(), main_, host_, platform_);
    host_.showModal(window, main_);
}

// Only the light changes: the chain repaints it when it next handles the slot.
void SettingsWindows::TASK_LIGHT_DblClick(int n) {
    main_.slot(n).light.setBackColour(form::colour::White);
    main_.slot(n).tell(Light::Waiting);
}

}  // namespace model
