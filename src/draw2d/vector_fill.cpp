#include "draw2d/vector_fill.h"

#include <cmath>

#include "draw2d/line_crossings.h"
#include "draw3d/clip_polygon.h"
#include "foundation/heap.h"
#include "renderer/next_action.h"

using namespace detail;

namespace {

constexpr int KD_Stack_Vertices = 64;
// Lengths and cross products below this count as zero.
constexpr double KD_Shrink_Epsilon = 1e-8;

// Face patterns the vector fill knows: solid, and the line hatches.
enum KT_Vector_Fill_Pattern : std::int32_t {
    KT_Fill_Doubled_Grid = 65,
    KT_Fill_Grid = 66,
    KT_Fill_Cross_Diagonals = 67,
    KT_Fill_Horizontal = 68,
    KT_Fill_Rising_Diagonal = 69,
    KT_Fill_Falling_Diagonal = 70,
    KT_Fill_Close_Doubled_Grid = 71,
    KT_Fill_Vertical = 72,
};

// The line families, each as the device-coordinate form n.p that is a
// multiple of the spacing on every line.
constexpr Line_Frame KD_Horizontal_Lines = {0.0, 1.0, 1.0, 0.0};
constexpr Line_Frame KD_Vertical_Lines = {1.0, 0.0, 0.0, 1.0};
constexpr Line_Frame KD_Rising_Lines = {1.0, -1.0, 1.0, 1.0};  // x - y = k s
constexpr Line_Frame KD_Falling_Lines = {1.0, 1.0, 1.0, -1.0}; // x + y = k s

struct Fill_Lines {
    const KT_Rendition* rendition;
    int count;
    const KT_Point_D* polygon;

