// Joins the triangles of a region into convex polygons of bounded size:
// two polygons sharing an edge are merged when both corners at the ends of
// that edge stay convex (the greedy rule of Hertel and Mehlhorn, which is
// never worse than four times the fewest pieces).
#pragma once

#include <cstdint>

#include "contour/planar_sweep.h"

namespace kavri_contour {

class Convex_Merger {
public:
    explicit Convex_Merger(const Sweep_Workspace& w) : w_(w) {}

    void add_triangle(std::int32_t a, std::int32_t b, std::int32_t c);
    void merge(int max_points);
    // Calls deliver(count, ids) once per polygon, counter-clockwise.
    template <class Deliver> void for_each_polygon(Deliver&& deliver);

private:
    std::int32_t find(std::int32_t t);
    bool convex_corner(std::int32_t in, std::int32_t out) const;

    const Sweep_Workspace& w_;
    Vector<std::int32_t> from_; // per half-edge
    Vector<std::int32_t> next_;
    Vector<std::int32_t> prev_;
    Vector<std::int32_t> parent_; // per triangle, union-find
    Vector<std::int32_t> size_;
    Vector<std::int32_t> first_edge_;
    Vector<std::int32_t> ids_;
};

template <class Deliver> void Convex_Merger::for_each_polygon(Deliver&& deliver) {
    const auto triangles = static_cast<std::int32_t>(parent_.size());
    for (std::int32_t t = 0; t < triangles; ++t) {
        if (find(t) != t) continue;
        ids_.clear();
        const std::int32_t start = first_edge_[t];
        std::int32_t h = start;
        do {
            ids_.push_back(from_[h]);
            h = next_[h];
        } while (h != start && ids_.size() <= from_.size());
        deliver(static_cast<int>(ids_.size()), ids_.data());
    }
}

} // namespace kavri_contour
