// The small-polygon path cuts one simple outline with holes into ears; the
// general path is its reference. On a few thousand seeded random simple
// polygons both must give the same number of triangles, with corners that
// are input points with their sources, wound alike, covering exactly the
// same region. Anything not simple must be declined and get the general
// path's triangles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "contour/ear_clip.h"
#include "contour/polygon_rank.h"
#include "region_check.h"

namespace {

using namespace contour_test;
using kavri_contour::detail::triangulate_general;
using kavri_contour::detail::triangulate_small;

struct Delivered {
    KT_Point_D a, b, c;
    int sa, sb, sc;
};

template <class P>
void keep(const P* a, const P* b, const P* c, const KT_Contour_Point_Source* sa,
          const KT_Contour_Point_Source* sb, const KT_Contour_Point_Source* sc, void* user) {
    static_cast<std::vector<Delivered>*>(user)->push_back(
        Delivered{widen(*a), widen(*b), widen(*c), sa->index, sb->index, sc->index});
}

template <class P> std::vector<Delivered> general_triangles(const KT_Contour_Set_Data& set) {
    std::vector<Delivered> out;
    triangulate_general(set, keep<P>, &out);
    return out;
}

template <class P> std::vector<Delivered> public_triangles(const KT_Contour_Set_Data& set) {
    std::vector<Delivered> out;
    set.triangulate(keep<P>, &out);
    return out;
}

int sign(double v) {
    return (v > 0) - (v < 0);
}

// The region's boundary as the general path resolves it: directed edges,
// sorted, so that contours found in another order or from another start
// compare equal.
using Directed_Edge = std::tuple<double, double, double, double>;

std::vector<Directed_Edge> boundary_of(const KT_Contour_Set_Data& resolved) {
    std::vector<Directed_Edge> edges;
    int start = 0;
    for (int c = 0; c < resolved.contour_count; ++c) {
        const int n = resolved.counts[c];
        for (int i = 0; i < n; ++i) {
            const KT_Point_D a = point_at(resolved, start + i);
            const KT_Point_D b = point_at(resolved, start + (i + 1) % n);
            edges.emplace_back(a.x, a.y, b.x, b.y);
        }
        start += n;
    }
    std::sort(edges.begin(), edges.end());
    return edges;
}

constexpr double frame = 1000; // half-width of a square holding every test polygon

template <class P> std::vector<Directed_Edge> region_of(const KT_Contour_Set& set) {
    const KT_Contour_Set resolved = resolved_within<P>(set, frame);
    return resolved.empty() ? std::vector<Directed_Edge>{} : boundary_of(*resolved);
}

// The triangles as a non-zero set of their own, resolved by the same path.
template <class P> std::vector<Directed_Edge> region_of(const std::vector<Delivered>& triangles) {
    Outline o;
    for (const Delivered& t : triangles)
        o.add({t.a, t.b, t.c});
    std::vector<P> storage;
    return region_of<P>(make_set(o, storage, KT_Fill_Non_Zero));
}

// Up to three extra points along each edge, exactly on it: the corners
// lie on a grid of eighths, exact in both precisions.
std::vector<KT_Point_D> with_collinear_runs(std::mt19937& rng, const std::vector<KT_Point_D>& c) {
    std::uniform_int_distribution<int> extra(0, 3);
    std::vector<KT_Point_D> out;
    for (std::size_t i = 0; i < c.size(); ++i) {
        const KT_Point_D& a = c[i];
        const KT_Point_D& b = c[(i + 1) % c.size()];
        out.push_back(a);
        const int k = extra(rng);
        for (int j = 1; j <= k; ++j) {
            const double t = j / 4.0;
            out.push_back(KT_Point_D{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, 0});
        }
    }
    return out;
}

// A random walk left to right above and back below: a polygon that is
// not star-shaped about any point in general.
std::vector<KT_Point_D> walk_contour(std::mt19937& rng, int n, bool clockwise) {
    std::uniform_real_distribution<double> step(0.5, 4), rise(-6, 6);
    std::vector<KT_Point_D> top, bottom;
    double x = -100, y_top = 10, y_bottom = -10;
    for (int i = 0; i < n / 2; ++i) {
        top.push_back(KT_Point_D{snap(x), snap(y_top), 0});
        bottom.push_back(KT_Point_D{snap(x), snap(y_bottom), 0});
        x += step(rng);
        y_top = std::clamp(y_top + rise(rng), -40.0, 60.0);
        y_bottom = std::clamp(y_bottom + rise(rng), y_top - 80, y_top - 2);
    }
    std::vector<KT_Point_D> c(bottom.begin(), bottom.end());
    c.insert(c.end(), top.rbegin(), top.rend());
    if (clockwise) std::reverse(c.begin(), c.end());
    return c;
}

enum class Shape { star, star_with_holes, collinear_runs, walk };

struct Case {
    Outline outline;
    int holes = 0;
};

// Holes sit on a ring well inside the outline's inner radius; under
// non-zero they must turn against the outline, under odd-even either way.
Case random_case(std::mt19937& rng, Shape shape, KT_Contour_Fill_Rule rule) {
    std::uniform_int_distribution<int> corners(3, 200), hole_count(1, 8), hole_corners(3, 12);
    std::bernoulli_distribution coin(0.5);
    const bool clockwise = coin(rng);
    Case c;
    switch (shape) {
    case Shape::star:
        c.outline.add(star(rng, corners(rng), 0, 0, 30, 100, clockwise));
        break;
    case Shape::collinear_runs:
        c.outline.add(
            with_collinear_runs(rng, star(rng, corners(rng) / 3 + 3, 0, 0, 30, 100, clockwise)));
        break;
    case Shape::walk:
        c.outline.add(walk_contour(rng, corners(rng) + 4, clockwise));
        break;
    case Shape::star_with_holes: {
        c.outline.add(star(rng, corners(rng), 0, 0, 40, 100, clockwise));
        c.holes = hole_count(rng);
        for (int h = 0; h < c.holes; ++h) {
            const double a = 2 * M_PI * h / c.holes;
            const bool hole_clockwise = rule == KT_Fill_Odd_Even ? coin(rng) : !clockwise;
            c.outline.add(star(rng, hole_corners(rng), 24 * std::cos(a), 24 * std::sin(a), 3, 7,
                               hole_clockwise));
        }
        break;
    }
    }
    return c;
}

const char* shape_name(Shape s) {
    switch (s) {
    case Shape::star:
        return "star";
    case Shape::star_with_holes:
        return "star with holes";
    case Shape::collinear_runs:
        return "collinear runs";
    case Shape::walk:
        return "walk";
    }
    return "?";
}

template <class P> class SmallPolygon : public ::testing::Test {};
using Precisions = ::testing::Types<KT_Point, KT_Point_D>;
TYPED_TEST_SUITE(SmallPolygon, Precisions);

// Corners name input points by index, and each is exactly that point.
void expect_corners_are_sources(const std::vector<Delivered>& triangles, const Outline& o) {
    const int total = static_cast<int>(o.points.size());
    for (const Delivered& t : triangles)
        for (const auto& [p, s] :
             {std::pair{t.a, t.sa}, std::pair{t.b, t.sb}, std::pair{t.c, t.sc}}) {
            ASSERT_TRUE(s >= 0 && s < total) << "source " << s;
            EXPECT_EQ(p.x, o.points[s].x) << "source " << s;
            EXPECT_EQ(p.y, o.points[s].y) << "source " << s;
        }
}

TYPED_TEST(SmallPolygon, AgreesWithTheGeneralPathOnRandomSimplePolygons) {
    using P = TypeParam;
    constexpr int cases_per_shape = 200;
    // Declining is allowed, but only for the rare exactly degenerate case.
    constexpr double least_share_taken = 0.9;
    std::mt19937 rng(1818);
    for (const Shape shape :
         {Shape::star, Shape::star_with_holes, Shape::collinear_runs, Shape::walk})
        for (const KT_Contour_Fill_Rule rule : {KT_Fill_Non_Zero, KT_Fill_Odd_Even}) {
            int taken = 0, tried = 0;
            for (int i = 0; i < cases_per_shape; ++i) {
                const Case c = random_case(rng, shape, rule);
                const Outline& o = c.outline;
                SCOPED_TRACE(::testing::Message()
                             << shape_name(shape) << " " << i << " under rule " << rule << ", "
                             << o.points.size() << " points, " << c.holes << " holes");
                // A convex outline alone gets its strip before either path.
                if (o.counts.size() == 1 && KD_Rank_Polygon(o.counts[0], o.points.data()) == Convex)
                    continue;
                std::vector<P> storage;
                const KT_Contour_Set set = make_set(o, storage, rule);
                std::vector<Delivered> small;
                ++tried;
                if (!triangulate_small(*set, keep<P>, &small)) {
                    EXPECT_TRUE(small.empty()) << "declined after delivering";
                    continue;
                }
                ++taken;
                const std::vector<Delivered> general = general_triangles<P>(*set);
                ASSERT_FALSE(general.empty());
                const int points = static_cast<int>(o.points.size());
                EXPECT_EQ(static_cast<int>(small.size()), points + 2 * c.holes - 2);
                EXPECT_EQ(small.size(), general.size());
                expect_corners_are_sources(small, o);
                const int winding = sign(cross(general[0].a, general[0].b, general[0].c));
                for (const Delivered& t : small)
                    ASSERT_EQ(sign(cross(t.a, t.b, t.c)), winding)
                        << "triangle " << t.sa << " " << t.sb << " " << t.sc;
                EXPECT_EQ(region_of<P>(small), region_of<P>(set));
            }
            EXPECT_GE(taken, least_share_taken * tried)
                << shape_name(shape) << " under rule " << rule;
        }
}

// The public triangulate() goes through the small path first: its
// triangles are the small path's.
TYPED_TEST(SmallPolygon, IsTheFirstChoiceOfTriangulate) {
    using P = TypeParam;
    std::mt19937 rng(7);
    const Case c = random_case(rng, Shape::star_with_holes, KT_Fill_Non_Zero);
    std::vector<P> storage;
    const KT_Contour_Set set = make_set(c.outline, storage, KT_Fill_Non_Zero);
    std::vector<Delivered> small;
    ASSERT_TRUE(triangulate_small(*set, keep<P>, &small));
    const std::vector<Delivered> delivered = public_triangles<P>(*set);
    ASSERT_EQ(delivered.size(), small.size());
    for (std::size_t t = 0; t < small.size(); ++t) {
        EXPECT_EQ(delivered[t].sa, small[t].sa) << "triangle " << t;
        EXPECT_EQ(delivered[t].sb, small[t].sb) << "triangle " << t;
        EXPECT_EQ(delivered[t].sc, small[t].sc) << "triangle " << t;
    }
}

// Sets the small path must decline; triangulate() then covers what the
// general path covers.
struct Not_Simple {
    const char* name;
    KT_Contour_Fill_Rule rule;
    Outline outline;
};

Outline square_with(const std::vector<std::vector<KT_Point_D>>& holes) {
    Outline o;
    o.add({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}});
    for (const auto& h : holes)
        o.add(h);
    return o;
}

