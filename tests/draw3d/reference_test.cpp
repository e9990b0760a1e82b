// The shell action against a plain reference: every vertex carried with
// the full 4 x 4 product and shaded afresh for every triangle, with no
// caches and no runs. The action's strips, split into triangles, must be
// the reference's triangles.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "../support/capturing_device.h"
#include "../support/reference_raster.h"
#include "../support/uv_sphere.h"
#include "draw_log.h"

namespace {

using draw_log::calls;

struct Triangle {
    KT_Point_D corners[3];
    KT_RGB32 colors[3];
};

// The triangles of the logged strips, in the order they were drawn.
std::vector<Triangle> drawn_triangles() {
    std::vector<Triangle> out;
    for (const draw_log::Call& call : calls())
        for (std::size_t t = 0; t + 2 < call.points.size(); ++t) {
            Triangle triangle;
            for (int k = 0; k < 3; ++k) {
                triangle.corners[k] = call.points[t + k];
                triangle.colors[k] = call.colors.size() == call.points.size() ? call.colors[t + k]
                                                                              : call.colors.at(0);
            }
            out.push_back(triangle);
        }
    return out;
}

KT_RGB32 packed(const KT_RGBA& c) {
    auto byte = [](float v) { return std::uint8_t(std::clamp(v, 0.0f, 1.0f) * 255.99f); };
    return {byte(c.blue), byte(c.green), byte(c.red), byte(c.alpha)};
}

template <class P> KT_Point_D device_point(const KT_Rendition& r, const P& p) {
    P out;
    float w = 0;
    r.transform().object_to_device.transform_reference(
        1, &p, &out, &w, static_cast<float>(r.transform().scaled_wlimit));
    return {out.x, out.y, out.z};
}

// The normal of a quad face a, b, c, d (strip order) from its diagonals,
// turned to the side of the vertex normal n.
template <class P>
KT_Vector face_normal(const P& a, const P& b, const P& c, const P& d, const KT_Vector& n) {
    KT_Vector_D e = KD_Cross(KT_Vector_D{d.x - a.x, d.y - a.y, d.z - a.z},
                             KT_Vector_D{c.x - b.x, c.y - b.y, c.z - b.z});
    if (KD_Dot(e, KD_Widen(n)) < 0) e = -e;
    return KD_Narrow(KD_Normalized(e));
}

template <class P>
KT_RGBA shade(const KT_Rendition& r, const KT_Vector& n, const P& p, const KT_Vector& side) {
    const KT_Material& m = r.color().front_material;
    if constexpr (std::is_same_v<P, KT_Point>)
        return m.shade(&r, &n, &p, nullptr, nullptr, 0, &side);
    else
        return m.shade_d(&r, &n, &p, nullptr, nullptr, 0, &side);
}

// Each quad face a, b, c, d yields triangles (a, b, c) and (b, c, d); points
// and normals are carried into world space by the modelling matrix to be
// shaded there.
template <class P>
std::vector<Triangle> reference_triangles(const KT_Rendition& r, const uv_sphere::Sphere<P>& s,
                                          bool flat) {
    const KT_Matrix& modelling = r.transform().modelling;
    const KT_Matrix carry = modelling.adjoint();
    auto world_point = [&](const P& p) {
        P world;
        modelling.transform_reference(1, &p, &world);
        return world;
    };
    auto world_normal = [&](const KT_Vector& n) {
        KT_Vector world;
        carry.transform(n, world);
        return world;
    };
    std::vector<Triangle> out;
    for (std::size_t f = 0; f < s.face_lengths.size(); ++f) {
        const int* q = s.indices.data() + 4 * f;
        const KT_Vector side = world_normal(face_normal(
            s.points[q[0]], s.points[q[1]], s.points[q[2]], s.points[q[3]], s.normals[q[0]]));
        for (int t = 0; t < 2; ++t) {
            Triangle triangle;
            const P a = world_point(s.points[q[t]]);
            for (int k = 0; k < 3; ++k) {
                const int i = q[t + k];
                const KT_Vector n = world_normal(s.normals[i]);
                triangle.corners[k] = device_point(r, s.points[i]);
                // Flat: the face normal at the triangle's first corner; else
                // each vertex with its own normal, which also tells the side.
                triangle.colors[k] = flat ? packed(shade(r, side, a, side))
                                          : packed(shade(r, n, world_point(s.points[i]), n));
            }
            out.push_back(triangle);
        }
    }
    return out;
}

int channel_difference(const KT_RGB32& a, const KT_RGB32& b) {
    return std::max(
        {std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b), std::abs(a.a - b.a)});
}

