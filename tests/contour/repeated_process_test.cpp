// A set combined again keeps its workspace between calls: loading the same
// pair again must give what a fresh set gives, and anything loaded
// differently must be built anew.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "region_check.h"

namespace {

using namespace contour_test;

Outline tangle(unsigned seed, int points) {
    std::mt19937 rng(seed);
    Outline o;
    o.add(scribble(rng, points, 16));
    return o;
}

// Contours, points and sources must match one for one.
void expect_same_result(const KT_Contour_Set_Data& got, const KT_Contour_Set_Data& fresh) {
    ASSERT_EQ(got.contour_count, fresh.contour_count);
    for (int c = 0; c < got.contour_count; ++c)
        ASSERT_EQ(got.counts[c], fresh.counts[c]) << "contour " << c;
    ASSERT_EQ(got.total_points, fresh.total_points);
    for (int i = 0; i < got.total_points; ++i) {
        const KT_Point_D p = point_at(got, i), q = point_at(fresh, i);
        EXPECT_EQ(p.x, q.x) << "point " << i;
        EXPECT_EQ(p.y, q.y) << "point " << i;
        EXPECT_EQ(got.point_source(i), fresh.point_source(i)) << "point " << i;
    }
}

// The result of one operation on sets made afresh from the outlines.
template <class P>
KT_Contour_Set fresh_result(const Outline& a, KT_Contour_Fill_Rule a_rule, const Outline& b,
                            KT_Contour_Fill_Rule b_rule, KT_Contour_Operation op) {
    std::vector<P> a_points, b_points;
    KT_Contour_Set a_set = make_set<P>(a, a_points, a_rule);
    KT_Contour_Set b_set = make_set<P>(b, b_points, b_rule);
    return KT_Contour_Set(a_set->process(op, b_set.body()));
}

template <class P> class RepeatedProcess : public ::testing::Test {};
using Precisions = ::testing::Types<KT_Point, KT_Point_D>;
TYPED_TEST_SUITE(RepeatedProcess, Precisions);

// Exclusive or as the two differences of one pair, on one set.
TYPED_TEST(RepeatedProcess, BothDifferencesOfOnePairMatchFreshSets) {
    using P = TypeParam;
    const Outline a = tangle(3, 40), b = tangle(4, 40);
    std::vector<P> a_points, b_points;
    KT_Contour_Set a_set = make_set<P>(a, a_points, KT_Fill_Non_Zero);
    KT_Contour_Set b_set = make_set<P>(b, b_points, KT_Fill_Non_Zero);
    for (const KT_Contour_Operation op :
         {KT_Contour_A_Minus_B, KT_Contour_B_Minus_A, KT_Contour_Intersection}) {
        SCOPED_TRACE(op);
        KT_Contour_Set again(a_set->process(op, b_set.body()));
        const KT_Contour_Set fresh = fresh_result<P>(a, KT_Fill_Non_Zero, b, KT_Fill_Non_Zero, op);
        ASSERT_GT(fresh->total_points, 0);
        expect_same_result(*again, *fresh);
    }
}

// A's union with one operand and then with another on the same set: the
// second must be what fresh sets give, and must differ from the first.
template <class P>
void expect_second_union_fresh(const Outline& a, const Outline& b, KT_Contour_Fill_Rule b_rule,
                               const Outline& next, KT_Contour_Fill_Rule next_rule) {
    std::vector<P> a_points, b_points, next_points;
    KT_Contour_Set a_set = make_set<P>(a, a_points, KT_Fill_Non_Zero);
    KT_Contour_Set b_set = make_set<P>(b, b_points, b_rule);
    KT_Contour_Set next_set = make_set<P>(next, next_points, next_rule);
    KT_Contour_Set first(a_set->process(KT_Contour_Union, b_set.body()));
    KT_Contour_Set second(a_set->process(KT_Contour_Union, next_set.body()));
    const KT_Contour_Set fresh =
        fresh_result<P>(a, KT_Fill_Non_Zero, next, next_rule, KT_Contour_Union);
    ASSERT_NE(contour_area(*first), contour_area(*fresh));
    expect_same_result(*second, *fresh);
}

// One point of B moved: the first arrangement no longer stands.
TYPED_TEST(RepeatedProcess, AMovedPointIsBuiltAnew) {
    const Outline a = tangle(5, 30), b = tangle(6, 30);
    Outline moved = b;
    moved.points[7].x += 3;
    expect_second_union_fresh<TypeParam>(a, b, KT_Fill_Non_Zero, moved, KT_Fill_Non_Zero);
}

// The same points read by another fill rule share the arrangement but not
// the region.
TYPED_TEST(RepeatedProcess, AnotherFillRuleOnTheSamePointsIsClassifiedAnew) {
    const Outline a = tangle(7, 30), b = tangle(8, 30);
    expect_second_union_fresh<TypeParam>(a, b, KT_Fill_Non_Zero, b, KT_Fill_Odd_Even);
}

// Triangulating the set between two combinations loads other input.
TYPED_TEST(RepeatedProcess, TriangulationBetweenCombinationsChangesNothing) {
    using P = TypeParam;
    const Outline a = tangle(9, 30), b = tangle(10, 30);
    std::vector<P> a_points, b_points;
    KT_Contour_Set a_set = make_set<P>(a, a_points, KT_Fill_Non_Zero);
    KT_Contour_Set b_set = make_set<P>(b, b_points, KT_Fill_Non_Zero);
    KT_Contour_Set first(a_set->process(KT_Contour_Intersection, b_set.body()));
    const std::vector<Triangle> triangles = triangles_of<P>(*a_set);
    ASSERT_FALSE(triangles.empty());
    KT_Contour_Set second(a_set->process(KT_Contour_Intersection, b_set.body()));
    expect_same_result(*second, *first);
}

} // namespace
