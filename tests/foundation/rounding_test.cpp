// Device rounding: a value v becomes trunc(v + 0.5) when v >= 0 and
// trunc(v - 0.499999) below (0.49999999999 for doubles), with a defined
// result for every input the 32-bit result cannot hold.
#include "foundation/basic_types.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int32_t int_max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int_min = std::numeric_limits<std::int32_t>::min();
constexpr float float_infinity = std::numeric_limits<float>::infinity();
constexpr double double_infinity = std::numeric_limits<double>::infinity();
constexpr float two_to_31 = 2147483648.0f;
// The largest float below 2^31.
constexpr float below_two_to_31 = 2147483520.0f;

struct Rounding_Case {
    const char* name;
    float value;
    std::int32_t expected;
};

void expect_rounds(const Rounding_Case& c) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(KD_Round(c.value), c.expected);
    EXPECT_EQ(KD_Round(static_cast<double>(c.value)), c.expected) << "as a double";
}

TEST(DeviceRounding, PositiveHalvesRoundUp) {
    expect_rounds({"plus one half", 0.5f, 1});
    expect_rounds({"one and a half", 1.5f, 2});
    expect_rounds({"two and a half", 2.5f, 3});
}

TEST(DeviceRounding, NegativeHalvesRoundTowardZero) {
    expect_rounds({"minus one half", -0.5f, 0});
    expect_rounds({"minus one and a half", -1.5f, -1});
    expect_rounds({"just past minus one half", -0.5001f, -1});
}

// The sum is formed in the argument's precision: in float, 0.49999997 +
// 0.5 is exactly 1.
TEST(DeviceRounding, TheLastFloatBelowAHalfRoundsInFloat) {
    const float below_half = 0.49999997f;
    EXPECT_EQ(KD_Round(below_half), 1);
    EXPECT_EQ(KD_Round(static_cast<double>(below_half)), 0) << "a double keeps the difference";
}

TEST(DeviceRounding, ValuesJustInsideTheRangeStayExact) {
    expect_rounds({"largest float below 2^31", below_two_to_31, 2147483520});
    expect_rounds({"minus 2^31", -two_to_31, int_min});
    EXPECT_EQ(KD_Round(2147483646.5), 2147483647) << "the largest double that still fits";
}

TEST(DeviceRounding, ValuesBeyondTheRangeSaturate) {
    expect_rounds({"2^31", two_to_31, int_max});
    expect_rounds({"three billion", 3e9f, int_max});
    expect_rounds({"minus three billion", -3e9f, int_min});
    expect_rounds({"largest float", std::numeric_limits<float>::max(), int_max});
    expect_rounds({"lowest float", std::numeric_limits<float>::lowest(), int_min});
    EXPECT_EQ(KD_Round(2147483647.5), int_max);
    EXPECT_EQ(KD_Round(-2147483649.0), int_min);
    EXPECT_EQ(KD_Round(1e300), int_max);
    EXPECT_EQ(KD_Round(-1e300), int_min);
}

TEST(DeviceRounding, InfinitiesSaturate) {
    EXPECT_EQ(KD_Round(float_infinity), int_max);
    EXPECT_EQ(KD_Round(-float_infinity), int_min);
    EXPECT_EQ(KD_Round(double_infinity), int_max);
    EXPECT_EQ(KD_Round(-double_infinity), int_min);
}

TEST(DeviceRounding, NotANumberGivesZero) {
    EXPECT_EQ(KD_Round(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(KD_Round(-std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(KD_Round(std::numeric_limits<double>::quiet_NaN()), 0);
}

} // namespace
