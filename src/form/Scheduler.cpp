#include "form/Scheduler.h"

namespace form {

void Timer::setInterval(int ms) {
    if (ms < 0) ms = 0;
    if (ms == interval_) return;
    interval_ = ms;
    scheduler_.changed(*this, true);
}

void Timer::setEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    scheduler_.changed(*this, on);
}

Timer& Scheduler::create(std::string name) {
    // Timer's constructor is private to keep every timer under a scheduler.
    timers_.push_back(std::unique_ptr<Timer>(new Timer(*this, std::move(name))));
    return *timers_.back();
}

void Scheduler::release(Timer& timer) {
    timer.enabled_ = false;
    timer.released_ = true;
    released_ = true;
    // A handler may be running on it: it is forgotten once no tick runs.
    if (!inTick_) sweepReleased();
}

void Scheduler::sweepReleased() {
    if (!released_) return;
    released_ = false;
    std::erase_if(timers_, [](const std::unique_ptr<Timer>& t) { return t->released_; });
}

void Scheduler::changed(Timer& timer, bool freshInterval) {
    if (timer.released_) return;
    if (freshInterval && timer.armed()) timer.due_ = clock_.now() + timer.interval_;
    if (inTick_) {
        changedDuringRun_ = true;
        return;
    }
    if (onChanged_) onChanged_();
}

std::optional<Millis> Scheduler::nextDue() const {
    std::optional<Millis> best;
    for (const auto& t : timers_)
        if (t->armed() && (!best || t->due_ < *best)) best = t->due_;
    return best;
}

Timer* Scheduler::nextReady(Millis now) {
    Timer* best = nullptr;
    for (const auto& t : timers_) {
        if (!t->armed() || t->due_ > now) continue;
        if (!best || t->due_ < best->due_) best = t.get();  // ties keep creation order
    }
    return best;
}

void Scheduler::disableAll() {
    for (const auto& t : timers_) t->enabled_ = false;
    if (onChanged_) onChanged_();
}

int Scheduler::runDue() {
    if (inTick_) return 0;
    int delivered = 0;
    changedDuringRun_ = false;
    for (;;) {
        const Millis now = clock_.now();
        Timer* t = nextReady(now);
        if (!t) break;
        // A tick on time (or within the event loop's jitter) keeps the phase;
        // a late one restarts the period from the moment it is delivered.
        const Millis tickTime = (now - t->due_ <= jitter_) ? t->due_ : now;
        t->due_ = tickTime + t->interval_;
        ++delivered;
        if (t->onTick) {
            inTick_ = true;
            try {
                t->onTick();
            } catch (...) {
                inTick_ = false;
                throw;
            }
            inTick_ = false;
        }
        sweepReleased();
    }
    if ((delivered > 0 || changedDuringRun_) && onChanged_) onChanged_();
    return delivered;
}

}  // namespace form
