// A random sequence of primitives of every family and coordinate space,
// under random clips, line and marker attributes, materials, cutting planes
// and cameras (the eye possibly inside the scene), drawn through the
// software z-buffer stack or through a selector beneath the same renderer.
//
// Checked by the sanitizers: nothing is read or written outside the
// arrays given and the stack's buffers, whatever the input; a selector's
// items lie in its depth range.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "appearance/material.h"
#include "configured_stack.h"
#include "fuzz_input.h"
#include "geometry/complex_segment_set.h"
#include "math/vector.h"
#include "renderer/actions.h"
#include "renderer/dynamic_load.h"
#include "renderer/module_contract.h"
#include "rendition/rendition.h"
#include "select/selector.h"

namespace {

constexpr int window_width = 48;
constexpr int window_height = 32;
// Beyond these, inputs only repeat work already done, more slowly.
constexpr int most_points = 64;
constexpr int most_primitives = 8;
constexpr int most_runs = 16;
constexpr int most_planes = 3;
// Wide lines and large markers cost their area in pixels on every point.
constexpr int widest_line = 64;
constexpr int largest_marker = 64;

szb_render_stack& stack() {
    return configured_stack(window_width, window_height);
}

// The default renderer module on a selector, picking in the whole window.
class Selector_Stack {
public:
    Selector_Stack() : selector_(new KT_Selector_Data), device_(selector_) {
        const auto entry = KD_Routine_As<KT_Renderer_Entry>(
            KD_Load_Dynamic_Routine(KD_Default_Renderer_Module, KD_Renderer_Tag, nullptr, nullptr));
        FUZZ_CHECK(entry != nullptr);
        renderer_ = KT_Renderer(entry(&device_));
        KT_Renderer_Options& o = renderer_->renderer_options;
        o.set_window_origin({0, 0});
        o.set_window_size({window_width, window_height});
        renderer_->establish_all();
    }
    KT_Renderer& renderer() { return renderer_; }
    KT_Selector_Data& selector() { return *selector_; }

private:
    KT_Selector_Data* selector_;
    KT_Renderer device_;
    KT_Renderer renderer_;
};

Selector_Stack& selector_stack() {
    static Selector_Stack* made = new Selector_Stack;
    return *made;
}

float take_float(Fuzz_Input& in, float scale) {
    return in.take_bool() ? in.take_int(-4, 52) * scale : in.take_coordinate<float>();
}

KT_Point take_point(Fuzz_Input& in) {
    return {take_float(in, 1.0f), take_float(in, 1.0f), take_float(in, 1.0f)};
}

KT_Point_D take_point_d(Fuzz_Input& in) {
    return {in.take_coordinate<double>() + in.take_int(0, 48),
            in.take_coordinate<double>() + in.take_int(0, 32), in.take_coordinate<double>()};
}

KT_DCI_Point take_dci_point(Fuzz_Input& in) {
    if (in.take_bool())
        return {in.take_int(-8, window_width + 8), in.take_int(-8, window_height + 8),
                in.take_int(-100, 70000)};
    return {in.take_any_int(), in.take_any_int(), in.take_any_int()};
}

KT_Vector take_vector(Fuzz_Input& in) {
    return {in.take_coordinate<float>(), in.take_coordinate<float>(), in.take_coordinate<float>()};
}

KT_RGB32 take_colour(Fuzz_Input& in) {
    return {in.take<std::uint8_t>(), in.take<std::uint8_t>(), in.take<std::uint8_t>(),
            in.take<std::uint8_t>()};
}

// Every array a primitive may read, one entry per point (and one spare, so
// that a count of 0 still has valid pointers).
struct Vertices {
    int count = 0;
    std::vector<KT_Point> points;
    std::vector<KT_Point_D> points_d;
    std::vector<KT_DCI_Point> dci_points;
    std::vector<KT_Vector> normals;
    std::vector<KT_RGB32> colours;
    std::vector<float> parameters;
};

Vertices take_vertices(Fuzz_Input& in) {
    Vertices v;
    const int available = in.take_int(0, most_points);
    v.count = in.take_bool() ? available : in.take_int(-2, available);
    const std::size_t n = std::size_t(available) + 1;
    const int kind = in.take_int(0, 2);
    for (std::size_t i = 0; i < n; ++i) {
        if (kind == 0) v.points.push_back(take_point(in));
        if (kind == 1) v.points_d.push_back(take_point_d(in));
        if (kind == 2) v.dci_points.push_back(take_dci_point(in));
        v.colours.push_back(take_colour(in));
    }
    v.points.resize(n, KT_Point{});
    v.points_d.resize(n, KT_Point_D{});
    v.dci_points.resize(n, KT_DCI_Point{});
    for (std::size_t i = 0; i < n; ++i)
        v.normals.push_back(in.take_bool() ? KT_Vector{0, 0, -1} : take_vector(in));
    v.parameters.assign(n * 4, 0.5f);
    return v;
}

using Plain_Float = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_Point*);
using Plain_Dci = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_DCI_Point*);
using Plain_Double = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_Point_D*);
using Colorized_Float = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_Point*,
                                 const KT_RGB32*, bool);
