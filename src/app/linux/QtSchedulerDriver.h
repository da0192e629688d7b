#pragma once

#include <QObject>
#include <QTimer>

#include "form/Scheduler.h"

namespace app {

// Runs the form scheduler from the Qt event loop: one single-shot timer armed
// for the scheduler's next due time, re-armed whenever the scheduler reports a
// change and after every run. Ticks are thus delivered between event handlers,
// never inside one.
class QtSchedulerDriver {
public:
    explicit QtSchedulerDriver(form::Scheduler& scheduler);
    ~QtSchedulerDriver();
    QtSchedulerDriver(const QtSchedulerDriver&) = delete;
    QtSchedulerDriver& operator=(const QtSchedulerDriver&) = delete;

    // Whether a wake-up is pending, and in how many ms (for tests).
    bool armed() const { return timer_.isActive(); }
    int remaining() const { return timer_.remainingTime(); }

private:
    void arm();
    void run();

    form::Scheduler& scheduler_;
    QTimer timer_;
};

}  // namespace app
