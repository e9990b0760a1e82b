// Polylines in the DCI family: every segment drawn by the thin-line
// drawers, cut by the complex clip when there is one.
#include "draw2d/polyline_routing.h"
#include "draw2d/segment_cut.h"
#include "raster/span_lines.h"

namespace {

using namespace detail;

// A piece [t0, t1] of one segment, with its ends and their vertex data.
struct Piece {
    KT_DCI_Point ends[2];
    double t0;
    double t1;
};

std::uint8_t mix(std::uint8_t a, std::uint8_t b, double t) {
    return static_cast<std::uint8_t>(std::lround(a + (b - a) * t));
}
KT_RGB32 mix(const KT_RGB32& a, const KT_RGB32& b, double t) {
    return {mix(a.b, b.b, t), mix(a.g, b.g, t), mix(a.r, b.r, t), mix(a.a, b.a, t)};
}
float mix(float a, float b, double t) {
    return static_cast<float>(a + (b - a) * t);
}
KT_Vector mix(const KT_Vector& a, const KT_Vector& b, double t) {
    return {mix(a.x, b.x, t), mix(a.y, b.y, t), mix(a.z, b.z, t)};
}
KT_Point mix(const KT_Point& a, const KT_Point& b, double t) {
    return {mix(a.x, b.x, t), mix(a.y, b.y, t), mix(a.z, b.z, t)};
}

// The per-vertex values of a segment's two ends at the piece's ends.
template <class T> struct Piece_Values {
    T values[2];
    const T* get() const { return values; }
};
template <class T> Piece_Values<T> at_piece(const T* ends, const Piece& piece) {
    return {{mix(ends[0], ends[1], piece.t0), mix(ends[0], ends[1], piece.t1)}};
}

void draw_thin(const KT_Rendition* r, const KT_Plain_Polyline&, const KT_DCI_Point* ends, int,
               const Piece*) {
    KD_Span_DCI_Line(r->renderer(), r, ends);
}

void draw_thin(const KT_Rendition* r, const KT_Colorized_Polyline& v, const KT_DCI_Point* ends,
               int segment, const Piece*) {
    const KT_RGB32* colour = v.line_colors().of_segment(segment);
    if (colour)
        KD_Span_DCI_Colorized_Line(r->renderer(), r, ends, *colour);
    else
        KD_Span_DCI_Line(r->renderer(), r, ends);
}

void draw_thin(const KT_Rendition* r, const KT_Gouraud_Polyline& v, const KT_DCI_Point* ends,
               int segment, const Piece* piece) {
    const KT_RGB32* colours = v.start_colour(segment);
    if (!colours) {
        KD_Span_DCI_Line(r->renderer(), r, ends);
        return;
    }
    if (!piece) {
        KD_Span_DCI_Gouraud_Line(r->renderer(), r, ends, colours);
        return;
    }
    KD_Span_DCI_Gouraud_Line(r->renderer(), r, ends, at_piece(colours, *piece).get());
}

void draw_thin(const KT_Rendition* r, const KT_Phong_Polyline& v, const KT_DCI_Point* ends,
               int segment, const Piece* piece) {
    const KT_Phong_Polyline from = v.from(segment);
    if (!piece || !from.normals || !from.colours || !from.positions) {
        KD_Span_DCI_Phong_Line(r->renderer(), r, ends, from.normals, from.colours, from.positions,
                               from.parameters);
        return;
    }
    const Piece_Values<KT_Vector> normals = at_piece(from.normals, *piece);
    const Piece_Values<KT_RGB32> colours = at_piece(from.colours, *piece);
    const Piece_Values<KT_Point> positions = at_piece(from.positions, *piece);
    if (!from.parameters) {
        KD_Span_DCI_Phong_Line(r->renderer(), r, ends, normals.get(), colours.get(),
                               positions.get(), nullptr);
        return;
    }
    const Piece_Values<float> parameters = at_piece(from.parameters, *piece);
    KD_Span_DCI_Phong_Line(r->renderer(), r, ends, normals.get(), colours.get(), positions.get(),
                           parameters.get());
}

template <class Variant>
void draw_dci(const KT_Rendition* rendition, int count, const KT_DCI_Point* points,
              const Variant& variant) {
    if (count < 2 || !points || !drawable(rendition)) return;
    if (drawn_by_shape(rendition, count, points, variant)) return;
    if (drawn_patterned(rendition, count, points, variant, KT_Piece_Route::Inside)) return;
    // The thin-line drawers hand a weight of 2 or more back to this slot;
    // with a line thickness option below 1 such a weight is thin here.
    KT_Rendition light;
    const KT_Rendition* thin = rendition;
    if (rendition->line().line_weight >= 2) {
        light = *rendition;
        light.modify_line().line_weight = 1;
        thin = &light;
    }
    const KT_Contour_Set region = rendition->shifted_complex_clip();
    for (int k = 0; k + 1 < count; ++k) {
        const KT_DCI_Point* ends = points + k;
        if (region.empty()) {
            draw_thin(thin, variant, ends, k, nullptr);
            continue;
        }
        KD_Cut_Segment_By_Region(*region, ends[0], ends[1], [&](double t0, double t1) {
            const Piece piece = {
                {point_at(ends[0], ends[1], t0), point_at(ends[0], ends[1], t1)}, t0, t1};
            draw_thin(thin, variant, piece.ends, k, &piece);
        });
    }
}

} // namespace

extern "C" void KD_Standard_Draw_DCI_Polyline(const KT_Renderer_Data*, const KT_Rendition* r,
                                              int count, const KT_DCI_Point* points) {
    draw_dci(r, count, points, KT_Plain_Polyline{});
}
extern "C" void KD_Standard_Draw_DCI_Colorized_Polyline(const KT_Renderer_Data*,
                                                        const KT_Rendition* r, int count,
                                                        const KT_DCI_Point* points,
                                                        const KT_RGB32* colours, bool single) {
    draw_dci(r, count, points, KT_Colorized_Polyline{colours, single});
}
extern "C" void KD_Standard_Draw_DCI_Gouraud_Polyline(const KT_Renderer_Data*,
                                                      const KT_Rendition* r, int count,
                                                      const KT_DCI_Point* points,
                                                      const KT_RGB32* colours) {
    draw_dci(r, count, points, KT_Gouraud_Polyline{{colours}});
}
extern "C" void KD_Standard_Draw_DCI_Phong_Polyline(const KT_Renderer_Data*, const KT_Rendition* r,
                                                    int count, const KT_DCI_Point* points,
                                                    const KT_Vector* normals,
                                                    const KT_RGB32* colours,
                                                    const KT_Point* positions,
                                                    const float* parameters) {
    draw_dci(r, count, points, KT_Phong_Polyline{{colours}, normals, positions, parameters});
}
