#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "math/matrix.h"
#include "math/matrix_classification.h"

namespace {

constexpr double pi = 3.14159265358979323846;

// Classification bits by name; a product or chain of edits carries their OR.
namespace bits {
constexpr std::uint32_t identity = 0;
constexpr std::uint32_t scaled = KT_Matrix_XY_Scaled;
constexpr std::uint32_t mixed = KT_Matrix_XY_Mixed;
constexpr std::uint32_t translated = KT_Matrix_XY_Translated;
constexpr std::uint32_t z = KT_Matrix_Z;
constexpr std::uint32_t perspective = KT_Matrix_Perspective;
constexpr std::uint32_t general = KT_Matrix_General;
} // namespace bits

template <class Handle> using Real_Of_Handle = typename Handle::Real;

// Plain row-vector product for the expectations: [x y z 1] * m, no division.
template <class M> std::vector<double> row_times(const M& m, double x, double y, double z) {
    std::vector<double> r(4);
    for (int j = 0; j < 4; ++j)
        r[j] = x * m[0][j] + y * m[1][j] + z * m[2][j] + m[3][j];
    return r;
}

template <class A, class B> void product(const A& a, const B& b, double (&r)[4][4]) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            r[i][j] = 0;
            for (int k = 0; k < 4; ++k)
                r[i][j] += double(a[i][k]) * double(b[k][j]);
        }
}

// Builds matrices by random chains of editing operations and products, so
// that every classification arises the way a client would reach it.
template <class Handle> class Random_Matrices {
public:
    using Real = Real_Of_Handle<Handle>;
    using Vector = typename Handle::Vector;

    explicit Random_Matrices(unsigned seed) : random_(seed) {}

    double uniform(double lo, double hi) {
        return std::uniform_real_distribution<>(lo, hi)(random_);
    }
    int pick(int n) { return std::uniform_int_distribution<>(0, n - 1)(random_); }

    void edit(Handle& m) {
        const double a = uniform(-pi, pi), b = uniform(-1.2, 1.2), x = uniform(0.2, 3),
                     y = uniform(0.2, 3), z = uniform(-3, 3), t = uniform(-10, 10);
        const Real c = std::cos(a), s = std::sin(a);
        const std::function<void()> edits[] = {
            [&] { m.scale(x, y, 1); },
            [&] { m.scale(z, x, y); },
            [&] { m.translate(t, z, 0); },
            [&] { m.translate(t, z, x); },
            [&] { m.rotate_z(a); },
            [&] { m.rotate_x(a); },
            [&] { m.rotate_y(a); },
            [&] {
                m.rotate(pick(2) ? Vector{0, 0, 1} : Vector{Real(b), 1, Real(a)}, a);
            },
            [&] { m.shear_x(b, 0); },
            [&] { m.shear_z(0, b); },
            [&] { m.project(x + 1, y + 1, uniform(1, 9), pick(2)); },
            [&] { m.uniform_scale(x); },
            [&] {
                m.change_basis(Vector{c, -s, 0}, Vector{s, c, 0}, Vector{0, 0, 1});
            },
            [&] { // a general turn given as a basis
                Handle turn;
                turn.rotate(Vector{Real(b), 1, Real(a)}, a);
                const auto& r = turn.body()->m;
                m.change_basis(Vector{r[0][0], r[1][0], r[2][0]}, Vector{r[0][1], r[1][1], r[2][1]},
                               Vector{r[0][2], r[1][2], r[2][2]});
            },
            [&] {
                Handle other, result;
                edit(other);
                m.multiply(other, result);
                m = result;
            }};
        edits[pick(15)]();
    }

    Handle make() {
        Handle m;
        for (int steps = pick(5) - 1; steps >= 0; --steps)
            edit(m);
        return m;
    }

private:
    std::mt19937 random_;
};

template <class Handle> void product_of_translate_and_turn(Handle& result) {
    Handle a, b;
    a.translate(1, 2, 0);
    b.rotate_x(pi / 2);
    a.multiply(b, result);
}

template <class Real>
constexpr Real block_and_translation[4][4] = {
    {0, 1, 0, 9}, {-1, 0, 0, 9}, {0, 0, 2, 9}, {5, 6, 7, 9}};

