// The plane sweep behind every contour-set service.
//
// Vocabulary used throughout:
//   point      a 2D position (u, v) in the chosen projection, with the 3D
//              point it stands for and its input index (source, -1 when the
//              sweep created it at a crossing).
//   sweep order  points ordered by v, then u: "below" and "above" mean
//              earlier and later in it. After build() point ids follow it.
//   edge       a directed input edge of operand 0 (A) or 1 (B).
//   segment    an undirected piece of the arrangement, lo below hi, that
//              crosses no other segment; its winding counts how the input
//              edges along it run (+1 upwards, -1 downwards) per operand.
//   boundary   a directed segment of the result with the region on its left.
//   span       anything with a lo and hi that sits on the active line: the
//              left-to-right order of spans cut by the sweep line.
//   piece      a y-monotone part of the region still open above the sweep
//              line, triangulated as its points arrive.
//
// A run goes: add points and edges, build() the arrangement, classify()
// keeps the boundary of the wanted region, then triangulate() or
// link_contours() / link_lines() turn the boundary into the caller's form.
#pragma once

#include <cstdint>

#include "contour/contour_rules.h"
#include "contour/exact_predicates.h"
#include "contour/sweep_containers.h"
#include "foundation/basic_types.h"
#include "foundation/object.h"

namespace kavri_contour {

struct Point {
    double u;
    double v;
    KT_Point_D p;
    std::int32_t source;
};

struct Edge {
    std::int32_t a;
    std::int32_t b;
    std::int32_t operand;
    // How many input edges run along it from a to b, less those running back.
    std::int32_t weight = 1;
};

struct Segment {
    std::int32_t lo;
    std::int32_t hi;
    std::int32_t winding[2];
};

struct Boundary {
    std::int32_t from;
    std::int32_t to;
};

// Inside tests for the two operands and how they combine.
// Each operand is read odd-even or by non-zero winding.
struct Region_Rule {
    KT_Contour_Fill_Rule fill_rule[2] = {KT_Fill_Non_Zero, KT_Fill_Non_Zero};
    KT_Contour_Operation operation = KT_Contour_Union;
    bool has_b = false;
    bool inside(std::int32_t winding, int operand) const {
        return fill_rule[operand] == KT_Fill_Odd_Even ? (winding & 1) != 0 : winding != 0;
    }
    bool keep(bool in_a, bool in_b) const;
    bool line_operation() const {
        return has_b &&
               (operation == KT_Contour_Lines_Inside || operation == KT_Contour_Lines_Outside);
    }
};

// How a set's fill rule reads its winding numbers in the sweep.
inline KT_Contour_Fill_Rule sweep_rule(KT_Contour_Fill_Rule rule) {
    return rule == KT_Fill_Odd_Even ? KT_Fill_Odd_Even : KT_Fill_Non_Zero;
}

// How build() looks for crossings: a sweep that handles each crossing as it
// meets it, or the plain test of every pair of overlapping edges kept as
// the reference it must agree with.
enum class Crossing_Search { sweep, all_pairs_reference };

using Triangle_Sink = void (*)(std::int32_t a, std::int32_t b, std::int32_t c, void* user);

class Sweep_Workspace : public KT_Object {
public:
    Sweep_Workspace() = default;
    Sweep_Workspace(const Sweep_Workspace&) = delete;
    Sweep_Workspace& operator=(const Sweep_Workspace&) = delete;
    ~Sweep_Workspace() override;

    void begin();
    std::int32_t add_point(double u, double v, const KT_Point_D& p, std::int32_t source);
    void add_edge(std::int32_t a, std::int32_t b, int operand);

    // Merges equal points and, with find_crossings, splits edges where they
    // cross or touch so that no two segments cross. Each pass splits the
    // edges at every crossing and touch among them; a crossing within
    // rounding of a point already there becomes that point, so the passes
    // settle, and a pass that finds nothing proves there is nothing.
    // Input loaded exactly as for the last build() takes its arrangement
    // back at the cost of a comparison.
    void build(bool find_crossings, Crossing_Search search = Crossing_Search::sweep);
    // Builds the arrangement at the cost of one crossing search when no
    // point repeats and no two edges cross or touch; false as soon as one
    // does, and the workspace must then be loaded again.
    bool build_if_simple();
    // Whether the last build() found edges crossing (not merely touching).
    bool crossings_found() const { return crossings_found_; }
    void classify(const Region_Rule& rule);
    // The boundary of a region is split into y-monotone pieces, each
    // triangulated as the sweep passes; every triangle turns counter-clockwise.
    void triangulate(Triangle_Sink sink, void* user);
    // Closed simple contours of the boundary (counts and point ids); contours
    // may touch at points but never cross or touch themselves.
    void link_contours(Vector<std::int32_t>& counts, Vector<std::int32_t>& ids) const;
    // Operand B's segments kept by the line operations, joined into
    // polylines following B's direction.
    void link_lines(Vector<std::int32_t>& counts, Vector<std::int32_t>& ids) const;

    // Where the sweeps' active lines take their nodes.
    Node_Pool& node_pool() const { return node_pool_; }

