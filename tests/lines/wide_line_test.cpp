// Wide lines against the ideal stroke: each segment a rectangle of the
// line's width, each join and end the shape its style names. What the
// drawer hands to the 2D slots is rasterised here by pixel centres.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <vector>

#include "../support/slot_recorder.h"

namespace {

using slots::Call;
using slots::calls;
using slots::calls_to;

constexpr double pi = 3.14159265358979323846;
constexpr int window = 200;

enum Join { Mitre = 0, Bevel = 1, Round_Join = 2, Pointed = 3, No_Join = 4 };
enum End { Butt = 0, Square = 1, Round_End = 2, Triangular = 3 };

struct V {
    double x;
    double y;
};
V operator+(V a, V b) {
    return {a.x + b.x, a.y + b.y};
}
V operator-(V a, V b) {
    return {a.x - b.x, a.y - b.y};
}
V operator*(double s, V a) {
    return {s * a.x, s * a.y};
}
double dot(V a, V b) {
    return a.x * b.x + a.y * b.y;
}
double cross(V a, V b) {
    return a.x * b.y - a.y * b.x;
}
double norm(V a) {
    return std::hypot(a.x, a.y);
}
V unit(V a) {
    return (1 / norm(a)) * a;
}
V right_of(V v) {
    return {v.y, -v.x};
}
V left_of(V v) {
    return {-v.y, v.x};
}

struct Bounds {
    double low_x, high_x, low_y, high_y;
    bool contains(V p) const {
        return p.x >= low_x && p.x <= high_x && p.y >= low_y && p.y <= high_y;
    }
};

// The ideal stroke as a union of convex polygons and discs.
class Ideal_Stroke {
public:
    // The box around every piece, widened by margin.
    Bounds bounds(double margin) const {
        Bounds b = {1e300, -1e300, 1e300, -1e300};
        auto take = [&](V p, double r) {
            b.low_x = std::min(b.low_x, p.x - r - margin);
            b.high_x = std::max(b.high_x, p.x + r + margin);
            b.low_y = std::min(b.low_y, p.y - r - margin);
            b.high_y = std::max(b.high_y, p.y + r + margin);
        };
        for (const auto& d : discs_)
            take(d.first, d.second);
        for (const auto& poly : polygons_)
            for (const V& p : poly)
                take(p, 0);
        return b;
    }
    void polygon(std::vector<V> corners) { polygons_.push_back(std::move(corners)); }
    void disc(V centre, double radius) { discs_.push_back({centre, radius}); }

    double distance(V p) const {
        double best = 1e300;
        for (const auto& d : discs_)
            best = std::min(best, std::max(0.0, norm(p - d.first) - d.second));
        for (std::size_t i = 0; i < polygons_.size() && best > 0; ++i)
            best = std::min(best, distance_to_convex(polygons_[i], p));
        return best;
    }
    bool contains(V p) const { return distance(p) == 0; }
    // Whether p lies more than depth inside: the circle of that radius
    // about it is covered too.
    bool deep_inside(V p, double depth) const {
        if (!contains(p)) return false;
        for (int k = 0; k < 24; ++k) {
            const double a = 2 * pi * k / 24;
            if (!contains(p + depth * V{std::cos(a), std::sin(a)})) return false;
        }
        return true;
    }

private:
    static double distance_to_segment(V p, V a, V b) {
        const V ab = b - a;
        const double length2 = dot(ab, ab);
        const double t = length2 > 0 ? std::clamp(dot(p - a, ab) / length2, 0.0, 1.0) : 0.0;
        return norm(p - (a + t * ab));
    }
    static double distance_to_convex(const std::vector<V>& poly, V p) {
        if (poly.size() < 3) return 1e300;
        bool positive = false;
        bool negative = false;
        double edge_distance = 1e300;
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const V a = poly[i];
            const V b = poly[(i + 1) % poly.size()];
            const double side = cross(b - a, p - a);
            positive = positive || side > 1e-12;
            negative = negative || side < -1e-12;
            edge_distance = std::min(edge_distance, distance_to_segment(p, a, b));
        }
        return positive && negative ? edge_distance : 0.0;
    }

