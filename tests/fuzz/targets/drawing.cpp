// A random sequence of primitives of every family and coordinate space,
// the 3D records included, under random clips, line and marker attributes,
// materials (textured ones among them), lights, perspective correction,
// cutting planes and cameras (the eye possibly inside the scene), drawn
// through the software z-buffer stack or through a selector beneath the
// same renderer.
//
// Checked by the sanitizers: nothing is read or written outside the
// arrays given and the stack's buffers, whatever the input; a selector's
// items lie in its depth range.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "appearance/cube_map_texture.h"
#include "appearance/image_texture.h"
#include "appearance/light.h"
#include "appearance/material.h"
#include "appearance/material_textured.h"
#include "appearance/procedural_texture.h"
#include "configured_stack.h"
#include "fuzz_input.h"
#include "geometry/complex_segment_set.h"
#include "geometry/point_set.h"
#include "geometry/text.h"
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
constexpr int most_lights = 3;
// Past the built-in bitmaps, hatches and shape fills the face patterns are
// generated, every number alike.
constexpr int most_face_pattern = 200;
constexpr int widest_parameters = 4;
constexpr int longest_text = 16;
// A texture image larger than this only samples more of the same bytes.
constexpr int largest_texture = 8;
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
    // parameter_width texture parameters per point (at least one), and its w.
    int parameter_width = 1;
    std::vector<KT_Parameter> texture_parameters;
    std::vector<float> w;
};

// The coordinate space a primitive's points come in.
enum class Space { Float, Integer, Double, Count };

// The points of the given space come from the input, the others are zero.
Vertices take_vertices(Fuzz_Input& in, Space space) {
    Vertices v;
    const int available = in.take_int(0, most_points);
    v.count = in.take_bool() ? available : in.take_int(-2, available);
    const std::size_t n = std::size_t(available) + 1;
    for (std::size_t i = 0; i < n; ++i) {
        if (space == Space::Float) v.points.push_back(take_point(in));
        if (space == Space::Double) v.points_d.push_back(take_point_d(in));
        if (space == Space::Integer) v.dci_points.push_back(take_dci_point(in));
        v.colours.push_back(take_colour(in));
    }
    v.points.resize(n, KT_Point{});
    v.points_d.resize(n, KT_Point_D{});
    v.dci_points.resize(n, KT_DCI_Point{});
    for (std::size_t i = 0; i < n; ++i)
        v.normals.push_back(in.take_bool() ? KT_Vector{0, 0, -1} : take_vector(in));
    v.parameters.assign(n * 4, 0.5f);
    // Exactly as many parameters as the width asks for, so that reading
    // past them is caught; a width below 1 still reads one per point.
    v.parameter_width = in.take_int(-1, widest_parameters);
    v.texture_parameters.resize(n * std::size_t(std::max(v.parameter_width, 1)));
    for (KT_Parameter& p : v.texture_parameters)
        p = {take_float(in, 0.25f), take_float(in, 0.25f), take_float(in, 0.25f)};
    v.w.resize(n);
    for (float& w : v.w)
        w = in.take_bool() ? in.take_int(1, 8) * 0.25f : in.take_coordinate<float>();
    return v;
}

using Plain_Float = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_Point*);
using Plain_Dci = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_DCI_Point*);
using Plain_Double = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_Point_D*);
using Colorized_Float = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_Point*,
                                 const KT_RGB32*, bool);
using Colorized_Dci = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int,
                               const KT_DCI_Point*, const KT_RGB32*, bool);
using Colorized_Double = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int,
                                  const KT_Point_D*, const KT_RGB32*, bool);
using Gouraud_Float = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_Point*,
                               const KT_RGB32*);
using Gouraud_Dci = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_DCI_Point*,
                             const KT_RGB32*);
using Gouraud_Double = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int,
                                const KT_Point_D*, const KT_RGB32*);
using Phong_Float = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_Point*,
                             const KT_Vector*, const KT_RGB32*, const KT_Point*, const float*);
using Phong_Dci = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_DCI_Point*,
                           const KT_Vector*, const KT_RGB32*, const KT_Point*, const float*);