template <class Handle> class Matrix_Precision : public ::testing::Test {};
using Handle_Types = ::testing::Types<KT_Matrix_Single, KT_Matrix_Double>;
TYPED_TEST_SUITE(Matrix_Precision, Handle_Types);

template <class Out, class Handle, class In>
void expect_fast_equals_reference(const Handle& m, const std::vector<In>& points, float wlimit) {
    const int n = static_cast<int>(points.size());
    std::vector<Out> fast(n), reference(n);
    std::vector<float> fast_w(n), reference_w(n);
    m.transform(n, points.data(), fast.data(), fast_w.data(), wlimit);
    m.transform_reference(n, points.data(), reference.data(), reference_w.data(), wlimit);
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(std::tuple(fast[i].x, fast[i].y, fast[i].z, fast_w[i]),
                  std::tuple(reference[i].x, reference[i].y, reference[i].z, reference_w[i]))
            << "class " << m.classification() << " point " << i;
}

// A missing classification bit sends points down a loop that ignores
// elements the matrix uses; the plain product shows it.
TYPED_TEST(Matrix_Precision, EveryClassTransformsLikeTheFullProduct) {
    Random_Matrices<TypeParam> matrices(1234);
    std::vector<KT_Point> points(64);
    std::vector<KT_Point_D> points_d(64);
    for (std::size_t i = 0; i < points.size(); ++i) {
        points_d[i] = {matrices.uniform(-50, 50), matrices.uniform(-50, 50),
                       matrices.uniform(-50, 50)};
        points[i] = KD_Narrow(points_d[i]);
    }
    std::set<std::uint32_t> seen;
    for (int trial = 0; trial < 3000; ++trial) {
        const TypeParam m = matrices.make();
        seen.insert(std::min(m.classification(), bits::perspective));
        const float wlimit = trial % 2 ? 0.0f : 0.3f;
        expect_fast_equals_reference<KT_Point>(m, points, wlimit);
        expect_fast_equals_reference<KT_Point_D>(m, points_d, wlimit);
        expect_fast_equals_reference<KT_Point>(m, points_d, wlimit);
        if (this->HasFatalFailure()) return;
    }
    // Every affine combination but z alone, and perspective.
    for (std::uint32_t affine = bits::identity; affine < bits::perspective; ++affine) {
        if (affine == bits::z) continue; // z never takes part without x or y
        EXPECT_TRUE(seen.count(affine)) << "class " << affine << " never arose";
    }
    EXPECT_TRUE(seen.count(bits::perspective)) << "no perspective matrix arose";
}

