// Always on top: while its tick is set, once a second the window takes the
// foreground window of any other program out of the top-most group and puts
// itself into it.

#include "model/main/MainForm.h"

namespace model {

void MainForm::AlwaysOnTopTimer_Timer() {
    if (platform_.GetForegroundWindow() == mainHandle()) return;  // ours has the focus: nothing to do
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
