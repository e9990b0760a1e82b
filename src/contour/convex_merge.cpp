#include "contour/convex_merge.h"

#include <algorithm>

namespace kavri_contour {

void Convex_Merger::add_triangle(std::int32_t a, std::int32_t b, std::int32_t c) {
    const auto t = static_cast<std::int32_t>(parent_.size());
    const std::int32_t corners[3] = {a, b, c};
    for (int k = 0; k < 3; ++k) {
        from_.push_back(corners[k]);
        next_.push_back(3 * t + (k + 1) % 3);
        prev_.push_back(3 * t + (k + 2) % 3);
    }
    parent_.push_back(t);
    size_.push_back(3);
    first_edge_.push_back(3 * t);
}

std::int32_t Convex_Merger::find(std::int32_t t) {
    while (parent_[t] != t) {
        parent_[t] = parent_[parent_[t]];
        t = parent_[t];
    }
    return t;
}

// The corner where half-edge in arrives and out leaves: convex when it
// turns left or runs straight on (never back).
bool Convex_Merger::convex_corner(std::int32_t in, std::int32_t out) const {
    const std::int32_t a = from_[in], b = from_[out], c = from_[next_[out]];
    const int o = w_.orient(a, b, c);
    if (o != 0) return o > 0;
    const Point& pa = w_.points[a];
    const Point& pb = w_.points[b];
    const Point& pc = w_.points[c];
    return (pb.u - pa.u) * (pc.u - pb.u) + (pb.v - pa.v) * (pc.v - pb.v) > 0;
}

void Convex_Merger::merge(int max_points) {
    // Pair each half-edge with its twin by sorting on the undirected key.
    struct Key {
        std::int32_t lo, hi, edge;
    };
    Vector<Key> keys(from_.size());
    for (std::int32_t h = 0; h < static_cast<std::int32_t>(from_.size()); ++h) {
        const std::int32_t a = from_[h], b = from_[next_[h]];
        keys[h] = Key{std::min(a, b), std::max(a, b), h};
    }
    std::sort(keys.begin(), keys.end(), [](const Key& x, const Key& y) {
        return x.lo != y.lo ? x.lo < y.lo : x.hi != y.hi ? x.hi < y.hi : x.edge < y.edge;
    });
    for (std::size_t k = 0; k + 1 < keys.size(); ++k) {
        if (keys[k].lo != keys[k + 1].lo || keys[k].hi != keys[k + 1].hi) continue;
        const std::int32_t h = keys[k].edge, g = keys[k + 1].edge;
        ++k;
        const std::int32_t p = find(h / 3), q = find(g / 3);
        if (p == q || from_[h] == from_[g]) continue;
        if (size_[p] + size_[q] - 2 > max_points) continue;
        // h runs a->b in p, g runs b->a in q.
        if (!convex_corner(prev_[h], next_[g]) || !convex_corner(prev_[g], next_[h])) continue;
        const std::int32_t ph = prev_[h], nh = next_[h], pg = prev_[g], ng = next_[g];
        next_[ph] = ng;
        prev_[ng] = ph;
        next_[pg] = nh;
        prev_[nh] = pg;
        parent_[q] = p;
        size_[p] += size_[q] - 2;
        first_edge_[p] = nh;
    }
}

} // namespace kavri_contour