std::vector<Not_Simple> not_simple_cases() {
    const std::vector<KT_Point_D> hole = {{2, 2, 0}, {2, 4, 0}, {4, 4, 0}, {4, 2, 0}};
    const std::vector<KT_Point_D> touching_outline = {{5, 0, 0}, {4, 2, 0}, {6, 2, 0}};
    const std::vector<KT_Point_D> crossing_outline = {{8, 4, 0}, {8, 6, 0}, {12, 6, 0}, {12, 4, 0}};
    const std::vector<KT_Point_D> touching_hole = {{4, 4, 0}, {5, 6, 0}, {6, 4, 0}};
    const std::vector<KT_Point_D> outside = {{20, 2, 0}, {20, 4, 0}, {22, 4, 0}};
    const std::vector<KT_Point_D> inner = {{2.5, 2.5, 0}, {2.5, 3.5, 0}, {3.5, 3.5, 0}};
    const std::vector<KT_Point_D> same_turn = {{2, 2, 0}, {4, 2, 0}, {4, 4, 0}, {2, 4, 0}};
    Outline bow_tie;
    bow_tie.add({{0, 0, 0}, {10, 10, 0}, {10, 0, 0}, {0, 10, 0}});
    Outline repeated_point;
    repeated_point.add({{0, 0, 0}, {4, 0, 0}, {2, 2, 0}, {4, 4, 0}, {0, 4, 0}, {2, 2, 0}});
    Outline vertex_on_edge;
    vertex_on_edge.add({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {5, 0, 0}, {0, 10, 0}});
    Outline spike;
    spike.add({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {10, 4, 0}, {0, 10, 0}});
    return {
        {"hole touching the outline", KT_Fill_Non_Zero, square_with({touching_outline})},
        {"hole crossing the outline", KT_Fill_Non_Zero, square_with({crossing_outline})},
        {"holes touching each other", KT_Fill_Odd_Even, square_with({hole, touching_hole})},
        {"hole outside the outline", KT_Fill_Odd_Even, square_with({outside})},
        {"hole inside a hole", KT_Fill_Odd_Even, square_with({hole, inner})},
        {"non-zero hole turning like the outline", KT_Fill_Non_Zero, square_with({same_turn})},
        {"crossing edges", KT_Fill_Odd_Even, bow_tie},
        {"repeated point", KT_Fill_Non_Zero, repeated_point},
        {"vertex on an edge", KT_Fill_Odd_Even, vertex_on_edge},
        {"edge folding back over another", KT_Fill_Odd_Even, spike},
    };
}

