#pragma once

#include <functional>

#include "form/Clock.h"
#include "form/Scheduler.h"

namespace form {

// A scheduler on a virtual clock: time jumps straight to the next due tick,
// so minutes of timer activity run in microseconds and always the same way.
class VirtualTime {
public:
    VirtualTime() : scheduler(clock) {}

    VirtualClock clock;
    Scheduler scheduler;

    Millis now() const { return clock.now(); }

    // Runs every tick due up to and including now + ms, then sets the clock
    // to that moment (unless a handler's sleep already went past it).
    void advance(Millis ms) { runUntil(clock.now() + ms); }
    void runUntil(Millis t);

    // Runs tick by tick until `done` holds or `limit` ms have passed.
    // Returns whether `done` held.
    bool runUntil(const std::function<bool()>& done, Millis limit);
};

}  // namespace form