TYPED_TEST(Matrix_Precision, EditingOperationsClassifyAndMovePointsAsDescribed) {
    using Vector = typename TypeParam::Vector;
    using Real = Real_Of_Handle<TypeParam>;
    using H = TypeParam;
    using V = Vector;
    const struct {
        std::uint32_t classification;
        KT_Point_D in, out;
        const char* what;
        void (*edit)(H&);
    } rows[] = {
        // clang-format off
        {bits::identity, {1, 2, 3}, {1, 2, 3}, "m.scale(1, 1, 1)",
            [](H& m) { m.scale(1, 1, 1); }},
        {bits::scaled, {1, 1, 1}, {2, 3, 1}, "m.scale(2, 3, 1)",
            [](H& m) { m.scale(2, 3, 1); }},
        {bits::scaled | bits::z, {1, 1, 1}, {1, 1, 2}, "m.scale(1, 1, 2)",
            [](H& m) { m.scale(1, 1, 2); }},
        {bits::identity, {1, 2, 3}, {1, 2, 3}, "m.translate(0, 0, 0)",
            [](H& m) { m.translate(0, 0, 0); }},
        {bits::translated, {1, 1, 1}, {2, 3, 1}, "m.translate(1, 2, 0)",
            [](H& m) { m.translate(1, 2, 0); }},
        {bits::translated | bits::z, {1, 1, 1}, {1, 1, 2}, "m.translate(0, 0, 1)",
            [](H& m) { m.translate(0, 0, 1); }},
        {bits::mixed, {1, 0, 0}, {0, 1, 0}, "m.rotate_z(pi / 2)",
            [](H& m) { m.rotate_z(pi / 2); }},
        {bits::mixed | bits::z, {0, 1, 0}, {0, 0, 1}, "m.rotate_x(pi / 2)",
            [](H& m) { m.rotate_x(pi / 2); }},
        {bits::mixed | bits::z, {0, 0, 1}, {1, 0, 0}, "m.rotate_y(pi / 2)",
            [](H& m) { m.rotate_y(pi / 2); }},
        {bits::identity, {1, 2, 3}, {1, 2, 3}, "m.rotate_x(0)",
            [](H& m) { m.rotate_x(0); }},
        {bits::mixed, {2, 0, 0}, {std::sqrt(3.0), 1, 0}, "m.rotate(Vector{0, 0, 3}, pi / 6)",
            [](H& m) { m.rotate(Vector{0, 0, 3}, pi / 6); }},
        // a turn about the diagonal cycles the axes
        {bits::mixed | bits::z, {1, 0, 0}, {0, 1, 0}, "m.rotate(Vector{1, 1, 1}, 2 * pi / 3)",
            [](H& m) { m.rotate(Vector{1, 1, 1}, 2 * pi / 3); }},
        {bits::scaled | bits::mixed | bits::z, {1, 2, 3}, {4, 2, 3}, "m.shear_z(pi / 4, 0)",
            [](H& m) { m.shear_z(pi / 4, 0); }},
        {bits::identity, {1, 2, 3}, {1, 2, 3}, "m.shear_z(0, 0)",
            [](H& m) { m.shear_z(0, 0); }},
        {bits::identity, {1, 2, 3}, {1, 2, 3}, "m.project(2, 2, 1, false)",
            [](H& m) { m.project(2, 2, 1, false); }},
        {bits::scaled | bits::z, {1, 1, 1}, {0.5, 0.5, 0.5}, "m.project(4, 4, 2, false)",
            [](H& m) { m.project(4, 4, 2, false); }},
        {bits::scaled, {1, 1, 1}, {0.5, 1, 1}, "m.project(4, 2, 1, false)",
            [](H& m) { m.project(4, 2, 1, false); }},
        {bits::perspective, {1, 1, 0}, {1, 1, 0}, "m.project(2, 2, 1, true)",
            [](H& m) { m.project(2, 2, 1, true); }},
        {bits::scaled | bits::z | bits::perspective, {1, 1, 0}, {0.5, 0.5, 0}, "m.project(4, 4, 2, true)",
            [](H& m) { m.project(4, 4, 2, true); }},
        {bits::scaled | bits::mixed, {1, 2, 3}, {2, -1, 3}, "m.change_basis(V{0, 1, 0}, V{-1, 0, 0}, V{0, 0, 1})",
            [](H& m) { m.change_basis(V{0, 1, 0}, V{-1, 0, 0}, V{0, 0, 1}); }},
        {bits::scaled | bits::mixed | bits::z, {1, 2, 3}, {2, 3, 1}, "m.change_basis(V{0, 1, 0}, V{0, 0, 1}, V{1, 0, 0})",
            [](H& m) { m.change_basis(V{0, 1, 0}, V{0, 0, 1}, V{1, 0, 0}); }},
        // appending: scaled first, then translated
        {bits::scaled | bits::translated | bits::z, {1, 1, 1}, {3, 2, 2}, "m.scale(2, 2, 2), m.translate(1, 0, 0)",
            [](H& m) { m.scale(2, 2, 2), m.translate(1, 0, 0); }},
        // products carry the OR of their operands
        {bits::mixed | bits::translated | bits::z, {0, 0, 0}, {1, 0, 2}, "product_of_translate_and_turn(m)",
            [](H& m) { product_of_translate_and_turn(m); }},
        // the 3 x 3 block and the translation only
        {bits::scaled | bits::mixed | bits::translated | bits::z, {1, 2, 3}, {3, 7, 13}, "m.set(block_and_translation<Real>)",
            [](H& m) { m.set(block_and_translation<Real>); }},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        H m;
        row.edit(m);
        KT_Point_D p;
        m.transform(row.in, p);
        EXPECT_EQ(m.classification(), row.classification);
        EXPECT_NEAR(KD_Length(p - row.out), 0, 1e-6);
    }
}

