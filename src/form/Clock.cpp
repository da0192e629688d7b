#include "form/Clock.h"

#include <chrono>

namespace form {

Millis RealClock::now() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace form
