// In the general path, non-zero sets whose contours neither cross nor touch
// are triangulated in one sweep instead of through their resolved form; on
// seeded random simple outlines, with and without holes, that must give
// exactly the triangles the resolved form gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "contour/ear_clip.h"
#include "contour/polygon_rank.h"
#include "region_check.h"

namespace {

using namespace contour_test;

// A corner as the caller sees it: where it is and which input point it is.
struct Corner {
    double x, y;
    int source;
    bool operator<(const Corner& o) const {
        return x != o.x ? x < o.x : y != o.y ? y < o.y : source < o.source;
    }
    bool operator==(const Corner& o) const { return x == o.x && y == o.y && source == o.source; }
};

using Corners = std::array<Corner, 3>;

struct Collected {
    std::vector<Corners> triangles;
    const KT_Contour_Set_Data* mapped_through = nullptr; // a resolved form, or null
};

template <class P>
void collect(const P* a, const P* b, const P* c, const KT_Contour_Point_Source* sa,
             const KT_Contour_Point_Source* sb, const KT_Contour_Point_Source* sc, void* user) {
    auto& out = *static_cast<Collected*>(user);
    auto corner = [&](const P* p, const KT_Contour_Point_Source* s) {
        const int source = out.mapped_through && s->index >= 0
                               ? out.mapped_through->point_source(s->index)
                               : s->index;
        return Corner{double(p->x), double(p->y), source};
    };
    out.triangles.push_back(Corners{corner(a, sa), corner(b, sb), corner(c, sc)});
}

// Sorted, so that contours delivered in another order still compare equal;
// each triangle keeps its corners' order.
template <class P>
std::vector<Corners> triangles_with_sources(const KT_Contour_Set_Data& set,
                                            const KT_Contour_Set_Data* map) {
    Collected out;
    out.mapped_through = map;
    kavri_contour::detail::triangulate_general(set, collect<P>, &out);
    std::sort(out.triangles.begin(), out.triangles.end());
    return out.triangles;
}

std::vector<KT_Point_D> star_outline(std::mt19937& rng, int n, double cx, double cy, double r0,
                                     double r1, bool clockwise) {
    std::uniform_real_distribution<double> radius(r0, r1);
    std::vector<KT_Point_D> c;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * M_PI * i / n * (clockwise ? -1 : 1);
        const double r = radius(rng);
        c.push_back(KT_Point_D{cx + r * std::cos(a), cy + r * std::sin(a), 0});
    }
    return c;
}

// A star of 7 to 60 points, with up to four small holes inside its inner
// radius and sometimes a small star beside it, each wound either way.
Outline random_simple_outline(std::mt19937& rng) {
    std::uniform_int_distribution<int> corners(7, 60), holes(0, 4), hole_corners(3, 10);
    std::bernoulli_distribution clockwise(0.5), beside(0.25);
    Outline o;
    o.add(star_outline(rng, corners(rng), 0, 0, 40, 100, clockwise(rng)));
    const int hole_count = holes(rng);
    for (int h = 0; h < hole_count; ++h) {
        const double a = 2 * M_PI * h / 4;
        o.add(star_outline(rng, hole_corners(rng), 20 * std::cos(a), 20 * std::sin(a), 3, 8,
                           clockwise(rng)));
    }
    if (beside(rng)) o.add(star_outline(rng, hole_corners(rng), 150, 0, 10, 20, clockwise(rng)));
    return o;
}

template <class P> class SimplePath : public ::testing::Test {};
using Precisions = ::testing::Types<KT_Point, KT_Point_D>;
TYPED_TEST_SUITE(SimplePath, Precisions);

TYPED_TEST(SimplePath, GivesTheTrianglesOfTheResolvedForm) {
    using P = TypeParam;
    constexpr int outlines = 2000;
    std::mt19937 rng(18);
    for (int i = 0; i < outlines; ++i) {
        const Outline o = random_simple_outline(rng);
        SCOPED_TRACE(::testing::Message() << "outline " << i << " of " << o.points.size()
                                          << " points in " << o.counts.size() << " contours");
        // A convex outline alone gets its strip before either path.
        if (o.counts.size() == 1 && KD_Rank_Polygon(o.counts[0], o.points.data()) == Convex)
            continue;
        std::vector<P> storage;
        const KT_Contour_Set set = make_set(o, storage, KT_Fill_Non_Zero);
        const KT_Contour_Set resolved(set->process(KT_Contour_Union, nullptr));
        ASSERT_FALSE(resolved.empty());
        const std::vector<Corners> direct = triangles_with_sources<P>(*set, nullptr);
        const std::vector<Corners> general = triangles_with_sources<P>(*resolved, resolved.body());
        ASSERT_FALSE(direct.empty());
        ASSERT_EQ(direct, general);
    }
}

// Touching or crossing contours are left to the resolved form.
TYPED_TEST(SimplePath, CrossingContoursStillCoverTheirUnion) {
    using P = TypeParam;
    Outline o;
    o.add({{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}});
    o.add({{2, 2, 0}, {6, 2, 0}, {6, 6, 0}, {2, 6, 0}});
    std::vector<P> storage;
    const KT_Contour_Set set = make_set(o, storage, KT_Fill_Non_Zero);
    const double union_area = 16 + 16 - 4;
    EXPECT_DOUBLE_EQ(triangle_area<P>(*set), union_area);
}

} // namespace