    std::vector<std::vector<V>> polygons_;
    std::vector<std::pair<V, double>> discs_;
};

struct Style {
    double width;
    int join;
    int start_end;
    int end_end;
    bool outline;
};

void add_end(Ideal_Stroke& ideal, int style, V p, V d, double h) {
    const V r = p + h * right_of(d);
    const V l = p + h * left_of(d);
    if (style == Square) ideal.polygon({r, r - h * d, l - h * d, l});
    if (style == Round_End) ideal.disc(p, h);
    if (style >= Triangular) ideal.polygon({r, p - h * d, l});
}

// The join from direction a to b at p.
void add_join(Ideal_Stroke& ideal, int style, V p, V a, V b, double h) {
    if (style == No_Join) return;
    if (style == Round_Join) {
        ideal.disc(p, h);
        return;
    }
    const double turn = std::atan2(cross(a, b), dot(a, b));
    const V outer_a = turn >= 0 ? right_of(a) : left_of(a);
    const V outer_b = turn >= 0 ? right_of(b) : left_of(b);
    const V pa = p + h * outer_a;
    const V pb = p + h * outer_b;
    const double mitre_angle_limit = 10 * pi / 180;
    if (style == Mitre && std::fabs(turn) <= pi - mitre_angle_limit) {
        // Where the two outer edges meet.
        const V tip = pa + (h * std::tan(std::fabs(turn) / 2)) * a;
        ideal.polygon({p, pa, tip, pb});
    } else if (style == Pointed && norm(a - b) > 0) {
        ideal.polygon({p, pa, p + h * unit(a - b), pb});
    } else {
        ideal.polygon({p, pa, pb});
    }
}

// Outlined pieces are as wide as the line; without outlines a piece is
// its filled polygon alone, whose half width is whole pixels:
// ceil((width - 1) / 2).
double ideal_half_width(const Style& style) {
    return style.outline ? style.width / 2 : std::ceil((style.width - 1) / 2);
}

Ideal_Stroke ideal_stroke(const std::vector<V>& points, const Style& style) {
    Ideal_Stroke ideal;
    const double h = ideal_half_width(style);
    std::vector<std::pair<V, V>> segments;
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        if (norm(points[i + 1] - points[i]) > 0) segments.push_back({points[i], points[i + 1]});
    if (segments.empty()) return ideal;
    for (const auto& [p, q] : segments) {
        const V n = h * left_of(unit(q - p));
        ideal.polygon({p + n, p - n, q - n, q + n});
    }
    for (std::size_t i = 0; i + 1 < segments.size(); ++i)
        add_join(ideal, style.join, segments[i].second,
                 unit(segments[i].second - segments[i].first),
                 unit(segments[i + 1].second - segments[i + 1].first), h);
    const bool closed = points.size() > 2 && points.front().x == points.back().x &&
                        points.front().y == points.back().y;
    const V first_direction = unit(segments.front().second - segments.front().first);
    const V last_direction = unit(segments.back().second - segments.back().first);
    if (closed) {
        add_join(ideal, style.join, points.front(), last_direction, first_direction, h);
    } else {
        add_end(ideal, style.start_end, segments.front().first, first_direction, h);
        add_end(ideal, style.end_end, segments.back().second, -1 * last_direction, h);
    }
    return ideal;
}

// Pixels whose centres the recorded 2D pieces cover.
class Coverage {
public:
    Coverage() : drawn_(window * window, false) {}

    bool at(int x, int y) const { return drawn_[y * window + x]; }

