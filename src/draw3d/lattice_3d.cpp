// The standard 3D action of lattices: each run of the record is a row or
// column of the mesh, drawn as a polyline through its vertices.
#include <algorithm>
#include <type_traits>

#include "draw3d/line_runs.h"
#include "geometry/complex_segment_set.h"

namespace {

using detail::Cutting;
using detail::Device_Vertices;
using detail::vertex_stack_capacity;

template <class T> using Per_Vertex = KT_Stack_Scratch<T, vertex_stack_capacity>;

// What the lines of a lattice carry at each vertex: with lights and vertex
// normals, colours lit by the front material (Gouraud) or world normals and
// positions to light each pixel by (Phong); else the record's colours, or
// nothing.
template <class P> class Lattice_Vertices {
public:
    Lattice_Vertices(const KT_Rendition* rendition, const KT_Complex_Segment_Set_Data& d,
                     const P* in)
        : colours_(std::size_t(d.count)), normals_(std::size_t(d.count)),
          positions_(std::size_t(d.count)) {
        const KT_Misc_Data& misc = rendition->misc();
        record_colours_ =
            d.vertex_rgb32 && !misc.advanced_options.has(KT_Advanced_Options::Ignore_Vertex_Colors);
        const bool lit = !rendition->color().light_set.empty() && d.vertex_normals;
        phong_ = lit && misc.lighting_interpolation == KT_Lighting_Phong;
        ok_ = colours_ && normals_ && positions_;
        if (!ok_) return;
        for (int i = 0; i < d.count; ++i) {
            const int at = KT_Complex_Segment_Set_Data::select(d.vertex_color_indices, i, d.count);
            colours_[i] = at >= 0 && record_colours_ ? d.vertex_rgb32[at] : KT_RGB32{0, 0, 0, 255};
        }
        if (lit) light(rendition, d, in);
        gouraud_ = (lit && !phong_) || record_colours_;
    }
    bool ok() const { return ok_; }
    const KT_RGB32* colours() const { return gouraud_ ? colours_.get() : nullptr; }
    const KT_Vector* normals() const { return phong_ ? normals_.get() : nullptr; }
    const KT_Point* positions() const { return phong_ ? positions_.get() : nullptr; }

private:
    void light(const KT_Rendition* rendition, const KT_Complex_Segment_Set_Data& d, const P* in) {
        const KT_Transform_Data& t = rendition->transform();
        const KT_Matrix carry = t.modelling.adjoint();
        const KT_Material& material = rendition->color().front_material;
        for (int i = 0; i < d.count; ++i) {
            const int at = KT_Complex_Segment_Set_Data::select(d.vertex_normal_indices, i, d.count);
            normals_[i] = {0, 0, 0};
            positions_[i] = {0, 0, 0};
            if (at < 0 || !detail::all_points_finite(1, in + i)) continue;
            carry.transform(d.vertex_normals[at], normals_[i]);
            P world;
            t.modelling.transform(in[i], world);
            positions_[i] = {float(world.x), float(world.y), float(world.z)};
            if (phong_) continue;
            const KT_RGBA* base = record_colours_ && d.vertex_rgba ? d.vertex_rgba + i : nullptr;
            if constexpr (std::is_same_v<P, KT_Point>)
                colours_[i] =
                    detail::packed_colour(material.shade(rendition, &normals_[i], &world, base));
            else
                colours_[i] =
                    detail::packed_colour(material.shade_d(rendition, &normals_[i], &world, base));
        }
    }

    Per_Vertex<KT_RGB32> colours_;
    Per_Vertex<KT_Vector> normals_;
    Per_Vertex<KT_Point> positions_;
    bool record_colours_ = false;
    bool phong_ = false;
    bool gouraud_ = false;
    bool ok_ = false;
};

// One row or column gathered in its own order, with what its vertices carry.
template <class P> struct Lattice_Row {
    explicit Lattice_Row(int longest)
        : points(std::size_t(longest)), colours(std::size_t(longest)),
          normals(std::size_t(longest)), positions(std::size_t(longest)), device(longest) {}
    bool ok() const { return points && colours && normals && positions && device.ok(); }

    // False when an index lies outside the record or a point is not finite.
    bool gather(const int* indices, int length, const P* in, int count,
                const Lattice_Vertices<P>& from) {
        for (int c = 0; c < length; ++c) {
            const int i = indices[c];
            if (i < 0 || i >= count || !detail::all_points_finite(1, in + i)) return false;
            points[c] = in[i];
            if (from.colours()) colours[c] = from.colours()[i];
            if (from.normals()) normals[c] = from.normals()[i];
            if (from.positions()) positions[c] = from.positions()[i];
        }
        return true;
    }
    detail::Line_Colours carried(const Lattice_Vertices<P>& from) {
        detail::Line_Colours c;
        c.vertex = from.colours() ? colours.get() : nullptr;
        c.normals = from.normals() ? normals.get() : nullptr;
        c.positions = from.positions() ? positions.get() : nullptr;
        return c;
    }

    Per_Vertex<P> points;
    Per_Vertex<KT_RGB32> colours;
    Per_Vertex<KT_Vector> normals;
    Per_Vertex<KT_Point> positions;
    Device_Vertices<P> device;
};

template <class P>
void lattice(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
             const KT_Complex_Segment_Set_Data& d, const P* in) {
    const Lattice_Vertices<P> vertices(rendition, d, in);
    int longest = 0;
    for (int r = 0; r < d.run_count; ++r)
        longest = std::max(longest, d.run_lengths[r]);
    Lattice_Row<P> row(longest);
    if (!vertices.ok() || !row.ok()) return;
    const Cutting cut(rendition);
    const float limit = detail::w_limit(rendition);
    std::int64_t start = 0;
    for (int r = 0; r < d.run_count; ++r) {
        const int length = std::max(d.run_lengths[r], 0);
        if (start + length > d.connectivity_length) return;
        const int* indices = d.connectivity + start;
        start += length;
        if (length < 2 || !row.gather(indices, length, in, d.count, vertices)) continue;
        Device_Vertices<P>& v = row.device;
        if (v.transform(rendition, length, row.points.get()) == 0) continue;
        detail::draw_line_runs(renderer, cut, limit, length, v.points.get(), v.w.get(),
                               v.codes.get(), row.carried(vertices));
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
