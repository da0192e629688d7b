#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "form/VirtualTime.h"

using form::Millis;
using form::Timer;
using form::VirtualTime;

namespace {

// Records "name@time" for every tick.
struct Log {
    VirtualTime& vt;
    std::vector<std::string> ticks;
    void attach(Timer& t) {
        t.onTick = [this, &t] { ticks.push_back(t.name() + "@" + std::to_string(vt.now())); };
    }
};

TEST(Scheduler, EnabledTimerTicksOncePerInterval) {
    VirtualTime vt;
    Log log{vt, {}};
    Timer& t = vt.scheduler.create("A");
    log.attach(t);
    t.setInterval(1000);
    t.setEnabled(true);
    vt.advance(3500);
    EXPECT_EQ(log.ticks, (std::vector<std::string>{"A@1000", "A@2000", "A@3000"}));
}

TEST(Scheduler, EnablingADisabledTimerStartsAFreshInterval) {
    VirtualTime vt;
    Log log{vt, {}};
    Timer& t = vt.scheduler.create("A");
    log.attach(t);
    t.setInterval(1000);
    t.setEnabled(true);
    vt.advance(700);
    t.setEnabled(false);
    vt.advance(100);  // now 800
    t.setEnabled(true);
    vt.advance(1500);
    EXPECT_EQ(log.ticks, (std::vector<std::string>{"A@1800"}));
}

TEST(Scheduler, EnablingAnEnabledTimerChangesNothing) {
    VirtualTime vt;
    Log log{vt, {}};
    Timer& t = vt.scheduler.create("A");
    log.attach(t);
    t.setInterval(1000);
    t.setEnabled(true);
    vt.advance(600);
    t.setEnabled(true);
    vt.advance(600);
    EXPECT_EQ(log.ticks, (std::vector<std::string>{"A@1000"}));
}

TEST(Scheduler, IntervalZeroNeverTicksEvenWhenEnabled) {
    VirtualTime vt;
    Log log{vt, {}};
    Timer& t = vt.scheduler.create("A");
    log.attach(t);
    t.setEnabled(true);
    vt.advance(60'000);
    EXPECT_TRUE(log.ticks.empty());
    EXPECT_FALSE(vt.scheduler.nextDue().has_value());
    // Giving the enabled timer an interval starts it from that moment.
    t.setInterval(250);
    vt.advance(600);
    EXPECT_EQ(log.ticks, (std::vector<std::string>{"A@60250", "A@60500"}));
}

TEST(Scheduler, NoTickIsDeliveredInsideAHandlerEvenWhenItSleeps) {
    VirtualTime vt;
    std::vector<std::string> events;
    Timer& slow = vt.scheduler.create("slow");
    Timer& fast = vt.scheduler.create("fast");
    fast.setInterval(100);
    fast.onTick = [&] { events.push_back("fast@" + std::to_string(vt.now())); };
    slow.setInterval(1000);
    slow.onTick = [&] {
        events.push_back("slow-begin@" + std::to_string(vt.now()));
        vt.clock.advance(1000);               // a blocking sleep
        EXPECT_EQ(vt.scheduler.runDue(), 0);  // a nested delivery does nothing
        events.push_back("slow-end@" + std::to_string(vt.now()));
        slow.setEnabled(false);
    };
    fast.setEnabled(true);
    slow.setEnabled(true);
    vt.advance(1000);  // fast at 100..900, then slow at 1000 (fast also due at 1000)
    ASSERT_GE(events.size(), 3u);
    // At 1000 both are due; "slow" was created first and the due times tie.
    EXPECT_EQ(events[9], "slow-begin@1000");
    EXPECT_EQ(events[10], "slow-end@2000");
    // The fast timer missed ten periods while blocked: it ticks once, at 2000.
    EXPECT_EQ(events[11], "fast@2000");
    EXPECT_EQ(events.size(), 12u);
    vt.advance(150);
    EXPECT_EQ(events.back(), "fast@2100");  // next period counts from the late tick
}

TEST(Scheduler, SimultaneousTimersTickInDueOrderThenCreationOrder) {
    VirtualTime vt;
    Log log{vt, {}};
    Timer& a = vt.scheduler.create("A");
    Timer& b = vt.scheduler.create("B");
    Timer& c = vt.scheduler.create("C");
    for (Timer* t : {&a, &b, &c}) {
        log.attach(*t);
        t->setInterval(1000);
    }
    c.setEnabled(true);
    b.setEnabled(true);
    a.setEnabled(true);
    vt.advance(1000);
    EXPECT_EQ(log.ticks, (std::vector<std::string>{"A@1000", "B@1000", "C@1000"}));

    // Overdue together after a block: the one due earlier goes first.
    log.ticks.clear();
    Timer& late = vt.scheduler.create("late");
    late.setInterval(300);
    log.attach(late);
    late.setEnabled(true);   // due 1300, A/B/C due 2000
    vt.clock.advance(1500);  // jump past both without delivering
    vt.scheduler.runDue();
    EXPECT_EQ(log.ticks, (std::vector<std::string>{"late@2500", "A@2500", "B@2500", "C@2500"}));
}

TEST(Scheduler, RelayOfTimersPassesTheTurnOnePeriodApart) {
    VirtualTime vt;
    std::vector<Millis> times;
    Timer& first = vt.scheduler.create("1");
    Timer& second = vt.scheduler.create("2");
    first.setInterval(1000);
    second.setInterval(1000);
    first.onTick = [&] {
        times.push_back(vt.now());
        second.setEnabled(true);
        first.setEnabled(false);
    };
    second.onTick = [&] {
        times.push_back(vt.now());
        second.setEnabled(false);
    };
    first.setEnabled(true);
    vt.advance(10'000);
    EXPECT_EQ(times, (std::vector<Millis>{1000, 2000}));
}

TEST(Scheduler, JitterWithinToleranceKeepsThePhase) {
    form::VirtualClock clock;
    form::Scheduler s(clock, 15);
    std::vector<Millis> times;
    Timer& t = s.create("A");
    t.setInterval(1000);
    t.onTick = [&] { times.push_back(clock.now()); };
    t.setEnabled(true);
    clock.set(1010);  // woke 10 ms late
    s.runDue();
    clock.set(2000);
    s.runDue();
    clock.set(3100);  // 100 ms late: beyond tolerance, restarts the period
    s.runDue();
    clock.set(4050);
    s.runDue();
    clock.set(4100);
    s.runDue();
    EXPECT_EQ(times, (std::vector<Millis>{1010, 2000, 3100, 4100}));
}

TEST(Scheduler, ListenerHearsOfChangesOnceAfterARun) {
    VirtualTime vt;
    int heard = 0;
    vt.scheduler.setOnChanged([&] { ++heard; });
    Timer& a = vt.scheduler.create("A");
    Timer& b = vt.scheduler.create("B");
    a.setInterval(1000);
    EXPECT_EQ(heard, 1);
    a.onTick = [&] {
        b.setInterval(500);
        b.setEnabled(true);
        a.setEnabled(false);
    };
    a.setEnabled(true);
    heard = 0;
    vt.advance(1000);
    EXPECT_EQ(heard, 1);
    EXPECT_EQ(vt.scheduler.nextDue(), std::optional<Millis>(1500));
}

TEST(VirtualTime, RunUntilStopsWhenTheConditionHolds) {
    VirtualTime vt;
    int n = 0;
    Timer& t = vt.scheduler.create("A");
    t.setInterval(1000);
    t.onTick = [&] { ++n; };
    t.setEnabled(true);
    EXPECT_TRUE(vt.runUntil([&] { return n == 5; }, 60'000));
    EXPECT_EQ(vt.now(), 5000);
    EXPECT_FALSE(vt.runUntil([&] { return n == 100; }, 3000));
    EXPECT_EQ(vt.now(), 8000);
}

}  // namespace