class LitSphere : public ::testing::Test {
protected:
    template <class P> void compare(int interpolation, int colour_tolerance) {
        draw_log::light(r);
        r.modify_misc().lighting_interpolation = interpolation;
        const auto sphere = uv_sphere::make<P>(12, 16, 0.8, P{0, 0, 0});
        const KT_Shell shell = uv_sphere::shell_of(sphere);
        draw_log::draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, shell);
        const std::vector<Triangle> drawn = drawn_triangles();
        const std::vector<Triangle> expected =
            reference_triangles(r, sphere, interpolation == KT_Lighting_Flat);
        ASSERT_EQ(drawn.size(), expected.size());
        for (std::size_t t = 0; t < drawn.size(); ++t)
            for (int k = 0; k < 3; ++k) {
                const KT_Point_D& d = drawn[t].corners[k];
                const KT_Point_D& e = expected[t].corners[k];
                ASSERT_NEAR(d.x, e.x, 1e-3) << "triangle " << t << " corner " << k;
                ASSERT_NEAR(d.y, e.y, 1e-3) << "triangle " << t << " corner " << k;
                ASSERT_NEAR(d.z, e.z, 0.5) << "triangle " << t << " corner " << k;
                ASSERT_LE(channel_difference(drawn[t].colors[k], expected[t].colors[k]),
                          colour_tolerance)
                    << "triangle " << t << " corner " << k << ": drawn "
                    << capture::describe({drawn[t].colors[k]}) << ", expected "
                    << capture::describe({expected[t].colors[k]});
            }
    }

    draw_log::Device device;
    KT_Rendition r{&device};
};

// Gouraud shades the very same arguments: the colours must be equal.
TEST_F(LitSphere, GouraudSingleMatchesTheReference) {
    compare<KT_Point>(0, 0);
}
TEST_F(LitSphere, GouraudDoubleMatchesTheReference) {
    compare<KT_Point_D>(0, 0);
}
// Flat lighting shades the face normal at each triangle's first corner.
TEST_F(LitSphere, FlatSingleMatchesTheReference) {
    compare<KT_Point>(KT_Lighting_Flat, 0);
}
TEST_F(LitSphere, FlatDoubleMatchesTheReference) {
    compare<KT_Point_D>(KT_Lighting_Flat, 0);
}

// The reference picture of triangles drawn in order: each corner rounded
// to device integers, each triangle scan-converted by the reference.
capture::Picture reference_picture(const capture::Picture& size_of,
                                   const std::vector<Triangle>& triangles,
                                   reference::Shading shading) {
    capture::Picture picture(size_of.width(), size_of.height());
    for (const Triangle& t : triangles) {
        reference::Vertex v[3];
        for (int k = 0; k < 3; ++k)
            v[k] = {{KD_Round(t.corners[k].x), KD_Round(t.corners[k].y), KD_Round(t.corners[k].z)},
                    t.colors[k]};
        reference::draw_triangle(picture, v[0], v[1], v[2], shading, t.colors[0], 0);
    }
    return picture;
}

