#pragma once

#include "form/Window.h"
#include "model/main/MainForm.h"
#include "platform/Platform.h"

namespace model {

// The main window's ways into the slots' settings: "Settings" opens the
// single-task window over it, and a double-click on a slot's status light
// turns that light white.
class SettingsWindows {
public:
    SettingsWindows(MainForm& main, form::WindowHost& host, platform::Platform& platform);
    ~SettingsWindows();
    SettingsWindows(const SettingsWindows&) = delete;
    SettingsWindows& operator=(const SettingsWindows&) = delete;

    void SETTINGS_BUTTON_Click();
    void TASK_LIGHT_DblClick(int n);

private:
    MainForm& main_;
    form::WindowHost& host_;
    platform::Platform& platform_;
};

}  // namespace model