TYPED_TEST(SmallPolygon, DeclinesWhatIsNotSimpleAndLeavesItToTheGeneralPath) {
    using P = TypeParam;
    for (const Not_Simple& c : not_simple_cases()) {
        SCOPED_TRACE(c.name);
        std::vector<P> storage;
        const KT_Contour_Set set = make_set(c.outline, storage, c.rule);
        std::vector<Delivered> small;
        EXPECT_FALSE(triangulate_small(*set, keep<P>, &small));
        EXPECT_TRUE(small.empty());
        const std::vector<Delivered> general = general_triangles<P>(*set);
        const std::vector<Delivered> delivered = public_triangles<P>(*set);
        ASSERT_FALSE(general.empty());
        EXPECT_EQ(delivered.size(), general.size());
        EXPECT_EQ(region_of<P>(delivered), region_of<P>(general));
    }
}

// A face of a shell in a tilted plane: a star outline with square holes,
// all as vertex indices.
struct Face {
    std::vector<KT_Point> points;
    std::vector<int> loops;
    double area = 0; // outline minus holes, in the projection onto x, y
};

Face random_face(std::mt19937& rng, int holes) {
    Face f;
    std::uniform_int_distribution<int> corners(5, 120);
    const std::vector<KT_Point_D> outline = star(rng, corners(rng), 0, 0, 40, 100, false);
    auto add_loop = [&](const std::vector<KT_Point_D>& loop, int count) {
        f.loops.push_back(count);
        for (const KT_Point_D& p : loop) {
            f.loops.push_back(static_cast<int>(f.points.size()));
            // z = x / 4 + y / 8 keeps the face planar and mostly facing z.
            f.points.push_back(KT_Point{float(p.x), float(p.y), float(p.x / 4 + p.y / 8)});
        }
        f.area += polygon_area(loop);
    };
    add_loop(outline, static_cast<int>(outline.size()));
    for (int h = 0; h < holes; ++h) {
        const double a = 2 * M_PI * h / holes, cx = snap(24 * std::cos(a)),
                     cy = snap(24 * std::sin(a));
        const std::vector<KT_Point_D> square = {
            {cx - 3, cy - 3, 0}, {cx - 3, cy + 3, 0}, {cx + 3, cy + 3, 0}, {cx + 3, cy - 3, 0}};
        add_loop(square, -4);
    }
    return f;
}