// The sphere through the whole pipeline into the capturing device, against
// the reference triangles scan-converted by the reference.
template <class P>
void compare_sphere_picture(int interpolation, const KT_Matrix& modelling = KT_Matrix(),
                            const P& centre = P{0.1, -0.05, 0}) {
    capture::Device device(320, 240);
    KT_Rendition r(&device);
    draw_log::light(r);
    r.modify_misc().lighting_interpolation = interpolation;
    r.set_modelling_matrix(modelling, false);
    const auto sphere = uv_sphere::make<P>(12, 16, 0.6, centre);
    const KT_Shell shell = uv_sphere::shell_of(sphere);
    KD_Next_Action<KT_Slot_Draw_3D_Shell>(&r, &shell);

    const bool flat = interpolation == KT_Lighting_Flat;
    const capture::Picture expected =
        reference_picture(device.picture, reference_triangles(r, sphere, flat),
                          flat ? reference::Shading::Flat : reference::Shading::Gouraud);
    EXPECT_GT(device.picture.covered_count(), 0);
    EXPECT_EQ(device.picture.first_difference(expected), "");
}

TEST(LitSpherePicture, GouraudSingle) {
    compare_sphere_picture<KT_Point>(0);
}
TEST(LitSpherePicture, GouraudDouble) {
    compare_sphere_picture<KT_Point_D>(0);
}
TEST(LitSpherePicture, FlatSingle) {
    compare_sphere_picture<KT_Point>(KT_Lighting_Flat);
}
TEST(LitSpherePicture, FlatDouble) {
    compare_sphere_picture<KT_Point_D>(KT_Lighting_Flat);
}

// Seeded turns and places: the modelling matrix carries points and normals
// the same way in the action and in the reference.
TEST(LitSpherePicture, TurnedAndMovedSpheresMatchTheReference) {
    constexpr int seeds = 4;
    std::mt19937 random(1206);
    std::uniform_real_distribution<double> angle(-1.5, 1.5), offset(-0.3, 0.3);
    for (int seed = 0; seed < seeds; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        KT_Matrix modelling;
        modelling.rotate_x(angle(random));
        modelling.rotate_y(angle(random));
        const KT_Point centre = {float(offset(random)), float(offset(random)), 0};
        compare_sphere_picture<KT_Point>(0, modelling, centre);
        compare_sphere_picture<KT_Point>(KT_Lighting_Flat, modelling, centre);
        compare_sphere_picture<KT_Point_D>(0, modelling, KD_Widen(centre));
    }
}

// Phong hands the vertex normals down, carried into world space.
TEST_F(LitSphere, PhongPassesTheWorldNormalsOfEveryVertex) {
    draw_log::light(r);
    r.modify_misc().lighting_interpolation = KT_Lighting_Phong;
    KT_Matrix turn;
    turn.rotate_y(0.6);
    r.set_modelling_matrix(turn, false);
    const auto sphere = uv_sphere::make<KT_Point>(6, 8, 0.5, KT_Point{0, 0, 0});
    draw_log::draw<KT_Shell, KT_Slot_Draw_3D_Shell>(r, uv_sphere::shell_of(sphere));
    const KT_Matrix carry = r.transform().modelling.adjoint();
    ASSERT_EQ(calls().size(), sphere.face_lengths.size());
    for (std::size_t f = 0; f < calls().size(); ++f) {
        ASSERT_EQ(draw_log::phong_normals().at(f).size(), 4u) << "face " << f;
        for (int k = 0; k < 4; ++k) {
            KT_Vector expected;
            carry.transform(sphere.normals[sphere.indices[4 * f + k]], expected);
            const KT_Vector& got = draw_log::phong_normals()[f][k];
            EXPECT_NEAR(got.x, expected.x, 1e-6) << "face " << f << " corner " << k;
            EXPECT_NEAR(got.y, expected.y, 1e-6) << "face " << f << " corner " << k;
            EXPECT_NEAR(got.z, expected.z, 1e-6) << "face " << f << " corner " << k;
        }
    }
}

