#include "draw2d/image_clip.h"

#include <algorithm>
#include <cmath>

#include "foundation/array.h"

namespace {

struct Crossing {
    double x;
    int direction; // +1 upward edge, -1 downward
};

struct Run {
    std::int32_t left;
    std::int32_t right;  // inclusive
    std::int32_t bottom; // first row of the rectangle it grows
};

// The crossings of the region's edges with the line y = centre; an edge
// holds its lower end and not its upper one, so a vertex on the line
// counts once.
template <class P>
int collect_crossings(const KT_Contour_Set_Data& region, const P* points, double centre,
                      KT_Growable_Array<Crossing>& out) {
    int n = 0;
    int start = 0;
    for (int c = 0; c < region.contour_count; ++c) {
        const int count = region.counts[c];
        if (count <= 0) continue;
        const P* q = points + start;
        start += count;
        for (int i = 0; i < count; ++i) {
            const P& a = q[(i + count - 1) % count];
            const P& b = q[i];
            const bool a_below = a.y <= centre;
            if (a_below == (b.y <= centre)) continue;
            const double x = a.x + (centre - a.y) * (double{b.x} - a.x) / (double{b.y} - a.y);
            if (!out.store(n, {x, a_below ? 1 : -1})) return n;
            ++n;
        }
    }
    std::sort(out.data(), out.data() + n,
              [](const Crossing& p, const Crossing& q) { return p.x < q.x; });
    return n;
}

// First pixel whose centre lies right of x, kept within bounds + 1.
std::int32_t first_pixel_after(double x, const KT_Int_Rectangle& bounds) {
    const double p = std::floor(x - 0.5) + 1.0;
    if (!(p > bounds.left)) return bounds.left;
    if (p > static_cast<double>(bounds.right) + 1.0) return bounds.right + 1;
    return static_cast<std::int32_t>(p);
}

class Rectangle_Builder {
public:
    Rectangle_Builder(KT_Clip_Rectangle_Callback callback, void* user)
        : callback_(callback), user_(user) {}

    // The runs of one row, left to right; rectangles whose run the row
    // does not repeat are finished.
    void row(std::int32_t y, const Run* runs, int count) {
        int kept = 0;
        for (int i = 0; i < open_count_; ++i) {
            Run& r = open_[i];
            if (continues(r, runs, count)) {
                open_[kept++] = r;
                continue;
            }
            finish(r, y - 1);
        }
        open_count_ = kept;
        for (int i = 0; i < count; ++i) {
            if (is_open(runs[i])) continue;
            if (open_.store(open_count_, {runs[i].left, runs[i].right, y})) ++open_count_;
        }
    }
    void close(std::int32_t last_row) {
        for (int i = 0; i < open_count_; ++i)
            finish(open_[i], last_row);
        open_count_ = 0;
    }

private:
    static bool continues(const Run& r, const Run* runs, int count) {
        for (int i = 0; i < count; ++i)
            if (runs[i].left == r.left && runs[i].right == r.right) return true;
        return false;
    }
    bool is_open(const Run& run) const {
        for (int i = 0; i < open_count_; ++i)
            if (open_[i].left == run.left && open_[i].right == run.right) return true;
        return false;
    }
    void finish(const Run& r, std::int32_t top) const {
        callback_({r.left, r.right, r.bottom, top}, user_);
    }

    KT_Clip_Rectangle_Callback callback_;
    void* user_;
    KT_Growable_Array<Run> open_;
    int open_count_ = 0;
};

template <class P>
void cut(const KT_Contour_Set_Data& region, const P* points, const KT_Int_Rectangle& bounds,
         KT_Clip_Rectangle_Callback callback, void* user) {
    const bool odd_even = region.fill_rule == 0;
    KT_Growable_Array<Crossing> crossings;
    KT_Growable_Array<Run> runs;
    Rectangle_Builder builder(callback, user);
    for (std::int64_t y = bounds.bottom; y <= bounds.top; ++y) {
        const int n = collect_crossings(region, points, static_cast<double>(y) + 0.5, crossings);
        int run_count = 0;
        int winding = 0;
        for (int i = 0; i + 1 < n; ++i) {
            winding += crossings[i].direction;
            const bool inside = odd_even ? ((i + 1) & 1) != 0 : winding != 0;
            if (!inside) continue;
            const std::int32_t left = first_pixel_after(crossings[i].x, bounds);
            const std::int32_t end = first_pixel_after(crossings[i + 1].x, bounds);
            if (end <= left) continue;
            // Touching runs (between two crossings at one x) join.
            if (run_count > 0 && runs[run_count - 1].right + 1 == left) {
                runs[run_count - 1].right = end - 1;
                continue;
            }
            if (runs.store(run_count, {left, end - 1, 0})) ++run_count;
        }
        builder.row(static_cast<std::int32_t>(y), runs.data(), run_count);
    }
    builder.close(bounds.top);
}

} // namespace

void KD_Clip_Rectangles(const KT_Contour_Set_Data& region, const KT_Int_Rectangle& bounds,
                        KT_Clip_Rectangle_Callback callback, void* user) {
    if (!callback || bounds.right < bounds.left || bounds.top < bounds.bottom) return;
    if (region.points_d)
        cut(region, region.points_d, bounds, callback, user);
    else if (region.points)
        cut(region, region.points, bounds, callback, user);
}
