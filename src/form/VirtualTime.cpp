#include "form/VirtualTime.h"

#include <algorithm>

namespace form {

void VirtualTime::runUntil(Millis t) {
    for (;;) {
        const auto due = scheduler.nextDue();
        if (!due || *due > t) break;
        clock.set(std::max(clock.now(), *due));
        scheduler.runDue();
    }
    clock.set(std::max(clock.now(), t));
}

bool VirtualTime::runUntil(const std::function<bool()>& done, Millis limit) {
    const Millis end = clock.now() + limit;
    while (!done()) {
        const auto due = scheduler.nextDue();
        if (!due || *due > end) {
            clock.set(std::max(clock.now(), end));
            return done();
        }
        clock.set(std::max(clock.now(), *due));
        scheduler.runDue();
    }
    return true;
}

}  // namespace form
