// The scanner: a red lamp that sweeps across seven lamps and back, driven by a
// relay of sixteen 100 ms timers, one per step.

#include <array>

#include "model/main/MainForm.h"

namespace model {

namespace {

using form::colour::Black;
using form::colour::Red;

struct LampChange {
    int lamp = 0;  // 1..7; 0: no change
    form::Colour colour = Black;
};

// Step n's lamp changes, in order; every step then hands over to step n + 1
// (step 16 to step 1). The end lamps go dark for one step at each turn.
constexpr std::array<std::array<LampChange, 2>, 16> kSteps{{
    {{{1, Red}}},
    {{{1, Black}, {2, Red}}},
    {{{2, Black}, {3, Red}}},
    {{{3, Black}, {4, Red}}},
    {{{4, Black}, {5, Red}}},
    {{{5, Black}, {6, Red}}},
    {{{6, Black}, {7, Red}}},
    {{{7, Black}}},
    {{{7, Red}}},
    {{{6, Red}, {7, Black}}},
    {{{5, Red}, {6, Black}}},
    {{{4, Red}, {5, Black}}},
    {{{3, Red}, {4, Black}}},
    {{{2, Red}, {3, Black}}},
    {{{1, Red}, {2, Black}}},
    {{{1, Black}}},
}};

}  // namespace

// Starts or stops the scanner and the heartbeat together. Every start begins
// at step 1 with all lamps dark; a NumLock pulse under way is left to finish.
void MainForm::RIVA_START_BUTTON_Click() {
    if (RIVA_START_BUTTON.caption() == "START") {
        RIVA_START_BUTTON.setCaption("STOP");
        HEARTBEAT_TIMER.setEnabled(true);
        keepAwake(true);
        RIVA_RED_TIMER[0]->setEnabled(true);
        for (int n = 2; n <= 16; ++n) RIVA_RED_TIMER[n - 1]->setEnabled(false);
        for (auto& lamp : RIVA_LABEL) lamp->setBackColour(Black);
    } else {
        RIVA_START_BUTTON.setCaption("START");
        HEARTBEAT_TIMER.setEnabled(false);
        keepAwake(false);
        for (form::Timer* t : RIVA_RED_TIMER) t->setEnabled(false);
        for (auto& lamp : RIVA_LABEL) lamp->setBackColour(Red);
    }
}

void MainForm::RIVA_RED_TIMER_Timer(int n) {
    if (n < 1 || n > 16) return;
    for (const LampChange& change : kSteps[static_cast<std::size_t>(n - 1)])
        if (change.lamp != 0)
            RIVA_LABEL[static_cast<std::size_t>(change.lamp - 1)]->setBackColour(change.colour);
    RIVA_RED_TIMER[static_cast<std::size_t>(n % 16)]->setEnabled(true);
    RIVA_RED_TIMER[static_cast<std::size_t>(n - 1)]->setEnabled(false);
}

}  // namespace model