using Phong_Double = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_Point_D*,
                              const KT_Vector*, const KT_RGB32*, const KT_Point*, const float*);
using Textured_Float = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int, const KT_Point*,
                                const KT_RGB32*, const KT_Parameter*, int, const float*,
                                const KT_Vector*);
using Textured_Dci = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int,
                              const KT_DCI_Point*, const KT_RGB32*, const KT_Parameter*, int,
                              const float*, const KT_Vector*);
using Textured_Double = void (*)(const KT_Renderer_Data*, const KT_Rendition*, int,
                                 const KT_Point_D*, const KT_RGB32*, const KT_Parameter*, int,
                                 const float*, const KT_Vector*);

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
const Colorized_Double colorized_double[] = {KD_Action_Draw_2DD_Colorized_Polytriangle,
                                             KD_Action_Draw_2DD_Colorized_Polyline};
const Gouraud_Double gouraud_double[] = {KD_Action_Draw_2DD_Gouraud_Polytriangle,
                                         KD_Action_Draw_2DD_Gouraud_Polyline};
const Phong_Double phong_double[] = {KD_Action_Draw_2DD_Phong_Polytriangle,
                                     KD_Action_Draw_2DD_Phong_Polyline};
using Ellipse_Float = void (*)(const KT_Renderer_Data*, const KT_Rendition*, const KT_Point*,
                               const KT_Point*, double, double, double, const KT_RGB32*);
using Ellipse_Dci = void (*)(const KT_Renderer_Data*, const KT_Rendition*, const KT_DCI_Point*,
                             const KT_DCI_Point*, double, double, double, const KT_RGB32*);
using Dot_Float = void (*)(const KT_Renderer_Data*, const KT_Rendition*, const KT_Point*,
                           const KT_RGB32*);
using Dot_Dci = void (*)(const KT_Renderer_Data*, const KT_Rendition*, const KT_DCI_Point*,
                         const KT_RGB32*);
const Ellipse_Float ellipse_float[] = {KD_Action_Draw_2D_Ellipse, KD_Action_Draw_DC_Ellipse,
                                       KD_Action_Draw_2D_Elliptical_Arc,
                                       KD_Action_Draw_DC_Elliptical_Arc};
const Ellipse_Dci ellipse_dci[] = {KD_Action_Draw_2DI_Ellipse, KD_Action_Draw_DCI_Ellipse,
                                   KD_Action_Draw_2DI_Elliptical_Arc,
                                   KD_Action_Draw_DCI_Elliptical_Arc};
const Dot_Float dot_float[] = {KD_Action_Draw_2D_Dot, KD_Action_Draw_DC_Dot};
const Dot_Dci dot_dci[] = {KD_Action_Draw_2DI_Dot, KD_Action_Draw_DCI_Dot};
// The textured polyline slots do nothing in the standard table; a driver
// or the selector may fill them.
const Textured_Float textured_float[] = {
    KD_Action_Draw_2D_Textured_Polytriangle, KD_Action_Draw_DC_Textured_Polytriangle,
    KD_Action_Draw_2D_Textured_Polyline, KD_Action_Draw_DC_Textured_Polyline};
const Textured_Dci textured_dci[] = {
    KD_Action_Draw_2DI_Textured_Polytriangle, KD_Action_Draw_DCI_Textured_Polytriangle,
    KD_Action_Draw_2DI_Textured_Polyline, KD_Action_Draw_DCI_Textured_Polyline};
const Textured_Double textured_double[] = {KD_Action_Draw_2DD_Textured_Polytriangle,
                                           KD_Action_Draw_2DD_Textured_Polyline};

template <class Routine, std::size_t N>
Routine take_routine(Fuzz_Input& in, const Routine (&routines)[N]) {
    return routines[in.take<std::uint8_t>() % N];
}

// An index into the vertices, in range more often than not.
int take_index(Fuzz_Input& in, int count) {
    return in.take_bool() && count > 0 ? in.take_int(0, count - 1) : in.take_any_int();
}