    void polygon(const std::vector<KT_Point_D>& p) {
        double low_x = window, high_x = 0, low_y = window, high_y = 0;
        for (const KT_Point_D& v : p) {
            low_x = std::min(low_x, v.x);
            high_x = std::max(high_x, v.x);
            low_y = std::min(low_y, v.y);
            high_y = std::max(high_y, v.y);
        }
        for (int y = std::max(0, int(low_y)); y <= std::min(window - 1, int(high_y) + 1); ++y)
            for (int x = std::max(0, int(low_x)); x <= std::min(window - 1, int(high_x) + 1); ++x)
                if (winding(p, x, y) != 0) set(x, y);
    }
    // A thin line: one pixel per step along its major axis.
    void polyline(const std::vector<KT_Point_D>& p) {
        for (std::size_t i = 0; i + 1 < p.size(); ++i) {
            const double dx = p[i + 1].x - p[i].x;
            const double dy = p[i + 1].y - p[i].y;
            const int steps = static_cast<int>(std::ceil(std::max(std::fabs(dx), std::fabs(dy))));
            for (int k = 0; k <= steps; ++k) {
                const double t = steps ? double(k) / steps : 0;
                set(static_cast<int>(std::lround(p[i].x + t * dx)),
                    static_cast<int>(std::lround(p[i].y + t * dy)));
            }
        }
    }
    void disc(const KT_Point_D& c, double r) {
        for (int y = std::max(0, int(c.y - r)); y <= std::min(window - 1, int(c.y + r) + 1); ++y)
            for (int x = std::max(0, int(c.x - r)); x <= std::min(window - 1, int(c.x + r) + 1);
                 ++x)
                if (std::hypot(x - c.x, y - c.y) <= r) set(x, y);
    }
    void circle(const KT_Point_D& c, double r) {
        for (int k = 0; k < 720; ++k) {
            const double a = 2 * pi * k / 720;
            set(static_cast<int>(std::lround(c.x + r * std::cos(a))),
                static_cast<int>(std::lround(c.y + r * std::sin(a))));
        }
    }
    void set(int x, int y) {
        if (x >= 0 && y >= 0 && x < window && y < window) drawn_[y * window + x] = true;
    }

private:
    static int winding(const std::vector<KT_Point_D>& p, double x, double y) {
        int w = 0;
        for (std::size_t i = 0; i < p.size(); ++i) {
            const KT_Point_D& a = p[i];
            const KT_Point_D& b = p[(i + 1) % p.size()];
            const double side = (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y);
            if (a.y <= y && b.y > y && side > 0) ++w;
            if (a.y > y && b.y <= y && side < 0) --w;
        }
        return w;
    }

    std::vector<bool> drawn_;
};

class Wide_Lines : public slots::Recording_Test {
protected:
    Wide_Lines() : slots::Recording_Test(window, window) {
        device->record<KT_Slot_Draw_2D_Polygon, KT_Slot_Draw_2D_Polyline,
                       KT_Slot_Draw_2D_Colorized_Polyline, KT_Slot_Draw_2D_Ellipse,
                       KT_Slot_Draw_2D_Elliptical_Arc, KT_Slot_Draw_2D_Dot>();
    }

    Coverage draw(const std::vector<V>& points, const Style& style) {
        KT_Line_Data& line = rendition.modify_line();
        line.line_weight = static_cast<int>(style.width);
        line.join_style = style.join;
        line.start_end_style = style.start_end;
        line.end_end_style = style.end_end;
        line.flags[KT_Line_No_Wide_Outline] = style.outline ? 0 : 1;
        std::vector<KT_Point> device;
        for (const V& p : points)
            device.push_back({static_cast<float>(p.x), static_cast<float>(p.y), 0});
        calls().clear();
        KD_Action_Draw_DC_Polyline(top(), &rendition, static_cast<int>(device.size()),
                                   device.data());
        Coverage coverage;
        for (const Call& c : calls()) {
            if (c.slot == KT_Slot_Draw_2D_Polygon) coverage.polygon(c.points);
            if (c.slot == KT_Slot_Draw_2D_Polyline || c.slot == KT_Slot_Draw_2D_Colorized_Polyline)
                coverage.polyline(c.points);
            if (c.slot == KT_Slot_Draw_2D_Ellipse) coverage.disc(c.points[0], c.radii.x);
            if (c.slot == KT_Slot_Draw_2D_Elliptical_Arc) coverage.circle(c.points[0], c.radii.x);
            if (c.slot == KT_Slot_Draw_2D_Dot)
                coverage.set(static_cast<int>(std::lround(c.points[0].x)),
                             static_cast<int>(std::lround(c.points[0].y)));
        }
        return coverage;
    }