using Colorized_Dci = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int,
                               const KT_DCI_Point*, const KT_RGB32*, bool);
using Gouraud_Float = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_Point*,
                               const KT_RGB32*);
using Gouraud_Dci = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_DCI_Point*,
                             const KT_RGB32*);
using Phong_Float = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_Point*,
                             const KT_Vector*, const KT_RGB32*, const KT_Point*, const float*);
using Phong_Dci = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_DCI_Point*,
                           const KT_Vector*, const KT_RGB32*, const KT_Point*, const float*);

// The polygon slots share the Gouraud argument list: one colour array.
const Plain_Float plain_float[] = {KD_Action_Draw_2D_Polytriangle, KD_Action_Draw_DC_Polytriangle,
                                   KD_Action_Draw_2D_Polyline,     KD_Action_Draw_DC_Polyline,
                                   KD_Action_Draw_2D_Polymarker,   KD_Action_Draw_DC_Polymarker};
const Plain_Dci plain_dci[] = {KD_Action_Draw_2DI_Polytriangle, KD_Action_Draw_DCI_Polytriangle,
                               KD_Action_Draw_2DI_Polyline,     KD_Action_Draw_DCI_Polyline,
                               KD_Action_Draw_2DI_Polymarker,   KD_Action_Draw_DCI_Polymarker};
const Plain_Double plain_double[] = {KD_Action_Draw_2DD_Polytriangle, KD_Action_Draw_2DD_Polyline};
const Colorized_Float colorized_float[] = {
    KD_Action_Draw_2D_Colorized_Polytriangle, KD_Action_Draw_DC_Colorized_Polytriangle,
    KD_Action_Draw_2D_Colorized_Polyline,     KD_Action_Draw_DC_Colorized_Polyline,
    KD_Action_Draw_2D_Colorized_Polymarker,   KD_Action_Draw_DC_Colorized_Polymarker};
const Colorized_Dci colorized_dci[] = {
    KD_Action_Draw_2DI_Colorized_Polytriangle, KD_Action_Draw_DCI_Colorized_Polytriangle,
    KD_Action_Draw_2DI_Colorized_Polyline,     KD_Action_Draw_DCI_Colorized_Polyline,
    KD_Action_Draw_2DI_Colorized_Polymarker,   KD_Action_Draw_DCI_Colorized_Polymarker};
const Gouraud_Float gouraud_float[] = {KD_Action_Draw_2D_Gouraud_Polytriangle,
                                       KD_Action_Draw_DC_Gouraud_Polytriangle,
                                       KD_Action_Draw_2D_Gouraud_Polyline,
                                       KD_Action_Draw_DC_Gouraud_Polyline,
                                       KD_Action_Draw_2D_Polygon,
                                       KD_Action_Draw_DC_Polygon};
const Gouraud_Dci gouraud_dci[] = {KD_Action_Draw_2DI_Gouraud_Polytriangle,
                                   KD_Action_Draw_DCI_Gouraud_Polytriangle,
                                   KD_Action_Draw_2DI_Gouraud_Polyline,
                                   KD_Action_Draw_DCI_Gouraud_Polyline,
                                   KD_Action_Draw_2DI_Polygon,
                                   KD_Action_Draw_DCI_Polygon};
const Phong_Float phong_float[] = {
    KD_Action_Draw_2D_Phong_Polytriangle, KD_Action_Draw_DC_Phong_Polytriangle,
    KD_Action_Draw_2D_Phong_Polyline, KD_Action_Draw_DC_Phong_Polyline};
