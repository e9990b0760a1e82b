#include "contour/contour_set.h"

#include <cmath>
#include <cstring>

#include "contour/ear_clip.h"
#include "contour/planar_sweep.h"
#include "contour/set_sweep.h"
#include "foundation/heap.h"

namespace {

template <class T> T* duplicate(const T* source, int count) {
    if (!source || count <= 0) return nullptr;
    T* copy = static_cast<T*>(KD_AllocateMemory(sizeof(T) * static_cast<std::size_t>(count)));
    std::memcpy(static_cast<void*>(copy), source, sizeof(T) * static_cast<std::size_t>(count));
    return copy;
}

template <class P> double coordinate(const P& p, int axis) {
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

// Odd-even or winding count of a ray from p towards -x. A vertex lying on
// the ray is resolved by looking ahead to the next point off the ray, so a
// contour that only touches the ray there does not count.
template <class P>
bool inside_test(const KT_Contour_Set_Data& set, const P* points, double px, double py) {
    int parity = 0;
    int winding = 0;
    const bool odd_even = set.fill_rule == KT_Fill_Odd_Even;
    int start = 0;
    for (int c = 0; c < set.contour_count; ++c) {
        const int n = set.counts[c];
        if (n <= 0) continue;
        const P* q = points + start;
        start += n;
        for (int i = 0; i < n; ++i) {
            const P& a = q[(i + n - 1) % n];
            const P& b = q[i];
            const double ay = a.y, by = b.y;
            if ((ay - py) * (by - py) < 0) {
                const double cross = a.x + (py - ay) * (b.x - a.x) / (by - ay);
                if (px > cross) {
                    parity ^= 1;
                    winding += by > ay ? 1 : -1;
                }
                continue;
            }
            if (!(by == py && ay != py && px > b.x)) continue;
            // b sits on the ray: find where the contour leaves the line.
            int k = 1;
            while (k < n && q[(i + k) % n].y == py)
                ++k;
            const double after = q[(i + k) % n].y;
            if (k == n || (after - py) * (ay - py) >= 0) continue;
            parity ^= 1;
            winding += after > ay ? 1 : -1;
        }
    }
    return odd_even ? parity != 0 : winding != 0;
}

} // namespace

KT_Contour_Processing_Info::~KT_Contour_Processing_Info() {
    delete workspace_;
    delete ear_clipper_;
}

kavri_contour::Sweep_Workspace& KT_Contour_Processing_Info::workspace() {
    if (!workspace_) workspace_ = new kavri_contour::Sweep_Workspace;
    return *workspace_;
}

kavri_contour::Ear_Clipper& KT_Contour_Processing_Info::ear_clipper() {
    if (!ear_clipper_) ear_clipper_ = new kavri_contour::Ear_Clipper;
    return *ear_clipper_;
}

KT_Contour_Set_Data::KT_Contour_Set_Data(int contours, const int* counts_in,
                                         const KT_Point* points_in, bool copy)
    : contour_count(contours > 0 && counts_in ? contours : 0), counts(counts_in),
      points(points_in) {
    sum_counts();
    if (copy) force_allocation();
}

KT_Contour_Set_Data::KT_Contour_Set_Data(int contours, const int* counts_in,
                                         const KT_Point_D* points_in, bool copy)
    : contour_count(contours > 0 && counts_in ? contours : 0), counts(counts_in),
      points_d(points_in) {
    sum_counts();
    if (copy) force_allocation();
}

KT_Contour_Set_Data::KT_Contour_Set_Data(int count, const KT_Point* points_in, bool copy)
    : contour_count(count > 0 ? 1 : 0), single_contour_count(count), counts(&single_contour_count),
      points(points_in) {
    sum_counts();
    if (copy) force_allocation();
}

KT_Contour_Set_Data::KT_Contour_Set_Data(int count, const KT_Point_D* points_in, bool copy)
    : contour_count(count > 0 ? 1 : 0), single_contour_count(count), counts(&single_contour_count),
      points_d(points_in) {
    sum_counts();
    if (copy) force_allocation();
}

KT_Contour_Set_Data::KT_Contour_Set_Data(Adopt, int contours, std::int32_t* counts_in,
                                         KT_Point* points_in, KT_Point_D* points_d_in,
                                         std::int32_t* sources)
    : contour_count(contours), counts(counts_in), points(points_in), points_d(points_d_in),
      fill_rule(KT_Fill_Resolved), owns_data(true), source_map(sources) {
    sum_counts();
}

KT_Contour_Set_Data::KT_Contour_Set_Data(const KT_Contour_Set_Data& other)
    : KT_Counted(other), contour_count(other.contour_count),
      single_contour_count(other.single_contour_count), counts(other.counts), points(other.points),
      points_d(other.points_d), total_points(other.total_points) {
    if (other.counts == &other.single_contour_count) counts = &single_contour_count;
    if (other.owns_data) {
        source_map = other.source_map;
        force_allocation();
    }
}

KT_Contour_Set_Data::~KT_Contour_Set_Data() {
    release_arrays();
    delete processing_info;
}

KT_Counted* KT_Contour_Set_Data::copy() const {
    return new KT_Contour_Set_Data(*this);
}

void KT_Contour_Set_Data::sum_counts() {
    total_points = 0;
    for (int c = 0; c < contour_count; ++c)
        if (counts[c] > 0) total_points += counts[c];
}

void KT_Contour_Set_Data::release_arrays() {
    if (!owns_data) return;
    if (counts != &single_contour_count) KD_ReleaseMemory(const_cast<std::int32_t*>(counts));
    KD_ReleaseMemory(const_cast<KT_Point*>(points));
    KD_ReleaseMemory(const_cast<KT_Point_D*>(points_d));
    KD_ReleaseMemory(source_map);
    counts = nullptr;
    points = nullptr;
    points_d = nullptr;
    source_map = nullptr;
    owns_data = false;
}

void KT_Contour_Set_Data::force_allocation() {
    // A copy of an owned set arrives here still pointing at the source's
    // arrays, with owns_data false: duplicating them is exactly right.
    const std::int32_t* new_counts =
        counts == &single_contour_count ? counts : duplicate(counts, contour_count);
    const KT_Point* new_points = duplicate(points, total_points);
    const KT_Point_D* new_points_d = duplicate(points_d, total_points);
    std::int32_t* new_sources = duplicate(source_map, total_points);
    release_arrays();
    counts = new_counts;
    points = new_points;
    points_d = new_points_d;
    source_map = new_sources;
    if (!counts) contour_count = 0;
    owns_data = true;
}

KT_Contour_Processing_Info& KT_Contour_Set_Data::info() const {
    if (!processing_info) {
        if (is_double())
            processing_info = new KT_Contour_Processing_Info_D;
        else
            processing_info = new KT_Contour_Processing_Info_S;
    }
    return *processing_info;
}

const KT_Contour_Set_Data* KT_Contour_Set_Data::resolved_form() const {
    if (!resolved.empty()) return resolved.body();
    resolved.attach(process(KT_Contour_Union, nullptr));
    // The resolved form is decomposed in this set's projection.
    if (resolved && processing_info && processing_info->projection_chosen()) {
        resolved->info().axes[0] = processing_info->axes[0];
        resolved->info().axes[1] = processing_info->axes[1];
    }
    return resolved.body();
}

void KT_Contour_Set_Data::force_projection(double x, double y, double z) {
    kavri_contour::axes_for(x, y, z, info().axes);
}

bool KT_Contour_Set_Data::point_inside(const KT_Point& p) const {
    if (points_d) return inside_test(*this, points_d, p.x, p.y);
    if (!points) return false;
    return inside_test(*this, points, p.x, p.y);
}

bool KT_Contour_Set_Data::point_inside(const KT_Point_D& p) const {
    if (points_d) return inside_test(*this, points_d, p.x, p.y);
    if (!points) return false;
    // A double point on a single set is narrowed, so edges and point meet
    // in the set's own precision.
    return inside_test(*this, points, static_cast<float>(p.x), static_cast<float>(p.y));
}

namespace {

template <class P> bool same_point(const P& a, const P& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

template <class P> int drop_repeats(P* p, int n) {
    if (n <= 1) return n;
    int out = 1;
    for (int i = 1; i < n; ++i)
        if (!same_point(p[i], p[out - 1])) p[out++] = p[i];
    while (out > 1 && same_point(p[out - 1], p[0]))
        --out;
    return out;
}

// One pass over the spikes; true when a point was changed.
template <class P> bool flatten_spikes(P* p, int n) {
    if (n < 3) return false;
    bool changed = false;
    for (int i = 0; i < n; ++i) {
        const P& before = p[(i + n - 1) % n];
        const P& after = p[(i + 1) % n];
        if (!same_point(before, after) || same_point(p[i], before)) continue;
        p[i] = before;
        changed = true;
    }
    return changed;
}

template <class P> void cleanup(int contours, int* counts, P* points) {
    if (contours <= 0 || !counts || !points) return;
    KT_Stack_Scratch<int, 8> kept(static_cast<std::size_t>(contours));
    int start = 0;
    for (int c = 0; c < contours; ++c) {
        const int n = counts[c] > 0 ? counts[c] : 0;
        P* q = points + start;
        int m = drop_repeats(q, n);
        while (flatten_spikes(q, m))
            m = drop_repeats(q, m);
        kept[c] = m;
        start += n;
    }
    int read = 0, write = 0;
    for (int c = 0; c < contours; ++c) {
        const int n = counts[c] > 0 ? counts[c] : 0;
        if (write != read) std::memmove(points + write, points + read, sizeof(P) * kept[c]);
        write += kept[c];
        read += n;
        counts[c] = kept[c];
    }
}

} // namespace

void cleanup_contour_set(int contours, int* counts, KT_Point* points) {
    cleanup(contours, counts, points);
}

void cleanup_contour_set(int contours, int* counts, KT_Point_D* points) {
    cleanup(contours, counts, points);
}
