// Ellipses (filled, pie sectors when partial) and elliptical arcs in the
// 2D, 2DI, DC and DCI families.
#include "draw2d/ellipse.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "draw2d/device_point.h"
#include "foundation/heap.h"
#include "renderer/next_action.h"
#include "rendition/rendition.h"

namespace {

constexpr double two_pi = 6.283185307179586;
// Sweeps this close to a full turn draw the whole figure; the thresholds
// are the float values the angles were once kept in.
constexpr double full_sweep_limit = 6.2731852531433105;
constexpr double full_turn = 6.2831854820251465;
constexpr double generator_full_limit = 6.2731853;
constexpr double generator_full_turn = 6.2831855;
// Counts points from the radius; beyond this the figure covers the guard
// rectangle anyway and more points would only cost memory.
constexpr double largest_counted_radius = 1073741824.0;

double round_half_away(double v) {
    return v >= 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5);
}

std::int32_t saturate(double v) {
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(v, low, high));
}

struct Offset {
    double x;
    double y;
};

void place(const KT_DCI_Point& centre, Offset o, KT_DCI_Point& out) {
    out = {saturate(centre.x + o.x), saturate(centre.y + o.y), centre.z};
}
void place(const KT_Point& centre, Offset o, KT_Point& out) {
    out = {static_cast<float>(centre.x + o.x), static_cast<float>(centre.y + o.y), centre.z};
}
void place(const KT_Point& centre, Offset o, KT_DCI_Point& out) {
    out = {saturate(centre.x + o.x), saturate(centre.y + o.y), KD_Round(centre.z)};
}

template <class In, class Out>
void generate(const In& centre, const In& radii, double start, double end, double rotation,
              int count, Out* points) {
    if (count <= 0 || !points) return;
    const bool full = end - start > generator_full_limit;
    if (full) {
        start = 0;
        end = generator_full_turn;
    }
    const double rx = radii.x;
    const double ry = radii.y;
    const double cr = std::cos(rotation);
    const double sr = std::sin(rotation);
    auto offset = [&](double c, double s) {
        const double ex = rx * c;
        const double ey = ry * s;
        return Offset{round_half_away(ex * cr - ey * sr), round_half_away(ex * sr + ey * cr)};
    };
    const double step = count > 1 ? (end - start) / (count - 1) : 0.0;
    const double cs = std::cos(step); // rotation by one step
    const double sn = std::sin(step);
    double c = std::cos(start);
    double s = std::sin(start);
    for (int i = 0; i + 1 < count; ++i) {
        place(centre, offset(c, s), points[i]);
        const double next_c = c * cs - s * sn;
        s = s * cs + c * sn;
        c = next_c;
    }
    if (full && count > 1)
        points[count - 1] = points[0];
    else
        place(centre, offset(std::cos(end), std::sin(end)), points[count - 1]);
}

// A figure's angles and point count after normalisation.
struct Sweep {
    double start;
    double end;
    bool full;
    int count;
};

// False when nothing is to be drawn: NaN or infinite values, negative
// radii, or an arc of no sweep.
bool normalise(double radius_x, double radius_y, double start, double end, double rotation,
               Sweep& sweep) {
    if (!std::isfinite(radius_x) || !std::isfinite(radius_y) || radius_x < 0 || radius_y < 0)
        return false;
    if (!std::isfinite(start) || !std::isfinite(end) || !std::isfinite(rotation)) return false;
    sweep.full = (end >= start && end - start > full_sweep_limit) ||
                 (start > end && start - end > full_sweep_limit);
    if (sweep.full) {
        start = 0;
        end = full_turn;
    } else if (start > end) {
        start -= two_pi;
    }
    if (!(end > start)) return false;
    sweep.start = start;
    sweep.end = end;
    const double radius = std::min(std::max(radius_x, radius_y), largest_counted_radius);
    sweep.count = std::max(2, 1 + static_cast<int>(4 * std::sqrt(radius) * (end - start) / two_pi));
    return true;
}

double larger_radius(double x, double y) {
    return std::max(x, y);
}

bool drawable(const KT_Rendition* rendition) {
    return rendition && !rendition->empty() && rendition->renderer();
}

// The slots one family of figures draws through.
struct Float_Figures {
    using Point = KT_Point;
    static void dot(const KT_Rendition* r, const Point* p, const KT_RGB32* c) {
        KD_Next_Action<KT_Slot_Draw_DC_Dot>(r, p, c);
    }
    static void polygon(const KT_Rendition* r, int n, const Point* p, const KT_RGB32* c) {
        KD_Next_Action<KT_Slot_Draw_DC_Polygon>(r, n, p, c);
    }
    static void polyline(const KT_Rendition* r, int n, const Point* p, const KT_RGB32* c) {
        if (c)
            KD_Next_Action<KT_Slot_Draw_DC_Colorized_Polyline>(r, n, p, c, true);
        else
            KD_Next_Action<KT_Slot_Draw_DC_Polyline>(r, n, p);
    }
};

