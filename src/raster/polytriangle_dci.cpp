// The five DCI polytriangle actions: strips of device-integer triangles,
// scan-converted here unless a hatch pattern or a complex clip sends them
// back up through the float forms.
#include <algorithm>
#include <cmath>

#include "appearance/material.h"
#include "font/shape_engine.h"
#include "foundation/heap.h"
#include "raster/complex_clip_cut.h"
#include "raster/face_fill.h"
#include "raster/triangle_scan.h"
#include "renderer/next_action.h"
#include "rendition/rendition.h"

namespace {

constexpr int max_stack_points = 64;

bool drawable(const KT_Rendition* rendition, int count, const KT_DCI_Point* points) {
    return rendition && *rendition && rendition->renderer() && count >= 3 && points;
}

// Face pattern 76: the face's shape draws the strip.
bool handed_to_shape(const KT_Renderer_Data* renderer, const KT_Rendition& rendition, int count,
                     const KT_DCI_Point* points, const KT_RGB32* colours,
                     KT_Shape_Color_Choice choice, const KT_Parameter* parameters = nullptr,
                     int parameter_width = 0, const float* w = nullptr,
                     const KT_Vector* normals = nullptr) {
    if (rendition.face().face_pattern != KT_Face_By_Shape) return false;
    const KT_Shape_Engine_Data& engine = KD_Shape_Engine_Of(rendition.face().face_shape.body());
    engine.draw_2d_polytriangle(renderer, &rendition, count, points, colours,
                                KT_Shape_Color(choice), parameters, parameter_width, w, normals);
    return true;
}

// A hatch pattern is drawn by the float forms; the scan converter draws
// everything else. True when draw(float points) took the strip.
template <class Draw>
bool handed_to_float_form(const KT_Rendition& rendition, int count, const KT_DCI_Point* points,
                          Draw&& draw) {
    if (rendition.face().face_pattern != KT_Face_Hatch) return false;
    const KT_Stack_Scratch<KT_Point, max_stack_points> floats(static_cast<std::size_t>(count));
    if (!floats) return true;
    for (int i = 0; i < count; ++i)
        floats[i] = {static_cast<float>(points[i].x), static_cast<float>(points[i].y),
                     static_cast<float>(points[i].z)};
    draw(floats.get());
    return true;
}

// With a complex clip, the pieces of each triangle inside it go to
// draw(rendition without the clip, triangle index, three corners). True
// when the clip took the strip.
template <class Draw>
bool handed_to_complex_clip(const KT_Rendition& rendition, int count, const KT_DCI_Point* points,
                            Draw&& draw) {
    if (rendition.transform().complex_clip.empty()) return false;
    struct Context {
        KT_Rendition unclipped;
        Draw* draw;
    };
    Context context{rendition, &draw};
    context.unclipped.set_complex_clip(nullptr, false);
    KD_Cut_Strip_To_Complex_Clip(
        rendition, count, points,
        [](int k, const KT_Piece_Corner* corners, void* user) {
            auto* c = static_cast<Context*>(user);
            (*c->draw)(&c->unclipped, k, corners);
        },
        &context);
    return true;
}

// Per-vertex data of a piece corner, weighted from the source triangle's
// three vertices (values points at the first of them).
KT_RGB32 mixed(const KT_RGB32* values, const KT_Piece_Corner& corner) {
    double channel[4] = {0.0, 0.0, 0.0, 0.0};
    for (int i = 0; i < 3; ++i) {
        const KT_RGB32& v = values[i];
        channel[0] += corner.weight[i] * v.b;
        channel[1] += corner.weight[i] * v.g;
        channel[2] += corner.weight[i] * v.r;
        channel[3] += corner.weight[i] * v.a;
    }
    std::uint8_t byte[4];
    for (int c = 0; c < 4; ++c)
        byte[c] = static_cast<std::uint8_t>(std::clamp(channel[c] + 0.5, 0.0, 255.0));
    return {byte[0], byte[1], byte[2], byte[3]};
}

// Any record of three floats (vectors, points, parameters).
template <class Three> Three mixed(const Three* values, const KT_Piece_Corner& corner) {
    float out[3] = {0.0f, 0.0f, 0.0f};
    for (int i = 0; i < 3; ++i) {
        const auto* v = reinterpret_cast<const float*>(&values[i]);
        for (int c = 0; c < 3; ++c)
            out[c] += static_cast<float>(corner.weight[i]) * v[c];
    }
    return {out[0], out[1], out[2]};
}

float mixed(const float* values, const KT_Piece_Corner& corner) {
    double sum = 0.0;
    for (int i = 0; i < 3; ++i)
        sum += corner.weight[i] * values[i];
    return static_cast<float>(sum);
}

// The piece's three corner points, and each per-vertex array mixed for
// the three corners (null stays null).
struct Piece {
    explicit Piece(const KT_Piece_Corner* c) : corners(c) {
        for (int i = 0; i < 3; ++i)
            point[i] = c[i].point;
    }
    template <class T> const T* mix(const T* values, int k, T (&out)[3]) const {
        if (!values) return nullptr;
        for (int i = 0; i < 3; ++i)
            out[i] = mixed(values + k, corners[i]);
        return out;
    }
    const KT_Piece_Corner* corners;
    KT_Point point[3];
};

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

// The w of a vertex at device depth z when none is given: the screen
// mapping of a perspective camera puts depth at zmax - wlimit * zmax / w,
// so w = wlimit * zmax / (zmax - z). Orthographic cameras have w = 1.
class Depth_To_W {
public:
    explicit Depth_To_W(const KT_Rendition& rendition) {
        const KT_Transform_Data& t = rendition.transform();
        const bool perspective = t.camera.empty() || t.camera->is_perspective();
        const int bits = t.renderer ? t.renderer->current_renderer_options.buffer_depth() : 0;
        active_ = perspective && bits > 0 &&
                  (rendition.misc().perspective_flags &
                   (KT_Perspective_Parameters | KT_Perspective_Positions)) != 0;
        zmax_ = bits < 32 ? std::ldexp(1.0, bits) - 1.0 : 4294967296.0;
        near_ = static_cast<double>(t.camera_wlimit) * zmax_;
    }
    bool active() const { return active_; }
    float at(std::int32_t z) const {
        const double room = std::max(zmax_ - static_cast<double>(z), 1.0);
        return static_cast<float>(near_ / room);
    }

private:
    bool active_ = false;
    double zmax_ = 0.0;
    double near_ = 0.0; // wlimit * zmax
};

bool same_vector(const KT_Vector& a, const KT_Vector& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

} // namespace

extern "C" void KD_Standard_Draw_DCI_Polytriangle(const KT_Renderer_Data* renderer,
                                                  const KT_Rendition* rendition, int count,
                                                  const KT_DCI_Point* points) {
    if (!drawable(rendition, count, points)) return;
    if (handed_to_shape(renderer, *rendition, count, points, nullptr, KT_Shape_Color_Uniform))
        return;
    if (handed_to_complex_clip(*rendition, count, points,
                               [&](const KT_Rendition* r, int, const KT_Piece_Corner* c) {
                                   const Piece piece(c);
                                   KD_Next_Action<KT_Slot_Draw_DC_Polytriangle>(r, 3, piece.point);
                               }))
        return;
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
    if (handed_to_shape(renderer, *rendition, count, points, colours,
                        single ? KT_Shape_Color_Uniform : KT_Shape_Color_Per_Piece))
        return;
    if (handed_to_complex_clip(
            *rendition, count, points, [&](const KT_Rendition* r, int k, const KT_Piece_Corner* c) {
                const Piece piece(c);
                const KT_RGB32* colour = colours ? colours + (single ? 0 : k) : nullptr;
                KD_Next_Action<KT_Slot_Draw_DC_Colorized_Polytriangle>(r, 3, piece.point, colour,
                                                                       true);
            }))
        return;
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
    if (handed_to_shape(renderer, *rendition, count, points, colours, KT_Shape_Color_Interpolated))
        return;
    if (handed_to_complex_clip(*rendition, count, points,
                               [&](const KT_Rendition* r, int k, const KT_Piece_Corner* c) {
                                   const Piece piece(c);
                                   KT_RGB32 mixed_colours[3];
                                   KD_Next_Action<KT_Slot_Draw_DC_Gouraud_Polytriangle>(
                                       r, 3, piece.point, piece.mix(colours, k, mixed_colours));
                               }))
        return;
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
    if (handed_to_shape(renderer, *rendition, count, points, colours, KT_Shape_Color_Interpolated,
                        nullptr, 0, nullptr, normals))
        return;
    if (handed_to_complex_clip(
            *rendition, count, points, [&](const KT_Rendition* r, int k, const KT_Piece_Corner* c) {
                const Piece piece(c);
                KT_Vector n[3];
                KT_RGB32 rgb[3];
                KT_Point at[3];
                KD_Next_Action<KT_Slot_Draw_DC_Phong_Polytriangle>(
                    r, 3, piece.point, piece.mix(normals, k, n), piece.mix(colours, k, rgb),
                    piece.mix(positions, k, at), nullptr);
            }))
        return;
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
    if (handed_to_shape(renderer, *rendition, count, points, colours, KT_Shape_Color_Interpolated,
                        parameters, parameter_width, w, vectors))
        return;
    if (handed_to_complex_clip(
            *rendition, count, points, [&](const KT_Rendition* r, int k, const KT_Piece_Corner* c) {
                const Piece piece(c);
                KT_RGB32 rgb[3];
                float w_values[3];
                KT_Vector v[3];
                // The first texture coordinate of each vertex follows the piece.
                KT_Parameter p[3];
                const KT_Parameter* mixed_parameters = nullptr;
                if (parameters && parameter_width > 0) {
                    for (int i = 0; i < 3; ++i) {
                        const KT_Parameter source[3] = {
                            parameters[static_cast<std::int64_t>(k) * parameter_width],
                            parameters[static_cast<std::int64_t>(k + 1) * parameter_width],
                            parameters[static_cast<std::int64_t>(k + 2) * parameter_width]};
                        p[i] = mixed(source, c[i]);
                    }
                    mixed_parameters = p;
                }
                KD_Next_Action<KT_Slot_Draw_DC_Textured_Polytriangle>(
                    r, 3, piece.point, piece.mix(colours, k, rgb), mixed_parameters,
                    mixed_parameters ? 1 : 0, piece.mix(w, k, w_values), piece.mix(vectors, k, v));
            }))
        return;
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
    const Depth_To_W derive_w(*rendition);
    const auto vertex = [&](int k) {
        KT_Scan_Vertex v = vertex_at(points, k, offset);
        v.colour = colours ? colours[k] : front;
        if (parameters && parameter_width > 0) {
            const KT_Parameter& p = parameters[static_cast<std::int64_t>(k) * stride];
            put_floats(v.parameter, p.u, p.v, p.w);
        }
        if (w && std::isfinite(w[k]))
            v.w = w[k];
        else if (!w && derive_w.active())
            v.w = derive_w.at(points[k].z);
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