const Phong_Dci phong_dci[] = {
    KD_Action_Draw_2DI_Phong_Polytriangle, KD_Action_Draw_DCI_Phong_Polytriangle,
    KD_Action_Draw_2DI_Phong_Polyline, KD_Action_Draw_DCI_Phong_Polyline};

template <class Routine, std::size_t N>
Routine take_routine(Fuzz_Input& in, const Routine (&routines)[N]) {
    return routines[in.take<std::uint8_t>() % N];
}

// A shell over the vertices with random runs of random indices (any value,
// in range or not), per-vertex normals and colours and per-face materials.
void draw_shell(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
                const Vertices& v) {
    if (v.count <= 0) return;
    KT_Shell shell(v.count, v.points.data(), true);
    const int runs = in.take_int(0, most_runs);
    std::vector<int> lengths, indices;
    for (int r = 0; r < runs; ++r) {
        lengths.push_back(in.take_int(-1, 8));
        for (int k = 0; k < std::max(lengths.back(), 0); ++k)
            indices.push_back(in.take_bool() ? in.take_int(0, v.count - 1) : in.take_any_int());
    }
    KT_Complex_Segment_Set_Data* data = shell.edit_data();
    data->set_indices(runs, lengths.data(), indices.data(), true);
    if (in.take_bool()) data->set_vertex_normals(v.normals.data(), true);
    if (in.take_bool()) data->set_vertex_colors(v.colours.data(), true);
    if (in.take_bool()) data->generate_segment_normal_indices();
    if (runs > 0 && in.take_bool()) {
        KT_Basic_Material materials[2];
        materials[1].set_shininess(in.take_coordinate<float>());
        std::vector<int> which;
        for (int r = 0; r < runs; ++r)
            which.push_back(in.take_int(-1, 2));
        data->set_materials(2, materials, true);
        data->set_material_indices(which.data(), true);
    }
    KD_Action_Draw_3D_Shell(top, &rendition, &shell);
}

void draw_ellipse(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
                  const Vertices& v) {
    const double start = in.take_coordinate<double>(), end = in.take_coordinate<double>();
    const double rotation = in.take_coordinate<double>();
    switch (in.take_int(0, 3)) {
    case 0:
        KD_Action_Draw_2D_Ellipse(top, &rendition, &v.points[0], &v.points[1 % v.points.size()],
                                  start, end, rotation, &v.colours[0]);
        break;
    case 1:
        KD_Action_Draw_2D_Elliptical_Arc(top, &rendition, &v.points[0],
                                         &v.points[1 % v.points.size()], start, end, rotation,
                                         &v.colours[0]);
        break;
    case 2:
        KD_Action_Draw_DCI_Ellipse(top, &rendition, &v.dci_points[0],
                                   &v.dci_points[1 % v.dci_points.size()], start, end, rotation,
                                   &v.colours[0]);
        break;
    default:
        KD_Action_Draw_2DI_Elliptical_Arc(top, &rendition, &v.dci_points[0],
                                          &v.dci_points[1 % v.dci_points.size()], start, end,
                                          rotation, &v.colours[0]);
        break;
    }
}

enum class Family { Plain, Colorized, Gouraud, Phong, Shell, Ellipse, Count };

void draw_primitive(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition) {
    const auto family = Family(in.take_int(0, int(Family::Count) - 1));
    const bool integer = in.take_bool();
    const Vertices v = take_vertices(in);
    const int n = v.count;
    switch (family) {
    case Family::Plain:
        if (in.take_bool())
            take_routine(in, plain_double)(top, &rendition, n, v.points_d.data());
        else if (integer)
            take_routine(in, plain_dci)(top, &rendition, n, v.dci_points.data());
        else
            take_routine(in, plain_float)(top, &rendition, n, v.points.data());
        break;
    case Family::Colorized: {
        const bool single = in.take_bool();
        if (integer)
            take_routine(in, colorized_dci)(top, &rendition, n, v.dci_points.data(),
                                            v.colours.data(), single);
        else
            take_routine(in, colorized_float)(top, &rendition, n, v.points.data(), v.colours.data(),
                                              single);
        break;
    }
    case Family::Gouraud:
        if (integer)
            take_routine(in, gouraud_dci)(top, &rendition, n, v.dci_points.data(),
                                          v.colours.data());
        else
            take_routine(in, gouraud_float)(top, &rendition, n, v.points.data(), v.colours.data());
        break;
    case Family::Phong:
        if (integer)
            take_routine(in, phong_dci)(top, &rendition, n, v.dci_points.data(), v.normals.data(),
                                        v.colours.data(), v.points.data(), v.parameters.data());
        else
            take_routine(in, phong_float)(top, &rendition, n, v.points.data(), v.normals.data(),
                                          v.colours.data(), v.points.data(), v.parameters.data());
        break;
    case Family::Shell:
        draw_shell(in, top, rendition, v);
        break;
    default:
        draw_ellipse(in, top, rendition, v);
        break;
    }
}