TYPED_TEST(Matrix_Precision, TranslateAfterPerspectiveEqualsTheProduct) {
    // A rotation followed by a projection has perspective terms in every
    // row of column 3; translating must reach all of them.
    TypeParam m, t, expected;
    m.rotate_x(0.4);
    m.rotate_y(0.7);
    m.project(2, 3, 5, true);
    t.translate(0.5, -2, 3);
    TypeParam(m).multiply(t, expected);
    m.translate(0.5, -2, 3);
    KT_Point_D a, b;
    m.transform(KT_Point_D{1.5, -0.25, 2}, a, nullptr, 0.0f);
    expected.transform(KT_Point_D{1.5, -0.25, 2}, b, nullptr, 0.0f);
    EXPECT_NEAR(KD_Length(a - b), 0, 1e-5);
}

TYPED_TEST(Matrix_Precision, WIsComparedWithTheLimit) {
    TypeParam m;
    m.project(2, 2, 4, true); // w = 1 + z / 4
    const struct {
        float z, limit, w, x;
    } rows[] = {{-2, 0.5f, 0.5f, 2},          // not divided at the limit
                {-1, 0.5f, 0.75f, 2 / 0.75f}, // divided above it
                {-4, 0, 0, 2}};               // behind the eye nothing divides
    for (const auto& row : rows) {
        KT_Point out;
        float w = -1;
        m.transform(KT_Point{2, 2, row.z}, out, &w, row.limit);
        EXPECT_EQ(w, row.w) << row.z;
        EXPECT_FLOAT_EQ(out.x, row.x) << row.z;
    }
}

TYPED_TEST(Matrix_Precision, ProductOperandsAndNormalisation) {
    TypeParam identity, a, result;
    a.rotate_z(0.5);
    identity.multiply(a, result);
    EXPECT_TRUE(result.shares_body_with(a));
    a.multiply(identity, result);
    EXPECT_TRUE(result.shares_body_with(a));

    // m33 of the product is 2: the result is the product halved.
    using Real = Real_Of_Handle<TypeParam>;
    const Real general[4][4] = {{1, 2, 0, 0.5}, {0, 1, 3, 0}, {2, 0, 1, 0}, {1, 1, 1, 2}};
    TypeParam g, t;
    g.set_as_4x4(general);
    t.translate(1, 2, 3);
    g.multiply(t, result);
    double expected[4][4];
    product(g.body()->m, t.body()->m, expected);
    ASSERT_EQ(expected[3][3], 2);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_DOUBLE_EQ(result.body()->m[i][j], expected[i][j] / 2);
    EXPECT_EQ(result.classification(), bits::general);

    // The result handle may be an operand; a shared body is not written.
    TypeParam s;
    s.scale(2, 2, 2);
    TypeParam before = s;
    s.multiply(s, s);
    EXPECT_DOUBLE_EQ(s.body()->m[0][0], 4);
    EXPECT_DOUBLE_EQ(before.body()->m[0][0], 2);
}

TYPED_TEST(Matrix_Precision, ScaleFactorFollowsUniformScaling) {
    TypeParam m, p;
    m.scale(2, 2, 2);
    m.rotate_x(0.3);
    m.translate(1, 2, 3);
    EXPECT_DOUBLE_EQ(m.body()->scale_factor, 2);
    m.scale(-3, 3, 3);
    EXPECT_DOUBLE_EQ(m.body()->scale_factor, 6);
    m.scale(1, 2, 1);
    EXPECT_EQ(m.body()->scale_factor, 0);
    p.project(4, 4, 2, false);
    EXPECT_DOUBLE_EQ(p.body()->scale_factor, 0.5);
    p.project(4, 4, 2, true);
    EXPECT_EQ(p.body()->scale_factor, 0);
}

