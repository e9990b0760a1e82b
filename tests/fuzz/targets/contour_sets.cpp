// Two contour sets from the input, in float or double points (NaN,
// infinities, 1e30, duplicates and collinear runs among them), through
// every boolean operation under both fill rules, the decompositions, the
// clean-up, the inside test, face triangulation and polygon ranking.
//
// Checked: every output hands over points and indices that exist; the
// clean-up never grows a contour; a face's triangles use the face's own
// vertices. The sanitizers see the rest.
#include <cstdint>
#include <vector>

#include "contour/contour_set.h"
#include "contour/polygon_rank.h"
#include "fuzz_input.h"

namespace {

constexpr int most_contours = 4;
constexpr int most_points_per_contour = 12;

// Counts and points as a client would hand them over; negative and zero
// counts included.
template <class Point> struct Outline {
    std::vector<int> counts;
    std::vector<Point> points;
};

template <class Point> Outline<Point> take_outline(Fuzz_Input& in) {
    using Real = decltype(Point::x);
    Outline<Point> outline;
    const int contours = in.take_int(1, most_contours);
    for (int c = 0; c < contours; ++c) {
        const int count = in.take_int(-1, most_points_per_contour);
        outline.counts.push_back(count);
        for (int i = 0; i < count; ++i) {
            // Repeating the previous point makes duplicates and spikes.
            if (!outline.points.empty() && in.take<std::uint8_t>() < 24) {
                outline.points.push_back(outline.points.back());
                continue;
            }
            outline.points.push_back(
                {in.take_coordinate<Real>(), in.take_coordinate<Real>(), Real(0)});
        }
    }
    return outline;
}

template <class Point> KT_Contour_Set make_set(const Outline<Point>& outline) {
    return KT_Contour_Set(static_cast<int>(outline.counts.size()), outline.counts.data(),
                          outline.points.data(), true);
}

struct Output_Count {
    long polygons = 0;
    long triangles = 0;
};

void count_polygon(int count, const KT_Point* points, void* user) {
    FUZZ_CHECK(count > 0 && points != nullptr);
    ++static_cast<Output_Count*>(user)->polygons;
}

void count_polygon_d(int count, const KT_Point_D* points, void* user) {
    FUZZ_CHECK(count > 0 && points != nullptr);
    ++static_cast<Output_Count*>(user)->polygons;
}

void count_triangle(const KT_Point* a, const KT_Point* b, const KT_Point* c, void* user) {
    FUZZ_CHECK(a && b && c);
    ++static_cast<Output_Count*>(user)->triangles;
}

void count_triangle_d(const KT_Point_D* a, const KT_Point_D* b, const KT_Point_D* c, void* user) {
    FUZZ_CHECK(a && b && c);
    ++static_cast<Output_Count*>(user)->triangles;
}

void decompose(const KT_Contour_Set_Data& set, int max_points) {
    Output_Count out;
    if (set.is_double()) {
        set.polygonize(count_polygon_d, &out, max_points);
        set.triangulate(count_triangle_d, &out);
    } else {
        set.polygonize(count_polygon, &out, max_points);
        set.triangulate(count_triangle, &out);
    }
}

template <class Point> void check_cleanup(Outline<Point> outline) {
    std::vector<int> before = outline.counts;
    cleanup_contour_set(static_cast<int>(outline.counts.size()), outline.counts.data(),
                        outline.points.data());
    long total_before = 0, total_after = 0;
    for (int c : before)
        total_before += c > 0 ? c : 0;
    for (int c : outline.counts)
        total_after += c > 0 ? c : 0;
    FUZZ_CHECK(total_after <= total_before);
}

struct Face_Check {
    int vertex_count;
    long triangles = 0;
};

void check_face_triangle(void* user, std::int32_t, std::int32_t a, std::int32_t b, std::int32_t c) {
    auto* check = static_cast<Face_Check*>(user);
    for (std::int32_t index : {a, b, c})
        FUZZ_CHECK(index >= 0 && index < check->vertex_count);
    ++check->triangles;
}

// A face over the float points: an outline and holes of indices into them.
void check_face(Fuzz_Input& in, const std::vector<KT_Point>& points) {
    const int vertex_count = static_cast<int>(points.size());
    if (vertex_count < 3) return;
    std::vector<int> face;
    const int loops = in.take_int(1, 3);
    for (int loop = 0; loop < loops; ++loop) {
        const int count = in.take_int(3, vertex_count);
        face.push_back(loop == 0 ? count : -count);
        for (int i = 0; i < count; ++i)
            face.push_back(in.take_int(0, vertex_count - 1));
    }
    const KT_Point normal = {in.take_coordinate<float>(), in.take_coordinate<float>(),
                             in.take_coordinate<float>()};
    Face_Check check{vertex_count};
    KD_Triangulate_Face(points.data(), in.take_bool() ? &normal : nullptr, face.data(),
                        face.data() + face.size(), check_face_triangle, &check);
    // Ranking by indices is for single-loop faces: the outline alone.
    const int* outline_end = face.data() + 1 + face[0];
    const KT_Polygon_Rank rank = KD_Rank_Polygon(points.data(), face.data(), outline_end);
    FUZZ_CHECK(rank == Convex || rank == Concave || rank == Complex);
}

template <class Point> void check_inside(const KT_Contour_Set& set, const Point& p) {
    (void)set->point_inside(p);
}

template <class Point> void fuzz_pair(Fuzz_Input& in) {
    using Real = decltype(Point::x);
    const Outline<Point> outline_a = take_outline<Point>(in);
    const Outline<Point> outline_b = take_outline<Point>(in);
    KT_Contour_Set a = make_set(outline_a), b = make_set(outline_b);
    const int max_points = in.take_int(-1, 16);
    const Point probe = {in.take_coordinate<Real>(), in.take_coordinate<Real>(), Real(0)};
    const int first_operation = in.take_int(KT_Contour_Intersection, KT_Contour_Empty_Too);

    for (int rule : {0, 1}) {
        a.set_fill_rule(rule);
        b.set_fill_rule(rule);
        check_inside(a, probe);
        decompose(*a, max_points);
        // Every operation once per input would be slow; a run of three
        // from a chosen start covers them all across the corpus.
        for (int step = 0; step < 3; ++step) {
            const auto operation = static_cast<KT_Contour_Operation>((first_operation + step) %
                                                                     (KT_Contour_Empty_Too + 1));
            const KT_Contour_Set result(a->process(operation, b.body()));
            if (result.empty()) continue;
            decompose(*result, max_points);
            check_inside(result, probe);
        }
    }
    check_cleanup(outline_a);
    (void)KD_Rank_Polygon(static_cast<int>(outline_b.points.size()), outline_b.points.data());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_Input in(data, size);
    switch (in.take_int(0, 2)) {
    case 0:
        fuzz_pair<KT_Point>(in);
        break;
    case 1:
        fuzz_pair<KT_Point_D>(in);
        break;
    default: {
        const Outline<KT_Point> outline = take_outline<KT_Point>(in);
        check_face(in, outline.points);
        break;
    }
    }
    return 0;
}
