// Wiring of the window's desktop features (always on top, scanner, heartbeat)
// and what the window says when the display cannot carry one of them.

#include "model/main/MainForm.h"

namespace model {

using platform::DesktopFeature;

void MainForm::wireDesktopFeatures() {
    AlwaysOnTopTimer.onTick = [this] { AlwaysOnTopTimer_Timer(); };
    AlwaysOnTopTimer_TICKBOX.onClick = [this] { AlwaysOnTopTimer_TICKBOX_Click(); };
    RIVA_START_BUTTON.onClick = [this] { RIVA_START_BUTTON_Click(); };
    for (int n = 1; n <= 16; ++n) RIVA_RED_TIMER[n - 1]->onTick = [this, n] { RIVA_RED_TIMER_Timer(n); };
    HEARTBEAT_TIMER.onTick = [this] { HEARTBEAT_TIMER_Timer(); };
    NUMLOCK_TIMER_1.onTick = [this] { NUMLOCK_TIMER_1_Timer(); };
    NUMLOCK_TIMER_2.onTick = [this] { NUMLOCK_TIMER_2_Timer(); };
    HEARTBEAT_COUNTDOWN_TEXTBOX.onDblClick = [this] { HEARTBEAT_COUNTDOWN_TEXTBOX_DblClick(); };
}

void MainForm::checkDesktopFeatures() {
    for (DesktopFeature feature : {DesktopFeature::KeyInjection, DesktopFeature::WindowStacking}) {
        const platform::Result usable = platform_.Available(feature);
        if (!usable.ok) unavailable(feature, usable.error);
    }
}

// The timers and lamps carry on either way; only the effect on the desktop is
// missing, and the user is told once which one and why.
void MainForm::unavailable(DesktopFeature feature, const std::string& why) {
    const bool keys = feature == DesktopFeature::KeyInjection;
    bool& announced = keys ? keyInjectionAnnounced_ : windowStackingAnnounced_;
    if (announced) return;
    announced = true;
    const std::string text =
        (keys ? "NumLock keep-alive unavailable: " : "Always On Top unavailable: ") + why;
    if (keys)
        RIVA_START_BUTTON.setToolTip(text);
    else
        AlwaysOnTopTimer_TICKBOX.setToolTip(text);
    if (onNotice) onNotice(text);
}

}  // namespace model
