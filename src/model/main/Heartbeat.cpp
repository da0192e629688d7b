// The heartbeat: a countdown of five minutes and one second that ends in a
// NumLock pulse, two presses 750 ms apart, so that the system sees keyboard
// input while the NumLock state ends as it began. The scanner's backdrop shows
// the pulse: cyan when armed, green between the presses, black after. While
// it runs, the platform is also asked to keep the session from idling, which
// is what holds a Wayland compositor's lock screen off.

#include "form/TimeValue.h"
#include "model/main/MainForm.h"

namespace model {

using form::colour::Black;
using form::colour::Cyan;
using form::colour::Green;

void MainForm::HEARTBEAT_TIMER_Timer() {
    HEARTBEAT_REMAINING -= form::kOneSecond;
    HEARTBEAT_COUNTDOWN_TEXTBOX.setText(form::formatClock(HEARTBEAT_REMAINING));
    if (HEARTBEAT_COUNTDOWN_TEXTBOX.text() != "00:00:00") return;
    // Restarting from the constant each time keeps the rounding of the
    // repeated subtraction from adding up over the day.
    HEARTBEAT_COUNTDOWN_TEXTBOX.setText("00:05:01");
    HEARTBEAT_REMAINING = form::timeValue("00:05:01");
    RIVA_BACKGROUND_LABEL.setBackColour(Cyan);
    NUMLOCK_TIMER_1.setEnabled(true);
}

void MainForm::NUMLOCK_TIMER_1_Timer() {
    RIVA_BACKGROUND_LABEL.setBackColour(Green);
    if (const platform::Result sent = platform_.SendNumLock(); !sent.ok)
        unavailable(platform::DesktopFeature::KeyInjection, sent.error);
    NUMLOCK_TIMER_2.setEnabled(true);
    NUMLOCK_TIMER_1.setEnabled(false);
}

void MainForm::NUMLOCK_TIMER_2_Timer() {
    if (const platform::Result sent = platform_.SendNumLock(); !sent.ok)
        unavailable(platform::DesktopFeature::KeyInjection, sent.error);
    RIVA_BACKGROUND_LABEL.setBackColour(Black);
    NUMLOCK_TIMER_2.setEnabled(false);
}

void MainForm::HEARTBEAT_COUNTDOWN_TEXTBOX_DblClick() {
    HEARTBEAT_REMAINING = form::timeValue("00:05:00");
    HEARTBEAT_COUNTDOWN_TEXTBOX.setText("00:05:00");
}

// Asked once per start and stop, whatever the answer: where nothing can keep
// the session awake the presses still run, and the start-up notice said so.
void MainForm::keepAwake(bool on) {
    if (on == awake_) return;
    awake_ = on;
    platform_.KeepAwake(on);
}

// A window that closes between the two presses would leave NumLock flipped;
// the second press comes now instead. A pulse only armed has pressed nothing
// yet and is simply dropped.
void MainForm::finishNumLockPulse() {
    if (!NUMLOCK_TIMER_2.enabled()) return;
    NUMLOCK_TIMER_2_Timer();
}

}  // namespace model
