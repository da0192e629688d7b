#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "form/Controls.h"
#include "form/Window.h"
#include "model/main/MainForm.h"
#include "model/main/WindowPlace.h"
#include "settings/Store.h"

namespace model {

// The tooltip of the process name fields of both settings windows.
inline constexpr const char* kProcessTip =
    "Pause 4 Process - Waits for Process.exe to finish running before continuing.";

// One slot's row in the all-settings window.
struct SettingsRow {
    SettingsRow(form::Window& window, int n);

    const int n;
    form::TextBox light;    // TASK_n_LIGHT: shows n, never changes
    form::TextBox name;     // TASK_n_NAME_TEXTBOX: the slot's caption
    form::TextBox command;  // TASK_n_CMD_TEXTBOX
    form::TextBox process;  // TASK_n_PROCESS_NAME_TEXTBOX
};

// VELMORA_SETTINGS: the captions, commands and process names of all twenty
// slots at once. Filled from the store when it opens; "Save" writes all sixty
// texts to the store and into the main window, unchanged.
class SettingsForm final : public form::Window {
public:
    SettingsForm(form::Scheduler& scheduler, settings::Store& store, MainForm& main, form::WindowHost& host);

    form::Label VELMORA_TITLE{*this, "VELMORA_TITLE", "TARNHOLT - VELMORA"};
    form::Label VELMORA_VERSION{*this, "VELMORA_VERSION", "Version 1.1"};
    form::Label FREEWARE_LABEL{*this, "FREEWARE_LABEL", "!!! FREEWARE !!!"};
    form::Label VELMORA_CREATOR{*this, "VELMORA_CREATOR", "Created By BRANNIC"};
    form::Label Label1{*this, "Label1", "Display Name"};
    form::Label Label2{*this, "Label2", "Full Run Command"};
    form::Label Label3{*this, "Label3", " P-4-P - Process.exe Name"};
    form::Label Label4{*this, "Label4", "Display Name"};
    form::Label Label5{*this, "Label5", "Full Run Command"};
    form::Label Label6{*this, "Label6", " P-4-P - Process.exe Name"};
    form::Button SAVE_BUTTON{*this, "SAVE_BUTTON", "Save"};
    form::Button CANCEL_BUTTON{*this, "CANCEL_BUTTON", "Cancel"};

    SettingsRow& row(int n) { return *rows_.at(static_cast<std::size_t>(n - 1)); }

    void Form_Load() override;
    void Form_Unload() override;
    void SAVE_BUTTON_Click();
    void CANCEL_BUTTON_Click();
    void VELMORA_CREATOR_Click();

private:
    void layOut();

    settings::Store& store_;
    WindowPlace place_{store_, "SETTINGS"};
    Stored stored_{store_};
    MainForm& main_;
    form::WindowHost& host_;
    std::array<std::unique_ptr<SettingsRow>, kSlots> rows_;
};

}  // namespace model
