#include <cmath>
#include <limits>
#include <random>

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
    TypeParam v{3, 0, 4};
    v.normalize();
    EXPECT_NEAR(v.x, 0.6, 1e-7);
    EXPECT_EQ(v.y, 0);
    EXPECT_NEAR(v.z, 0.8, 1e-7);

    std::mt19937 random(5);
    using Real = decltype(TypeParam::x);
    std::uniform_real_distribution<Real> coordinate(-1e3, 1e3);
    for (int i = 0; i < 200; ++i) {
        TypeParam r{coordinate(random), coordinate(random), coordinate(random)};
        const TypeParam before = r;
        r.normalize();
        EXPECT_NEAR(KD_Length(r), 1, 1e-6);
        // Same direction: the cross product with the original vanishes.
        const TypeParam cross = KD_Cross(before, r);
        EXPECT_NEAR(KD_Length(cross) / KD_Length(before), 0, 1e-6);
        EXPECT_GT(KD_Dot(before, r), 0);
    }
}

TYPED_TEST(Vector_Normalize, ZeroVectorStaysZero) {
    TypeParam v{0, 0, 0};
    v.normalize();
    EXPECT_TRUE(v == (TypeParam{0, 0, 0}));
}

TYPED_TEST(Vector_Normalize, ExtremeComponentsNeitherOverflowNorUnderflow) {
    TypeParam v{1e20, 0, 0};
    v.normalize();
    EXPECT_TRUE(v == (TypeParam{1, 0, 0}));

    // Squared, these underflow to a zero length.
    using Real = decltype(TypeParam::x);
    const Real tiny = std::numeric_limits<Real>::denorm_min() * 3;
    TypeParam t{tiny, 0, -tiny};
    t.normalize();
    EXPECT_NEAR(t.x, std::sqrt(0.5), 1e-6);
    EXPECT_NEAR(t.z, -std::sqrt(0.5), 1e-6);

    TypeParam w{-3e30, 4e30, 0};
    w.normalize();
    EXPECT_NEAR(w.x, -0.6, 1e-6);
    EXPECT_NEAR(w.y, 0.8, 1e-6);
}

TYPED_TEST(Vector_Normalize, NonFiniteInputNeverTraps) {
    using Real = decltype(TypeParam::x);
    TypeParam v{std::numeric_limits<Real>::quiet_NaN(), 1, 0};
    v.normalize();
    EXPECT_TRUE(std::isnan(v.x));
    // An infinite component makes the whole direction undefined.
    TypeParam w{std::numeric_limits<Real>::infinity(), 1, 0};
    w.normalize();
    EXPECT_TRUE(std::isnan(w.x) && std::isnan(w.y));
}

TEST(Vector_Algebra, CrossProductIsRightHanded) {
    const KT_Vector x{1, 0, 0}, y{0, 1, 0};
    EXPECT_TRUE(KD_Cross(x, y) == (KT_Vector{0, 0, 1}));
    EXPECT_TRUE(KD_Cross(y, x) == (KT_Vector{0, 0, -1}));
    const KT_Point_D a{1, 2, 3}, b{4, 6, 3};
    EXPECT_EQ(KD_Length(b - a), 5);
    const KT_Point_D back = a + (b - a);
    EXPECT_TRUE(back == b);
}

TEST(Plane_Normalize, ScalesNormalAndOffsetTogether) {
    KT_Plane p{0, 0, 2, 4};
    p.normalize();
    EXPECT_EQ(p.c, 1);
    EXPECT_EQ(p.d, 2);
    KT_Plane_D q{0, 0, 2, 4};
    q.normalize();
    EXPECT_EQ(q.c, 1);
    EXPECT_EQ(q.d, 2);
}

TEST(Plane_Normalize, ZeroNormalIsLeftUnchanged) {
    KT_Plane p{0, 0, 0, 7};
    p.normalize();
    EXPECT_EQ(p.d, 7);
    KT_Plane_D q{0, 0, 0, 7};
    q.normalize();
    EXPECT_EQ(q.d, 7);
}

TEST(Plane_Normalize, DoubleFormGuardsAgainstOverflow) {
    KT_Plane_D q{0, 3e200, 4e200, 1e201};
    q.normalize();
    EXPECT_NEAR(q.b, 0.6, 1e-12);
    EXPECT_NEAR(q.c, 0.8, 1e-12);
    EXPECT_NEAR(q.d, 2, 1e-12);
}

TEST(Arc_Cosine, TableEntriesAreExact) {
    EXPECT_EQ(KD_ACos(0.0f), static_cast<float>(pi / 2));
    EXPECT_EQ(KD_ACos(1.0f), 0.0f);
    EXPECT_EQ(KD_ACos(-1.0f), static_cast<float>(pi));
}

TEST(Arc_Cosine, InterpolatesCloseToTheTrueArcCosine) {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> cosine(-1.0f, 1.0f);
    for (int i = 0; i < 2000; ++i) {
        const float x = cosine(random);
        // Linear interpolation between entries 1/250 apart; the error grows
        // near +-1 where acos is steep.
        const double tolerance = std::fabs(x) > 0.99f ? 2e-2 : 1e-3;
        EXPECT_NEAR(KD_ACos(x), std::acos(static_cast<double>(x)), tolerance) << x;
    }
    // Monotonic decreasing across the whole domain.
    float previous = KD_ACos(-1.0f);
    for (int i = -999; i <= 1000; ++i) {
        const float value = KD_ACos(i / 1000.0f);
        EXPECT_LE(value, previous) << i;
        previous = value;
    }
}

TEST(Arc_Cosine, OutsideTheDomain) {
    EXPECT_EQ(KD_ACos(1.5f), 0.0f);
    EXPECT_EQ(KD_ACos(1.0001f), 0.0f);
    EXPECT_EQ(KD_ACos(-1.00005f), 3.1415927f);
    EXPECT_EQ(KD_ACos(-1.0001f), 0.0f);
    EXPECT_EQ(KD_ACos(-2.0f), 0.0f);
    EXPECT_EQ(KD_ACos(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(KD_ACos(-std::numeric_limits<float>::infinity()), 0.0f);
}

} // namespace