void take_line_and_marker(Fuzz_Input& in, KT_Rendition& rendition) {
    KT_Line_Data& line = rendition.modify_line();
    line.line_weight = in.take_int(-2, widest_line);
    line.line_pattern = in.take_int(-2, 16);
    line.pattern_phase = in.take_any_int();
    line.join_style = in.take_int(-1, 4);
    line.start_end_style = in.take_int(-1, 4);
    line.end_end_style = in.take_int(-1, 4);
    line.pattern_scale = take_float(in, 0.25f);
    KT_Marker_Data& marker = rendition.modify_marker();
    marker.marker_size = in.take_int(-2, largest_marker);
    marker.marker_symbol = in.take_int(-1, 48);
    KT_Face_Data& face = rendition.modify_face();
    face.face_pattern = in.take_int(-2, 16);
    face.depth_offset = in.take_bool() ? 0 : in.take_any_int();
}

void take_clip(Fuzz_Input& in, KT_Rendition& rendition) {
    if (!in.take_bool()) return;
    const KT_Int_Rectangle clip = {
        in.take_int(-8, window_width + 8), in.take_int(-8, window_width + 8),
        in.take_int(-8, window_height + 8), in.take_int(-8, window_height + 8)};
    if (in.take_bool())
        rendition.set_hard_clip(clip, false);
    else
        rendition.restrict_hard_clip(clip, false);
}

void take_view(Fuzz_Input& in, KT_Rendition& rendition) {
    if (in.take_bool()) {
        KT_Camera camera;
        const KT_Point_D eye = take_point_d(in), target = take_point_d(in);
        camera.set_position(eye, target, {in.take_coordinate<double>(), 1, 0});
        camera.set_field({in.take_coordinate<double>() + 2, in.take_coordinate<double>() + 2});
        camera.set_projection(in.take_bool() ? KT_Camera_Projection::Perspective
                                             : KT_Camera_Projection::Orthographic);
        rendition.set_camera(camera, false);
    }
    const int planes = in.take_int(0, most_planes);
    KT_Misc_Data& misc = rendition.modify_misc();
    for (int i = 0; i < planes; ++i)
        misc.cutting_planes.add(
            KT_Cutting_Plane(KT_Plane{in.take_coordinate<float>(), in.take_coordinate<float>(),
                                      in.take_coordinate<float>(), in.take_coordinate<float>()}));
    misc.cull_back_faces = in.take<std::uint8_t>() & 1;
    misc.lighting_interpolation = in.take_int(0, 3);
    misc.advanced_options = in.take<std::uint32_t>();
    misc.pattern_mode = in.take_int(-1, 4);
}

void draw_sequence(Fuzz_Input& in, KT_Renderer& renderer) {
    KT_Rendition rendition(renderer);
    take_line_and_marker(in, rendition);
    take_clip(in, rendition);
    take_view(in, rendition);
    const int primitives = in.take_int(1, most_primitives);
    for (int i = 0; i < primitives && !in.exhausted(); ++i)
        draw_primitive(in, renderer.body(), rendition);
}

void check_selection(KT_Selector_Data& selector) {
    KT_Selector_Item item;
    while (selector.show_next_selection_item(&item))
        FUZZ_CHECK(!(item.z < 0.0f) && !(item.z > 1.0f));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_Input in(data, size);
    if (in.take_bool()) {
        KT_Int_XY origin = {0, 0}, window = {window_width, window_height};
        stack().configure(origin, window);
        draw_sequence(in, stack().renderer());
        return 0;
    }
    Selector_Stack& picking = selector_stack();
    picking.selector().begin_picture(nullptr);
    draw_sequence(in, picking.renderer());
    check_selection(picking.selector());
    return 0;
}
