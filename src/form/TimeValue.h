#pragma once

#include <string>

namespace form {

// Times of day held as a fraction of a day in double precision, the way the
// countdowns keep them. One countdown step subtracts exactly kOneSecond, so
// values drift by rounding; display rounds to the nearest whole second.
inline constexpr double kOneSecond = 1.0 / 24 / 60 / 60;

// "hh:mm:ss" to a time value; text that does not parse gives 0.
double timeValue(const std::string& hhmmss);

// Two-digit seconds field ("ss"). A value below zero shows its magnitude.
std::string formatSeconds(double value);

// "hh:mm:ss" of the time of day (whole days dropped, magnitude of negatives).
std::string formatClock(double value);

}  // namespace form
