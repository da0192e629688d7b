#pragma once

#include <array>
#include <functional>

#include "form/Control.h"
#include "form/Timer.h"

namespace model {

// The five colours a flashing control cycles through, one per step.
inline constexpr std::array<form::Colour, 5> kFlashColours{
    form::colour::Green, form::colour::Red, form::colour::Cyan, form::colour::Magenta, form::colour::Yellow};

// A relay of five 200 ms timers of which one is enabled at a time: step k
// paints colour k, enables the next step's timer and disables its own, so a
// whole cycle takes one second. The timers belong to the window.
class FlashRelay {
public:
    static constexpr int kSteps = static_cast<int>(kFlashColours.size());
    static constexpr int kStepMs = 200;
    using Paint = std::function<void(form::Colour)>;

    FlashRelay(std::array<form::Timer*, kSteps> timers, Paint paint);

    form::Timer& timer(int k) { return *timers_.at(static_cast<std::size_t>(k - 1)); }

    // The windows' start-up: every step gets its interval.
    void setIntervals();
    // Step k's tick, k = 1..5.
    void step(int k);
    // Disables the steps' timers, the first to the last.
    void stop();

private:
    std::array<form::Timer*, kSteps> timers_;
    Paint paint_;
};

}  // namespace model