// A mesh record (shell, tristrip or lattice) over the vertices with random
// runs of random indices, per-vertex normals, colours and texture
// parameters and per-run materials, some of them textured.
template <class Mesh>
void fill_mesh(Fuzz_Input& in, Mesh& mesh, const Vertices& v, const KT_Material& textured) {
    const int runs = in.take_int(0, most_runs);
    std::vector<int> lengths, indices;
    for (int r = 0; r < runs; ++r) {
        lengths.push_back(in.take_int(-1, 8));
        for (int k = 0; k < std::max(lengths.back(), 0); ++k)
            indices.push_back(take_index(in, v.count));
    }
    KT_Complex_Segment_Set_Data* data = mesh.edit_data();
    data->set_indices(runs, lengths.data(), indices.data(), true);
    if (in.take_bool()) data->set_vertex_normals(v.normals.data(), true);
    if (in.take_bool()) data->set_vertex_colors(v.colours.data(), true);
    if (in.take_bool())
        data->set_vertex_parameters(v.texture_parameters.data(), v.parameter_width, true);
    if (in.take_bool()) data->generate_segment_normal_indices();
    if (runs > 0 && in.take_bool()) {
        KT_Basic_Material plain;
        plain.set_shininess(in.take_coordinate<float>());
        const KT_Material materials[3] = {KT_Basic_Material(), plain, textured};
        std::vector<int> which;
        for (int r = 0; r < runs; ++r)
            which.push_back(in.take_int(-1, 3));
        data->set_materials(3, materials, true);
        data->set_material_indices(which.data(), true);
    }
}

void draw_mesh(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
               const Vertices& v, Space space, const KT_Material& textured) {
    if (v.count <= 0) return;
    const int kind = in.take_int(0, 2);
    auto draw = [&](auto mesh, auto action) {
        fill_mesh(in, mesh, v, textured);
        action(top, &rendition, &mesh);
    };
    const bool single = space != Space::Double;
    if (kind == 0)
        single ? draw(KT_Shell(v.count, v.points.data(), true), KD_Action_Draw_3D_Shell)
               : draw(KT_Shell(v.count, v.points_d.data(), true), KD_Action_Draw_3D_Shell);
    else if (kind == 1)
        single ? draw(KT_Tristrip(v.count, v.points.data(), true), KD_Action_Draw_3D_Tristrip)
               : draw(KT_Tristrip(v.count, v.points_d.data(), true), KD_Action_Draw_3D_Tristrip);
    else
        single ? draw(KT_Lattice(v.count, v.points.data(), true), KD_Action_Draw_3D_Lattice)
               : draw(KT_Lattice(v.count, v.points_d.data(), true), KD_Action_Draw_3D_Lattice);
}

// A linestrip or markerstrip, possibly with a connectivity list (its last
// entry inverted) and per-vertex or per-segment colours.
template <class Strip> void fill_strip(Fuzz_Input& in, Strip& strip, const Vertices& v) {
    KT_Segment_Set_Data* data = strip.edit_data();
    if (in.take_bool()) {
        std::vector<int> list(std::size_t(in.take_int(1, most_points)));
        for (int& index : list)
            index = take_index(in, v.count);
        if (in.take_bool()) list.back() = ~list.back();
        data->set_connectivity(int(list.size()), list.data(), false, true);
    }
    if (in.take_bool()) data->set_vertex_colors(v.colours.data(), true);
    if (in.take_bool())
        data->set_segment_colors(in.take_int(0, std::max(v.count, 0)), v.colours.data(), true);
}

void draw_strip(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
                const Vertices& v, Space space) {
    auto draw = [&](auto strip, auto action) {
        fill_strip(in, strip, v);
        action(top, &rendition, &strip);
    };
    const int n = v.count;
    const bool single = space != Space::Double;
    if (in.take_bool())
        single ? draw(KT_Linestrip(n, v.points.data(), false), KD_Action_Draw_3D_Linestrip)
               : draw(KT_Linestrip(n, v.points_d.data(), false), KD_Action_Draw_3D_Linestrip);
    else
        single ? draw(KT_Markerstrip(n, v.points.data(), false), KD_Action_Draw_3D_Markerstrip)
               : draw(KT_Markerstrip(n, v.points_d.data(), false), KD_Action_Draw_3D_Markerstrip);
}