TYPED_TEST(Matrix_Precision, RotationsStayOrthonormalAndUnfinishedOnesFinishOnce) {
    TypeParam m;
    std::mt19937 random(3);
    std::uniform_real_distribution<double> angle(-pi, pi);
    for (int i = 0; i < 3000; ++i) {
        m.rotate_x(angle(random));
        m.rotate_y(angle(random));
        TypeParam turn, next;
        turn.rotate_z(angle(random));
        m.multiply(turn, next);
        m = next;
    }
    const auto& e = m.body()->m;
    for (int i = 0; i < 3; ++i)
        for (int j = i; j < 3; ++j)
            EXPECT_NEAR(e[i][0] * e[j][0] + e[i][1] * e[j][1] + e[i][2] * e[j][2], i == j, 1e-4);

    TypeParam finished, composed;
    finished.scale(2, 2, 2);
    finished.rotate_x(0.3);
    finished.rotate_z(1.1);
    composed.scale(2, 2, 2);
    auto& body = *composed.modify();
    body.rotate_x(0.3, false);
    body.rotate_z(1.1, false);
    body.orthogonalize();
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(body.m[i][j], finished.body()->m[i][j], 1e-6);
    EXPECT_EQ(body.classification, finished.classification());
    EXPECT_EQ(body.scale_factor, 2);
}

TYPED_TEST(Matrix_Precision, AdjointTimesMatrixIsAMultipleOfIdentity) {
    Random_Matrices<TypeParam> matrices(77);
    for (int trial = 0; trial < 200; ++trial) {
        const TypeParam m = matrices.make();
        if (m.classification() == bits::identity) continue;
        const TypeParam adjoint = m.adjoint();
        ASSERT_FALSE(adjoint.empty());
        EXPECT_TRUE(m.adjoint().shares_body_with(adjoint)); // cached
        const KT_Adjoint_Matrix value = KT_Matrix(m).convert_to_adjoint();
        double am[4][4], mm[4][4], p[4][4];
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j) {
                am[i][j] = adjoint.body()->m[i][j];
                mm[i][j] = m.body()->m[i][j];
                EXPECT_NEAR(value.m[i][j], am[i][j], 1e-5 * std::max(1.0, std::abs(am[i][j])));
            }
        product(am, mm, p);
        // adjoint * m = lambda * I; with m33 of the adjoint scaled to 1
        // that pins lambda to det(m) / det(upper 3 x 3 block).
        const double lambda = p[3][3];
        const double tolerance = 1e-3 * std::max(1.0, std::abs(lambda));
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                EXPECT_NEAR(p[i][j], i == j ? lambda : 0, tolerance) << trial;
        const double upper = mm[0][0] * (mm[1][1] * mm[2][2] - mm[1][2] * mm[2][1]) -
                             mm[0][1] * (mm[1][0] * mm[2][2] - mm[1][2] * mm[2][0]) +
                             mm[0][2] * (mm[1][0] * mm[2][1] - mm[1][1] * mm[2][0]);
        EXPECT_TRUE(std::abs(upper) < 1e-3 || std::abs(am[3][3] - 1) < 1e-5) << trial;
    }
    // Editing drops the cache.
    TypeParam m;
    m.rotate_x(0.4);
    const TypeParam cached = m.adjoint();
    m.translate(1, 0, 0);
    EXPECT_FALSE(m.adjoint().shares_body_with(cached));
}

