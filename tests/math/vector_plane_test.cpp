#include <cmath>
#include <limits>
#include <random>
#include <tuple>

#include <gtest/gtest.h>

#include "math/arc_cosine.h"
#include "math/plane.h"
#include "math/vector.h"

namespace {

constexpr double pi = 3.14159265358979323846;

template <class V> class Vector_Normalize : public ::testing::Test {};
using Vector_Types = ::testing::Types<KT_Vector, KT_Vector_D>;
TYPED_TEST_SUITE(Vector_Normalize, Vector_Types);

TYPED_TEST(Vector_Normalize, ScalesToUnitLengthKeepingDirection) {
    std::mt19937 random(5);
    using Real = decltype(TypeParam::x);
    std::uniform_real_distribution<Real> coordinate(-1e3, 1e3);
    for (int i = 0; i < 200; ++i) {
        TypeParam r{coordinate(random), coordinate(random), coordinate(random)};
        const TypeParam before = r;
        r.normalize();
        EXPECT_NEAR(KD_Length(r), 1, 1e-6);
        EXPECT_NEAR(KD_Length(KD_Cross(before, r)) / KD_Length(before), 0, 1e-6);
        EXPECT_GT(KD_Dot(before, r), 0);
    }
}

// Squared, the huge components overflow and the tiny ones underflow to a
// zero length; zero stays zero and non-finite input never traps.
TYPED_TEST(Vector_Normalize, ExtremeAndBadComponents) {
    using Real = decltype(TypeParam::x);
    const Real tiny = std::numeric_limits<Real>::denorm_min() * 3;
    const struct {
        TypeParam in, out;
    } rows[] = {{{1e20, 0, 0}, {1, 0, 0}},
                {{-3e30, 4e30, 0}, {-0.6, 0.8, 0}},
                {{tiny, 0, -tiny}, {Real(std::sqrt(0.5)), 0, -Real(std::sqrt(0.5))}},
                {{0, 0, 0}, {0, 0, 0}}};
    for (const auto& row : rows) {
        TypeParam v = row.in;
        v.normalize();
        EXPECT_NEAR(KD_Length(v - row.out), 0, 1e-6);
    }
    TypeParam v{std::numeric_limits<Real>::quiet_NaN(), 1, 0};
    v.normalize();
    EXPECT_TRUE(std::isnan(v.x));
    TypeParam w{std::numeric_limits<Real>::infinity(), 1, 0};
    w.normalize();
    EXPECT_TRUE(std::isnan(w.x) && std::isnan(w.y));
}

// Squaring the components of a huge double plane must not overflow.
TEST(Plane_Normalize, ScalesNormalAndOffsetTogetherOrLeavesAZeroNormal) {
    KT_Plane p{0, 0, 2, 4}, zero{0, 0, 0, 7};
    KT_Plane_D q{0, 3e200, 4e200, 1e201}, zero_d{0, 0, 0, 7};
    p.normalize();
    zero.normalize();
    q.normalize();
    zero_d.normalize();
    EXPECT_EQ(p.c, 1.0f) << "the normal becomes unit length";
    EXPECT_EQ(p.d, 2.0f) << "and d is divided by the same length";
    EXPECT_EQ(zero.d, 7.0f) << "a zero normal leaves the plane alone";
    EXPECT_EQ(zero_d.d, 7.0) << "in double precision too";
    EXPECT_NEAR(KD_Length(KT_Vector_D{q.a, q.b, q.c} - KT_Vector_D{0, 0.6, 0.8}), 0, 1e-12);
    EXPECT_NEAR(q.d, 2, 1e-12);
}

TEST(Arc_Cosine, ExactEntriesInterpolationAndTheDomain) {
    EXPECT_EQ(KD_ACos(0.0f), static_cast<float>(pi / 2));
    EXPECT_EQ(KD_ACos(1.0f), 0.0f);
    EXPECT_EQ(KD_ACos(-1.0f), static_cast<float>(pi));
    std::mt19937 random(11);
    std::uniform_real_distribution<float> cosine(-1.0f, 1.0f);
    for (int i = 0; i < 2000; ++i) {
        const float x = cosine(random);
        // Entries are 1/250 apart; acos is steep near +-1.
        const double tolerance = std::fabs(x) > 0.99f ? 2e-2 : 1e-3;
        EXPECT_NEAR(KD_ACos(x), std::acos(static_cast<double>(x)), tolerance) << x;
    }
    EXPECT_EQ(KD_ACos(-1.00005f), 3.1415927f); // rounds onto the domain
    for (float outside : {1.5f, 1.0001f, -1.0001f, -2.0f, std::numeric_limits<float>::quiet_NaN(),
                          -std::numeric_limits<float>::infinity()})
        EXPECT_EQ(KD_ACos(outside), 0.0f) << outside;
}

} // namespace
