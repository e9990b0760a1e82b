// Triangulation of a classified boundary in one sweep.
//
// Each inside interval of the active line (between a boundary with the
// region on its right, the "left bound", and the next one) owns one piece,
// or two while a merge point waits for the next point to reach the
// interval. A piece keeps the classic stack of a monotone triangulation: a
// reflex chain on one side above the latest point of the other side. The
// top of the stack is the interval's helper, the point a split connects to.
#include <algorithm>

#include "contour/active_line.h"
#include "contour/planar_sweep.h"

namespace kavri_contour {

namespace {

enum Side : std::int8_t { Left_Chain = 0, Right_Chain = 1 };

struct Stack_Entry {
    std::int32_t point;
    Side side;
};

struct Piece {
    Vector<Stack_Entry> stack;
};

// The pieces of one interval: left alone, or left and right of a merge.
struct Interval {
    std::int32_t left = -1;
    std::int32_t right = -1;
};

class Monotone_Sweep {
public:
    Monotone_Sweep(const Sweep_Workspace& w, Triangle_Sink sink, void* user)
        : w_(w), sink_(sink), user_(user) {}

    void run();

private:
    bool left_bound(std::int32_t e) const { return w_.boundary[e].from > w_.boundary[e].to; }
    std::int32_t open_piece(std::int32_t bottom);
    void add(std::int32_t piece, std::int32_t p, Side side);
    void close(std::int32_t piece, std::int32_t p);
    void close_interval(Interval& in, std::int32_t p);
    void emit(std::int32_t a, std::int32_t b, std::int32_t c);
    void visit(std::int32_t p, Active_Line& line);
    void split(std::int32_t p, std::int32_t owner, std::int32_t right_owner);

