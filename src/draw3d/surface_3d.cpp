// The standard 3D actions of lit surfaces: shells and tristrips. Both walk
// runs of vertex indices as triangle strips (a shell's runs are its faces,
// a tristrip's its strips), so one walker serves both.
#include <algorithm>
#include <type_traits>

#include "draw2d/polytriangle_routing.h"
#include "draw3d/pipeline_3d.h"
#include "geometry/complex_segment_set.h"
#include "renderer/next_action.h"

namespace {

using detail::behind;
using detail::Cutting;
using detail::vertex_stack_capacity;

// A vertex whose coordinates are not finite numbers: no triangle using it
// is drawn.
constexpr short invalid_vertex = 256;
// Facing values within this of 0 are edge-on: culled from either side.
constexpr float facing_tolerance = 1e-6f;
// Parameter rows up to this many floats live on the stack.
constexpr std::size_t stack_parameter_floats = 512;

enum class Lighting { None, Flat, Gouraud, Phong };

// Which cache a face's vertices use: faces turned away from the viewer
// are lit from their own side.
enum Side : int { Front = 0, Back = 1 };

// What a rendition needs of a record besides its connectivity: face
// normals to cull or light with, RGBA vertex colours to light.
struct Record_Needs {
    explicit Record_Needs(const KT_Rendition& r) {
        const KT_Misc_Data& misc = r.misc();
        lit = !r.color().light_set.empty();
        face_normals = lit || misc.cull_back_faces != 0 ||
                       misc.advanced_options.has(KT_Advanced_Options::Cull_Front_Faces);
    }
    bool face_normals;
    bool lit;
};

// The record with the connectivity, face normals and colour forms the
// drawing needs: completed in place when nobody but the caller holds it
// (with a new serial), else on a private copy. Nothing is touched when
// nothing is missing.
KT_Complex_Segment_Set completed(const KT_Complex_Segment_Set* record, const Record_Needs& needs) {
    KT_Complex_Segment_Set own = *record;
    const KT_Complex_Segment_Set_Data& d = *own.data();
    const bool no_face_normals = !d.segment_normals && !d.generated_segment_normals;
    const bool missing = !d.connectivity || (needs.face_normals && no_face_normals) ||
                         (d.vertex_rgba && !d.vertex_rgb32) ||
                         (needs.lit && d.vertex_rgb32 && !d.vertex_rgba) ||
                         (d.segment_rgba && !d.segment_rgb32);
    if (!missing) return own;
    const bool unshared = d.reference_count() < 3; // the caller's handle and this one
    auto* data = static_cast<KT_Complex_Segment_Set_Data*>(own.modify(unshared));
    if (!data->connectivity) data->set_natural_connectivity();
    if (needs.face_normals && !data->segment_normals && !data->generated_segment_normals) {
        data->generate_segment_normals(0);
        data->generate_segment_normal_indices();
    }
    data->validate_vertex_rgb32(data->count);
    if (needs.lit) data->validate_vertex_rgba(data->count);
    data->validate_segment_rgb32(data->segment_color_count);
    return own;
}

// What the switches of the rendition ask of the surface.
struct Surface_Switches {
    explicit Surface_Switches(const KT_Rendition& r, const KT_Complex_Segment_Set_Data& d) {
        const KT_Misc_Data& misc = r.misc();
        cull_back = misc.cull_back_faces != 0;
        cull_front = misc.advanced_options.has(KT_Advanced_Options::Cull_Front_Faces);
        vertex_colours = !misc.advanced_options.has(KT_Advanced_Options::Ignore_Vertex_Colors) &&
                         d.vertex_rgb32 != nullptr;
        face_colours = !misc.advanced_options.has(KT_Advanced_Options::Ignore_Face_Colors) &&
                       d.segment_rgb32 != nullptr;
        const bool lights = !r.color().light_set.empty();
        const int mode = misc.lighting_interpolation;
        if (!lights)
            lighting = Lighting::None;
        else if (mode == KT_Lighting_Flat)
            lighting = Lighting::Flat;
        else if (!d.vertex_normals)
            lighting = Lighting::None; // Gouraud and Phong need vertex normals
        else
            lighting = mode == KT_Lighting_Phong ? Lighting::Phong : Lighting::Gouraud;
    }
    bool needs_facing() const { return cull_back || cull_front || lighting != Lighting::None; }