// A cube of half-width 0.4 with four vertices of its own per face (in strip
// order, normals along the face's axis) and a complex material of its own
// colour per face.
template <class P> struct Cube {
    Cube() {
        const float h = 0.4f;
        for (int axis = 0; axis < 3; ++axis)
            for (float sign : {-1.0f, 1.0f}) {
                for (float u : {-h, h})
                    for (float v : {-h, h}) {
                        float c[3];
                        c[axis] = sign * h;
                        c[(axis + 1) % 3] = u;
                        c[(axis + 2) % 3] = v;
                        points.push_back({c[0], c[1], c[2]});
                        KT_Vector n = {0, 0, 0};
                        (axis == 0 ? n.x : axis == 1 ? n.y : n.z) = sign;
                        normals.push_back(n);
                        indices.push_back(int(indices.size()));
                    }
                lengths.push_back(4);
                KT_Complex_Material m;
                const float tint = float(materials.size() + 1) / 7.0f;
                m.set_diffuse_color({tint, 1.0f - tint, 0.5f});
                materials.push_back(m);
            }
    }
    KT_Shell shell() const {
        KT_Shell cube(int(points.size()), points.data(), true);
        KT_Complex_Segment_Set_Data* d = cube.edit_data();
        d->set_indices(6, lengths.data(), indices.data(), true);
        d->set_vertex_normals(normals.data(), true);
        d->set_materials(6, materials.data(), true);
        return cube;
    }
    // Each face's two triangles, every corner carried by the full product
    // and lit afresh by the face's material.
    std::vector<Triangle> reference(const KT_Rendition& r) const {
        const KT_Transform_Data& t = r.transform();
        const KT_Matrix carry = t.modelling.adjoint();
        std::vector<Triangle> out;
        for (int f = 0; f < 6; ++f)
            for (int first = 0; first < 2; ++first) {
                Triangle triangle;
                for (int k = 0; k < 3; ++k) {
                    const int i = 4 * f + first + k;
                    P world;
                    t.modelling.transform_reference(1, &points[i], &world);
                    KT_Vector normal;
                    carry.transform(normals[i], normal);
                    KT_RGBA lit;
                    if constexpr (std::is_same_v<P, KT_Point>)
                        lit = materials[f].shade(&r, &normal, &world, nullptr, nullptr, 0, &normal);
                    else
                        lit =
                            materials[f].shade_d(&r, &normal, &world, nullptr, nullptr, 0, &normal);
                    triangle.corners[k] = device_point(r, points[i]);
                    triangle.colors[k] = packed(lit);
                }
                out.push_back(triangle);
            }
        return out;
    }

    std::vector<P> points;
    std::vector<KT_Vector> normals;
    std::vector<int> lengths, indices;
    std::vector<KT_Material> materials;
};

// A turned cube whose faces have materials of six colours: every corner is
// lit by its own face's material, and the picture is the reference's.
template <class P> void compare_cube_picture() {
    capture::Device device(320, 240);
    KT_Rendition r(&device);
    draw_log::light(r);
    KT_Matrix turn;
    turn.rotate_x(0.5);
    turn.rotate_y(0.7);
    r.set_modelling_matrix(turn, false);
    const Cube<P> cube;
    const KT_Shell shell = cube.shell();
    KD_Next_Action<KT_Slot_Draw_3D_Shell>(&r, &shell);
    const capture::Picture expected =
        reference_picture(device.picture, cube.reference(r), reference::Shading::Gouraud);
    EXPECT_GT(device.picture.covered_count(), 0);
    EXPECT_EQ(device.picture.first_difference(expected), "");
}

TEST(LitCubePicture, EachFaceLitByItsOwnMaterialSingle) {
    compare_cube_picture<KT_Point>();
}
TEST(LitCubePicture, EachFaceLitByItsOwnMaterialDouble) {
    compare_cube_picture<KT_Point_D>();
}

