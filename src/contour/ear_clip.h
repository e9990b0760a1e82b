// The small-polygon path of triangulation: one simple outline with simple
// holes inside it is cut into ears, holes first joined to the outline by a
// bridge from their rightmost point, without building the sweep's
// arrangement. Anything it cannot prove simple it declines, so that the
// sweep stays both its fallback and its reference.
#pragma once

#include <cstdint>

#include "contour/contour_set.h"
#include "contour/planar_sweep.h"
#include "contour/sweep_containers.h"
#include "foundation/object.h"

namespace kavri_contour {

// How holes must turn to be holes: non-zero winding fills a hole that turns
// like its outline, odd-even does not care.
enum class Hole_Turn { opposite, either };

class Ear_Clipper : public KT_Object {
public:
    // The ear grid can degrade towards quadratic on crafted input; beyond
    // this many points the sweep's n log n bound is worth more than the
    // ears' smaller constant.
    static constexpr int max_points = 1024;
    // Each hole costs a pass over the outline to find its bridge.
    static constexpr int max_holes = 64;

    void begin();
    void add_point(double u, double v, std::int32_t id);
    // Closes the contour of the points added since the last one; the first
    // contour is the outline, the others its holes.
    void end_contour();

    // Hands every triangle to sink as three ids, turning counter-clockwise
    // in (u, v), but only once all are found: false, with nothing delivered,
    // unless the contours are one outline with holes inside it, none
    // touching or crossing itself or another, no point repeated and the
    // holes turning as asked; false too when no ear is left to cut.
    bool triangulate(Hole_Turn holes, Triangle_Sink sink, void* user);

private:
    struct Vertex {
        double u, v;
        std::int32_t id;
    };
    struct Node {
        double u, v;
        std::int32_t vertex; // the input point it stands for
        std::int32_t prev, next;
        bool reflex; // not strictly convex: may block an ear
    };

    int turn(std::int32_t a, std::int32_t b, std::int32_t c) const;
    int node_turn(std::int32_t a, std::int32_t b, std::int32_t c) const;
    bool same_place(std::int32_t a, std::int32_t b) const;
    struct Active_Edge {
        std::int32_t edge, low, high;
    };
    Active_Edge active_edge(std::int32_t e) const;
    bool edges_meet(std::int32_t e, std::int32_t f) const;
    bool simple(Hole_Turn holes);
    bool sweep_event(std::int32_t p);
    void link_rings();
    bool bridge_hole(std::int32_t hole);
    std::int32_t bridge_target(std::int32_t m) const;
    bool bridge_clear(std::int32_t m, std::int32_t p) const;
    bool inside_corner(std::int32_t node, std::int32_t q) const;
    void build_reflex_grid();
    void leave_grid(std::int32_t node);
    void grid_cell(double u, double v, int& cu, int& cv) const;
    bool is_ear(std::int32_t e) const;
    bool clip_ears();

    Vector<Vertex> vertices_;
    Vector<std::int32_t> succ_, pred_, contour_of_, contour_end_;
    // The simplicity sweep: vertices in (v, u) order (id naming the
    // vertex), each one's place in it, and the edges cut by the sweep line.
    Vector<Vertex> order_;
    Vector<std::int32_t> rank_;
    Vector<Active_Edge> active_;
    Vector<std::int32_t> lowest_; // per contour, its first vertex in sweep order
    Vector<std::int8_t> depth_odd_, counter_clockwise_;
    Vector<Node> nodes_;
    Vector<std::int32_t> holes_;
    // Reflex nodes bucketed on a uniform grid over the nodes' bounds; each
    // node's slot in cell_items_ lets it leave when it turns convex.
    Vector<std::int32_t> cell_start_, cell_end_, cell_items_, slot_;
    double grid_u_ = 0, grid_v_ = 0, cell_scale_u_ = 0, cell_scale_v_ = 0;
    int grid_w_ = 1, grid_h_ = 1;
    Vector<std::int32_t> triangles_;
};

namespace detail {

// triangulate() without the small-polygon path, which it must agree with.
void triangulate_general(const KT_Contour_Set_Data& set, KT_Contour_Triangle_Callback callback,
                         void* user);
void triangulate_general(const KT_Contour_Set_Data& set, KT_Contour_Triangle_Callback_D callback,
                         void* user);
// The small-polygon path alone: false, with nothing delivered, for a set it
// leaves to the general path.
bool triangulate_small(const KT_Contour_Set_Data& set, KT_Contour_Triangle_Callback callback,
                       void* user);
bool triangulate_small(const KT_Contour_Set_Data& set, KT_Contour_Triangle_Callback_D callback,
                       void* user);

} // namespace detail

} // namespace kavri_contour
