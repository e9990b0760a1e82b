// The standard 3D action of lattices: each run of the record is a row or
// column of the mesh, drawn as a polyline through its vertices.
#include <algorithm>
#include <type_traits>

#include "draw3d/line_runs.h"
#include "geometry/complex_segment_set.h"

namespace {

using detail::Cutting;
using detail::Device_Vertices;

KT_RGB32 lit_colour(const KT_RGBA& c) {
    return detail::packed_colour(c);
}

// The vertex colours of a lattice: lit by the front material when there
// are lights and vertex normals, else the record's, else none.
template <class P> class Lattice_Colours {
public:
    Lattice_Colours(const KT_Rendition* rendition, const KT_Complex_Segment_Set_Data& d,
                    const P* in)
        : colours_(std::size_t(d.count)) {
        const KT_Misc_Data& misc = rendition->misc();
        const bool record_colours =
            d.vertex_rgb32 && !misc.advanced_options.has(KT_Advanced_Options::Ignore_Vertex_Colors);
        const bool lit = !rendition->color().light_set.empty() && d.vertex_normals;
        if (!colours_ || (!lit && !record_colours)) return;
        for (int i = 0; i < d.count; ++i) {
            const int at = KT_Complex_Segment_Set_Data::select(d.vertex_color_indices, i, d.count);
            colours_[i] = at >= 0 && record_colours ? d.vertex_rgb32[at] : KT_RGB32{0, 0, 0, 255};
        }
        if (lit) shade_all(rendition, d, in, record_colours);
        present_ = true;
    }
    const KT_RGB32* get() const { return present_ ? colours_.get() : nullptr; }

private:
    void shade_all(const KT_Rendition* rendition, const KT_Complex_Segment_Set_Data& d, const P* in,
                   bool record_colours) {
        const KT_Transform_Data& t = rendition->transform();
        const KT_Matrix carry = t.modelling.adjoint();
        const KT_Material& material = rendition->color().front_material;
        for (int i = 0; i < d.count; ++i) {
            const int at = KT_Complex_Segment_Set_Data::select(d.vertex_normal_indices, i, d.count);
            if (at < 0 || !detail::all_points_finite(1, in + i)) continue;
            KT_Vector normal = {0, 0, 0};
            carry.transform(d.vertex_normals[at], normal);
            P world;
            t.modelling.transform(in[i], world);
            const KT_RGBA* base = record_colours && d.vertex_rgba ? d.vertex_rgba + i : nullptr;
            if constexpr (std::is_same_v<P, KT_Point>)
                colours_[i] = lit_colour(material.shade(rendition, &normal, &world, base));
            else
                colours_[i] = lit_colour(material.shade_d(rendition, &normal, &world, base));
        }
    }

    KT_Stack_Scratch<KT_RGB32, detail::stack_vertices> colours_;
    bool present_ = false;
};

template <class P>
void lattice(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
             const KT_Complex_Segment_Set_Data& d, const P* in) {
    const Lattice_Colours<P> vertex_colours(rendition, d, in);
    const Cutting cut(rendition);
    const float limit = detail::w_limit(rendition);
    int longest = 0;
    for (int r = 0; r < d.run_count; ++r)
        longest = std::max(longest, d.run_lengths[r]);
    KT_Stack_Scratch<P, detail::stack_vertices> row(std::size_t(std::max(longest, 0)));
    KT_Stack_Scratch<KT_RGB32, detail::stack_vertices> row_colours(
        std::size_t(std::max(longest, 0)));
    Device_Vertices<P> v(std::max(longest, 0));
    if (!row || !row_colours || !v.ok()) return;
    std::int64_t start = 0;
    for (int r = 0; r < d.run_count; ++r) {
        const int length = std::max(d.run_lengths[r], 0);
        if (start + length > d.connectivity_length) return;
        const int* indices = d.connectivity + start;
        start += length;
        bool valid = length >= 2;
        for (int c = 0; valid && c < length; ++c) {
            valid = indices[c] >= 0 && indices[c] < d.count;
            if (!valid) break;
            row[c] = in[indices[c]];
            if (vertex_colours.get()) row_colours[c] = vertex_colours.get()[indices[c]];
        }
        if (!valid || !detail::all_points_finite(length, row.get())) continue;
        if (v.transform(rendition, length, row.get()) == 0) continue;
        detail::Line_Colours colours;
        colours.vertex = vertex_colours.get() ? row_colours.get() : nullptr;
        detail::draw_line_runs(renderer, cut, limit, length, v.points.get(), v.w.get(),
                               v.codes.get(), colours);
    }
}

} // namespace

void KD_Standard_Draw_3D_Lattice(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                 const KT_Lattice* record) {
    if (!rendition || rendition->empty() || !record || record->empty()) return;
    KT_Lattice own = *record;
    if (!own.data()->connectivity || (own.data()->vertex_rgba && !own.data()->vertex_rgb32)) {
        const bool unshared = own->reference_count() < 3; // the caller's handle and this one
        auto* data = static_cast<KT_Complex_Segment_Set_Data*>(own.modify(unshared));
        if (!data->connectivity) data->set_natural_connectivity();
        data->validate_vertex_rgb32(data->count);
    }
    const KT_Complex_Segment_Set_Data& d = *own.data();
    if (d.points)
        lattice(renderer, rendition, d, d.points);
    else if (d.points_d)
        lattice(renderer, rendition, d, d.points_d);
}