    // "" when the drawn pixels agree with the ideal stroke within a pixel.
    std::string compare(const std::vector<V>& points, const Style& style) {
        const Ideal_Stroke ideal = ideal_stroke(points, style);
        const Coverage drawn = draw(points, style);
        // Beyond a pixel outside the ideal's bounds only drawn pixels matter,
        // and each of them is an error.
        const Bounds near = ideal.bounds(1);
        for (int y = 0; y < window; ++y)
            for (int x = 0; x < window; ++x) {
                const V centre = {double(x), double(y)};
                std::ostringstream where;
                where << "pixel (" << x << ", " << y << ")";
                if (!near.contains(centre)) {
                    if (drawn.at(x, y)) return where.str() + " drawn far outside";
                    continue;
                }
                if (drawn.at(x, y)) {
                    if (ideal.distance(centre) > 1)
                        return where.str() + " drawn more than a pixel outside";
                } else if (ideal.deep_inside(centre, 1)) {
                    return where.str() + " missing more than a pixel inside";
                }
            }
        return "";
    }
};

std::string describe(const std::vector<V>& points, const Style& style) {
    std::ostringstream text;
    text << "width " << style.width << " join " << style.join << " ends " << style.start_end << "/"
         << style.end_end << (style.outline ? " outlined" : " filled only") << " points";
    for (const V& p : points)
        text << " (" << p.x << ", " << p.y << ")";
    return text.str();
}

TEST_F(Wide_Lines, RandomPolylinesMatchTheIdealStrokeForEveryJoinAndEnd) {
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> width(2, 40), count(2, 5), join(0, 4), end(0, 3);
    std::uniform_int_distribution<int> coordinate(50, 150);
    for (int trial = 0; trial < 40; ++trial) {
        const Style style = {double(width(random)), join(random), end(random), end(random),
                             trial % 2 == 0};
        std::vector<V> points(count(random));
        for (V& p : points)
            p = {double(coordinate(random)), double(coordinate(random))};
        if (trial % 4 == 3) points.push_back(points.front());
        const std::string difference = compare(points, style);
        EXPECT_EQ(difference, "") << "trial " << trial << ": " << describe(points, style);
    }
}

TEST_F(Wide_Lines, ClosedPolylineHasAJoinWhereItClosesAndNoEnds) {
    const std::vector<V> square = {{50, 50}, {150, 50}, {150, 150}, {50, 150}, {50, 50}};
    const Style style = {20, Mitre, Square, Square, true};
    EXPECT_EQ(compare(square, style), "");
    EXPECT_TRUE(draw(square, style).at(41, 41)) << "the mitre fills the closing corner";
}

TEST_F(Wide_Lines, ThinDiagonalOfWidthTwoKeepsItsPixelWidth) {
    const std::vector<V> diagonal = {{20, 20}, {180, 180}};
    const Style style = {2, Bevel, Butt, Butt, false};
    const Coverage drawn = draw(diagonal, style);
    for (int x = 40; x < 160; ++x) {
        int run = 0;
        for (int y = 0; y < window; ++y)
            run += drawn.at(x, y);
        EXPECT_GE(run, 2) << "column " << x;
    }
}

} // namespace
