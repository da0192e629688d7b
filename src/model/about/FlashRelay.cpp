#include "model/about/FlashRelay.h"

namespace model {

FlashRelay::FlashRelay(std::array<form::Timer*, kSteps> timers, Paint paint)
    : timers_(timers), paint_(std::move(paint)) {
    for (int k = 1; k <= kSteps; ++k) timer(k).onTick = [this, k] { step(k); };
}

void FlashRelay::setIntervals() {
    for (form::Timer* t : timers_) t->setInterval(kStepMs);
}

void FlashRelay::step(int k) {
    paint_(kFlashColours.at(static_cast<std::size_t>(k - 1)));
    timer(k % kSteps + 1).setEnabled(true);
    timer(k).setEnabled(false);
}

void FlashRelay::stop() {
    for (form::Timer* t : timers_) t->setEnabled(false);
}

}  // namespace model
