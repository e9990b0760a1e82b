// The five DCI polytriangle actions: strips of device-integer triangles,
// scan-converted here unless a hatch pattern or a complex clip sends them
// back up through the float forms.
#include <cmath>

#include "appearance/material.h"
#include "foundation/heap.h"
#include "raster/face_fill.h"
#include "raster/triangle_scan.h"
#include "renderer/next_action.h"
#include "rendition/rendition.h"

namespace {

constexpr int max_stack_points = 64;

bool drawable(const KT_Rendition* rendition, int count, const KT_DCI_Point* points) {
    return rendition && *rendition && rendition->renderer() && count >= 3 && points;
}

// The strip in floats, on the stack up to 64 points.
class Float_Points {
public:
    Float_Points(int count, const KT_DCI_Point* points)
        : points_(count <= max_stack_points
                      ? stack_
                      : static_cast<KT_Point*>(KD_AllocateMemory(count * sizeof(KT_Point)))) {
        if (!points_) return;
        for (int i = 0; i < count; ++i)
            points_[i] = {static_cast<float>(points[i].x), static_cast<float>(points[i].y),
                          static_cast<float>(points[i].z)};
    }
    ~Float_Points() {
        if (points_ && points_ != stack_) KD_ReleaseMemory(points_);
    }
    Float_Points(const Float_Points&) = delete;
    Float_Points& operator=(const Float_Points&) = delete;