struct Face_Triangles {
    const std::vector<KT_Point>* points;
    int count = 0;
    int wound_against_outline = 0;
    double area = 0;
};

void count_face_triangle(void* user, std::int32_t, std::int32_t a, std::int32_t b, std::int32_t c) {
    auto& t = *static_cast<Face_Triangles*>(user);
    const auto& p = *t.points;
    const double twice_area =
        cross(widen(p[a]), widen(p[b]), widen(p[c])); // outlines here turn counter-clockwise
    ++t.count;
    if (twice_area <= 0) ++t.wound_against_outline;
    t.area += twice_area / 2;
}

TEST(SmallPolygonFace, SimpleFacesWithHolesAreCutIntoEars) {
    constexpr int faces = 200;
    std::mt19937 rng(33);
    for (int i = 0; i < faces; ++i) {
        const int holes = i % 5;
        const Face f = random_face(rng, holes);
        SCOPED_TRACE(::testing::Message() << "face " << i << " with " << holes << " holes");
        Face_Triangles t{&f.points};
        KD_Triangulate_Face(f.points.data(), static_cast<const KT_Point*>(nullptr), f.loops.data(),
                            f.loops.data() + f.loops.size(), count_face_triangle, &t);
        const int points = static_cast<int>(f.points.size());
        EXPECT_EQ(t.count, points + 2 * holes - 2);
        EXPECT_EQ(t.wound_against_outline, 0);
        EXPECT_NEAR(t.area, f.area, 1e-6 * std::fabs(f.area));
    }
}

} // namespace
