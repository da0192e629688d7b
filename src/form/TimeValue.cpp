#include "form/TimeValue.h"

#include <cmath>
#include <cstdio>

namespace form {

namespace {
long long secondsOfDay(double value) {
    return std::llround(std::fabs(value) * 86400.0) % 86400;
}
}  // namespace

double timeValue(const std::string& hhmmss) {
    int h = 0, m = 0, s = 0;
    if (std::sscanf(hhmmss.c_str(), "%d:%d:%d", &h, &m, &s) != 3) return 0.0;
    return (h * 3600 + m * 60 + s) * kOneSecond;
}

std::string formatSeconds(double value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02lld", secondsOfDay(value) % 60);
    return buf;
}

std::string formatClock(double value) {
    const long long s = secondsOfDay(value);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return buf;
}

}  // namespace form