struct Clipping_Float_Figures {
    using Point = KT_Point;
    static void dot(const KT_Rendition* r, const Point* p, const KT_RGB32* c) {
        KD_Next_Action<KT_Slot_Draw_2D_Dot>(r, p, c);
    }
    static void polygon(const KT_Rendition* r, int n, const Point* p, const KT_RGB32* c) {
        KD_Next_Action<KT_Slot_Draw_2D_Polygon>(r, n, p, c);
    }
    static void polyline(const KT_Rendition* r, int n, const Point* p, const KT_RGB32* c) {
        if (c)
            KD_Next_Action<KT_Slot_Draw_2D_Colorized_Polyline>(r, n, p, c, true);
        else
            KD_Next_Action<KT_Slot_Draw_2D_Polyline>(r, n, p);
    }
};

struct Integer_Figures {
    using Point = KT_DCI_Point;
    static void dot(const KT_Rendition* r, const Point* p, const KT_RGB32* c) {
        KD_Next_Action<KT_Slot_Draw_DCI_Dot>(r, p, c);
    }
    static void polygon(const KT_Rendition* r, int n, const Point* p, const KT_RGB32* c) {
        KD_Next_Action<KT_Slot_Draw_DCI_Polygon>(r, n, p, c);
    }
    static void polyline(const KT_Rendition* r, int n, const Point* p, const KT_RGB32* c) {
        if (c)
            KD_Next_Action<KT_Slot_Draw_DCI_Colorized_Polyline>(r, n, p, c, true);
        else
            KD_Next_Action<KT_Slot_Draw_DCI_Polyline>(r, n, p);
    }
};

struct Clipping_Integer_Figures {
    using Point = KT_DCI_Point;
    static void dot(const KT_Rendition* r, const Point* p, const KT_RGB32* c) {
        KD_Next_Action<KT_Slot_Draw_2DI_Dot>(r, p, c);
    }
    static void polygon(const KT_Rendition* r, int n, const Point* p, const KT_RGB32* c) {
        KD_Next_Action<KT_Slot_Draw_2DI_Polygon>(r, n, p, c);
    }
    static void polyline(const KT_Rendition* r, int n, const Point* p, const KT_RGB32* c) {
        if (c)
            KD_Next_Action<KT_Slot_Draw_2DI_Colorized_Polyline>(r, n, p, c, true);
        else
            KD_Next_Action<KT_Slot_Draw_2DI_Polyline>(r, n, p);
    }
};

enum class KT_Figure { Ellipse, Arc };

// Draws the figure as points through the slots of Slots.
template <class Slots>
void draw_figure(const KT_Rendition* rendition, const typename Slots::Point& centre,
                 const typename Slots::Point& radii, double start, double end, double rotation,
                 const KT_RGB32* colour, KT_Figure figure) {
    using Point = typename Slots::Point;
    if (!drawable(rendition) || !KD_Is_Finite_Point(centre)) return;
    Sweep sweep;
    if (!normalise(radii.x, radii.y, start, end, rotation, sweep)) return;
    if (larger_radius(radii.x, radii.y) < 1) {
        Slots::dot(rendition, &centre, colour);
        return;
    }
    KT_Stack_Scratch<Point, 65> points(static_cast<std::size_t>(sweep.count) + 1);
    if (!points) return;
    Point* p = points.get();
    KD_Generate_Elliptical_Points(centre, radii, sweep.start, sweep.end, rotation, sweep.count, p);
    int count = sweep.count;
    if (figure == KT_Figure::Arc) {
        Slots::polyline(rendition, count, p, colour);
        return;
    }
    // A partial ellipse is a pie sector.
    if (!sweep.full) p[count++] = centre;
    Slots::polygon(rendition, count, p, colour);
}

// 2D and 2DI: figures wholly inside the hard clip go on to the unclipped
// family; the others are drawn as points through the clipping slots.
template <class Clipping_Slots, class Inside>
void draw_clipped_figure(const KT_Rendition* rendition,
                         const typename Clipping_Slots::Point* centre,
                         const typename Clipping_Slots::Point* radii, double start, double end,
                         double rotation, const KT_RGB32* colour, KT_Figure figure, Inside inside) {
    if (!drawable(rendition) || !centre || !radii || !KD_Is_Finite_Point(*centre)) return;
    const double extent = larger_radius(radii->x, radii->y);
    if (std::isfinite(extent) && extent >= 0 &&
        KD_Box_Inside_Rectangle(rendition->transform().hard_clip, *centre, extent, extent)) {
        inside();
        return;
    }
    draw_figure<Clipping_Slots>(rendition, *centre, *radii, start, end, rotation, colour, figure);
}

} // namespace