    const Sweep_Workspace& w_;
    Triangle_Sink sink_;
    void* user_;
    Vector<Piece> pieces_;
    Vector<std::int32_t> free_pieces_;
    Vector<Interval> interval_; // per boundary edge that is a left bound
    Vector<Span> spans_;
    Span_Events events_;
    Vector<Active_Line::iterator> where_;
    Vector<std::int32_t> ending_;
};

std::int32_t Monotone_Sweep::open_piece(std::int32_t bottom) {
    std::int32_t id;
    if (!free_pieces_.empty()) {
        id = free_pieces_.back();
        free_pieces_.pop_back();
    } else {
        id = static_cast<std::int32_t>(pieces_.size());
        pieces_.emplace_back();
    }
    pieces_[id].stack.clear();
    pieces_[id].stack.push_back(Stack_Entry{bottom, Left_Chain});
    return id;
}

void Monotone_Sweep::emit(std::int32_t a, std::int32_t b, std::int32_t c) {
    const int o = w_.orient(a, b, c);
    if (o > 0) sink_(a, b, c, user_);
    if (o < 0) sink_(a, c, b, user_);
}

// A point on the other side than the stack top sees the whole stack; on the
// same side it cuts off the convex corners behind it.
void Monotone_Sweep::add(std::int32_t piece, std::int32_t p, Side side) {
    Vector<Stack_Entry>& s = pieces_[piece].stack;
    if (s.empty()) return; // closed already: inconsistent input
    if (s.size() < 2) {
        s.push_back(Stack_Entry{p, side});
        return;
    }
    if (s.back().side != side) {
        for (std::size_t i = 0; i + 1 < s.size(); ++i)
            emit(p, s[i].point, s[i + 1].point);
        const Stack_Entry top = s.back();
        s.clear();
        s.push_back(top);
        s.push_back(Stack_Entry{p, side});
        return;
    }
    while (s.size() >= 2) {
        const int o = w_.orient(s[s.size() - 2].point, s.back().point, p);
        if (side == Left_Chain ? o >= 0 : o <= 0) break;
        emit(p, s.back().point, s[s.size() - 2].point);
        s.pop_back();
    }
    s.push_back(Stack_Entry{p, side});
}

void Monotone_Sweep::close(std::int32_t piece, std::int32_t p) {
    // Inconsistent input can name a piece that was closed already.
    if (piece < 0 || pieces_[piece].stack.empty()) return;
    Vector<Stack_Entry>& s = pieces_[piece].stack;
    for (std::size_t i = 0; i + 1 < s.size(); ++i)
        emit(p, s[i].point, s[i + 1].point);
    s.clear();
    free_pieces_.push_back(piece);
}

void Monotone_Sweep::close_interval(Interval& in, std::int32_t p) {
    close(in.left, p);
    close(in.right, p);
    in = Interval{};
}

void Monotone_Sweep::run() {
    const auto count = static_cast<std::int32_t>(w_.boundary.size());
    spans_.resize(count);
    for (std::int32_t e = 0; e < count; ++e) {
        const Boundary& b = w_.boundary[e];
        spans_[e] = Span{std::min(b.from, b.to), std::max(b.from, b.to)};
    }
    events_.build(w_, spans_.data(), count, static_cast<std::int32_t>(w_.points.size()));
    interval_.assign(count, Interval{});
    where_.resize(count);
    Active_Line line = make_active_line(&w_, spans_.data());
    for (std::int32_t p = 0; p < static_cast<std::int32_t>(w_.points.size()); ++p)
        if (events_.start_count(p) + events_.end_count(p) > 0) visit(p, line);
    // Well-formed input leaves nothing open; whatever inconsistent input
    // leaves is dropped.
}

// A point inside an interval with starting spans only: the interval's
// pieces go left and right of the new spans, joined to the helper.
void Monotone_Sweep::split(std::int32_t p, std::int32_t owner, std::int32_t right_owner) {
    Interval& in = interval_[owner];
    std::int32_t left_part = in.left, right_part = in.right;
    if (left_part < 0 || pieces_[left_part].stack.empty()) left_part = open_piece(p);
    if (right_part >= 0) {
        add(left_part, p, Right_Chain);
        add(right_part, p, Left_Chain);
    } else {
        const Stack_Entry helper = pieces_[left_part].stack.back();
        const std::int32_t fresh = open_piece(helper.point);
        if (helper.side == Right_Chain || pieces_[left_part].stack.size() < 2) {
            add(left_part, p, Right_Chain);
            add(fresh, p, Left_Chain);
            right_part = fresh;
        } else {
            add(fresh, p, Right_Chain);
            add(left_part, p, Left_Chain);
            right_part = left_part;
            left_part = fresh;
        }
    }
    in = Interval{left_part, -1};
    if (right_owner >= 0)
        interval_[right_owner] = Interval{right_part, -1};
    else
        close(right_part, p);
}

void Monotone_Sweep::visit(std::int32_t p, Active_Line& line) {
    const std::int32_t n_end = events_.end_count(p);
    const std::int32_t n_start = events_.start_count(p);
    const std::int32_t* starts = events_.starts(p);

    // Find the run of ending spans on the line and its neighbours.
    Active_Line::iterator first, after;
    ending_.clear();
    if (n_end > 0) {
        first = where_[events_.ends(p)[0]];
        while (first != line.begin() && spans_[*std::prev(first)].hi == p)
            --first;
        after = first;
        while (after != line.end() && spans_[*after].hi == p)
            ending_.push_back(*after++);
    } else {
        first = after = line.lower_bound(Point_Key{p});
    }
    const std::int32_t left_edge = first == line.begin() ? -1 : *std::prev(first);
    const std::int32_t owner = left_edge >= 0 && left_bound(left_edge) ? left_edge : -1;
    const std::int32_t last_start = n_start > 0 ? starts[n_start - 1] : -1;
    const std::int32_t right_owner = last_start >= 0 && left_bound(last_start) ? last_start : -1;

    if (ending_.empty()) {
        if (owner >= 0) split(p, owner, right_owner);
    } else {
        // p closes the interval to its left on that interval's right side.
        if (owner >= 0) {
            Interval& in = interval_[owner];
            if (in.right >= 0) close(in.right, p);
            in.right = -1;
            if (in.left < 0) in.left = open_piece(p);
            add(in.left, p, Right_Chain);
        }
        for (std::size_t k = 0; k + 1 < ending_.size(); ++k)
            if (left_bound(ending_[k])) close_interval(interval_[ending_[k]], p);
        // ...and continues the interval to its right on its left side.
        std::int32_t right_piece = -1;
        const std::int32_t last_end = ending_.back();
        if (left_bound(last_end)) {
            Interval& in = interval_[last_end];
            if (in.right >= 0) {
                close(in.left, p);
                in.left = in.right;
                in.right = -1;
            }
            if (in.left < 0) in.left = open_piece(p);
            add(in.left, p, Left_Chain);
            right_piece = in.left;
            in = Interval{};
        }
        if (n_start == 0 && owner >= 0 && right_piece >= 0) {
            interval_[owner].right = right_piece; // a merge: both wait for the next point
        } else if (right_owner >= 0 && right_piece >= 0) {
            interval_[right_owner] = Interval{right_piece, -1};
        } else {
            close(right_piece, p);
            if (right_owner >= 0) interval_[right_owner] = Interval{open_piece(p), -1};
        }
    }
    // Intervals opening between two new spans start a piece at p.
    for (std::int32_t k = 0; k + 1 < n_start; ++k)
        if (left_bound(starts[k])) interval_[starts[k]] = Interval{open_piece(p), -1};
    if (ending_.empty() && owner < 0 && right_owner >= 0)
        interval_[right_owner] = Interval{open_piece(p), -1};

    for (std::int32_t k = 0; k < n_end; ++k)
        line.erase(where_[events_.ends(p)[k]]);
    for (std::int32_t k = 0; k < n_start; ++k)
        where_[starts[k]] = line.emplace_hint(after, starts[k]);
}

} // namespace

void Sweep_Workspace::triangulate(Triangle_Sink sink, void* user) {
    Monotone_Sweep(*this, sink, user).run();
}

} // namespace kavri_contour