    bool cull_back = false;
    bool cull_front = false;
    bool vertex_colours = false;
    bool face_colours = false;
    Lighting lighting = Lighting::None;
};

template <class P>
using World_Point = std::conditional_t<std::is_same_v<P, KT_Point>, KT_Point, KT_Point_D>;

// Per-vertex data of the whole record: device points, w, outcodes, world
// positions and normals, and the two lit-colour caches.
template <class P> struct Vertex_Data : detail::Device_Vertices<P> {
    explicit Vertex_Data(int n)
        : detail::Device_Vertices<P>(n), world(std::size_t(n)), normals(std::size_t(n)),
          lit{KT_Stack_Scratch<KT_RGB32, vertex_stack_capacity>(std::size_t(n)),
              KT_Stack_Scratch<KT_RGB32, vertex_stack_capacity>(std::size_t(n))} {}
    bool ok() const {
        return detail::Device_Vertices<P>::ok() && world && normals && lit[Front] && lit[Back];
    }

    KT_Stack_Scratch<World_Point<P>, vertex_stack_capacity> world;
    KT_Stack_Scratch<KT_Vector, vertex_stack_capacity> normals;
    // Lit colours for faces seen from the front and from the back; all
    // zero means not yet shaded.
    KT_Stack_Scratch<KT_RGB32, vertex_stack_capacity> lit[2];
};

// The vertex data of one run gathered in run order, as the 2D slots take it.
template <class P> struct Run_Data {
    Run_Data(int longest, int width)
        : points(std::size_t(longest)), w(std::size_t(longest)), colours(std::size_t(longest)),
          normals(std::size_t(longest)), positions(std::size_t(longest)),
          parameters(std::size_t(longest) * std::size_t(width)) {}
    bool ok() const { return points && w && colours && normals && positions && parameters; }

    KT_Stack_Scratch<P, vertex_stack_capacity> points;
    KT_Stack_Scratch<float, vertex_stack_capacity> w;
    KT_Stack_Scratch<KT_RGB32, vertex_stack_capacity> colours;
    KT_Stack_Scratch<KT_Vector, vertex_stack_capacity> normals;
    KT_Stack_Scratch<KT_Point, vertex_stack_capacity> positions;
    KT_Stack_Scratch<KT_Parameter, stack_parameter_floats / 3> parameters;
};

bool unset(const KT_RGB32& c) {
    return c.b == 0 && c.g == 0 && c.r == 0 && c.a == 0;
}

// The face normal in the precision of the points it is paired with.
template <class P> auto normal_for(const KT_Vector& n) {
    if constexpr (std::is_same_v<P, KT_Point>)
        return n;
    else
        return KD_Widen(n);
}

KT_Point narrowed(const KT_Point& p) {
    return p;
}
KT_Point narrowed(const KT_Point_D& p) {
    return KD_Narrow(p);
}

template <class P> class Surface_Walker {
public:
    Surface_Walker(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                   const KT_Complex_Segment_Set_Data& d, const P* in)
        : renderer_(renderer), d_(d), in_(in), cut_(rendition), own_(*cut_.drawing()),
          switches_(*rendition, d), v_(d.count),
          rendition_material_(rendition->color().front_material) {}

    void draw() {
        if (!v_.ok() || !transform()) return;
        if (switches_.needs_facing()) {
            own_.modify_transform().validate_object_to_projected();
            to_projected_ = own_.transform().object_to_projected.adjoint();
        }
        normals_to_world_ = own_.transform().modelling.adjoint();
        if (switches_.lighting != Lighting::None) prepare_lighting();
        const int longest = longest_run();
        Run_Data<P> run(longest, width());
        if (!run.ok()) return;
        std::int64_t start = 0;
        for (int r = 0; r < d_.run_count; ++r) {
            const int length = std::max(d_.run_lengths[r], 0);
            if (start + length > d_.connectivity_length) return;
            draw_face(r, d_.connectivity + start, length, run);
            start += length;
        }
    }

private:
    int width() const { return d_.vertex_parameters ? d_.parameter_width : 1; }

    bool transform() {
        const int n = d_.count;
        const int inside = v_.transform(&own_, n, in_);
        for (int i = 0; i < n; ++i)
            if (!detail::all_points_finite(1, in_ + i)) v_.codes[i] = invalid_vertex;
        std::fill_n(v_.lit[Front].get(), n, KT_RGB32{0, 0, 0, 0});
        std::fill_n(v_.lit[Back].get(), n, KT_RGB32{0, 0, 0, 0});
        return inside != 0;
    }

    // World positions and normals for shading, in the space the lights are in.
    void prepare_lighting() {
        const KT_Transform_Data& t = own_.transform();
        t.modelling.transform(d_.count, in_, v_.world.get());
        if (!d_.vertex_normals) return;
        for (int i = 0; i < d_.count; ++i) {
            const int at =
                KT_Complex_Segment_Set_Data::select(d_.vertex_normal_indices, i, d_.count);
            KT_Vector n = at >= 0 ? d_.vertex_normals[at] : KT_Vector{0, 0, 0};
            if (!detail::all_points_finite(1, &n)) n = {0, 0, 0};
            normals_to_world_.transform(n, v_.normals[i]);
        }
    }

    int longest_run() const {
        int longest = 3;
        for (int r = 0; r < d_.run_count; ++r)
            longest = std::max(longest, d_.run_lengths[r]);
        return longest;
    }

    const KT_Vector* face_normal(int r) const {
        if (d_.segment_normals) {
            const int at = d_.segment_normal_of(r, d_.segment_normal_count);
            return at >= 0 ? d_.segment_normals + at : nullptr;
        }
        if (!d_.generated_segment_normals) return nullptr;
        const int at = d_.segment_normal_of(r, d_.generated_normal_count);
        return at >= 0 ? d_.generated_segment_normals + at : nullptr;
    }

    // The face's own material, else the front material the rendition
    // came with (the private rendition holds the last face's).
    const KT_Material& face_material(int r) const {
        if (d_.materials) {
            const int at = d_.material_of(r);
            if (at >= 0) return d_.materials[at];
        }
        return rendition_material_;
    }

    // Changes happen only between faces of different materials: most
    // records have one material for all faces.
    void install(const KT_Material& material) {
        if (installed_ && material.shares_body_with(material_)) return;
        // Cached colours belong to the material that shaded them.
        if (installed_) {
            std::fill_n(v_.lit[Front].get(), d_.count, KT_RGB32{0, 0, 0, 0});
            std::fill_n(v_.lit[Back].get(), d_.count, KT_RGB32{0, 0, 0, 0});
        }
        material_ = material;
        installed_ = true;
        textured_ = d_.vertex_parameters && !material_.diffuse_texture().empty();
        KT_Color_Data& colour = own_.modify_color();
        colour.front_material = material_;
        colour.back_material = material_;
    }

    void draw_face(int r, const int* indices, int length, Run_Data<P>& run) {
        if (length < 3) return;
        for (int c = 0; c < length; ++c)
            if (indices[c] < 0 || indices[c] >= d_.count) return;
        const KT_Vector* normal = face_normal(r);
        float facing = 0.0f;
        const KT_Vector none = {0, 0, 0};
        if (switches_.needs_facing() && normal && detail::all_points_finite(1, normal) &&
            !(*normal == none)) {
            facing = to_projected_.transform_z(normal_for<P>(*normal), in_[indices[0]]);
        } else if (switches_.cull_back || switches_.cull_front) {
            return; // a face without a direction cannot be told to face either way
        }
        if (switches_.cull_back && facing >= -facing_tolerance) return;
        if (switches_.cull_front && facing <= facing_tolerance) return;
        install(face_material(r));
        side_ = facing >= facing_tolerance ? Back : Front;
        face_colour_ = nullptr;
        if (switches_.face_colours) {
            const int at = d_.segment_color_of(r);
            face_colour_ = at >= 0 ? d_.segment_rgb32 + at : nullptr;
        }
        // Only flat lighting shades with the face normal.
        world_face_normal_ = {0, 0, 0};
        if (normal && switches_.lighting == Lighting::Flat)
            normals_to_world_.transform(*normal, world_face_normal_);
        gather(indices, length, run);
        walk(indices, length, run);
    }

    // The lit colour of vertex i on this face's side, shaded once per side.
    KT_RGB32 shaded(int i, const KT_Vector& normal) {
        KT_RGB32& cached = v_.lit[side_][i];
        if (!unset(cached)) return cached;
        // The material lights the side the viewer sees; handing it the
        // vertex normal to decide by, rather than the face normal, makes the
        // colour depend on the vertex alone, so one cached colour serves
        // every face on that side.
        cached = shade_vertex(i, normal, normal);
        return cached;
    }

    // Flat lighting: the face normal at vertex i, not cached (one colour
    // per triangle).
    KT_RGB32 shaded_flat(int i) { return shade_vertex(i, world_face_normal_, world_face_normal_); }

    // The face's material at vertex i, with the record's colour there when
    // vertex colours apply.
    KT_RGB32 shade_vertex(int i, const KT_Vector& normal, const KT_Vector& side) {
        const int colour_at =
            switches_.vertex_colours
                ? KT_Complex_Segment_Set_Data::select(d_.vertex_color_indices, i, d_.count)
                : -1;
        const KT_RGBA* base =
            colour_at >= 0 && d_.vertex_rgba ? d_.vertex_rgba + colour_at : nullptr;
        const KT_Parameter* parameters = vertex_parameters(i);
        if constexpr (std::is_same_v<P, KT_Point>)
            return detail::packed_colour(
                material_.shade(&own_, &normal, &v_.world[i], base, parameters, width(), &side));
        else
            return detail::packed_colour(
                material_.shade_d(&own_, &normal, &v_.world[i], base, parameters, width(), &side));
    }

    const KT_Parameter* vertex_parameters(int i) const {
        if (!d_.vertex_parameters) return nullptr;
        const int at =
            KT_Complex_Segment_Set_Data::select(d_.vertex_parameter_indices, i, d_.count);
        return at >= 0 ? d_.vertex_parameters + std::size_t(at) * width() : nullptr;
    }

    KT_RGB32 record_colour(int i) const {
        const int at = KT_Complex_Segment_Set_Data::select(d_.vertex_color_indices, i, d_.count);
        return at >= 0 ? d_.vertex_rgb32[at] : KT_RGB32{0, 0, 0, 255};
    }

    // Whether the run carries one colour per vertex, and which.
    bool per_vertex_colours() const {
        return switches_.lighting == Lighting::Gouraud ||
               (switches_.lighting == Lighting::None && switches_.vertex_colours);
    }

    void gather(const int* indices, int length, Run_Data<P>& run) {
        const int wide = width();
        for (int c = 0; c < length; ++c) {
            const int i = indices[c];
            run.points[c] = v_.points[i];
            run.w[c] = v_.w[i];
            if (switches_.lighting == Lighting::Phong) {
                run.normals[c] = v_.normals[i];
                run.positions[c] = narrowed(v_.world[i]);
            }
            if (switches_.lighting == Lighting::Gouraud)
                run.colours[c] = shaded(i, v_.normals[i]);
            else if (switches_.vertex_colours)
                run.colours[c] = record_colour(i);
            const KT_Parameter* p = vertex_parameters(i);
            for (int k = 0; k < wide && d_.vertex_parameters; ++k)
                run.parameters[std::size_t(c) * wide + k] = p ? p[k] : KT_Parameter{0, 0, 0};
        }
    }

    void walk(const int* indices, int length, Run_Data<P>& run) {
        const bool alone_always = cut_.active() || switches_.lighting == Lighting::Flat;
        int run_start = -1;
        for (int t = 0; t + 2 < length; ++t) {
            const short a = v_.codes[indices[t]], b = v_.codes[indices[t + 1]],
                        c = v_.codes[indices[t + 2]];
            const bool rejected = ((a & b & c) != 0) || ((a | b | c) & invalid_vertex);
            const bool crosses = behind(a) || behind(b) || behind(c);
            if (rejected || crosses || alone_always) {
                flush(run, run_start, t);
                run_start = -1;
            }
            if (rejected) continue;
            if (crosses || alone_always)
                draw_alone(run, t, indices, crosses);
            else if (run_start < 0)
                run_start = t;
        }
        flush(run, run_start, length - 2);
    }

    // The colour attributes of one triangle t of the run, for the clippers:
    // flat lighting shades the face normal once at the triangle's first vertex.
    void draw_alone(Run_Data<P>& run, int t, const int* indices, bool crosses) {
        const KT_RGB32* colours[3] = {nullptr, nullptr, nullptr};
        KT_RGB32 flat;
        if (switches_.lighting == Lighting::Flat) {
            flat = shaded_flat(indices[t]);
            colours[0] = &flat;
        } else if (per_vertex_colours() || textured_) {
            if (per_vertex_colours())
                for (int k = 0; k < 3; ++k)
                    colours[k] = run.colours.get() + t + k;
        } else if (face_colour_) {
            colours[0] = face_colour_;
        }
        const bool phong = switches_.lighting == Lighting::Phong && !textured_;
        const KT_Vector* n = phong ? run.normals.get() + t : nullptr;
        const KT_Parameter* p =
            textured_ ? run.parameters.get() + std::size_t(t) * width() : nullptr;
        const int wide = width();
        const P* q = run.points.get() + t;
        const float* w = run.w.get() + t;
        if (crosses)
            KD_Draw_Clipped_2DW_Triangle(renderer_, &own_, cut_.planes(), q, q + 1, q + 2, w[0],
                                         w[1], w[2], colours[0], colours[1], colours[2], p,
                                         p ? p + wide : nullptr, p ? p + 2 * wide : nullptr, wide,
                                         n, n ? n + 1 : nullptr, n ? n + 2 : nullptr);
        else if (cut_.active())
            KD_Cut_2DW_Triangle(renderer_, &own_, cut_.planes(), q, q + 1, q + 2, w[0], w[1], w[2],
                                colours[0], colours[1], colours[2], p, p ? p + wide : nullptr,
                                p ? p + 2 * wide : nullptr, wide, n, n ? n + 1 : nullptr,
                                n ? n + 2 : nullptr);
        else
            draw_run(run, t, 3, colours[0]);
    }

    void flush(Run_Data<P>& run, int run_start, int end) {
        if (run_start < 0) return;
        draw_run(run, run_start, end - run_start + 2, face_colour_);
    }

    // count points of the run from point first, by the cheapest slot that
    // carries what the face has.
    void draw_run(Run_Data<P>& run, int first, int count, const KT_RGB32* one_colour) {
        KT_Strip_Data data;
        const KT_RGB32* colours = per_vertex_colours() ? run.colours.get() + first : nullptr;
        const bool phong = switches_.lighting == Lighting::Phong;
        if (textured_) {
            data.shading = KT_Shading::Textured;
            data.colors = colours;
            data.parameters = run.parameters.get() + std::size_t(first) * width();
            data.width = width();
            data.w = run.w.get() + first;
            data.vectors = phong ? run.normals.get() + first : nullptr;
        } else if (phong) {
            data.shading = KT_Shading::Phong;
            data.colors = switches_.vertex_colours ? run.colours.get() + first : nullptr;
            data.normals = run.normals.get() + first;
            data.positions = run.positions.get() + first;
            data.phong_parameters = run.w.get() + first;
        } else if (colours) {
            data.shading = KT_Shading::Gouraud;
            data.colors = colours;
        } else if (one_colour) {
            data.shading = KT_Shading::Colorized;
            data.colors = one_colour;
            data.single_color = true;
        }
        constexpr KT_Family family = std::is_same_v<P, KT_Point> ? KT_Family::F2D : KT_Family::F2DD;
        KD_Draw_Strip<family>(&own_, count, run.points.get() + first, data);
    }

    const KT_Renderer_Data* renderer_;
    const KT_Complex_Segment_Set_Data& d_;
    const P* in_;
    Cutting cut_;
    KT_Rendition own_; // private: per-face materials are installed here
    Surface_Switches switches_;
    Vertex_Data<P> v_;
    KT_Matrix to_projected_;     // carries face planes to projected space
    KT_Matrix normals_to_world_; // the modelling matrix's adjoint
    KT_Material rendition_material_;
    KT_Material material_;
    bool installed_ = false;
    bool textured_ = false;
    Side side_ = Front;
    const KT_RGB32* face_colour_ = nullptr;
    KT_Vector world_face_normal_ = {0, 0, 0};
};

void draw_surface(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                  const KT_Complex_Segment_Set* record) {
    if (!rendition || rendition->empty() || !record || record->empty()) return;
    if ((*record)->count < 3) return;
    const KT_Complex_Segment_Set own = completed(record, Record_Needs(*rendition));
    const KT_Complex_Segment_Set_Data& d = *own.data();
    if (d.points) {
        Surface_Walker<KT_Point>(renderer, rendition, d, d.points).draw();
    } else if (d.points_d) {
        Surface_Walker<KT_Point_D>(renderer, rendition, d, d.points_d).draw();
    }
}

} // namespace

void KD_Standard_Draw_3D_Shell(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                               const KT_Shell* record) {
    draw_surface(renderer, rendition, record);
}

void KD_Standard_Draw_3D_Tristrip(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                  const KT_Tristrip* record) {
    draw_surface(renderer, rendition, record);
}