TYPED_TEST(Matrix_Precision, PlanesAndNormalsThroughTheAdjointFollowThePoints) {
    Random_Matrices<TypeParam> matrices(99);
    for (int trial = 0; trial < 200; ++trial) {
        const TypeParam m = matrices.make();
        if (m.empty()) continue;
        const TypeParam adjoint = m.adjoint();
        const KT_Vector_D n =
            KD_Normalized(KT_Vector_D{matrices.uniform(-1, 1), matrices.uniform(-1, 1), 1});
        const KT_Point_D on{matrices.uniform(-3, 3), matrices.uniform(-3, 3),
                            matrices.uniform(-3, 3)};
        const KT_Plane_D plane{n.x, n.y, n.z, -KD_Dot(n, KT_Vector_D{on.x, on.y, on.z})};
        KT_Plane_D moved;
        adjoint.transform(plane, moved);
        const auto p = row_times(m.body()->m, on.x, on.y, on.z); // homogeneous image
        const double value = moved.a * p[0] + moved.b * p[1] + moved.c * p[2] + moved.d * p[3];
        EXPECT_NEAR(value, 0, 1e-3 * std::max(1.0, std::abs(p[3]))) << trial;
        EXPECT_NEAR(std::hypot(moved.a, moved.b, moved.c), 1, 1e-6);
        // The scalar forms are the z component of the unnormalised plane.
        const float z_from_plane = adjoint.transform_z(plane);
        const float z_from_normal = adjoint.transform_z(n, on);
        EXPECT_NEAR(z_from_plane, z_from_normal, 1e-3 * std::max(1.0f, std::abs(z_from_plane)));
        EXPECT_TRUE(std::abs(moved.c) < 1e-3 || (z_from_plane > 0) == (moved.c > 0)) << trial;
        // The array forms run their own loops; two entries catch a wrong stride.
        const KT_Vector_D normals[2] = {n, {on.x, 1, on.z}};
        const KT_Point_D points[2] = {on, {1, on.y, -1}};
        const KT_Plane_D planes[2] = {plane, {on.x, on.y, 1, 2}};
        KT_Vector vectors_out[2], v;
        KT_Plane planes_out[2], q;
        float z_planes[2], z_normals[2];
        adjoint.transform(2, normals, vectors_out);
        adjoint.transform(2, planes, planes_out);
        adjoint.transform_z(2, planes, z_planes);
        adjoint.transform_z(2, normals, points, z_normals);
        for (int i = 0; i < 2; ++i) {
            adjoint.transform(normals[i], v);
            adjoint.transform(planes[i], q);
            EXPECT_TRUE(v == vectors_out[i]);
            EXPECT_EQ(std::tuple(q.a, q.b, q.c, q.d), std::tuple(planes_out[i].a, planes_out[i].b,
                                                                 planes_out[i].c, planes_out[i].d));
            EXPECT_EQ(adjoint.transform_z(planes[i]), z_planes[i]);
            EXPECT_EQ(adjoint.transform_z(normals[i], points[i]), z_normals[i]);
        }
        // Normals come out unit length, turned with a rotation.
        KT_Vector out;
        adjoint.transform(KT_Vector{float(n.x), float(n.y), float(n.z)}, out);
        EXPECT_NEAR(KD_Length(out), 1, 1e-5);
        if (m.classification() != bits::mixed && m.classification() != (bits::mixed | bits::z))
            continue;
        KT_Point_D image, origin;
        m.transform(KT_Point_D{n.x, n.y, n.z}, image);
        m.transform(KT_Point_D{0, 0, 0}, origin);
        const KT_Vector_D expected = KD_Normalized(image - origin);
        EXPECT_NEAR(out.x, expected.x, 1e-5);
        EXPECT_NEAR(out.y, expected.y, 1e-5);
    }
}