// A polyline, polymarker, polytriangle or polygon record over the points.
template <class Point>
void draw_point_record(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
                       int n, const Point* points) {
    switch (in.take_int(0, 3)) {
    case 0: {
        const KT_Polyline line(n, points, false);
        KD_Action_Draw_3D_Polyline(top, &rendition, &line);
        break;
    }
    case 1: {
        const KT_Polymarker markers(n, points, false);
        KD_Action_Draw_3D_Polymarker(top, &rendition, &markers);
        break;
    }
    case 2: {
        const KT_Polytriangle strip(n, points, false);
        KD_Action_Draw_3D_Polytriangle(top, &rendition, &strip);
        break;
    }
    default: {
        const KT_Polygon polygon(n, points, false);
        KD_Action_Draw_3D_Polygon(top, &rendition, &polygon);
        break;
    }
    }
}

// Text of any bytes or wide characters at an anchor; a negative length
// measures up to the terminator.
template <class Point>
void draw_text_record(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
                      const Point* anchor) {
    const int length = in.take_int(0, longest_text);
    const int given = in.take_bool() ? -1 : in.take_int(0, length);
    if (in.take_bool()) {
        wchar_t wide[longest_text + 1] = {};
        for (int i = 0; i < length; ++i)
            wide[i] = in.take_bool() ? wchar_t(in.take<std::uint16_t>()) : in.take<wchar_t>();
        const KT_Text text(anchor, wide, given, in.take_bool());
        KD_Action_Draw_3D_Text(top, &rendition, &text);
        return;
    }
    char narrow[longest_text + 1] = {};
    for (int i = 0; i < length; ++i)
        narrow[i] = char(in.take<std::uint8_t>());
    const KT_Text text(anchor, narrow, given, in.take_bool());
    KD_Action_Draw_3D_Text(top, &rendition, &text);
}

void draw_record(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
                 const Vertices& v, Space space) {
    const bool single = space != Space::Double;
    if (in.take_bool()) {
        single ? draw_point_record(in, top, rendition, v.count, v.points.data())
               : draw_point_record(in, top, rendition, v.count, v.points_d.data());
        return;
    }
    single ? draw_text_record(in, top, rendition, v.points.data())
           : draw_text_record(in, top, rendition, v.points_d.data());
}

void draw_ellipse(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
                  const Vertices& v, Space space) {
    const double start = in.take_coordinate<double>(), end = in.take_coordinate<double>();
    const double rotation = in.take_coordinate<double>();
    const KT_RGB32* colour = in.take_bool() ? &v.colours[0] : nullptr;
    const std::size_t second = v.count > 1 ? 1 : 0;
    if (space == Space::Integer)
        take_routine(in, ellipse_dci)(top, &rendition, &v.dci_points[0], &v.dci_points[second],
                                      start, end, rotation, colour);
    else
        take_routine(in, ellipse_float)(top, &rendition, &v.points[0], &v.points[second], start,
                                        end, rotation, colour);
}

void draw_dot(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
              const Vertices& v, Space space) {
    const KT_RGB32* colour = in.take_bool() ? &v.colours[0] : nullptr;
    if (space == Space::Integer)
        take_routine(in, dot_dci)(top, &rendition, &v.dci_points[0], colour);
    else
        take_routine(in, dot_float)(top, &rendition, &v.points[0], colour);
}

// Textured slots with or without w values and vectors; the colours and
// vectors are optional as well.
void draw_textured(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
                   const Vertices& v, Space space) {
    const KT_RGB32* colours = in.take_bool() ? v.colours.data() : nullptr;
    const float* w = in.take_bool() ? v.w.data() : nullptr;
    const KT_Vector* vectors = in.take_bool() ? v.normals.data() : nullptr;
    const KT_Parameter* parameters = v.texture_parameters.data();
    const int n = v.count, width = v.parameter_width;
    if (space == Space::Double)
        take_routine(in, textured_double)(top, &rendition, n, v.points_d.data(), colours,
                                          parameters, width, w, vectors);
    else if (space == Space::Integer)
        take_routine(in, textured_dci)(top, &rendition, n, v.dci_points.data(), colours, parameters,
                                       width, w, vectors);
    else
        take_routine(in, textured_float)(top, &rendition, n, v.points.data(), colours, parameters,
                                         width, w, vectors);
}

