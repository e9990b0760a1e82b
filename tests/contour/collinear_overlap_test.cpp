// Outlines sharing a straight border along which one or both have many
// vertices: every boolean must give the region of the same outlines with
// those vertices left out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "region_check.h"

namespace {

using namespace contour_test;
using Contour = std::vector<KT_Point_D>;

// The points of the line from `from` towards `to`, `from` included and `to`
// left out, `steps` apart (only `from` when steps is 1).
Contour run(const KT_Point_D& from, const KT_Point_D& to, int steps) {
    Contour out;
    for (int i = 0; i < steps; ++i)
        out.push_back(KT_Point_D{from.x + (to.x - from.x) * i / steps,
                                 from.y + (to.y - from.y) * i / steps, 0});
    return out;
}

Contour joined(std::initializer_list<Contour> parts) {
    Contour out;
    for (const Contour& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Two operands given with many vertices along their shared border and the
// same operands with only the border's ends.
struct Shared_Border {
    std::string name;
    Outline a, b;
    Outline plain_a, plain_b;
};

Outline outline_of(const Contour& c) {
    Outline o;
    o.add(c);
    return o;
}

constexpr int border_steps = 32;

// The border of both is built by `side(steps)`, `steps` 1 giving the plain form.
template <class A, class B> Shared_Border make_case(std::string name, A a, B b) {
    return Shared_Border{std::move(name), outline_of(a(border_steps)), outline_of(b(border_steps)),
                         outline_of(a(1)), outline_of(b(1))};
}

std::vector<Shared_Border> shared_borders() {
    const KT_Point_D left{0, 0, 0}, right{8, 0, 0};
    auto rectangle_above = [=](int) { return Contour{left, right, {8, 4, 0}, {0, 4, 0}}; };
    std::vector<Shared_Border> cases;
    cases.push_back(make_case("a comb hanging below a rectangle", rectangle_above, [=](int steps) {
        Contour teeth;
        for (int i = 0; i < 8; ++i)
            teeth.insert(teeth.end(),
                         {{i + 0.0, -4, 0}, {i + 0.5, -4, 0}, {i + 0.5, -1, 0}, {i + 1.0, -1, 0}});
        return joined({teeth, run(right, left, steps), {left}});
    }));
    cases.push_back(
        make_case("a strip inside a rectangle along its side", rectangle_above, [=](int steps) {
            return joined({run(left, right, steps), {right, {8, 2, 0}, {0, 2, 0}}});
        }));
    cases.push_back(
        make_case("a border running past both corners", rectangle_above, [=](int steps) {
            const KT_Point_D far_right{10, 0, 0}, far_left{-2, 0, 0};
            return joined(
                {{{-2, -3, 0}, {10, -3, 0}}, run(far_right, far_left, steps), {far_left}});
        }));
    // Points at multiples of (6, 4) / 64 lie exactly on one slanted line in
    // both precisions; A's, at odd multiples, fall between B's.
    const KT_Point_D low{0, 0, 0}, high{6, 4, 0};
    cases.push_back(make_case(
        "a slanted border with vertices on both sides",
        [=](int steps) {
            Contour border{low};
            for (const int k : {1, 9, 17, 33, 63})
                if (steps > 1) border.push_back(KT_Point_D{6.0 * k / 64, 4.0 * k / 64, 0});
            return joined({border, {high, {0, 4, 0}}});
        },
        [=](int steps) {
            return joined({{low, {6, 0, 0}}, run(high, low, steps)});
        }));
    return cases;
}

template <class P> bool inside(const KT_Contour_Set& set, const KT_Point_D& q) {
    return set->point_inside(narrow<P>(q));
}

template <class P> class CollinearOverlap : public ::testing::Test {};
using Precisions = ::testing::Types<KT_Point, KT_Point_D>;
TYPED_TEST_SUITE(CollinearOverlap, Precisions);

TYPED_TEST(CollinearOverlap, BooleansGiveTheRegionOfThePlainBorder) {
    using P = TypeParam;
    const KT_Contour_Operation operations[] = {KT_Contour_Intersection, KT_Contour_Union,
                                               KT_Contour_A_Minus_B, KT_Contour_B_Minus_A};
    for (const Shared_Border& c : shared_borders()) {
        const std::vector<KT_Point_D> samples =
            samples_away_from({&c.plain_a, &c.plain_b}, -3, 11, 40);
        for (const KT_Contour_Fill_Rule rule_a : input_rules)
            for (const KT_Contour_Fill_Rule rule_b : input_rules) {
                std::vector<P> sa, sb, spa, spb;
                const KT_Contour_Set a = make_set(c.a, sa, rule_a), b = make_set(c.b, sb, rule_b);
                const KT_Contour_Set plain_a = make_set(c.plain_a, spa, rule_a);
                const KT_Contour_Set plain_b = make_set(c.plain_b, spb, rule_b);
                for (const KT_Contour_Operation op : operations) {
                    SCOPED_TRACE(::testing::Message()
                                 << c.name << ", operation " << op << ", fill rules " << rule_a
                                 << " and " << rule_b);
                    const KT_Contour_Set got(a->process(op, b.body()));
                    const KT_Contour_Set plain(plain_a->process(op, plain_b.body()));
                    ASSERT_FALSE(got.empty());
                    ASSERT_FALSE(plain.empty());
                    EXPECT_NEAR(contour_area(*got), contour_area(*plain), 1e-9);
                    int wrong = 0;
                    for (const KT_Point_D& q : samples) {
                        const bool want =
                            inside_result(op, inside<P>(plain_a, q), inside<P>(plain_b, q));
                        wrong += winding(*got, q) != (want ? 1 : 0);
                    }
                    EXPECT_EQ(wrong, 0) << "of " << samples.size() << " samples";
                }
            }
    }
}

TYPED_TEST(CollinearOverlap, InputVerticesAlongAnOverlapStayInTheResult) {
    using P = TypeParam;
    // A rectangle with vertices along its bottom, and a strip inside it on
    // the same side: their union is the rectangle with all its vertices.
    const KT_Point_D left{0, 0, 0}, right{8, 0, 0};
    const Outline rectangle =
        outline_of(joined({run(left, right, border_steps), {right, {8, 4, 0}, {0, 4, 0}}}));
    const Outline strip = outline_of({left, right, {8, 2, 0}, {0, 2, 0}});
    std::vector<P> sa, sb;
    const KT_Contour_Set a = make_set(rectangle, sa, KT_Fill_Non_Zero),
                         b = make_set(strip, sb, KT_Fill_Non_Zero);
    const KT_Contour_Set both(a->process(KT_Contour_Union, b.body()));
    ASSERT_EQ(both->contour_count, 1);
    EXPECT_EQ(both->total_points, static_cast<int>(rectangle.points.size()));
}

TYPED_TEST(CollinearOverlap, LinesAlongABorderKeepEveryVertex) {
    using P = TypeParam;
    // The strip's outline as lines inside the rectangle: the part along the
    // rectangle's side still passes through each of the strip's vertices.
    const Shared_Border strip = shared_borders()[1];
    std::vector<P> sa, sb;
    const KT_Contour_Set rectangle = make_set(strip.plain_a, sa, KT_Fill_Non_Zero);
    const KT_Contour_Set lines_of = make_set(strip.b, sb, KT_Fill_Non_Zero);
    const KT_Contour_Set lines(rectangle->process(KT_Contour_Lines_Inside, lines_of.body()));
    ASSERT_FALSE(lines.empty());
    for (const KT_Point_D& vertex : strip.b.points) {
        bool found = false;
        for (int i = 0; i < lines->total_points; ++i) {
            const KT_Point_D q = point_at(*lines, i);
            found = found || (q.x == vertex.x && q.y == vertex.y);
        }
        EXPECT_TRUE(found) << "vertex " << vertex.x << ", " << vertex.y;
    }
}

} // namespace