TYPED_TEST(Matrix_Precision, BadArgumentsLeaveTheMatrixAlone) {
    using Real = Real_Of_Handle<TypeParam>;
    using Vector = typename TypeParam::Vector;
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    const Real inf = std::numeric_limits<Real>::infinity();
    TypeParam m;
    m.translate(1, 2, 3);
    const TypeParam original = m;
    m.rotate_x(nan);
    m.rotate(Vector{0, 0, 0}, 1);
    m.rotate(Vector{nan, 0, 1}, 1);
    m.scale(inf, 1, 1);
    m.translate(nan, 0, 0);
    m.shear_y(inf, 0);
    const Real bad[4][4] = {{nan, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    m.set_as_4x4(bad);
    EXPECT_EQ(m.classification(), original.classification());
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(m.body()->m[i][j], original.body()->m[i][j]);

    // Non-finite points pass through without trapping; counts <= 0 do
    // nothing; zero vectors and normals stay zero.
    KT_Point p{std::numeric_limits<float>::infinity(), 0, 0}, out{7, 7, 7};
    m.transform(p, out);
    EXPECT_TRUE(std::isinf(out.x));
    KT_Point untouched{7, 7, 7};
    m.transform(-3, &p, &untouched);
    EXPECT_EQ(untouched.x, 7);
    KT_Vector_D zero{0, 0, 0}, out_d;
    m.transform(zero, out_d);
    EXPECT_TRUE(out_d == zero);
    KT_Plane flat{0, 0, 0, 5}, out_plane;
    TypeParam().transform(flat, out_plane);
    EXPECT_EQ(out_plane.d, 0);
}

// One finite and one infinite angle: the finite term must not be applied
// alone.
TYPED_TEST(Matrix_Precision, AShearWithOneInfiniteAngleChangesNothing) {
    using Real = Real_Of_Handle<TypeParam>;
    const Real finite_angle = 0.5;
    const Real infinite_angle = std::numeric_limits<Real>::infinity();
    TypeParam m;
    m.shear_z(finite_angle, infinite_angle);
    EXPECT_EQ(m.classification(), bits::identity);
    EXPECT_EQ(m.body()->m[2][0], 0) << "x += tan(0.5) z was applied";
    m.shear_x(std::numeric_limits<Real>::quiet_NaN(), finite_angle);
    EXPECT_EQ(m.classification(), bits::identity);
    EXPECT_EQ(m.body()->m[0][2], 0) << "z += tan(0.5) x was applied";
}

// An all-zero body would be classified as identity: only the class itself
// may make one.
template <class Handle>
concept Allocates_Bodies_In_Public = requires(Handle h) {
    h.allocate(KT_Precision::Single, false);
};
template <class Handle>
concept Allocates_Fixed_Bodies_In_Public = requires(Handle h) {
    h.allocate(false);
};
static_assert(!Allocates_Bodies_In_Public<KT_Matrix>, "KT_Matrix::allocate is protected");
static_assert(!Allocates_Fixed_Bodies_In_Public<KT_Matrix_Single>,
              "KT_Matrix_Single::allocate is protected");
static_assert(!Allocates_Fixed_Bodies_In_Public<KT_Matrix_Double>,
              "KT_Matrix_Double::allocate is protected");

TEST(Matrix_Handle, EmptyIsIdentityAndEditingCopiesASharedBody) {
    const KT_Matrix empty;
    const KT_Point_D in[2] = {{1, 2, 3}, {-4, 5, 1e20}};
    KT_Point out[2];
    float w[2] = {0, 0};
    empty.transform(2, in, out, w, 0.0f);
    EXPECT_EQ(out[1].z, 1e20f);
    EXPECT_EQ(out[0].y, 2);
    EXPECT_EQ(w[0], 1);
    EXPECT_EQ(w[1], 1);
    EXPECT_TRUE(empty.adjoint().empty());
    EXPECT_EQ(empty.convert_to_adjoint().m[2][2], 1);

    KT_Matrix a;
    a.translate(1, 0, 0);
    KT_Matrix b = a;
    b.translate(0, 1, 0);
    EXPECT_EQ(a.element(3, 1), 0);
    EXPECT_EQ(b.element(3, 1), 1);
}

TEST(Matrix_Handle, MixedPrecisionProductsAreDouble) {
    KT_Matrix a, b, result;
    a.rotate_z(0.25);
    b.convert_to_double();
    b.translate(1e-9, 2, 0);
    a.multiply(b, result);
    ASSERT_EQ(result.precision(), KT_Precision::Double);
    EXPECT_EQ(result.classification(), bits::mixed | bits::translated);
    EXPECT_DOUBLE_EQ(result.element(3, 0), 1e-9);
    EXPECT_FLOAT_EQ(result.element(0, 0), std::cos(0.25f));
}

TEST(Matrix_Handle, PrecisionConversions) {
    KT_Matrix m;
    m.scale(2, 3, 4);
    m.rotate_y(0.5);
    const KT_Matrix_Single shared = m.single();
    EXPECT_TRUE(KT_Matrix(shared).shares_body_with(m));
    m.convert_to_double();
    ASSERT_EQ(m.precision(), KT_Precision::Double);
    EXPECT_EQ(m.classification(), bits::scaled | bits::mixed | bits::z);
    EXPECT_EQ(m.element(0, 0), double(shared.body()->m[0][0]));
    const KT_Matrix_Single narrowed = m.single();
    ASSERT_FALSE(narrowed.empty());
    EXPECT_EQ(narrowed.classification(), bits::scaled | bits::mixed | bits::z);
    EXPECT_EQ(narrowed.body()->m[2][2], shared.body()->m[2][2]);
    m.translate(1e31, 0, 0);
    EXPECT_TRUE(m.single().empty());
    KT_Matrix fresh;
    fresh.convert_to_double();
    EXPECT_EQ(fresh.precision(), KT_Precision::Double);
    EXPECT_EQ(fresh.classification(), bits::identity);
}

} // namespace
