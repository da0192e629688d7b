// Always on top: while its tick is set, once a second the window takes the
// foreground window of any other program out of the top-most group and puts
// itself into it.

#include "model/main/MainForm.h"

namespace model {

void MainForm::AlwaysOnTopTimer_Timer() {
    const platform::WindowHandle foreground = platform_.GetForegroundWindow();
    if (foreground == mainHandle()) return;  // ours has the focus: nothing to do
    // A settings or About window of ours is modal over the main window: putting
    // the main window above it would hide the one window that takes input.
    if (foreground != 0 && ownsWindow && ownsWindow(foreground)) return;
    // Neither result matters: a null foreground window fails harmlessly, and
    // the next tick tries again.
    platform_.SetTopMost(platform_.GetForegroundWindow(), false);
    platform_.SetTopMost(mainHandle(), true);
}

// Clearing the tick only stops the polling; the window keeps the top-most
// place it last received.
void MainForm::AlwaysOnTopTimer_TICKBOX_Click() {
    AlwaysOnTopTimer.setEnabled(AlwaysOnTopTimer_TICKBOX.ticked());
}

}  // namespace model
