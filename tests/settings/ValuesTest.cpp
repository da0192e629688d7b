#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

#include "settings/Values.h"

using settings::formatGeometry;
using settings::formatTick;
using settings::parseGeometry;
using settings::parseTick;

TEST(GeometryText, WholeTwipsAreWrittenWithoutFraction) {
    EXPECT_EQ(formatGeometry(1815.0F), "1815");
    EXPECT_EQ(formatGeometry(-120.0F), "-120");
    EXPECT_EQ(formatGeometry(0.0F), "0");
    EXPECT_EQ(formatGeometry(-0.0F), "0");
    // Large positions stay plain decimal, never exponent notation.
    EXPECT_EQ(formatGeometry(1e10F), "10000000000");
}

TEST(GeometryText, FractionsUseTheShortestTextThatReadsBack) {
    EXPECT_EQ(formatGeometry(0.5F), "0.5");
    EXPECT_EQ(formatGeometry(0.1F), "0.1");
    EXPECT_EQ(formatGeometry(-7.25F), "-7.25");
}

TEST(GeometryText, EveryFiniteFloatRoundTrips) {
    std::mt19937 random(20240601);
    std::uniform_int_distribution<std::uint32_t> bits;
    int checked = 0;
    while (checked < 20000) {
        const std::uint32_t pattern = bits(random);
        float value;
        std::memcpy(&value, &pattern, sizeof value);
        if (!std::isfinite(value)) continue;
        const auto text = formatGeometry(value);
        const auto back = parseGeometry(text);
        ASSERT_TRUE(back.has_value()) << text;
        ASSERT_EQ(*back, value) << text;
        ++checked;
    }
}

TEST(GeometryText, ReadsNumbersWithBlanksAroundThem) {
    EXPECT_EQ(parseGeometry("1815"), 1815.0F);
    EXPECT_EQ(parseGeometry("  -120 "), -120.0F);
    EXPECT_EQ(parseGeometry("\t0.5\t"), 0.5F);
    EXPECT_EQ(parseGeometry("+5"), 5.0F);
    EXPECT_EQ(parseGeometry("1e3"), 1000.0F);
}

TEST(GeometryText, RejectsWhatIsNotASingleFiniteNumber) {
    for (const char* bad : {"", "   ", "abc", "12px", "1 2", "--1", "+-1", "0x10", "1,5", "inf", "-inf",
                            "nan", "infinity", "1e39", "-1e39", "1e-60", "+"}) {
        EXPECT_FALSE(parseGeometry(bad).has_value()) << '"' << bad << '"';
    }
}

TEST(TickText, AcceptsClearTickedAndGreyed) {
    EXPECT_EQ(parseTick("0"), 0);
    EXPECT_EQ(parseTick("1"), 1);
    EXPECT_EQ(parseTick("2"), 2);
    EXPECT_EQ(parseTick(" 1 "), 1);
    EXPECT_EQ(parseTick("+1"), 1);
    EXPECT_EQ(formatTick(0), "0");
    EXPECT_EQ(formatTick(1), "1");
}

TEST(TickText, RejectsOtherValuesAndNonIntegers) {
    for (const char* bad : {"", " ", "3", "-1", "32768", "99999", "1.0", "1x", "x1", "true", "0x1"}) {
        EXPECT_FALSE(parseTick(bad).has_value()) << '"' << bad << '"';
    }
}
