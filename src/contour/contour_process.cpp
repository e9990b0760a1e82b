// process(): boolean combination of two contour sets. The empty and trivial
// cases are settled first; everything else is one sweep over the edges of
// both sets, keeping the pieces whose two sides the operation tells apart.
#include "contour/contour_set.h"
#include "contour/set_sweep.h"
#include "foundation/heap.h"

#include <type_traits>

namespace {

using namespace kavri_contour;

KT_Contour_Set_Data* empty_result() {
    return new KT_Contour_Set_Data(KT_Contour_Set_Data::Adopt{}, 0, nullptr, nullptr, nullptr,
                                   nullptr);
}

// A self-contained copy that keeps the source's fill rule.
KT_Contour_Set_Data* owned_copy(const KT_Contour_Set_Data& set, KT_Contour_Fill_Rule fill_rule) {
    auto* copy = new KT_Contour_Set_Data(set);
    if (!copy->owns_data) copy->force_allocation();
    copy->fill_rule = fill_rule;
    return copy;
}

bool is_empty(const KT_Contour_Set_Data* set) {
    return set->contour_count <= 0 || set->total_points <= 0 || (!set->points && !set->points_d);
}

template <class T> T* allocate(std::size_t n) {
    return static_cast<T*>(KD_AllocateMemory(sizeof(T) * (n > 0 ? n : 1)));
}

// The contours or lines of a finished sweep as a new set of fill rule 2.
template <class P>
KT_Contour_Set_Data* make_result(const Sweep_Workspace& w, const Vector<std::int32_t>& counts,
                                 const Vector<std::int32_t>& ids) {
    if (counts.empty()) return empty_result();
    auto* out_counts = allocate<std::int32_t>(counts.size());
    auto* out_points = allocate<P>(ids.size());
    auto* out_sources = allocate<std::int32_t>(ids.size());
    for (std::size_t c = 0; c < counts.size(); ++c)
        out_counts[c] = counts[c];
    for (std::size_t i = 0; i < ids.size(); ++i) {
        out_points[i] = to_point<P>(w.points[ids[i]].p);
        out_sources[i] = w.points[ids[i]].source;
    }
    const int n = static_cast<int>(counts.size());
    if constexpr (std::is_same_v<P, KT_Point>)
        return new KT_Contour_Set_Data(KT_Contour_Set_Data::Adopt{}, n, out_counts, out_points,
                                       nullptr, out_sources);
    else
        return new KT_Contour_Set_Data(KT_Contour_Set_Data::Adopt{}, n, out_counts, nullptr,
                                       out_points, out_sources);
}

template <class P>
KT_Contour_Set_Data* combine(const KT_Contour_Set_Data& a, const KT_Contour_Set_Data* b,
                             KT_Contour_Operation operation) {
    std::int32_t axes[2];
    const KT_Contour_Processing_Info& info = a.info();
    if (info.projection_chosen()) {
        axes[0] = info.axes[0];
        axes[1] = info.axes[1];
    } else {
        newell_axes(points_of<P>(a), a.total_points, axes);
    }
    Sweep_Workspace& w = a.info().workspace();
    w.begin();
    if (!load_contours(w, a, points_of<P>(a), axes, 0)) return empty_result();
    if (b && !load_contours(w, *b, points_of<P>(*b), axes, 1)) return empty_result();
    Region_Rule rule;
    rule.fill_rule[0] = sweep_rule(a.fill_rule);
    rule.fill_rule[1] = b ? sweep_rule(b->fill_rule) : KT_Fill_Non_Zero;
    rule.operation = operation;
    rule.has_b = b != nullptr;
    w.contours_only = !rule.line_operation();
    w.build(true);
    w.classify(rule);
    Vector<std::int32_t> counts, ids;
    if (rule.line_operation())
        w.link_lines(counts, ids);
    else
        w.link_contours(counts, ids);
    return make_result<P>(w, counts, ids);
}

} // namespace

namespace {

// The operations that keep the region of one operand or both.
bool is_region_operation(KT_Contour_Operation op) {
    return op == KT_Contour_Intersection || op == KT_Contour_Union || op == KT_Contour_A_Minus_B ||
           op == KT_Contour_B_Minus_A;
}

bool is_sweep_operation(KT_Contour_Operation op) {
    return is_region_operation(op) || op == KT_Contour_Lines_Inside ||
           op == KT_Contour_Lines_Outside;
}

// With B empty the result is A where A alone decides.
bool keeps_a_without_b(KT_Contour_Operation op) {
    return op == KT_Contour_Union || op == KT_Contour_A_Minus_B;
}

// With A empty the result is B where B alone decides.
bool keeps_b_without_a(KT_Contour_Operation op) {
    return op == KT_Contour_Union || op == KT_Contour_B_Minus_A || op == KT_Contour_Lines_Outside;
}

} // namespace

KT_Contour_Set_Data* KT_Contour_Set_Data::process(const KT_Contour_Operation& op,
                                                  const KT_Contour_Set_Data* other) const {
    if (!other) {
        if (fill_rule == KT_Fill_Odd_Even) return owned_copy(*this, KT_Fill_Odd_Even);
        if (!is_region_operation(op) || is_empty(this)) return empty_result();
        return is_double() ? combine<KT_Point_D>(*this, nullptr, op)
                           : combine<KT_Point>(*this, nullptr, op);
    }
    if (other->contour_count <= 0) {
        if (keeps_a_without_b(op)) return owned_copy(*this, fill_rule);
        return empty_result();
    }
    if (is_empty(this)) {
        if (keeps_b_without_a(op)) return owned_copy(*other, other->fill_rule);
        return empty_result();
    }
    if (is_double() != other->is_double()) return nullptr;
    if (op == KT_Contour_Copy_B) return owned_copy(*other, other->fill_rule);
    if (!is_sweep_operation(op)) return empty_result();
    return is_double() ? combine<KT_Point_D>(*this, other, op)
                       : combine<KT_Point>(*this, other, op);
}
