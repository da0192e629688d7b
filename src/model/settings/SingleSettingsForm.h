#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "form/Controls.h"
#include "form/Window.h"
#include "model/main/MainForm.h"
#include "model/main/WindowPlace.h"
#include "model/settings/FileChooser.h"
#include "platform/Platform.h"
#include "settings/Store.h"

namespace model {

// VELMORA_SINGLE_SETTINGS_WINDOW: edits one slot at a time. A slot button
// loads the slot's caption, command and process name from the store; "Save"
// writes them back and into the main window, unchanged. The loaded slot is
// the text of TASK_LIGHT ("" for none).
class SingleSettingsForm final : public form::Window {
public:
    SingleSettingsForm(form::Scheduler& scheduler, settings::Store& store, MainForm& main,
                       form::WindowHost& host, platform::Platform& platform);

    form::Label TARNHOLT_TITLE{*this, "TARNHOLT_TITLE", "TARNHOLT"};
    form::Label VELMORA_TITLE{*this, "VELMORA_TITLE", "VELMORA"};
    form::Label SINGLE_SETTINGS_LABEL{*this, "SINGLE_SETTINGS_LABEL", "SINGLE SETTINGS"};
    form::Label TASK_NUMBER_LABEL{*this, "TASK_NUMBER_LABEL", "TASK"};
    form::Label TASK_NAME_LABEL{*this, "TASK_NAME_LABEL", "TASK NAME"};
    form::Label TASK_PROCESS_NAME_LABEL{*this, "TASK_PROCESS_NAME_LABEL", "P4P - MONITOR PROCESS"};
    form::TextBox TASK_LIGHT{*this, "TASK_LIGHT"};
    form::TextBox TASK_1_NAME_TEXTBOX{*this, "TASK_1_NAME_TEXTBOX"};
    form::TextBox TASK_1_PROCESS_NAME_TEXTBOX{*this, "TASK_1_PROCESS_NAME_TEXTBOX"};
    form::Label TASK_CMD_LABEL{*this, "TASK_CMD_LABEL", "TASK COMMAND"};
    form::Button BROWSE_FILE_BUTTON{*this, "BROWSE_FILE_BUTTON"};  // shows a picture, no caption
    form::TextBox TASK_1_CMD_TEXTBOX{*this, "TASK_1_CMD_TEXTBOX"};
    form::Button VIEW_ALL_SETTINGS_BUTTON{*this, "VIEW_ALL_SETTINGS_BUTTON", "VIEW ALL SETTINGS"};
    form::Button SAVE_BUTTON{*this, "SAVE_BUTTON", "Save"};
    form::Button OK_BUTTON{*this, "OK_BUTTON", "OK"};

    // TASK_n_LOAD_BUTTON, captioned "TASKn".
    form::Button& loadButton(int n) { return *loadButtons_.at(static_cast<std::size_t>(n - 1)); }

    void Form_Load() override;
    void Form_Unload() override;
    void TASK_LOAD_BUTTON_Click(int n);
    void SAVE_BUTTON_Click();
    void BROWSE_FILE_BUTTON_Click();
    void VIEW_ALL_SETTINGS_BUTTON_Click();
    void OK_BUTTON_Click();

private:
    void layOut();

    settings::Store& store_;
    WindowPlace place_{store_, "SINGLE_SETTINGS"};
    MainForm& main_;
    form::WindowHost& host_;
    platform::Platform& platform_;
    FileChooser chooser_;
    std::array<std::unique_ptr<form::Button>, kSlots> loadButtons_;
};

}  // namespace model
