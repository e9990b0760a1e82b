#include "draw2d/wide_line.h"

#include <algorithm>
#include <cmath>

#include "draw2d/dash_walker.h"
#include "draw2d/device_point.h"
#include "math/arc_cosine.h"
#include "renderer/next_action.h"
#include "rendition/rendition.h"

namespace {

constexpr double pi = 3.14159265358979323846;
// Wider than any window by far; keeps fan points well inside float range.
constexpr double largest_half_width = 1 << 20;
// A thin dash this short is drawn as one pixel.
constexpr double thin_dot_length = 1.5;
// A wide dash this short is drawn as one pixel.
constexpr double wide_dot_length = 1.25;
// P, A, at most 36 style points, B, and the closing point of an outline.
constexpr int fan_capacity = 41;

enum End_Style : int { Butt_End = 0, Square_End = 1, Round_End = 2 };
enum Join_Style : int { Mitre_Join = 0, Round_Join = 2, Pointed_Join = 3, No_Join = 4 };

struct Vec {
    double x;
    double y;
};
Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y};
}
Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y};
}
Vec operator*(double s, Vec a) {
    return {s * a.x, s * a.y};
}
Vec right_of(Vec v) {
    return {v.y, -v.x};
}
Vec left_of(Vec v) {
    return {-v.y, v.x};
}
double cross(Vec a, Vec b) {
    return a.x * b.y - a.y * b.x;
}

struct Segment {
    KT_Point_D p;
    KT_Point_D q;
    Vec u; // unit direction from p to q
    double length;
    int index; // of p in the caller's points: selects the segment colour
};