void draw_colorized(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
                    const Vertices& v, Space space) {
    const bool single = in.take_bool();
    const int n = v.count;
    if (space == Space::Double)
        take_routine(in, colorized_double)(top, &rendition, n, v.points_d.data(), v.colours.data(),
                                           single);
    else if (space == Space::Integer)
        take_routine(in, colorized_dci)(top, &rendition, n, v.dci_points.data(), v.colours.data(),
                                        single);
    else
        take_routine(in, colorized_float)(top, &rendition, n, v.points.data(), v.colours.data(),
                                          single);
}

void draw_gouraud(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
                  const Vertices& v, Space space) {
    const int n = v.count;
    if (space == Space::Double)
        take_routine(in, gouraud_double)(top, &rendition, n, v.points_d.data(), v.colours.data());
    else if (space == Space::Integer)
        take_routine(in, gouraud_dci)(top, &rendition, n, v.dci_points.data(), v.colours.data());
    else
        take_routine(in, gouraud_float)(top, &rendition, n, v.points.data(), v.colours.data());
}

void draw_phong(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
                const Vertices& v, Space space) {
    const int n = v.count;
    const KT_Vector* normals = v.normals.data();
    const KT_RGB32* colours = v.colours.data();
    const KT_Point* positions = v.points.data();
    const float* parameters = v.parameters.data();
    if (space == Space::Double)
        take_routine(in, phong_double)(top, &rendition, n, v.points_d.data(), normals, colours,
                                       positions, parameters);
    else if (space == Space::Integer)
        take_routine(in, phong_dci)(top, &rendition, n, v.dci_points.data(), normals, colours,
                                    positions, parameters);
    else
        take_routine(in, phong_float)(top, &rendition, n, v.points.data(), normals, colours,
                                      positions, parameters);
}

void draw_plain(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
                const Vertices& v, Space space) {
    const int n = v.count;
    if (space == Space::Double)
        take_routine(in, plain_double)(top, &rendition, n, v.points_d.data());
    else if (space == Space::Integer)
        take_routine(in, plain_dci)(top, &rendition, n, v.dci_points.data());
    else
        take_routine(in, plain_float)(top, &rendition, n, v.points.data());
}

enum class Family {
    Plain,
    Colorized,
    Gouraud,
    Phong,
    Textured,
    Mesh,
    Strip,
    Record,
    Ellipse,
    Dot,
    Count
};

