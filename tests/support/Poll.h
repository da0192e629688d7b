#pragma once

#include <chrono>
#include <functional>

namespace testing_support {

// Asks `done` until it says yes or `limit` has passed, running `meanwhile`
// (an event loop's turn, say) before each question; the last answer. A slow
// machine only makes a test slower, never flaky.
bool pollUntil(const std::function<bool()>& done, std::chrono::milliseconds limit,
               const std::function<void()>& meanwhile = {},
               std::chrono::milliseconds step = std::chrono::milliseconds(20));

}  // namespace testing_support