    void draw(const Line_Frame& frame, double offset, double step) const {
        KD_Each_Line_Piece(
            count, polygon, frame, offset, step,
            [this](const KT_Point_D& a, const KT_Point_D& b) {
                const KT_DCI_Point piece[2] = {to_device(a), to_device(b)};
                KD_Next_Action<KT_Slot_Draw_2DI_Polyline>(rendition, 2, piece);
            },
            &rendition->transform().hard_clip);
    }
    static KT_DCI_Point to_device(const KT_Point_D& p) {
        return {KD_Round_Saturated(p.x, KD_Segment_Round_Bias),
                KD_Round_Saturated(p.y, KD_Segment_Round_Bias),
                KD_Round_Saturated(p.z, KD_Segment_Round_Bias)};
    }
};

// A private rendition whose lines are thin and solid.
KT_Rendition thin_solid_lines(const KT_Rendition* rendition) {
    KT_Rendition copy = *rendition;
    KT_Line_Data& line = copy.modify_line();
    line.line_pattern = KT_Line_Solid;
    line.line_weight = 0;
    return copy;
}

void draw_outline(const KT_Rendition* rendition, int count, const KT_DCI_Point* points) {
    KT_Stack_Scratch<KT_DCI_Point, KD_Stack_Vertices + 1> closed(static_cast<std::size_t>(count) +
                                                                 1);
    if (!closed) return;
    for (int i = 0; i < count; ++i)
        closed[i] = points[i];
    closed[count] = points[0];
    KD_Next_Action<KT_Slot_Draw_2DI_Polyline>(rendition, count + 1, closed.get());
}

// Which line families each hatch pattern draws.
enum KT_Line_Family_Bits : unsigned {
    KT_Horizontal_Family = 1,
    KT_Vertical_Family = 2,
    KT_Rising_Family = 4,
    KT_Falling_Family = 8,
    KT_Grid_Families = KT_Horizontal_Family | KT_Vertical_Family,
};

unsigned hatch_families(std::int32_t pattern) {
    switch (pattern) {
    case KT_Fill_Doubled_Grid:
    case KT_Fill_Grid:
    case KT_Fill_Close_Doubled_Grid:
        return KT_Grid_Families;
    case KT_Fill_Cross_Diagonals:
        return KT_Rising_Family | KT_Falling_Family;
    case KT_Fill_Horizontal:
        return KT_Horizontal_Family;
    case KT_Fill_Rising_Diagonal:
        return KT_Rising_Family;
    case KT_Fill_Falling_Diagonal:
        return KT_Falling_Family;
    case KT_Fill_Vertical:
        return KT_Vertical_Family;
    default:
        return 0;
    }
}

void draw_families(const Fill_Lines& lines, unsigned families, double offset, double step) {
    const Line_Frame* frames[] = {&KD_Horizontal_Lines, &KD_Vertical_Lines, &KD_Rising_Lines,
                                  &KD_Falling_Lines};
    for (unsigned bit = 0; bit < 4; ++bit)
        if (families & (1u << bit)) lines.draw(*frames[bit], offset, step);
}

void fill_pattern(const Fill_Lines& lines, std::int32_t pattern, double width, double spacing,
                  bool horizontal) {
    if (pattern == KT_Face_Solid) {
        draw_families(lines, horizontal ? KT_Horizontal_Family : KT_Vertical_Family, 0.0, width);
        return;
    }
    const unsigned families = hatch_families(pattern);
    const double step = width * spacing;
    draw_families(lines, families, 0.0, step);
    // The doubled grids draw each family a second time a little further on.
    if (pattern == KT_Fill_Doubled_Grid)
        draw_families(lines, families, std::floor((spacing + 2.0) / 3.0) * width, step);
    if (pattern == KT_Fill_Close_Doubled_Grid) draw_families(lines, families, width, step);
}

void fill_integer_polygon(const KT_Rendition* rendition, int count, const KT_DCI_Point* points,
                          std::int32_t pattern, int width, int spacing, bool horizontal,
                          bool outline) {
    if (!rendition || rendition->empty() || count < 3 || !points) return;
    const KT_Rendition lines_rendition = thin_solid_lines(rendition);
    KT_Stack_Scratch<KT_Point_D, KD_Stack_Vertices> polygon(count);
    if (!polygon) return;
    for (int i = 0; i < count; ++i)
        polygon[i] = {double(points[i].x), double(points[i].y), double(points[i].z)};
    const Fill_Lines lines{&lines_rendition, count, polygon.get()};
    fill_pattern(lines, pattern, std::max(width, 1), std::max(spacing, 1), horizontal);
    if (outline && pattern == KT_Face_Solid) draw_outline(&lines_rendition, count, points);
}

// Rounds (after shrinking by half the width when asked) and fills.
void fill_float_polygon(const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int count,
                        const KT_Point* points, int width, int spacing, bool horizontal,
                        bool shrink) {
    if (count < 3 || !points) return;
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(points[i].x) || !std::isfinite(points[i].y)) return;
    KT_Stack_Scratch<KT_Point, KD_Stack_Vertices> shrunk(count);
    KT_Stack_Scratch<KT_DCI_Point, KD_Stack_Vertices> rounded(count);
    if (!shrunk || !rounded) return;
    for (int i = 0; i < count; ++i)
        shrunk[i] = points[i];
    if (shrink && width >= 2) KD_Shrink_DC_Polygon(count, shrunk.get(), width / 2.0f);
    for (int i = 0; i < count; ++i) {
        const KT_Point& p = shrunk[i];
        rounded[i] = {KD_Round_Saturated(p.x, KD_Triangle_Round_Bias),
                      KD_Round_Saturated(p.y, KD_Triangle_Round_Bias),
                      KD_Round_Saturated(p.z, KD_Triangle_Round_Bias)};
    }
    KD_Fill_2DI_Polygon(renderer, rendition, count, rounded.get(), width, spacing, horizontal,
                        false);
}

// The vertex after (or before, step -1) i that lies at least the epsilon
// away from it; i itself when there is none.
int distinct_neighbour(int count, const KT_Point* p, int i, int step) {
    for (int k = 1; k < count; ++k) {
        const int j = ((i + step * k) % count + count) % count;
        if (std::hypot(double(p[j].x) - p[i].x, double(p[j].y) - p[i].y) >= KD_Shrink_Epsilon)
            return j;
    }
    return i;
}

struct Offset_Line {
    double px, py; // a point on the moved edge
    double dx, dy; // its direction
    bool valid;
};

Offset_Line moved_edge(const KT_Point& a, const KT_Point& b, double offset) {
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const double length = std::hypot(dx, dy);
    if (length < KD_Shrink_Epsilon) return {0, 0, 0, 0, false};
    // The left normal of the edge, scaled by the signed offset.
    const double nx = -dy / length * offset, ny = dx / length * offset;
    return {a.x + nx, a.y + ny, dx, dy, true};
}

} // namespace

