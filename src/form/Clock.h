#pragma once

#include <cstdint>

namespace form {

// Milliseconds on a monotonic time line; only differences matter.
using Millis = std::int64_t;

class Clock {
public:
    virtual ~Clock() = default;
    virtual Millis now() const = 0;
};

// The monotonic clock of the machine.
class RealClock final : public Clock {
public:
    Millis now() const override;
};

// Time that moves only when told to: tests jump it straight to the next due
// timer, and a fake Sleep advances it.
class VirtualClock final : public Clock {
public:
    Millis now() const override { return now_; }
    void advance(Millis ms) { now_ += ms; }
    void set(Millis t) { now_ = t; }

private:
    Millis now_ = 0;
};

}  // namespace form
