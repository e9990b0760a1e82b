// Polymarkers in the 2D, 2DI, DC and DCI families, and the interpreter
// that draws one marker from its glyph program.
#include <algorithm>
#include <cmath>

#include "draw2d/device_point.h"
#include "draw2d/marker_glyph.h"
#include "font/shape_engine.h"
#include "renderer/next_action.h"
#include "rendition/marker_glyphs.h"

namespace {

constexpr double two_pi = 6.283185307179586;
constexpr double arc_step = two_pi / 72; // 5 degrees
// Far beyond any window; keeps mapped glyph points well inside float range.
constexpr int largest_marker_size = 1 << 20;
// Room for the longest built-in area: a polyline of 127 points or an arc.
constexpr int collection_capacity = 256;

bool drawable(const KT_Rendition* rendition) {
    return rendition && !rendition->empty() && rendition->renderer();
}

// Where a glyph's pieces go: the clipping 2D slots or the DC slots.
class Glyph_Output {
public:
    Glyph_Output(const KT_Rendition& plain, bool clipping) : plain_(plain), clipping_(clipping) {}

    void polyline(int count, const KT_Point* points, const KT_RGB32* colour) const {
        if (clipping_ && colour)
            KD_Next_Action<KT_Slot_Draw_2D_Colorized_Polyline>(&plain_, count, points, colour,
                                                               true);
        else if (clipping_)
            KD_Next_Action<KT_Slot_Draw_2D_Polyline>(&plain_, count, points);
        else if (colour)
            KD_Next_Action<KT_Slot_Draw_DC_Colorized_Polyline>(&plain_, count, points, colour,
                                                               true);
        else
            KD_Next_Action<KT_Slot_Draw_DC_Polyline>(&plain_, count, points);
    }
    void dot(const KT_Point& point, const KT_RGB32* colour) const {
        if (clipping_)
            KD_Next_Action<KT_Slot_Draw_2D_Dot>(&plain_, &point, colour);
        else
            KD_Next_Action<KT_Slot_Draw_DC_Dot>(&plain_, &point, colour);
    }
    void area(int count, const KT_Point* points, const KT_RGB32* colour) const {
        if (clipping_)
            KD_Next_Action<KT_Slot_Draw_2D_Polygon>(&plain_, count, points, colour);
        else
            KD_Next_Action<KT_Slot_Draw_DC_Polygon>(&plain_, count, points, colour);
    }
    void ellipse(const KT_Point& centre, const KT_Point& radii, bool filled,
                 const KT_RGB32* colour) const {
        if (filled && clipping_)
            KD_Next_Action<KT_Slot_Draw_2D_Ellipse>(&plain_, &centre, &radii, 0.0, two_pi, 0.0,
                                                    colour);
        else if (filled)
            KD_Next_Action<KT_Slot_Draw_DC_Ellipse>(&plain_, &centre, &radii, 0.0, two_pi, 0.0,
                                                    colour);
        else if (clipping_)
            KD_Next_Action<KT_Slot_Draw_2D_Elliptical_Arc>(&plain_, &centre, &radii, 0.0, two_pi,
                                                           0.0, colour);
        else
            KD_Next_Action<KT_Slot_Draw_DC_Elliptical_Arc>(&plain_, &centre, &radii, 0.0, two_pi,
                                                           0.0, colour);
    }

private:
    const KT_Rendition& plain_;
    bool clipping_;
};

// The points of a filled area being collected.
class Collection {
public:
    void add(const KT_Point& p) {
        if (count_ < collection_capacity) points_[count_++] = p;
    }
    bool empty() const { return count_ == 0; }
    // Fills the collection when it makes an area, then empties it.
    void fill(const Glyph_Output& out, const KT_RGB32* colour) {
        int n = count_;
        const KT_Point& first = points_[0];
        if (n > 1 && points_[n - 1].x == first.x && points_[n - 1].y == first.y &&
            points_[n - 1].z == first.z)
            --n;
        if (n > 2) out.area(n, points_, colour);
        count_ = 0;
    }

private:
    KT_Point points_[collection_capacity];
    int count_ = 0;
};

// Points of the circular arc through a, b and c, every 5 degrees plus its
// end; the three points themselves when they are collinear.
template <class Add>
void arc_points(const KT_Point& a, const KT_Point& b, const KT_Point& c, Add add) {
    const double ax = a.x, ay = a.y, bx = b.x, by = b.y, cx = c.x, cy = c.y;
    const double d = 2 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
    if (std::fabs(d) < 1e-9) {
        add(a);
        add(b);
        add(c);
        return;
    }
    const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const double ux = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d;
    const double uy = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
    const double radius = std::hypot(ax - ux, ay - uy);
    const double start = std::atan2(ay - uy, ax - ux);
    auto turn_to = [&](double x, double y) {
        double t = std::atan2(y - uy, x - ux) - start;
        while (t < 0)
            t += two_pi;
        return t;
    };
    // Counter-clockwise from a, unless b is not met before c that way.
    double sweep = turn_to(cx, cy);
    if (turn_to(bx, by) > sweep) sweep -= two_pi;
    const int steps = static_cast<int>(std::fabs(sweep) / arc_step);
    const double step = sweep < 0 ? -arc_step : arc_step;
    for (int k = 0; k <= steps; ++k) {
        const double angle = start + k * step;
        add(KT_Point{static_cast<float>(ux + radius * std::cos(angle)),
                     static_cast<float>(uy + radius * std::sin(angle)), a.z});
    }
    add(c);
}

KT_Rendition plain_form_of(const KT_Rendition& rendition) {
    KT_Rendition plain = rendition;
    plain.use_plain_form(0);
    return plain;
}

// Draws program at position; plain is the rendition in plain form, made
// once for all the markers of a primitive.
void paint_glyph(const KT_Rendition& rendition, const KT_Rendition& plain, const KT_Point& position,
                 const std::int8_t* program, const KT_RGB32* colour, bool clipping) {
    KT_Marker_Glyph_Reader glyph(program);
    const int size = std::min(rendition.marker().marker_size, largest_marker_size);
    if (!glyph.valid() || size <= 0) return;
    const Glyph_Output out(plain, clipping);
    const KT_RGB32* contrast = &rendition.color().contrast.rgb;
    const KT_RGB32* current = colour;
    const float scale = static_cast<float>(size);
    auto at = [&](const std::int8_t* pair) { return glyph.map(pair[0], pair[1], scale, position); };
    Collection collection;
    bool collecting = false;
    for (KT_Glyph_Step step = glyph.next(); step.operation != KT_Glyph_Operation::End;
         step = glyph.next()) {
        switch (step.operation) {
        case KT_Glyph_Operation::Polyline: {
            KT_Point points[127];
            for (int i = 0; i < step.pair_count; ++i) {
                points[i] = at(step.operands + 2 * i);
                if (collecting) collection.add(points[i]);
            }
            if (!collecting) out.polyline(step.pair_count, points, current);
            break;
        }
        case KT_Glyph_Operation::Dot:
            out.dot(at(step.operands), current);
            break;
        case KT_Glyph_Operation::Begin_Area:
            collecting = true;
            break;
        case KT_Glyph_Operation::End_Area:
            collecting = false;
            collection.fill(out, current);
            break;
        case KT_Glyph_Operation::Fill_Area:
            collection.fill(out, current);
            break;
        case KT_Glyph_Operation::Ellipse: {
            const std::int8_t* box = step.operands;
            if (box[0] == box[2] || box[1] == box[3]) break;
            const KT_Point low = at(box);
            const KT_Point high = at(box + 2);
            const KT_Point centre = {(low.x + high.x) / 2, (low.y + high.y) / 2, position.z};
            const KT_Point radii = {std::fabs(high.x - low.x) / 2, std::fabs(high.y - low.y) / 2,
                                    0};
            out.ellipse(centre, radii, collecting, current);
            break;
        }
        case KT_Glyph_Operation::Arc: {
            KT_Point points[80];
            int n = 0;
            arc_points(at(step.operands), at(step.operands + 2), at(step.operands + 4),
                       [&](const KT_Point& p) {
                           if (collecting)
                               collection.add(p);
                           else if (n < 80)
                               points[n++] = p;
                       });
            if (!collecting) out.polyline(n, points, current);
            break;
        }
        case KT_Glyph_Operation::Contrast_Color:
            current = contrast;
            break;
        case KT_Glyph_Operation::Marker_Color:
            current = colour;
            break;
        case KT_Glyph_Operation::End:
            break;
        }
    }
    if (!collection.empty()) collection.fill(out, current);
}

} // namespace

