#include "font/shape_engine.h"

#include "contour/contour_set.h"
#include "draw2d/device_point.h"
#include "foundation/heap.h"
#include "renderer/next_action.h"

namespace {

constexpr int stack_points = 64;
constexpr int default_marker_symbol = 4;

// Device points of a float primitive; empty (no data) for bad input.
class Device_Points {
public:
    Device_Points(int count, const KT_Point* points)
        : scratch_(count > 0 ? static_cast<std::size_t>(count) : 0) {
        if (count <= 0 || !points || !scratch_ || !KD_All_Finite(count, points)) return;
        for (int i = 0; i < count; ++i)
            scratch_[i] = KD_To_DCI_Point(points[i]);
        ready_ = true;
    }
    const KT_DCI_Point* get() const { return ready_ ? scratch_.get() : nullptr; }

private:
    KT_Stack_Scratch<KT_DCI_Point, stack_points> scratch_;
    bool ready_ = false;
};

bool drawable(const KT_Rendition* rendition) {
    return rendition && !rendition->empty() && rendition->renderer();
}

// The rendition with the face drawn solid, so that the renderer does not
// hand the triangles back to a face shape.
KT_Rendition with_solid_face(const KT_Rendition* rendition) {
    KT_Rendition plain = *rendition;
    if (plain.face().face_pattern == KT_Face_Solid) return plain;
    KT_Face_Data& face = plain.modify_face(false);
    face.face_pattern = KT_Face_Solid;
    face.fill_pattern = KT_Fill_Pattern();
    face.hatch_pattern = KT_Hatch_Pattern();
    face.face_shape = KT_Fill_Shape();
    return plain;
}

KT_Rendition with_solid_line(const KT_Rendition* rendition) {
    KT_Rendition plain = *rendition;
    if (plain.line().line_pattern == KT_Line_Solid) return plain;
    KT_Line_Data& line = plain.modify_line(false);
    line.line_pattern = KT_Line_Solid;
    line.dash_pattern = KT_Dash_Pattern();
    line.line_shape = KT_Line_Shape();
    return plain;
}

KT_Rendition with_glyph_marker(const KT_Rendition* rendition) {
    KT_Rendition plain = *rendition;
    if (plain.marker().marker_symbol == default_marker_symbol) return plain;
    KT_Marker_Data& marker = plain.modify_marker(false);
    marker.marker_symbol = default_marker_symbol;
    marker.marker_shape = KT_Marker_Shape();
    return plain;
}

struct Triangle_Target {
    const KT_Shape_Engine_Data* engine;
    const KT_Renderer_Data* renderer;
    const KT_Rendition* rendition;
    const KT_RGB32* colours;
};

void draw_triangle(const KT_Point* a, const KT_Point* b, const KT_Point* c, void* user) {
    const auto& target = *static_cast<const Triangle_Target*>(user);
    const KT_Point triangle[3] = {*a, *b, *c};
    target.engine->draw_2d_polytriangle(target.renderer, target.rendition, 3, triangle,
                                        target.colours, KT_Shape_Color(KT_Shape_Color_Uniform),
                                        nullptr, 1, nullptr, nullptr);
}

} // namespace

KT_Line_Shape KT_Shape_Engine_Data::line_shape(int index) const {
    return KT_Line_Shape(this, index);
}
KT_Marker_Shape KT_Shape_Engine_Data::marker_shape(int index) const {
    return KT_Marker_Shape(this, index);
}
KT_Fill_Shape KT_Shape_Engine_Data::fill_shape(int index) const {
    return KT_Fill_Shape(this, index);
}

void KT_Shape_Engine_Data::draw_2d_polygon(const KT_Renderer_Data* renderer,
                                           const KT_Rendition* rendition, int count,
                                           const KT_DCI_Point* points,
                                           const KT_RGB32* colours) const {
    if (count < 3 || !points || !drawable(rendition)) return;
    const KT_Shape_Color uniform(KT_Shape_Color_Uniform);
    if (count == 3) {
        draw_2d_polytriangle(renderer, rendition, 3, points, colours, uniform, nullptr, 1, nullptr,
                             nullptr);
        return;
    }
    KT_Stack_Scratch<KT_Point, stack_points> floats(static_cast<std::size_t>(count));
    if (!floats) return;
    for (int i = 0; i < count; ++i)
        floats[i] = KD_To_Float_Point(points[i]);
    KT_Contour_Set outline(count, floats.get(), false);
    if (outline.empty()) return;
    outline.modify()->force_projection(0.0, 0.0, 1.0);
    Triangle_Target target{this, renderer, rendition, colours};
    outline->triangulate(KT_Contour_Plain_Triangle_Callback(&draw_triangle), &target);
}

void KT_Shape_Engine_Data::draw_2d_polygon(const KT_Renderer_Data* renderer,
                                           const KT_Rendition* rendition, int count,
                                           const KT_Point* points, const KT_RGB32* colours) const {
    const Device_Points device(count, points);
    if (device.get()) draw_2d_polygon(renderer, rendition, count, device.get(), colours);
}

