#pragma once

#include "engine/RunRecord.h"
#include "model/main/MainForm.h"

namespace engine {

// The autostart countdown, which begins a pass eleven seconds after it is
// armed, and the autoclose countdown, which records the result and closes
// the window eleven seconds after a pass has ended.
class Countdowns {
public:
    Countdowns(model::MainForm& form, RunRecord& record);

    void AUTOSTART_TIMER_Timer();
    void AUTOSTART_START_BUTTON_Click();
    void AUTOSTART_TIMER_TEXTBOX_DblClick();

    void AUTOCLOSE_TIMER_Timer();
    void AUTOCLOSE_START_BUTTON_Click();
    void AUTOCLOSE_TICKBOX_Click();
    void AUTOCLOSE_TIMER_TEXTBOX_DblClick();

    static constexpr const char* kSuccess = "COMPLETED SUCCESSFULLY";
    static constexpr const char* kErrors = "COMPLETED WITH ERRORS";

private:
    void status(const char* text, form::Colour back);

    model::MainForm& form_;
    RunRecord& record_;
};

}  // namespace engine
