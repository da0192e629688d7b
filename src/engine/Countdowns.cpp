#include "engine/Countdowns.h"

#include "form/TimeValue.h"
#include "model/main/Announcements.h"
#include "settings/Keys.h"

namespace engine {

using namespace form::colour;

Countdowns::Countdowns(model::MainForm& form, RunRecord& record) : form_(form), record_(record) {
    form_.AUTOSTART_TIMER.onTick = [this] { AUTOSTART_TIMER_Timer(); };
    form_.AUTOSTART_START_BUTTON.onClick = [this] { AUTOSTART_START_BUTTON_Click(); };
    form_.AUTOSTART_TIMER_TEXTBOX.onDblClick = [this] { AUTOSTART_TIMER_TEXTBOX_DblClick(); };
    form_.AUTOCLOSE_TIMER.onTick = [this] { AUTOCLOSE_TIMER_Timer(); };
    form_.AUTOCLOSE_START_BUTTON.onClick = [this] { AUTOCLOSE_START_BUTTON_Click(); };
    form_.AUTOCLOSE_TICKBOX.onClick = [this] { AUTOCLOSE_TICKBOX_Click(); };
    form_.AUTOCLOSE_TIMER_TEXTBOX.onDblClick = [this] { AUTOCLOSE_TIMER_TEXTBOX_DblClick(); };
}

void Countdowns::status(const char* text, form::Colour back) {
    form_.LAST_RUN_TEXTBOX.setText(text);
    form_.LAST_RUN_TEXTBOX.setBackColour(back);
    form_.LAST_RUN_TEXTBOX.setForeColour(Black);
}

void Countdowns::AUTOSTART_TIMER_Timer() {
    status("RUNNING...", Green);
    form_.AUTOSTART_REMAINING -= form::kOneSecond;
    form::TextBox& display = form_.AUTOSTART_TIMER_TEXTBOX;
    display.setText(form::formatSeconds(form_.AUTOSTART_REMAINING));
    if (display.text() != "00") return;

    display.setText("-- --");
    if (form_.slot(1).enable.ticked()) {
        record_.newPass();
        form_.slot(1).mainTimer.setEnabled(true);
        form_.AUTOSTART_TIMER.setEnabled(false);
        return;
    }
    form_.AUTOSTART_TIMER.setEnabled(false);
    record_.note("pass not run: slot 1 is not enabled, so no slot starts");
    const bool autoclose = form_.AUTOCLOSE_TICKBOX.ticked();
    form_.AUTOCLOSE_TIMER.setEnabled(autoclose);
    form_.AUTOCLOSE_START_BUTTON.setCaption(autoclose ? "STOP" : "START");
    if (form_.announcing()) form_.announce(model::announce::noPass(form_));
}

void Countdowns::AUTOSTART_START_BUTTON_Click() {
    if (form_.AUTOSTART_START_BUTTON.caption() == "START") {
        form_.AUTOSTART_START_BUTTON.setCaption("STOP");
        form_.SETTINGS_BUTTON.setEnabled(false);
        form_.AUTOSTART_TIMER.setEnabled(true);
        status("AUTOSTART - MANUAL START", Green);
    } else {
        form_.AUTOSTART_START_BUTTON.setCaption("START");
        form_.SETTINGS_BUTTON.setEnabled(true);
        form_.AUTOSTART_TIMER.setEnabled(false);
        status("AUTOSTART - MANUAL STOP", Red);
    }
}

void Countdowns::AUTOSTART_TIMER_TEXTBOX_DblClick() {
    form_.AUTOSTART_REMAINING = form::timeValue("00:00:11");
    form_.AUTOSTART_TIMER_TEXTBOX.setText("11");
}

void Countdowns::AUTOCLOSE_TIMER_Timer() {
    if (!form_.AUTOCLOSE_TICKBOX.ticked()) {
        form_.AUTOCLOSE_START_BUTTON.setCaption("START");
        return;
    }
    form_.AUTOCLOSE_START_BUTTON.setCaption("STOP");
    form_.AUTOCLOSE_REMAINING -= form::kOneSecond;
    form::TextBox& display = form_.AUTOCLOSE_TIMER_TEXTBOX;
    display.setText(form::formatSeconds(form_.AUTOCLOSE_REMAINING));
    if (display.text() != "00") return;

    display.setText("-- --");
    // A pass in which a slot could not start or could not be watched is not
    // a success, so the next start shows red.
    form_.LAST_RUN_TEXTBOX.setText(record_.anyFailed() ? kErrors : kSuccess);
    form_.store().save(settings::keys::LastRun, form_.LAST_RUN_TEXTBOX.text());
    form_.AUTOCLOSE_TIMER.setEnabled(false);
    form_.Close();
}

void Countdowns::AUTOCLOSE_START_BUTTON_Click() {
    if (form_.AUTOCLOSE_START_BUTTON.caption() == "START") {
        form_.AUTOCLOSE_START_BUTTON.setCaption("STOP");
        form_.SETTINGS_BUTTON.setEnabled(false);
        form_.AUTOCLOSE_TIMER.setEnabled(true);
        form_.AUTOCLOSE_TICKBOX.setEnabled(false);
        status("AUTOCLOSE - MANUAL START", Green);
    } else {
        form_.AUTOCLOSE_START_BUTTON.setCaption("START");
        form_.SETTINGS_BUTTON.setEnabled(true);
        form_.AUTOCLOSE_TIMER.setEnabled(false);
        form_.AUTOCLOSE_TICKBOX.setEnabled(true);
        status("AUTOCLOSE - MANUAL STOP", Red);
    }
}

void Countdowns::AUTOCLOSE_TICKBOX_Click() {
    if (form_.AUTOCLOSE_TICKBOX.ticked()) {
        form_.AUTOCLOSE_START_BUTTON.setEnabled(true);
        return;
    }
    form_.AUTOCLOSE_TIMER.setEnabled(false);
    form_.AUTOCLOSE_START_BUTTON.setEnabled(false);
}

void Countdowns::AUTOCLOSE_TIMER_TEXTBOX_DblClick() {
    form_.AUTOCLOSE_REMAINING = form::timeValue("00:00:11");
    form_.AUTOCLOSE_TIMER_TEXTBOX.setText("11");
}

}  // namespace engine