    const KT_Point* get() const { return points_; }

private:
    KT_Point stack_[max_stack_points];
    KT_Point* points_;
};

// A hatch pattern is drawn by the float forms; the scan converter draws
// everything else. True when draw(float points) took the strip.
template <class Draw>
bool handed_to_float_form(const KT_Rendition& rendition, int count, const KT_DCI_Point* points,
                          Draw&& draw) {
    if (rendition.face().face_pattern != KT_Face_Hatch) return false;
    const Float_Points floats(count, points);
    if (floats.get()) draw(floats.get());
    return true;
}

// Vertex k of the strip with its position and offset depth.
KT_Scan_Vertex vertex_at(const KT_DCI_Point* points, int k, std::int32_t depth_offset) {
    KT_Scan_Vertex v{};
    v.x = points[k].x;
    v.y = points[k].y;
    v.depth = static_cast<std::int64_t>(points[k].z) + depth_offset;
    v.w = 1.0f;
    return v;
}

// Calls each_triangle(k) for every triangle k, k + 1, k + 2 of the strip.
template <class Each> void for_each_triangle(int count, Each&& each_triangle) {
    for (int k = 0; k + 2 < count; ++k)
        each_triangle(k);
}

KT_Span_Rasterizer flat_rasterizer(const KT_Renderer_Data* renderer,
                                   const KT_Rendition& rendition) {
    const KT_Renderer_Data* r = renderer ? renderer : rendition.renderer();
    return r->current_renderer_options.color_system() == KT_Color_System::True_Color
               ? &KD_Rasterize_DC_Spans_C24_C
               : &KD_Rasterize_DC_Spans_C08_U;
}

void scan_flat_strip(const KT_Renderer_Data* renderer, const KT_Rendition& rendition, int count,
                     const KT_DCI_Point* points, KT_Span_Data& data, KT_Span_Rasterizer rasterizer,
                     const KT_RGB32* colours, bool single) {
    const std::int32_t offset = rendition.face().depth_offset;
    const KT_Scan_Target target = {renderer, &rendition, &data, rasterizer,
                                   KT_Span_Edge_Part::Position_Depth};
    for_each_triangle(count, [&](int k) {
        if (colours) {
            const KT_RGB32 c = colours[single ? 0 : k];
            data.colour.rgb = c;
            data.colour.device_rgb = c;
        }
        KD_Scan_Triangle(target, vertex_at(points, k, offset), vertex_at(points, k + 1, offset),
                         vertex_at(points, k + 2, offset));
    });
}

void put_floats(float (&out)[3], float x, float y, float z) {
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

// The lighting a textured vertex gets, split so that the texture colour
// times multiplier plus addend is the lit colour: the default material lit
// once under white and once under black.
class Light_Split {
public:
    explicit Light_Split(const KT_Rendition& rendition) : white_(rendition), black_(rendition) {
        const KT_Material plain{KT_Basic_Material()};
        white_.set_front_color({255, 255, 255, 255}, false);
        black_.set_front_color({0, 0, 0, 255}, false);
        white_.modify_color().front_material = plain;
        black_.modify_color().front_material = plain;
    }

    void apply(KT_Scan_Vertex& v, const KT_Vector& normal) const {
        const KT_Material& m = white_.color().front_material;
        const KT_RGBA times = m.shade(&white_, &normal, nullptr, nullptr);
        const KT_RGBA plus = m.shade(&black_, &normal, nullptr, nullptr);
        put_floats(v.multiplier, times.red, times.green, times.blue);
        put_floats(v.addend, plus.red, plus.green, plus.blue);
    }

private:
    KT_Rendition white_;
    KT_Rendition black_;
};

// Scan-converts the strip with vertex(k) giving each vertex's data.
template <class Vertex>
void scan_shaded_strip(const KT_Renderer_Data* renderer, const KT_Rendition& rendition, int count,
                       const KT_Span_Data& data, KT_Span_Rasterizer rasterizer,
                       KT_Span_Edge_Part part, Vertex&& vertex) {
    const KT_Scan_Target target = {renderer, &rendition, &data, rasterizer, part};
    for_each_triangle(
        count, [&](int k) { KD_Scan_Triangle(target, vertex(k), vertex(k + 1), vertex(k + 2)); });
}

bool same_vector(const KT_Vector& a, const KT_Vector& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

} // namespace

extern "C" void KD_Standard_Draw_DCI_Polytriangle(const KT_Renderer_Data* renderer,
                                                  const KT_Rendition* rendition, int count,
                                                  const KT_DCI_Point* points) {
    if (!drawable(rendition, count, points)) return;
    if (handed_to_float_form(*rendition, count, points, [&](const KT_Point* floats) {
            KD_Next_Action<KT_Slot_Draw_DC_Polytriangle>(rendition, count, floats);
        }))
        return;
    KT_Fill_Bits bits;
    KT_Span_Data data = KD_Flat_Span_Data(*rendition, bits);
    scan_flat_strip(renderer, *rendition, count, points, data,
                    flat_rasterizer(renderer, *rendition), nullptr, false);
}

extern "C" void KD_Standard_Draw_DCI_Colorized_Polytriangle(const KT_Renderer_Data* renderer,
                                                            const KT_Rendition* rendition,
                                                            int count, const KT_DCI_Point* points,
                                                            const KT_RGB32* colours, bool single) {
    if (!drawable(rendition, count, points)) return;
    if (handed_to_float_form(*rendition, count, points, [&](const KT_Point* floats) {
            KD_Next_Action<KT_Slot_Draw_DC_Colorized_Polytriangle>(rendition, count, floats,
                                                                   colours, single);
        }))
        return;
    KT_Fill_Bits bits;
    KT_Span_Data data = KD_Flat_Span_Data(*rendition, bits);
    scan_flat_strip(renderer, *rendition, count, points, data, &KD_Rasterize_DC_Spans_C24_C,
                    colours, single);
}

extern "C" void KD_Standard_Draw_DCI_Gouraud_Polytriangle(const KT_Renderer_Data* renderer,
                                                          const KT_Rendition* rendition, int count,
                                                          const KT_DCI_Point* points,
                                                          const KT_RGB32* colours) {
    if (!drawable(rendition, count, points)) return;
    if (handed_to_float_form(*rendition, count, points, [&](const KT_Point* floats) {
            KD_Next_Action<KT_Slot_Draw_DC_Gouraud_Polytriangle>(rendition, count, floats, colours);
        }))
        return;
    if (!colours) {
        KD_Next_Action<KT_Slot_Draw_DCI_Polytriangle>(rendition, count, points);
        return;
    }
    KT_Fill_Bits bits;
    const KT_Span_Data data = KD_Flat_Span_Data(*rendition, bits);
    const std::int32_t offset = rendition->face().depth_offset;
    scan_shaded_strip(renderer, *rendition, count, data, &KD_Rasterize_DC_Spans_C24_G,
                      KT_Span_Edge_Part::Colour, [&](int k) {
                          KT_Scan_Vertex v = vertex_at(points, k, offset);
                          v.colour = colours[k];
                          return v;
                      });
}

extern "C" void KD_Standard_Draw_DCI_Phong_Polytriangle(
    const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int count,
    const KT_DCI_Point* points, const KT_Vector* normals, const KT_RGB32* colours,
    const KT_Point* positions, const float* parameters) {
    if (!drawable(rendition, count, points)) return;
    if (handed_to_float_form(*rendition, count, points, [&](const KT_Point* floats) {
            KD_Next_Action<KT_Slot_Draw_DC_Phong_Polytriangle>(rendition, count, floats, normals,
                                                               colours, positions, parameters);
        }))
        return;
    KT_Fill_Bits bits;
    const KT_Span_Data data = KD_Flat_Span_Data(*rendition, bits);
    const std::int32_t offset = rendition->face().depth_offset;
    const KT_RGB32 front = rendition->color().front.rgb;
    const auto vertex = [&](int k) {
        KT_Scan_Vertex v = vertex_at(points, k, offset);
        v.colour = colours ? colours[k] : front;
        if (normals) put_floats(v.normal, normals[k].x, normals[k].y, normals[k].z);
        if (positions) put_floats(v.position, positions[k].x, positions[k].y, positions[k].z);
        return v;
    };
    scan_shaded_strip(renderer, *rendition, count, data, &KD_Rasterize_DC_Spans_C24_R,
                      KT_Span_Edge_Part::Everything, vertex);
}

extern "C" void KD_Standard_Draw_DCI_Textured_Polytriangle(
    const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int count,
    const KT_DCI_Point* points, const KT_RGB32* colours, const KT_Parameter* parameters,
    int parameter_width, const float* w, const KT_Vector* vectors) {
    if (!drawable(rendition, count, points)) return;
    if (handed_to_float_form(*rendition, count, points, [&](const KT_Point* floats) {
            KD_Next_Action<KT_Slot_Draw_DC_Textured_Polytriangle>(
                rendition, count, floats, colours, parameters, parameter_width, w, vectors);
        }))
        return;
    KT_Fill_Bits bits;
    KT_Span_Data data = KD_Flat_Span_Data(*rendition, bits);
    data.parameter_width = parameters ? parameter_width : 0;
    const bool per_pixel = rendition->misc().lighting_interpolation == KT_Lighting_Phong;
    const std::int32_t offset = rendition->face().depth_offset;
    const KT_RGB32 front = rendition->color().front.rgb;
    const int stride = parameter_width > 0 ? parameter_width : 1;
    const auto vertex = [&](int k) {
        KT_Scan_Vertex v = vertex_at(points, k, offset);
        v.colour = colours ? colours[k] : front;
        if (parameters && parameter_width > 0) {
            const KT_Parameter& p = parameters[static_cast<std::int64_t>(k) * stride];
            put_floats(v.parameter, p.u, p.v, p.w);
        }
        if (w && std::isfinite(w[k])) v.w = w[k];
        if (vectors) put_floats(v.normal, vectors[k].x, vectors[k].y, vectors[k].z);
        return v;
    };

    if (!vectors || per_pixel) {
        scan_shaded_strip(renderer, *rendition, count, data,
                          vectors ? &KD_Rasterize_DC_Spans_C24_TR : &KD_Rasterize_DC_Spans_C24_T,
                          KT_Span_Edge_Part::Everything, vertex);
        return;
    }
    KT_Scan_Target target = {renderer, rendition, &data, nullptr, KT_Span_Edge_Part::Everything};
    const Light_Split split(*rendition);
    for_each_triangle(count, [&](int k) {
        KT_Scan_Vertex a = vertex(k);
        KT_Scan_Vertex b = vertex(k + 1);
        KT_Scan_Vertex c = vertex(k + 2);
        const bool flat =
            same_vector(vectors[k], vectors[k + 1]) && same_vector(vectors[k], vectors[k + 2]);
        split.apply(a, vectors[k]);
        if (flat) {
            // One multiplier and addend for the whole triangle.
            for (KT_Scan_Vertex* v : {&b, &c}) {
                put_floats(v->multiplier, a.multiplier[0], a.multiplier[1], a.multiplier[2]);
                put_floats(v->addend, a.addend[0], a.addend[1], a.addend[2]);
            }
        } else {
            split.apply(b, vectors[k + 1]);
            split.apply(c, vectors[k + 2]);
        }
        target.rasterizer = flat ? &KD_Rasterize_DC_Spans_C24_TF : &KD_Rasterize_DC_Spans_C24_TG;
        KD_Scan_Triangle(target, a, b, c);
    });
}
