#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "form/Clock.h"
#include "form/Timer.h"

namespace form {

// The one place where timer ticks are decided. It reads time from a clock;
// the program drives it from the event loop (arming one single-shot wake-up
// for nextDue()), tests from a virtual clock.
//
// Rules: a tick is delivered only between handlers, never inside one; a timer
// that fell behind (a handler blocked) ticks once, and its next interval
// counts from that tick; timers due together tick in due-time order, then in
// creation order.
class Scheduler {
public:
    // `jitter`: lateness up to this many ms keeps a timer's phase, so that a
    // real event loop waking a little late does not make periods drift.
    explicit Scheduler(const Clock& clock, Millis jitter = 0) : clock_(clock), jitter_(jitter) {}
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    Timer& create(std::string name);
    // Stops `timer` and forgets it; the reference is dead afterwards. A timer
    // may be released from inside its own tick.
    void release(Timer& timer);

    Millis now() const { return clock_.now(); }

    // Earliest due time of an armed timer, if any.
    std::optional<Millis> nextDue() const;

    // Delivers every tick that is due now. Returns the number delivered; does
    // nothing when called from inside a tick handler.
    int runDue();

    bool inTick() const { return inTick_; }

    // Disables every timer: the window that owned them is gone.
    void disableAll();

    // Told whenever the next due time may have changed (the event-loop driver
    // re-arms its wake-up then).
    void setOnChanged(std::function<void()> listener) { onChanged_ = std::move(listener); }

private:
    friend class Timer;
    void changed(Timer& timer, bool freshInterval);
    Timer* nextReady(Millis now);
    void sweepReleased();

    const Clock& clock_;
    Millis jitter_;
    std::vector<std::unique_ptr<Timer>> timers_;  // creation order: it breaks ties
    bool released_ = false;                       // some timer waits to be forgotten
    bool inTick_ = false;
    bool changedDuringRun_ = false;
    std::function<void()> onChanged_;
};

}  // namespace form
