// The event-loop driver of the timer scheduler, in real time (kept short).

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/linux/QtSchedulerDriver.h"
#include "form/Clock.h"
#include "form/Scheduler.h"

namespace {

void runEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST(QtSchedulerDriver, DeliversTicksInRealTime) {
    form::RealClock clock;
    form::Scheduler scheduler(clock, 15);
    app::QtSchedulerDriver driver(scheduler);
    form::Timer& timer = scheduler.create("T");
    std::vector<form::Millis> ticks;
    timer.onTick = [&] { ticks.push_back(clock.now()); };
    const form::Millis start = clock.now();
    timer.setInterval(100);
    timer.setEnabled(true);
    EXPECT_TRUE(driver.armed());

    runEventLoopFor(550);
    ASSERT_GE(ticks.size(), 4u);
    EXPECT_LE(ticks.size(), 6u);
    // Phase is kept: the k-th tick comes about k intervals after the start.
    for (std::size_t k = 0; k < ticks.size(); ++k) {
        EXPECT_GE(ticks[k] - start, form::Millis(100 * (k + 1)));
        EXPECT_LT(ticks[k] - start, form::Millis(100 * (k + 1) + 60)) << "tick " << k;
    }
}

TEST(QtSchedulerDriver, DisarmsWhenNothingIsDueAndRearmsOnChange) {
    form::RealClock clock;
    form::Scheduler scheduler(clock, 15);
    app::QtSchedulerDriver driver(scheduler);
    form::Timer& timer = scheduler.create("T");
    timer.setInterval(5000);
    EXPECT_FALSE(driver.armed()) << "a disabled timer needs no wake-up";
    timer.setEnabled(true);
    EXPECT_TRUE(driver.armed());
    EXPECT_GT(driver.remaining(), 4000);
    timer.setInterval(20);  // a shorter interval must pull the wake-up in
    EXPECT_LE(driver.remaining(), 20);
    timer.setEnabled(false);
    EXPECT_FALSE(driver.armed());
}

TEST(QtSchedulerDriver, NoTickInsideAHandlerThatRunsANestedEventLoop) {
    // A handler that shows a modal window spins an event loop of its own;
    // other timers must wait until it returns, then tick once.
    form::RealClock clock;
    form::Scheduler scheduler(clock, 15);
    app::QtSchedulerDriver driver(scheduler);
    form::Timer& modal = scheduler.create("modal");
    form::Timer& fast = scheduler.create("fast");
    int fastTicks = 0, fastTicksInsideModal = 0;
    bool inModal = false;
    modal.onTick = [&] {
        modal.setEnabled(false);
        inModal = true;
        runEventLoopFor(250);
        inModal = false;
    };
    fast.onTick = [&] {
        ++fastTicks;
        if (inModal) ++fastTicksInsideModal;
    };
    modal.setInterval(30);
    fast.setInterval(40);
    modal.setEnabled(true);
    fast.setEnabled(true);

    QElapsedTimer elapsed;
    elapsed.start();
    runEventLoopFor(330);
    EXPECT_EQ(fastTicksInsideModal, 0);
    EXPECT_GE(fastTicks, 1) << "ticks resume after the handler";
    EXPECT_LE(fastTicks, 3) << "the missed intervals tick once, not six times";
}

}  // namespace