// Random shells straddling the near limit and a random cutting plane:
// nothing drawn lies behind the eye or on the cut side.
TEST(RandomCuts, NothingOnTheCutSideOrBehindTheEyeIsDrawn) {
    constexpr int shells = 40, vertices = 12;
    constexpr double depth_max = 65535, plane_tolerance = 0.05;
    std::mt19937 random(20261206);
    std::uniform_real_distribution<float> across(-1.2f, 1.2f), deep(-7.0f, 2.0f);
    std::uniform_real_distribution<float> direction(-1.0f, 1.0f);
    for (int s = 0; s < shells; ++s) {
        draw_log::Device device;
        KT_Rendition r(&device);
        const KT_Plane plane = {direction(random), direction(random), direction(random), 0.1f};
        r.modify_misc().cutting_planes = KT_Cutting_Plane_Set(KT_Cutting_Plane(plane));
        std::vector<KT_Point> points;
        for (int i = 0; i < vertices; ++i)
            points.push_back({across(random), across(random), deep(random)});
        KT_Tristrip strip(vertices, points.data(), true);
        draw_log::draw<KT_Tristrip, KT_Slot_Draw_3D_Tristrip>(r, strip);

        r.misc().cutting_planes.validate_screen_planes(r.transform().world_to_device);
        const KT_Plane& screen = r.misc().cutting_planes->planes.head()->value->screen_plane;
        for (const draw_log::Call& call : calls())
            for (const KT_Point_D& p : call.points) {
                EXPECT_GE(p.z, -0.5) << "shell " << s << " " << call.name();
                EXPECT_LE(p.z, depth_max + 0.5) << "shell " << s << " " << call.name();
                const double side = screen.a * p.x + screen.b * p.y + screen.c * p.z + screen.d;
                EXPECT_LE(side, plane_tolerance) << "shell " << s << " " << call.name();
            }
    }
}

// The same through the whole pipeline: no pixel lies more than a pixel on
// the cut side.
TEST(RandomCutsPicture, NoPixelOnTheCutSide) {
    constexpr int shells = 12, vertices = 12;
    constexpr double one_pixel = 1.5; // a pixel's reach plus rounding
    std::mt19937 random(61220);
    std::uniform_real_distribution<float> across(-1.2f, 1.2f), deep(-7.0f, 2.0f);
    std::uniform_real_distribution<float> direction(-1.0f, 1.0f);
    int covered = 0;
    for (int s = 0; s < shells; ++s) {
        capture::Device device(320, 240);
        KT_Rendition r(&device);
        const KT_Plane plane = {direction(random), direction(random), direction(random), 0.1f};
        r.modify_misc().cutting_planes = KT_Cutting_Plane_Set(KT_Cutting_Plane(plane));
        std::vector<KT_Point> points;
        for (int i = 0; i < vertices; ++i)
            points.push_back({across(random), across(random), deep(random)});
        const KT_Tristrip strip(vertices, points.data(), true);
        KD_Next_Action<KT_Slot_Draw_3D_Tristrip>(&r, &strip);

        r.misc().cutting_planes.validate_screen_planes(r.transform().world_to_device);
        const KT_Plane& screen = r.misc().cutting_planes->planes.head()->value->screen_plane;
        const double reach = one_pixel + std::fabs(screen.c);
        covered += device.picture.covered_count();
        for (int y = 0; y < device.picture.height(); ++y)
            for (int x = 0; x < device.picture.width(); ++x) {
                const capture::Pixel& p = device.picture.at(x, y);
                if (p.hits == 0) continue;
                const double side = screen.a * x + screen.b * y + screen.c * p.depth + screen.d;
                ASSERT_LE(side, reach) << "shell " << s << " pixel (" << x << ", " << y << ")";
            }
    }
    EXPECT_GT(covered, 0) << "the shells left something to look at";
}

} // namespace