Vec xy(const KT_Point_D& p) {
    return {p.x, p.y};
}
KT_Point to_point(Vec v, double z) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(z)};
}
KT_Point_D along(const Segment& s, double distance) {
    const double t = distance / s.length;
    return {s.p.x + s.u.x * distance, s.p.y + s.u.y * distance, s.p.z + (s.q.z - s.p.z) * t};
}
bool same_point(const KT_Point_D& a, const KT_Point_D& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

// The part [from, to] of a segment, in distances from p, that comes
// within margin of r; from > to when none does.
void visible_range(const Segment& s, const KT_Int_Rectangle& r, double margin, double& from,
                   double& to) {
    from = 0;
    to = s.length;
    if (!KD_Clip_Line_Parameters(s.p.x, s.p.y, s.u.x, s.u.y, r.left - margin, r.right + margin,
                                 r.bottom - margin, r.top + margin, from, to))
        to = -1;
}

struct Wide_Style {
    double thickness;
    double half_width; // hw
    int join;
    int start_end;
    int end_end;
    double mitre_angle_limit;
    double mitre_length_limit;
    bool outline; // each filled piece also drawn as a thin outline
    bool opaque;  // skipped dashes drawn in the contrast colour
};

// Draws pieces through the top renderer's slots with a plain thin
// rendition, so that nothing drawn here comes back to this drawer.
class Piece_Drawer {
public:
    Piece_Drawer(const KT_Rendition& rendition, KT_Piece_Route route)
        : plain_(rendition), route_(route), front_(rendition.color().front.rgb),
          contrast_(rendition.color().contrast.rgb) {
        plain_.use_plain_form(0);
        KT_Line_Data& line = plain_.modify_line(false);
        line.dash_pattern = KT_Dash_Pattern();
        line.line_shape = KT_Line_Shape();
    }

    const KT_RGB32* front() const { return &front_; }
    const KT_RGB32* contrast() const { return &contrast_; }

    // A thin piece from p to q; a colour of null is the front colour.
    void thin_piece(const KT_Point_D& p, const KT_Point_D& q, const KT_RGB32* colour) {
        const KT_Point points[2] = {to_point(xy(p), p.z), to_point(xy(q), q.z)};
        thin_polyline(2, points, colour);
    }
    void thin_dot(const KT_Point_D& p, const KT_RGB32* colour) {
        const KT_Point point = to_point(xy(p), p.z);
        if (!colour) colour = front();
        if (route_ == KT_Piece_Route::Inside)
            KD_Next_Action<KT_Slot_Draw_DC_Dot>(&plain_, &point, colour);
        else
            KD_Next_Action<KT_Slot_Draw_2D_Dot>(&plain_, &point, colour);
    }
    void wide_dot(const KT_Point_D& p, const KT_RGB32* colour) {
        const KT_Point point = to_point(xy(p), p.z);
        KD_Next_Action<KT_Slot_Draw_2D_Dot>(&plain_, &point, colour ? colour : front());
    }
    // A filled area through the 2D polygon slot; with outline, its points
    // from first_outlined on also as a thin polyline.
    void area(int count, const KT_Point* points, const KT_RGB32* colour, bool outline,
              int first_outlined, bool close_outline) {
        KD_Next_Action<KT_Slot_Draw_2D_Polygon>(&plain_, count, points, colour);
        if (!outline) return;
        KT_Point ring[fan_capacity + 1];
        int n = 0;
        for (int i = first_outlined; i < count; ++i)
            ring[n++] = points[i];
        if (close_outline) ring[n++] = points[first_outlined];
        if (colour)
            KD_Next_Action<KT_Slot_Draw_2D_Colorized_Polyline>(&plain_, n, ring, colour, true);
        else
            KD_Next_Action<KT_Slot_Draw_2D_Polyline>(&plain_, n, ring);
    }
    void disc(const KT_Point_D& centre, double radius, bool outline) {
        const KT_Point c = to_point(xy(centre), centre.z);
        const KT_Point radii = {static_cast<float>(radius), static_cast<float>(radius), 0};
        KD_Next_Action<KT_Slot_Draw_2D_Ellipse>(&plain_, &c, &radii, 0.0, 2 * pi, 0.0, front());
        if (outline)
            KD_Next_Action<KT_Slot_Draw_2D_Elliptical_Arc>(&plain_, &c, &radii, 0.0, 2 * pi, 0.0,
                                                           front());
    }

private:
    void thin_polyline(int count, const KT_Point* points, const KT_RGB32* colour) {
        const bool inside = route_ == KT_Piece_Route::Inside;
        if (colour && inside)
            KD_Next_Action<KT_Slot_Draw_DC_Colorized_Polyline>(&plain_, count, points, colour,
                                                               true);
        else if (colour)
            KD_Next_Action<KT_Slot_Draw_2D_Colorized_Polyline>(&plain_, count, points, colour,
                                                               true);
        else if (inside)
            KD_Next_Action<KT_Slot_Draw_DC_Polyline>(&plain_, count, points);
        else
            KD_Next_Action<KT_Slot_Draw_2D_Polyline>(&plain_, count, points);
    }

    KT_Rendition plain_;
    KT_Piece_Route route_;
    KT_RGB32 front_;
    KT_RGB32 contrast_;
};

// Builds fans (P, A, style points, B) for ends and joins.
class Fan {
public:
    explicit Fan(const KT_Point_D& vertex) : z_(vertex.z), p_(xy(vertex)) { add(p_); }
    void add(Vec v) {
        if (count_ < fan_capacity - 1) points_[count_++] = to_point(v, z_);
    }
    Vec vertex() const { return p_; }
    int count() const { return count_; }
    const KT_Point* points() const { return points_; }

private:
    double z_;
    Vec p_;
    KT_Point points_[fan_capacity];
    int count_ = 0;
};

void draw_fan(Piece_Drawer& drawer, const Fan& fan, const KT_RGB32* colour, bool outline) {
    drawer.area(fan.count(), fan.points(), colour, outline, 1, false);
}

// An end at vertex with d the unit direction pointing into the line.
void draw_end(Piece_Drawer& drawer, const Wide_Style& style, int end_style,
              const KT_Point_D& vertex, Vec d, const KT_RGB32* colour) {
    if (end_style <= Butt_End) return;
    const double hw = style.half_width;
    Fan fan(vertex);
    const Vec p = fan.vertex();
    const Vec r = p + hw * right_of(d);
    const Vec l = p + hw * left_of(d);
    fan.add(r);
    if (end_style == Square_End) {
        fan.add(r - hw * d);
        fan.add(l - hw * d);
    } else if (end_style == Round_End) {
        const int n = std::clamp(static_cast<int>(std::lround(2 * std::sqrt(hw))), 2, 36);
        for (int k = 1; k < n; ++k) {
            const double a = k * pi / n;
            fan.add(p + hw * (std::cos(a) * right_of(d) - std::sin(a) * d));
        }
    } else {
        fan.add(p - hw * d);
    }
    fan.add(l);
    draw_fan(drawer, fan, colour, style.outline);
}

// The points between A and B of a mitre join, if the limits allow one.
void add_mitre(Fan& fan, const Wide_Style& style, double theta, Vec a, Vec b, Vec pa, Vec pb) {
    if (std::fabs(theta) > pi - style.mitre_angle_limit) return;
    const double c = std::cos(theta / 2);
    const double t = std::fabs(std::sin(theta / 2));
    const double hw = style.half_width;
    const double m = style.mitre_length_limit;
    if (m > 0.5 / c) {
        fan.add(pa + (hw * t / c) * a);
    } else if (m > 0.5 * c && t > 0) {
        fan.add(pa + (2 * hw * m / t) * a);
        fan.add(pb - (2 * hw * m / t) * b);
    }
}

// A join at vertex from unit direction a to unit direction b.
void draw_join(Piece_Drawer& drawer, const Wide_Style& style, const KT_Point_D& vertex, Vec a,
               Vec b, const KT_RGB32* colour) {
    if (style.join == No_Join) return;
    const double hw = style.half_width;
    const double turn = KD_ACos(static_cast<float>(std::clamp(a.x * b.x + a.y * b.y, -1.0, 1.0)));
    const double theta = cross(a, b) >= 0 ? turn : -turn;
    // The outer side of a left turn is the right.
    const Vec outer_a = theta >= 0 ? right_of(a) : left_of(a);
    const Vec outer_b = theta >= 0 ? right_of(b) : left_of(b);
    Fan fan(vertex);
    const Vec p = fan.vertex();
    const Vec pa = p + hw * outer_a;
    const Vec pb = p + hw * outer_b;
    fan.add(pa);
    if (style.join == Round_Join) {
        const int n = std::clamp(static_cast<int>(4 * std::sqrt(hw)), 4, 36);
        const double step = pi / n;
        const int steps =
            std::fabs(theta) > step ? static_cast<int>(std::fabs(theta) / step) - 1 : 0;
        const double signed_step = theta >= 0 ? step : -step;
        const Vec arm = pa - p;
        for (int k = 1; k <= steps; ++k) {
            const double c = std::cos(k * signed_step);
            const double s = std::sin(k * signed_step);
            fan.add(p + Vec{arm.x * c - arm.y * s, arm.x * s + arm.y * c});
        }
    } else if (style.join == Pointed_Join) {
        const Vec diff = a - b;
        const double norm = std::hypot(diff.x, diff.y);
        if (norm > 0) fan.add(p + (hw / norm) * diff);
    } else if (style.join == Mitre_Join) {
        add_mitre(fan, style, theta, a, b, pa, pb);
    }
    fan.add(pb);
    draw_fan(drawer, fan, colour, style.outline);
}

// The segments of a polyline with zero-length ones left out.
class Segment_Reader {
public:
    Segment_Reader(int count, const KT_Point_D* points) : count_(count), points_(points) {}
    bool next(Segment& s) {
        while (at_ + 1 < count_) {
            const KT_Point_D& p = points_[at_];
            const KT_Point_D& q = points_[at_ + 1];
            const double length = std::hypot(q.x - p.x, q.y - p.y);
            const int index = at_++;
            if (!(length > 0) || !std::isfinite(length)) continue;
            s = {p, q, {(q.x - p.x) / length, (q.y - p.y) / length}, length, index};
            return true;
        }
        return false;
    }

private:
    int count_;
    const KT_Point_D* points_;
    int at_ = 0;
};

Wide_Style wide_style_of(const KT_Rendition& rendition, double thickness) {
    const KT_Line_Data& line = rendition.line();
    const double hw = std::min(std::ceil((thickness - 1) * 0.5), largest_half_width);
    return {thickness,
            hw,
            line.join_style,
            line.start_end_style,
            line.end_end_style,
            line.mitre_angle_limit,
            line.mitre_length_limit,
            line.flags[KT_Line_No_Wide_Outline] == 0,
            rendition.misc().pattern_mode == KT_Pattern_Opaque};
}

class Wide_Drawer {
public:
    Wide_Drawer(const KT_Rendition& rendition, const Wide_Style& style, KT_Dash_Walker* walker,
                KT_Line_Colors colours, KT_Piece_Route route)
        : drawer_(rendition, route), style_(style), walker_(walker), colours_(colours),
          clip_(rendition.transform().hard_clip) {}

    void segment(const Segment& s) {
        Vec n = style_.half_width * left_of(s.u);
        if (style_.thickness >= 1.5 && style_.thickness < 3)
            n = (1 / std::max(std::fabs(s.u.x), std::fabs(s.u.y))) * n;
        const KT_RGB32* colour = colours_.of_segment(s.index);
        if (!walker_) {
            piece(s.p, s.q, n, colour);
            return;
        }
        double from = 0;
        double to = 0;
        visible_range(s, clip_, style_.half_width + 2, from, to);
        walker_->walk(s.length, from, to, [&](double a, double b, bool drawn, double dash_length) {
            if (!drawn && !style_.opaque) return;
            const KT_RGB32* c = drawn ? colour : drawer_.contrast();
            if (dash_length <= wide_dot_length)
                drawer_.wide_dot(along(s, a), drawn ? nullptr : c);
            else
                piece(along(s, a), along(s, b), n, c);
        });
    }
    // Whether the line is drawn where the walk now stands.
    bool in_drawn_dash() const { return !walker_ || walker_->current_dash() % 2 == 0; }

    void join(const Segment& in, const Segment& out) {
        if (in_drawn_dash())
            draw_join(drawer_, style_, out.p, in.u, out.u, colours_.of_segment(in.index));
    }
    void end(int end_style, const KT_Point_D& vertex, Vec into_line, int segment) {
        draw_end(drawer_, style_, end_style, vertex, into_line, colours_.of_segment(segment));
    }
    void round_start(const KT_Point_D& vertex) {
        drawer_.disc(vertex, style_.half_width, style_.outline);
    }

private:
    // The six-point piece p + n, p, p - n, q - n, q, q + n.
    void piece(const KT_Point_D& p, const KT_Point_D& q, Vec n, const KT_RGB32* colour) {
        const Vec a = xy(p);
        const Vec b = xy(q);
        const KT_Point hexagon[6] = {to_point(a + n, p.z), to_point(a, p.z), to_point(a - n, p.z),
                                     to_point(b - n, q.z), to_point(b, q.z), to_point(b + n, q.z)};
        drawer_.area(6, hexagon, colour, style_.outline, 0, true);
    }

    Piece_Drawer drawer_;
    Wide_Style style_;
    KT_Dash_Walker* walker_;
    KT_Line_Colors colours_;
    KT_Int_Rectangle clip_;
};

// Ends are round from the start only when everything about the line asks
// for roundness and the pattern opens with an empty dash.
bool starts_with_disc(const KT_Rendition& rendition, const std::int16_t* table) {
    const KT_Line_Data& line = rendition.line();
    return line.start_end_style == Round_End && line.end_end_style == Round_End &&
           line.join_style == Round_Join && rendition.misc().pattern_mode != KT_Pattern_Opaque &&
           table && table[1] > 0 && table[2] == 0;
}

void draw_wide(const KT_Rendition& rendition, int count, const KT_Point_D* points,
               KT_Dash_Walker* walker, const std::int16_t* table, KT_Line_Colors colours,
               KT_Piece_Route route, double thickness) {
    const Wide_Style style = wide_style_of(rendition, thickness);
    int first = 0;
    while (first + 1 < count && same_point(points[first], points[first + 1]))
        ++first;
    const bool closed = count - first > 2 && same_point(points[first], points[count - 1]);
    Segment_Reader reader(count - first, points + first);
    Segment opening;
    if (!reader.next(opening)) return;
    opening.index += first;
    Wide_Drawer wide(rendition, style, walker, colours, route);
    if (!closed && starts_with_disc(rendition, table))
        wide.round_start(opening.p);
    else if (!closed)
        wide.end(style.start_end, opening.p, opening.u, opening.index);
    wide.segment(opening);
    Segment previous = opening;
    Segment s;
    while (reader.next(s)) {
        s.index += first;
        wide.join(previous, s);
        wide.segment(s);
        previous = s;
    }
    if (closed)
        wide.join(previous, opening);
    else if (wide.in_drawn_dash())
        wide.end(style.end_end, previous.q, Vec{-previous.u.x, -previous.u.y}, previous.index);
}

void draw_dashed_thin(const KT_Rendition& rendition, int count, const KT_Point_D* points,
                      KT_Dash_Walker& walker, KT_Line_Colors colours, KT_Piece_Route route) {
    Piece_Drawer drawer(rendition, route);
    const bool opaque = rendition.misc().pattern_mode == KT_Pattern_Opaque;
    const KT_Int_Rectangle clip = rendition.transform().hard_clip;
    Segment_Reader reader(count, points);
    Segment s;
    while (reader.next(s)) {
        const KT_RGB32* colour = colours.of_segment(s.index);
        double from = 0;
        double to = 0;
        visible_range(s, clip, 2, from, to);
        walker.walk(s.length, from, to, [&](double a, double b, bool drawn, double dash_length) {
            if (!drawn && !opaque) return;
            const KT_RGB32* c = drawn ? colour : drawer.contrast();
            if (dash_length <= thin_dot_length)
                drawer.thin_dot(along(s, a), c);
            else
                drawer.thin_piece(along(s, a), along(s, b), c);
        });
    }
}

} // namespace