void draw_primitive(Fuzz_Input& in, const KT_Renderer_Data* top, const KT_Rendition& rendition,
                    const KT_Material& textured) {
    const auto family = Family(in.take_int(0, int(Family::Count) - 1));
    auto space = Space(in.take_int(0, int(Space::Count) - 1));
    // 3D records hold single or double points only.
    const bool record =
        family == Family::Mesh || family == Family::Strip || family == Family::Record;
    if (record && space == Space::Integer) space = Space::Float;
    const Vertices v = take_vertices(in, space);
    switch (family) {
    case Family::Plain:
        return draw_plain(in, top, rendition, v, space);
    case Family::Colorized:
        return draw_colorized(in, top, rendition, v, space);
    case Family::Gouraud:
        return draw_gouraud(in, top, rendition, v, space);
    case Family::Phong:
        return draw_phong(in, top, rendition, v, space);
    case Family::Textured:
        return draw_textured(in, top, rendition, v, space);
    case Family::Mesh:
        return draw_mesh(in, top, rendition, v, space, textured);
    case Family::Strip:
        return draw_strip(in, top, rendition, v, space);
    case Family::Record:
        return draw_record(in, top, rendition, v, space);
    case Family::Ellipse:
        return draw_ellipse(in, top, rendition, v, space);
    default:
        return draw_dot(in, top, rendition, v, space);
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
    face.face_pattern = in.take_int(-2, most_face_pattern);
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

// A small image of input bytes, mostly in the 32-bit format textures
// sample directly; sometimes empty or of another format.
KT_Shared_Image take_texture_image(Fuzz_Input& in) {
    const int width = in.take_int(0, largest_texture), height = in.take_int(0, largest_texture);
    const KT_Image_Format format = in.take_bool() ? KT_Image_Format::RGB32 : in.take_int(-1, 9);
    // Room for any row alignment of any format.
    std::vector<std::uint8_t> pixels(std::size_t(width * 4 + 16) * std::size_t(height));
    for (std::uint8_t& byte : pixels)
        byte = in.take<std::uint8_t>();
    return KT_Shared_Image(width, height, format, 0, pixels.data(), false);
}

KT_Tiling_Mode take_tiling(Fuzz_Input& in) {
    return KT_Tiling_Mode(in.take_int(0, 4));
}

KT_Texture take_texture(Fuzz_Input& in) {
    KT_Texture texture;
    switch (in.take_int(0, 6)) {
    case 0:
        texture = KT_Simple_Image_Texture(take_texture_image(in));
        break;
    case 1: {
        KT_Complex_Image_Texture complex(take_texture_image(in));
        complex.set_filter(KT_Texture_Filter(in.take_int(0, 2)));
        complex.set_window({in.take_int(-2, 10), in.take_int(-2, 10)},
                           {in.take_int(-2, 10), in.take_int(-2, 10)});
        if (in.take_bool()) complex.set_mask(take_texture_image(in));
        texture = complex;
        break;
    }
    case 2: {
        KT_Cube_Map_Texture cube;
        if (in.take_bool()) cube.set_default_image(in.take_int(0, largest_texture));
        texture = cube;
        break;
    }
    case 3:
        texture = KT_Procedural_Marble_Texture();
        break;
    case 4:
        texture = KT_Procedural_Wood_Texture();
        break;
    case 5:
        texture = KT_Procedural_Generic_Texture();
        break;
    default:
        return texture; // none: a textured material without a texture
    }
    texture.set_tiling(take_tiling(in), take_tiling(in), take_tiling(in));
    return texture;
}

KT_Material take_textured_material(Fuzz_Input& in) {
    if (in.take_bool()) {
        KT_Basic_Textured_Material basic(take_texture(in));
        basic.set_shininess(take_float(in, 1.0f));
        return basic;
    }
    KT_Complex_Textured_Material complex;
    const int textures = in.take_int(0, 3);
    for (int i = 0; i < textures; ++i)
        complex.set_texture(in.take_int(-1, KT_Material_Texture_Count), take_texture(in));
    complex.set_opacity(take_float(in, 0.25f));
    return complex;
}

void take_lights(Fuzz_Input& in, KT_Rendition& rendition) {
    const int lights = in.take_int(0, most_lights);
    if (lights == 0) return;
    KT_Light_Set& set = rendition.modify_color().light_set;
    for (int i = 0; i < lights; ++i) {
        switch (in.take_int(0, 2)) {
        case 0:
            set.add(KT_Ambient_Light(
                {take_float(in, 0.25f), take_float(in, 0.25f), take_float(in, 0.25f)}));
            break;
        case 1:
            set.add(KT_Distant_Light(take_vector(in)));
            break;
        default:
            set.add(KT_Point_Light(take_point(in)));
            break;
        }
    }
}

// The rendition's front material (textured, plain or the default), its
// lights and perspective correction. The textured material returned is
// also offered to meshes as a per-face material.
KT_Material take_appearance(Fuzz_Input& in, KT_Rendition& rendition) {
    const KT_Material textured = take_textured_material(in);
    const int choice = in.take_int(0, 2);
    if (choice == 0) rendition.modify_color().front_material = textured;
    if (choice == 1) rendition.modify_color().front_material = KT_Basic_Material();
    take_lights(in, rendition);
    rendition.modify_misc().perspective_flags = in.take_int(0, 7);
    return textured;
}

void draw_sequence(Fuzz_Input& in, KT_Renderer& renderer) {
    KT_Rendition rendition(renderer);
    take_line_and_marker(in, rendition);
    take_clip(in, rendition);
    take_view(in, rendition);
    const KT_Material textured = take_appearance(in, rendition);
    const int primitives = in.take_int(1, most_primitives);
    for (int i = 0; i < primitives && !in.exhausted(); ++i)
        draw_primitive(in, renderer.body(), rendition, textured);
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
