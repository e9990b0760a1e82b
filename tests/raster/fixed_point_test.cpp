// The exact divider stands in for integer division in every edge and row
// set-up, so it must give the very same quotients, sign and all.
#include <gtest/gtest.h>

#include <random>

#include "raster/fixed_point.h"

namespace {

TEST(ExactDivider, AgreesWithIntegerDivisionOnRandomOperands) {
    std::mt19937_64 random(1206);
    std::uniform_int_distribution<std::int64_t> numerator(-(std::int64_t{1} << 40),
                                                          std::int64_t{1} << 40);
    std::uniform_int_distribution<std::int64_t> divisor(1, 65535);
    for (int i = 0; i < 200000; ++i) {
        const std::int64_t a = numerator(random);
        const std::int64_t d = divisor(random);
        ASSERT_EQ(KT_Exact_Divider(d).quotient(a), a / d) << a << " / " << d;
    }
}

TEST(ExactDivider, ExactMultiplesAndTheirNeighboursStayExact) {
    // Multiples are where a reciprocal estimate lands one short.
    for (std::int64_t d : {3, 7, 49, 255, 4095, 65535}) {
        const KT_Exact_Divider divider(d);
        for (std::int64_t q : {-100000, -3, -1, 0, 1, 3, 100000}) {
            for (std::int64_t offset : {-1, 0, 1}) {
                const std::int64_t a = q * d * 65536 + offset;
                ASSERT_EQ(divider.quotient(a), a / d) << a << " / " << d;
            }
        }
    }
}

TEST(FixedPoint, StepsByPowersOfTwoMatchTheDivision) {
    const std::int32_t from = 17;
    const std::int32_t to = -250;
    for (std::int32_t n : {1, 2, 4, 8})
        EXPECT_EQ(KD_Fixed_16_Step(from, to, n), (std::int64_t{to} - from) * 65536 / n)
            << "over " << n;
}

TEST(FixedPoint, SeventeenFifteenKeepsSixteenBitsOfDepth) {
    const std::uint32_t from = 0x12340000u + 100; // only the low 16 bits count
    const std::uint32_t to = 300;
    const std::int32_t start = KD_Fixed_15_Start(from);
    const std::int32_t step = KD_Fixed_15_Step(from, to, 4);
    EXPECT_EQ(KD_Fixed_15_Value(start), 100u);
    EXPECT_EQ(KD_Fixed_15_Value(start + 2 * step), 200u);
    EXPECT_EQ(KD_Fixed_15_Value(start + 4 * step), 300u);
}

} // namespace
