#include "app/linux/QtSchedulerDriver.h"

#include <algorithm>
#include <limits>

namespace app {

QtSchedulerDriver::QtSchedulerDriver(form::Scheduler& scheduler) : scheduler_(scheduler) {
    timer_.setSingleShot(true);
    // Coarse timers may fire 5% late; the scanner's 100 ms steps would show it.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { run(); });
    scheduler_.setOnChanged([this] { arm(); });
    arm();
}

QtSchedulerDriver::~QtSchedulerDriver() {
    scheduler_.setOnChanged({});
}

void QtSchedulerDriver::arm() {
    const auto due = scheduler_.nextDue();
    if (!due) {
        timer_.stop();
        return;
    }
    const form::Millis wait =
        std::clamp<form::Millis>(*due - scheduler_.now(), 0, std::numeric_limits<int>::max());
    timer_.start(static_cast<int>(wait));
}

void QtSchedulerDriver::run() {
    // A handler that runs a nested event loop (a modal window) must not get
    // ticks inside itself; the outer run re-arms when it returns.
    if (scheduler_.inTick()) return;
    scheduler_.runDue();
    arm();
}

}  // namespace app