    int orient(std::int32_t a, std::int32_t b, std::int32_t c) const {
        // Edges meeting at a point name it twice; no arithmetic needed.
        if (a == b || a == c || b == c) return 0;
        const Point& p = points[a];
        const Point& q = points[b];
        const Point& r = points[c];
        return kavri_contour::orient(p.u, p.v, q.u, q.v, r.u, r.v);
    }

    // The 3D coordinates that u and v stand for; crossing points of a
    // single-precision run are rounded to floats at once, so that every
    // later decision is made on the coordinates the caller receives.
    std::int32_t axes[2] = {0, 1};
    bool single_precision = false;
    // Set when only link_contours() will read the result: it leaves out
    // points without a source where the boundary runs straight on, so
    // build() need not cut collinear overlaps at such points at all.
    bool contours_only = false;

    Vector<Point> points;
    Vector<Edge> edges;
    Vector<Segment> segments;
    Vector<Boundary> boundary;
    Vector<Boundary> lines;

private:
    void build_arrangement(bool find_crossings, Crossing_Search search);
    void merge_equal_points();
    double rounding_reach(double u, double v) const;
    std::int32_t nearby(const Vector<Point>& kept, const Point& p) const;
    bool all_collinear() const;
    void test_all_overlapping_pairs();
    void sweep_crossings();
    void test_pair(std::int32_t e, std::int32_t f);
    // The same with the turns of f's ends about e already known.
    void test_pair(std::int32_t e, std::int32_t f, int o1, int o2);
    void split_at_crossing(std::int32_t e, std::int32_t f);
    bool within_reach_of_edge(std::int32_t q, std::int32_t e, double reach) const;
    int nearest_end(const std::int32_t ends[4], double u, double v) const;
    void join_coincident_edges();
    void merge_straight_runs();
    void note_moved_points();
    bool near_moved_point(const Edge& e) const;
    // Marks the edges that pass within rounding of a point they do not end
    // at, and every edge at such a point; false when that would take too
    // long to find out.
    bool select_edges_near_points(Vector<char>& selected);
    void park_edges_away_from_moved_points();
    void unpark_edges();
    void apply_splits();
    void make_segments();
    std::int32_t next_clockwise(std::int32_t e, const Vector<std::int32_t>& first,
                                const Vector<std::int32_t>& list) const;

    struct Crossing_Sweep;
    struct Sweep_Buffers;
    Sweep_Buffers& buffers();
    // The same for linking the boundary into contours and lines.
    struct Link_Buffers {
        Vector<std::int32_t> first, list, fill, walk, loop, position, incoming;
        Vector<char> used;
    };
    struct Split {
        std::int32_t edge;
        std::int32_t point;
        double along;
    };
    // The last build's input and the arrangement it gave, set aside by
    // begin(). Callers read points, edges and segments after build() but
    // never change them, so the arrangement still stands for that input.
    struct Kept_Arrangement {
        bool valid = false;
        Vector<Point> input_points;
        Vector<Edge> input_edges;
        std::int32_t axes[2] = {0, 1};
        bool single_precision = false;
        bool contours_only = false;
        bool crossings_searched = false;
        Crossing_Search search = Crossing_Search::sweep;
        Vector<Point> points;
        Vector<Edge> edges;
        Vector<Segment> segments;
        bool crossings_found = false;
        bool built_from(const Sweep_Workspace& w, bool find_crossings,
                        Crossing_Search search) const;
    };
    Kept_Arrangement kept_;
    bool built_ = false; // points, edges and segments hold what build() made
    mutable Node_Pool node_pool_;
    Vector<Split> splits_;
    bool crossings_found_ = false;
    bool stop_at_first_split_ = false;
    std::int64_t new_point_budget_ = 0; // crossing points the passes may still create
    Vector<std::int32_t> order_;
    Vector<std::int32_t> remap_;
    Vector<Point> merged_;
    Sweep_Buffers* buffers_ = nullptr; // made on first use
    mutable Link_Buffers link_;
    Vector<Edge> scratch_edges_;
    Vector<Split> scratch_splits_;
    Vector<Segment> scratch_segments_;
    Vector<std::int32_t> run_first_; // where each id's run starts after sort_by_id
    Vector<std::int32_t> moved_;     // points the last pass bent edges through, in sweep order
    Vector<Edge> parked_;            // edges a restricted pass leaves out
    Vector<char> selected_;          // per edge: a restricted pass takes it
    // Per point, what the edges ending there from below and leaving upwards
    // have in common, to tell where collinear pieces join again.
    struct Line_Side {
        std::int32_t end;       // the far end all of them share, or a mark
        std::int32_t weight[2]; // per operand
        std::uint8_t operands;  // bit per operand present
    };
    Vector<Line_Side> below_;
    Vector<Line_Side> above_;
    Vector<char> straight_;       // per point: the pieces either side join
    bool forced_snap_ = false;    // a crossing went to the nearest end, however far
    bool crossing_split_ = false; // this pass split an edge where another crosses it
    // Points bucketed by grid cell, and those some edge passes near.
    struct Cell_Point {
        double u;
        double v;
        std::int32_t id;
    };
    Vector<std::int32_t> cell_first_;
    Vector<std::int32_t> cell_fill_; // per point: its cell
    Vector<Cell_Point> cell_points_;
    Vector<char> hot_;
};

} // namespace kavri_contour
