#include "Poll.h"

#include <thread>

namespace testing_support {

bool pollUntil(const std::function<bool()>& done, std::chrono::milliseconds limit,
               const std::function<void()>& meanwhile, std::chrono::milliseconds step) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (meanwhile) meanwhile();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return done();
        std::this_thread::sleep_for(step);
    }
}

}  // namespace testing_support