void KD_Draw_Marker_Glyph(const KT_Rendition* rendition, const KT_Point& position,
                          const std::int8_t* program, const KT_RGB32* colour, bool clipping) {
    if (!drawable(rendition) || !KD_Is_Finite_Point(position)) return;
    paint_glyph(*rendition, plain_form_of(*rendition), position, program, colour, clipping);
}

namespace {

double marker_extent(const KT_Rendition& rendition) {
    return std::min(rendition.marker().marker_size, largest_marker_size);
}

bool drawn_by_shape(const KT_Rendition* rendition, int count, const auto* points,
                    const KT_RGB32* colours, bool single) {
    const KT_Marker_Data& marker = rendition->marker();
    if (marker.marker_symbol != KD_MARKER_SHAPE_SYMBOL) return false;
    const KT_Shape_Color choice(single || !colours ? KT_Shape_Color_Uniform
                                                   : KT_Shape_Color_Per_Piece);
    KD_Shape_Engine_Of(marker.marker_shape.body())
        .draw_2d_polymarker(rendition->renderer(), rendition, count, points, colours, choice,
                            nullptr, 1, nullptr);
    return true;
}

const KT_RGB32* colour_of(const KT_RGB32* colours, bool single, int marker) {
    if (!colours) return nullptr;
    return single ? colours : colours + marker;
}

// DC and DCI: every marker through the glyph interpreter with the DC slots.
template <class P>
void draw_inside(const KT_Rendition* rendition, int count, const P* points, const KT_RGB32* colours,
                 bool single) {
    if (count < 1 || !points || !drawable(rendition)) return;
    if (drawn_by_shape(rendition, count, points, colours, single)) return;
    const std::int8_t* program = KD_Marker_Glyph(rendition->marker().marker_symbol);
    if (!program) return;
    const KT_Rendition plain = plain_form_of(*rendition);
    for (int i = 0; i < count; ++i) {
        if (!KD_Is_Finite_Point(points[i])) continue;
        const KT_Point position = {static_cast<float>(points[i].x), static_cast<float>(points[i].y),
                                   static_cast<float>(points[i].z)};
        paint_glyph(*rendition, plain, position, program, colour_of(colours, single, i), false);
    }
}

// 2D and 2DI: markers wholly inside the hard clip go on one by one to the
// unclipped family; markers that straddle it are drawn here with the
// clipping slots; markers wholly outside are dropped.
template <class P, class Inside>
void draw_clipped(const KT_Rendition* rendition, int count, const P* points,
                  const KT_RGB32* colours, bool single, Inside inside) {
    if (count < 1 || !points || !drawable(rendition)) return;
    if (drawn_by_shape(rendition, count, points, colours, single)) return;
    // Markers wholly inside go on even without a glyph: the slot they go
    // to may know the symbol.
    const std::int8_t* program = KD_Marker_Glyph(rendition->marker().marker_symbol);
    const KT_Rendition plain = plain_form_of(*rendition);
    const KT_Int_Rectangle& clip = rendition->transform().hard_clip;
    const double extent = marker_extent(*rendition);
    for (int i = 0; i < count; ++i) {
        const P& p = points[i];
        if (!KD_Is_Finite_Point(p) || KD_Box_Outside_Rectangle(clip, p, extent, extent)) continue;
        const KT_RGB32* colour = colour_of(colours, single, i);
        if (KD_Box_Inside_Rectangle(clip, p, extent, extent)) {
            inside(p, colour);
            continue;
        }
        const KT_Point position = {static_cast<float>(p.x), static_cast<float>(p.y),
                                   static_cast<float>(p.z)};
        paint_glyph(*rendition, plain, position, program, colour, true);
    }
}

} // namespace