void KT_Shape_Engine_Data::draw_2d_polytriangle(const KT_Renderer_Data*,
                                                const KT_Rendition* rendition, int count,
                                                const KT_DCI_Point* points, const KT_RGB32* colours,
                                                const KT_Shape_Color& choice,
                                                const KT_Parameter* parameters, int parameter_width,
                                                const float* w, const KT_Vector* normals) const {
    if (count < 3 || !points || !drawable(rendition)) return;
    const KT_Rendition plain = with_solid_face(rendition);
    if (parameters)
        KD_Next_Action<KT_Slot_Draw_2DI_Textured_Polytriangle>(
            &plain, count, points, colours, parameters, parameter_width, w, normals);
    else if (normals)
        KD_Next_Action<KT_Slot_Draw_2DI_Phong_Polytriangle>(&plain, count, points, normals, colours,
                                                            nullptr, w);
    else if (colours && choice.value == KT_Shape_Color_Per_Piece)
        KD_Next_Action<KT_Slot_Draw_2DI_Colorized_Polytriangle>(&plain, count, points, colours,
                                                                false);
    else if (colours && choice.value == KT_Shape_Color_Interpolated)
        KD_Next_Action<KT_Slot_Draw_2DI_Gouraud_Polytriangle>(&plain, count, points, colours);
    else if (colours)
        KD_Next_Action<KT_Slot_Draw_2DI_Colorized_Polytriangle>(&plain, count, points, colours,
                                                                true);
    else
        KD_Next_Action<KT_Slot_Draw_2DI_Polytriangle>(&plain, count, points);
}

void KT_Shape_Engine_Data::draw_2d_polytriangle(const KT_Renderer_Data* renderer,
                                                const KT_Rendition* rendition, int count,
                                                const KT_Point* points, const KT_RGB32* colours,
                                                const KT_Shape_Color& choice,
                                                const KT_Parameter* parameters, int parameter_width,
                                                const float* w, const KT_Vector* normals) const {
    const Device_Points device(count, points);
    if (device.get())
        draw_2d_polytriangle(renderer, rendition, count, device.get(), colours, choice, parameters,
                             parameter_width, w, normals);
}

void KT_Shape_Engine_Data::draw_2d_polyline(const KT_Renderer_Data*, const KT_Rendition* rendition,
                                            int count, const KT_DCI_Point* points,
                                            const KT_RGB32* colours, const KT_Shape_Color& choice,
                                            const KT_Parameter* parameters, int parameter_width,
                                            const float* w, const KT_Vector* normals) const {
    if (count < 2 || !points || !drawable(rendition)) return;
    const KT_Rendition plain = with_solid_line(rendition);
    if (parameters)
        KD_Next_Action<KT_Slot_Draw_2DI_Textured_Polyline>(&plain, count, points, colours,
                                                           parameters, parameter_width, w, normals);
    else if (normals)
        KD_Next_Action<KT_Slot_Draw_2DI_Phong_Polyline>(&plain, count, points, normals, colours,
                                                        nullptr, w);
    else if (colours && choice.value == KT_Shape_Color_Per_Piece)
        KD_Next_Action<KT_Slot_Draw_2DI_Colorized_Polyline>(&plain, count, points, colours, false);
    else if (colours && choice.value == KT_Shape_Color_Interpolated)
        KD_Next_Action<KT_Slot_Draw_2DI_Gouraud_Polyline>(&plain, count, points, colours);
    else if (colours)
        KD_Next_Action<KT_Slot_Draw_2DI_Colorized_Polyline>(&plain, count, points, colours, true);
    else
        KD_Next_Action<KT_Slot_Draw_2DI_Polyline>(&plain, count, points);
}

void KT_Shape_Engine_Data::draw_2d_polyline(const KT_Renderer_Data* renderer,
                                            const KT_Rendition* rendition, int count,
                                            const KT_Point* points, const KT_RGB32* colours,
                                            const KT_Shape_Color& choice,
                                            const KT_Parameter* parameters, int parameter_width,
                                            const float* w, const KT_Vector* normals) const {
    const Device_Points device(count, points);
    if (device.get())
        draw_2d_polyline(renderer, rendition, count, device.get(), colours, choice, parameters,
                         parameter_width, w, normals);
}

void KT_Shape_Engine_Data::draw_2d_polymarker(const KT_Renderer_Data*,
                                              const KT_Rendition* rendition, int count,
                                              const KT_DCI_Point* points, const KT_RGB32* colours,
                                              const KT_Shape_Color& choice,
                                              const KT_Parameter* parameters, int,
                                              const KT_Vector*) const {
    if (count < 1 || !points || !drawable(rendition)) return;
    const KT_Rendition plain = with_glyph_marker(rendition);
    const bool single = choice.value != KT_Shape_Color_Per_Piece;
    // The reserved slot takes the colorized arguments; the parameters stay
    // with the caller.
    if (parameters)
        KD_Next_Action<KT_Slot_Reserved_2DI_Polymarker>(&plain, count, points, colours, single);
    else if (colours)
        KD_Next_Action<KT_Slot_Draw_2DI_Colorized_Polymarker>(&plain, count, points, colours,
                                                              single);
    else
        KD_Next_Action<KT_Slot_Draw_2DI_Polymarker>(&plain, count, points);
}

void KT_Shape_Engine_Data::draw_2d_polymarker(const KT_Renderer_Data* renderer,
                                              const KT_Rendition* rendition, int count,
                                              const KT_Point* points, const KT_RGB32* colours,
                                              const KT_Shape_Color& choice,
                                              const KT_Parameter* parameters, int parameter_width,
                                              const KT_Vector* normals) const {
    const Device_Points device(count, points);
    if (device.get())
        draw_2d_polymarker(renderer, rendition, count, device.get(), colours, choice, parameters,
                           parameter_width, normals);
}

const KT_Shape_Engine_Data& KD_Shape_Engine_Of(const KT_Shape_Data* shape) {
    static const KT_Shape_Engine_Data base;
    return shape && shape->engine ? *shape->engine : base;
}