double KD_Line_Thickness(const KT_Rendition& rendition) {
    const KT_Renderer_Data* renderer = rendition.renderer();
    const double option = renderer ? renderer->current_renderer_options.line_thickness() : 1.0;
    return option * rendition.line().line_weight;
}

bool KD_Needs_Patterned_Line(const KT_Rendition& rendition) {
    return rendition.line().line_pattern != KT_Line_Solid || KD_Line_Thickness(rendition) > 1.0;
}

void KD_Draw_Patterned_Polyline(const KT_Rendition& rendition, int count, const KT_Point_D* points,
                                KT_Line_Colors colours, KT_Piece_Route route) {
    if (count < 2 || !points || rendition.empty() || !rendition.renderer()) return;
    if (!KD_All_Finite(count, points)) return;
    const double thickness = KD_Line_Thickness(rendition);
    if (!std::isfinite(thickness)) return;
    const std::int16_t* table = KD_Rendition_Dash_Table(rendition);
    KT_Dash_Walker walker(table, KD_Rendition_Dash_Scale(rendition.renderer(), rendition),
                          rendition.line().flags[KT_Line_Fit_Pattern] != 0);
    // A pattern that is there but has no length cannot be walked.
    if (table && !walker.usable()) return;
    KT_Dash_Walker* dashes = table ? &walker : nullptr;
    if (thickness > 1.0) {
        draw_wide(rendition, count, points, dashes, table, colours, route, thickness);
        return;
    }
    if (dashes) {
        draw_dashed_thin(rendition, count, points, walker, colours, route);
        return;
    }
    // No pattern this drawer knows and no width: a thin solid line.
    Piece_Drawer drawer(rendition, route);
    Segment_Reader reader(count, points);
    Segment s;
    while (reader.next(s))
        drawer.thin_piece(s.p, s.q, colours.of_segment(s.index));
}