void KD_Generate_Elliptical_Points(const KT_DCI_Point& centre, const KT_DCI_Point& radii,
                                   double start, double end, double rotation, int count,
                                   KT_DCI_Point* points) {
    generate(centre, radii, start, end, rotation, count, points);
}

void KD_Generate_Elliptical_Points(const KT_Point& centre, const KT_Point& radii, double start,
                                   double end, double rotation, int count, KT_Point* points) {
    generate(centre, radii, start, end, rotation, count, points);
}

void KD_Generate_Elliptical_Points(const KT_Point& centre, const KT_Point& radii, double start,
                                   double end, double rotation, int count, KT_DCI_Point* points) {
    generate(centre, radii, start, end, rotation, count, points);
}

extern "C" void KD_Standard_Draw_DC_Ellipse(const KT_Renderer_Data*, const KT_Rendition* r,
                                            const KT_Point* centre, const KT_Point* radii,
                                            double start, double end, double rotation,
                                            const KT_RGB32* colour) {
    if (!centre || !radii) return;
    draw_figure<Float_Figures>(r, *centre, *radii, start, end, rotation, colour,
                               KT_Figure::Ellipse);
}

extern "C" void KD_Standard_Draw_DCI_Ellipse(const KT_Renderer_Data*, const KT_Rendition* r,
                                             const KT_DCI_Point* centre, const KT_DCI_Point* radii,
                                             double start, double end, double rotation,
                                             const KT_RGB32* colour) {
    if (!centre || !radii) return;
    draw_figure<Integer_Figures>(r, *centre, *radii, start, end, rotation, colour,
                                 KT_Figure::Ellipse);
}

extern "C" void KD_Standard_Draw_DC_Elliptical_Arc(const KT_Renderer_Data*, const KT_Rendition* r,
                                                   const KT_Point* centre, const KT_Point* radii,
                                                   double start, double end, double rotation,
                                                   const KT_RGB32* colour) {
    if (!centre || !radii) return;
    draw_figure<Float_Figures>(r, *centre, *radii, start, end, rotation, colour, KT_Figure::Arc);
}

extern "C" void KD_Standard_Draw_DCI_Elliptical_Arc(const KT_Renderer_Data*, const KT_Rendition* r,
                                                    const KT_DCI_Point* centre,
                                                    const KT_DCI_Point* radii, double start,
                                                    double end, double rotation,
                                                    const KT_RGB32* colour) {
    if (!centre || !radii) return;
    draw_figure<Integer_Figures>(r, *centre, *radii, start, end, rotation, colour, KT_Figure::Arc);
}

extern "C" void KD_Standard_Draw_2D_Ellipse(const KT_Renderer_Data*, const KT_Rendition* r,
                                            const KT_Point* centre, const KT_Point* radii,
                                            double start, double end, double rotation,
                                            const KT_RGB32* colour) {
    draw_clipped_figure<Clipping_Float_Figures>(
        r, centre, radii, start, end, rotation, colour, KT_Figure::Ellipse, [&] {
            KD_Next_Action<KT_Slot_Draw_DC_Ellipse>(r, centre, radii, start, end, rotation, colour);
        });
}

extern "C" void KD_Standard_Draw_2DI_Ellipse(const KT_Renderer_Data*, const KT_Rendition* r,
                                             const KT_DCI_Point* centre, const KT_DCI_Point* radii,
                                             double start, double end, double rotation,
                                             const KT_RGB32* colour) {
    draw_clipped_figure<Clipping_Integer_Figures>(
        r, centre, radii, start, end, rotation, colour, KT_Figure::Ellipse, [&] {
            KD_Next_Action<KT_Slot_Draw_DCI_Ellipse>(r, centre, radii, start, end, rotation,
                                                     colour);
        });
}

extern "C" void KD_Standard_Draw_2D_Elliptical_Arc(const KT_Renderer_Data*, const KT_Rendition* r,
                                                   const KT_Point* centre, const KT_Point* radii,
                                                   double start, double end, double rotation,
                                                   const KT_RGB32* colour) {
    draw_clipped_figure<Clipping_Float_Figures>(
        r, centre, radii, start, end, rotation, colour, KT_Figure::Arc, [&] {
            KD_Next_Action<KT_Slot_Draw_DC_Elliptical_Arc>(r, centre, radii, start, end, rotation,
                                                           colour);
        });
}

extern "C" void KD_Standard_Draw_2DI_Elliptical_Arc(const KT_Renderer_Data*, const KT_Rendition* r,
                                                    const KT_DCI_Point* centre,
                                                    const KT_DCI_Point* radii, double start,
                                                    double end, double rotation,
                                                    const KT_RGB32* colour) {
    draw_clipped_figure<Clipping_Integer_Figures>(
        r, centre, radii, start, end, rotation, colour, KT_Figure::Arc, [&] {
            KD_Next_Action<KT_Slot_Draw_DCI_Elliptical_Arc>(r, centre, radii, start, end, rotation,
                                                            colour);
        });
}