extern "C" void KD_Standard_Draw_DC_Polymarker(const KT_Renderer_Data*, const KT_Rendition* r,
                                               int count, const KT_Point* points) {
    draw_inside(r, count, points, nullptr, true);
}
extern "C" void KD_Standard_Draw_DCI_Polymarker(const KT_Renderer_Data*, const KT_Rendition* r,
                                                int count, const KT_DCI_Point* points) {
    draw_inside(r, count, points, nullptr, true);
}
extern "C" void KD_Standard_Draw_DC_Colorized_Polymarker(const KT_Renderer_Data*,
                                                         const KT_Rendition* r, int count,
                                                         const KT_Point* points,
                                                         const KT_RGB32* colours, bool single) {
    draw_inside(r, count, points, colours, single);
}
extern "C" void KD_Standard_Draw_DCI_Colorized_Polymarker(const KT_Renderer_Data*,
                                                          const KT_Rendition* r, int count,
                                                          const KT_DCI_Point* points,
                                                          const KT_RGB32* colours, bool single) {
    draw_inside(r, count, points, colours, single);
}

extern "C" void KD_Standard_Draw_2D_Polymarker(const KT_Renderer_Data*, const KT_Rendition* r,
                                               int count, const KT_Point* points) {
    draw_clipped(r, count, points, nullptr, true, [&](const KT_Point& p, const KT_RGB32*) {
        KD_Next_Action<KT_Slot_Draw_DC_Polymarker>(r, 1, &p);
    });
}
extern "C" void KD_Standard_Draw_2DI_Polymarker(const KT_Renderer_Data*, const KT_Rendition* r,
                                                int count, const KT_DCI_Point* points) {
    draw_clipped(r, count, points, nullptr, true, [&](const KT_DCI_Point& p, const KT_RGB32*) {
        KD_Next_Action<KT_Slot_Draw_DCI_Polymarker>(r, 1, &p);
    });
}
extern "C" void KD_Standard_Draw_2D_Colorized_Polymarker(const KT_Renderer_Data*,
                                                         const KT_Rendition* r, int count,
                                                         const KT_Point* points,
                                                         const KT_RGB32* colours, bool single) {
    draw_clipped(r, count, points, colours, single, [&](const KT_Point& p, const KT_RGB32* c) {
        KD_Next_Action<KT_Slot_Draw_DC_Colorized_Polymarker>(r, 1, &p, c, true);
    });
}
extern "C" void KD_Standard_Draw_2DI_Colorized_Polymarker(const KT_Renderer_Data*,
                                                          const KT_Rendition* r, int count,
                                                          const KT_DCI_Point* points,
                                                          const KT_RGB32* colours, bool single) {
    draw_clipped(r, count, points, colours, single, [&](const KT_DCI_Point& p, const KT_RGB32* c) {
        KD_Next_Action<KT_Slot_Draw_DCI_Colorized_Polymarker>(r, 1, &p, c, true);
    });
}
