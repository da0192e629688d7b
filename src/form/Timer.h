#pragma once

#include <functional>
#include <string>

#include "form/Clock.h"

namespace form {

class Scheduler;

// A window timer: while enabled and with a non-zero interval it ticks once
// per interval. Enabling a disabled timer starts a fresh interval; enabling
// an enabled one changes nothing. Timers belong to a Scheduler.
class Timer {
public:
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    const std::string& name() const { return name_; }

    int interval() const { return interval_; }
    // A new interval on an enabled timer starts counting afresh.
    void setInterval(int ms);

    bool enabled() const { return enabled_; }
    void setEnabled(bool on);

    std::function<void()> onTick;

private:
    friend class Scheduler;
    Timer(Scheduler& scheduler, std::string name) : scheduler_(scheduler), name_(std::move(name)) {}

    bool armed() const { return enabled_ && interval_ > 0 && !released_; }

    Scheduler& scheduler_;
    std::string name_;
    int interval_ = 0;
    bool enabled_ = false;
    bool released_ = false;
    Millis due_ = 0;
};

}  // namespace form
