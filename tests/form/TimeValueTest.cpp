#include <gtest/gtest.h>

#include "form/TimeValue.h"

using form::formatClock;
using form::formatSeconds;
using form::kOneSecond;
using form::timeValue;

TEST(TimeValue, CountingDownElevenStepsReachesExactlyZeroOnDisplay) {
    double v = timeValue("00:00:11");
    std::string shown;
    for (int i = 0; i < 11; ++i) {
        v -= kOneSecond;
        shown += formatSeconds(v) + " ";
    }
    EXPECT_EQ(shown, "10 09 08 07 06 05 04 03 02 01 00 ");
}

TEST(TimeValue, NegativeValuesShowTheirMagnitudeAndWrapAtAMinute) {
    double v = 0;
    for (int i = 1; i <= 59; ++i) {
        v -= kOneSecond;
        ASSERT_EQ(formatSeconds(v), (i < 10 ? "0" : "") + std::to_string(i));
    }
    v -= kOneSecond;
    EXPECT_EQ(formatSeconds(v), "00");
}

TEST(TimeValue, ClockFormatRoundsToTheNearestSecondOverManySteps) {
    double v = timeValue("00:05:01");
    EXPECT_EQ(formatClock(v), "00:05:01");
    for (int i = 0; i < 300; ++i) v -= kOneSecond;
    EXPECT_EQ(formatClock(v), "00:00:01");
    v -= kOneSecond;
    EXPECT_EQ(formatClock(v), "00:00:00");
    EXPECT_EQ(formatClock(timeValue("23:59:59") + kOneSecond), "00:00:00");
    EXPECT_EQ(formatClock(timeValue("bad")), "00:00:00");
}
