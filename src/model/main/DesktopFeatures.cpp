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
    // A later answer (a desktop that asked its user when the heartbeat
    // started) is said as one at start-up would have been.
    platform_.onAvailabilityChange = [this](DesktopFeature feature, const platform::Result& now) {
        if (feature == DesktopFeature::KeepAwake)
            keepAwakeChanged(now);
        else if (!now.ok)
            unavailable(feature, now.error);
        else if (feature == DesktopFeature::KeyInjection && !now.note.empty())
            announceKeepAlive(now.note);
    };
}

void MainForm::checkDesktopFeatures() {
    // First: what the NumLock notice says depends on it.
    keepAwake_ = platform_.Available(DesktopFeature::KeepAwake);
    for (DesktopFeature feature : {DesktopFeature::KeyInjection, DesktopFeature::WindowStacking}) {
        const platform::Result usable = platform_.Available(feature);
        if (!usable.ok)
            unavailable(feature, usable.error);
        else if (feature == DesktopFeature::KeyInjection && !usable.note.empty())
            announceKeepAlive(usable.note);  // presses that go somewhere, but not everywhere
    }
}

// The timers and lamps carry on either way; only the effect on the desktop is
// missing, and the user is told once which one and why.
void MainForm::unavailable(DesktopFeature feature, const std::string& why) {
    if (feature == DesktopFeature::KeyInjection) {
        announceKeepAlive("NumLock keep-alive unavailable: " + why);
        return;
    }
    if (windowStackingAnnounced_) return;
    windowStackingAnnounced_ = true;
    const std::string text = "Always On Top unavailable: " + why;
    AlwaysOnTopTimer_TICKBOX.setToolTip(text);
    if (onNotice) onNotice(text);
}

// Where the presses fall short, said once with what else keeps the session
// awake: the user must not take the heartbeat's lamps for a guarantee.
void MainForm::announceKeepAlive(const std::string& shortfall) {
    if (keyInjectionAnnounced_) return;
    keyInjectionAnnounced_ = true;
    keepAliveShortfall_ = shortfall;
    const std::string text = shortfall + "; " + idleText();
    RIVA_START_BUTTON.setToolTip(text);
    if (onNotice) onNotice(text);
}

std::string MainForm::idleText() const {
    if (keepAwake_.ok)
        return "the session is kept from idling by " +
               (keepAwake_.note.empty() ? std::string("the system") : keepAwake_.note);
    return "nothing keeps the session from idling (" + keepAwake_.error + "), so the screen may still lock";
}

// What holds the session awake changed by itself (a portal that ended took
// its request along): the notice must not go on claiming the old one.
void MainForm::keepAwakeChanged(const platform::Result& now) {
    const std::string before = idleText();
    keepAwake_ = now;
    if (!keyInjectionAnnounced_ || idleText() == before) return;
    RIVA_START_BUTTON.setToolTip(keepAliveShortfall_ + "; " + idleText());
    if (onNotice) onNotice(idleText());
}

}  // namespace model