void KD_Shrink_DC_Polygon(int count, KT_Point* points, float distance) {
    if (distance == 0.0f || count < 3 || !points || !std::isfinite(distance)) return;
    int extreme = 0;
    for (int i = 1; i < count; ++i) {
        const KT_Point& p = points[i];
        const KT_Point& e = points[extreme];
        if (p.y > e.y || (p.y == e.y && p.x > e.x)) extreme = i;
    }
    const int before = distinct_neighbour(count, points, extreme, -1);
    const int after = distinct_neighbour(count, points, extreme, 1);
    const KT_Point& e = points[extreme];
    const double cross = (double(e.x) - points[before].x) * (double(points[after].y) - e.y) -
                         (double(e.y) - points[before].y) * (double(points[after].x) - e.x);
    if (std::fabs(cross) < KD_Shrink_Epsilon) return;
    // Counter-clockwise polygons have their inside on the left of each edge.
    const double offset = cross > 0.0 ? distance : -distance;
    KT_Stack_Scratch<KT_Point, KD_Stack_Vertices> original(count);
    if (!original) return;
    for (int i = 0; i < count; ++i)
        original[i] = points[i];
    for (int i = 0; i < count; ++i) {
        const int prev = distinct_neighbour(count, original.get(), i, -1);
        const int next = distinct_neighbour(count, original.get(), i, 1);
        const Offset_Line in = moved_edge(original[prev], original[i], offset);
        const Offset_Line out = moved_edge(original[i], original[next], offset);
        if (!in.valid || !out.valid) continue;
        const double denominator = in.dx * out.dy - in.dy * out.dx;
        if (std::fabs(denominator) < KD_Shrink_Epsilon) {
            // Collinear edges: the vertex moves straight along the normal.
            points[i].x = static_cast<float>(original[i].x + (out.px - original[i].x));
            points[i].y = static_cast<float>(original[i].y + (out.py - original[i].y));
            continue;
        }
        const double t = ((out.px - in.px) * out.dy - (out.py - in.py) * out.dx) / denominator;
        points[i].x = static_cast<float>(in.px + t * in.dx);
        points[i].y = static_cast<float>(in.py + t * in.dy);
    }
}

void KD_Fill_2DI_Polygon(const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int count,
                         const KT_DCI_Point* points, int width, int spacing, bool horizontal,
                         bool shrink) {
    if (!rendition || rendition->empty() || count < 3 || !points) return;
    if (shrink && width >= 2) {
        KT_Stack_Scratch<KT_Point, KD_Stack_Vertices> floats(count);
        if (!floats) return;
        for (int i = 0; i < count; ++i)
            floats[i] = {float(points[i].x), float(points[i].y), float(points[i].z)};
        fill_float_polygon(renderer, rendition, count, floats.get(), width, spacing, horizontal,
                           true);
        return;
    }
    fill_integer_polygon(rendition, count, points, rendition->face().face_pattern, width, spacing,
                         horizontal, true);
}

void KD_Fill_2D_Polygon(const KT_Renderer_Data* renderer, const KT_Rendition* rendition, int count,
                        const KT_Point* points, int width, int spacing, bool horizontal,
                        bool shrink) {
    fill_float_polygon(renderer, rendition, count, points, width, spacing, horizontal, shrink);
}

void KD_Fill_2DI_Polytriangle(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                              int count, const KT_DCI_Point* points, int width, int spacing,
                              bool horizontal) {
    if (!points) return;
    for (int i = 0; i + 2 < count; ++i)
        KD_Fill_2DI_Polygon(renderer, rendition, 3, points + i, width, spacing, horizontal, false);
}

void KD_Fill_2D_Polytriangle(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                             int count, const KT_Point* points, int width, int spacing,
                             bool horizontal) {
    if (!points) return;
    for (int i = 0; i + 2 < count; ++i)
        fill_float_polygon(renderer, rendition, 3, points + i, width, spacing, horizontal, false);
}

void KD_Vector_Fill_2DI_Polyline(const KT_Renderer_Data*, const KT_Rendition* rendition, int count,
                                 const KT_DCI_Point* points, int width, bool horizontal) {
    // The area alone, as a solid fill without outline.
    fill_integer_polygon(rendition, count, points, KT_Face_Solid, width, 1, horizontal, false);
}

void KD_Vector_Fill_2D_Polyline(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                int count, const KT_Point* points, int width, bool horizontal) {
    if (count < 3 || !points) return;
    KT_Stack_Scratch<KT_DCI_Point, KD_Stack_Vertices> rounded(count);
    if (!rounded) return;
    for (int i = 0; i < count; ++i)
        rounded[i] = {KD_Round_Saturated(points[i].x, KD_Triangle_Round_Bias),
                      KD_Round_Saturated(points[i].y, KD_Triangle_Round_Bias),
                      KD_Round_Saturated(points[i].z, KD_Triangle_Round_Bias)};
    KD_Vector_Fill_2DI_Polyline(renderer, rendition, count, rounded.get(), width, horizontal);
}
