// The standard 3D actions of lit surfaces: shells and tristrips. Both walk
// runs of vertex indices as triangle strips (a shell's runs are its faces,
// a tristrip's its strips), so one walker serves both.
#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>
#include <type_traits>

#include "draw2d/polytriangle_routing.h"
#include "draw3d/pipeline_3d.h"
#include "geometry/complex_segment_set.h"
#include "renderer/next_action.h"

namespace {

using detail::behind;
using detail::Cutting;

// A vertex whose coordinates are not finite numbers: no triangle using it
// is drawn.
constexpr short invalid_vertex = 256;
// Facing values within this of 0 are edge-on: culled from either side.
constexpr float facing_tolerance = 1e-6f;

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

// Lays arrays out one after another over a block, each aligned for its
// type; over a null block it only measures.
class Carver {
public:
    explicit Carver(void* block) : base_(static_cast<unsigned char*>(block)) {}
    template <class T> void place(std::size_t count, T*& array) {
        at_ = (at_ + alignof(T) - 1) / alignof(T) * alignof(T);
        // A size past what memory can hold (a bad parameter width, say)
        // must not wrap to a small block.
        if (count > (SIZE_MAX - at_) / sizeof(T)) overflow_ = true;
        if (overflow_) return;
        if (base_) array = reinterpret_cast<T*>(base_ + at_);
        at_ += count * sizeof(T);
    }
    std::size_t used() const { return at_; }
    bool overflow() const { return overflow_; }

private:
    unsigned char* base_;
    std::size_t at_ = 0;
    bool overflow_ = false;
};

// Per-vertex data of the whole record: device points, w, outcodes, world
// positions and normals, and the two lit-colour caches.
template <class P> struct Vertex_Data {
    void carve(Carver& carver, int n) {
        const std::size_t count = std::size_t(n);
        carver.place(count, points);
        carver.place(count, world);
        carver.place(count, normals);
        carver.place(count, w);
        carver.place(count, lit[Front]);
        carver.place(count, lit[Back]);
        carver.place(count, codes);
    }
    int transform(const KT_Rendition* rendition, int n, const P* in) {
        short or_codes = 0;
        return KD_Transform_And_Clip(rendition, n, in, points, w, codes, &or_codes);
    }

    P* points = nullptr;
    World_Point<P>* world = nullptr;
    KT_Vector* normals = nullptr;
    float* w = nullptr;
    // Lit colours for faces seen from the front and from the back; all
    // zero means not yet shaded.
    KT_RGB32* lit[2] = {nullptr, nullptr};
    short* codes = nullptr;
};

// What the surface actions keep in their renderer between calls: the
// per-vertex block, grown to the largest record yet, and the private
// rendition last derived, reused while the caller's records are the very
// bodies, unchanged, it was derived from.
class Surface_Store : public KT_Counted {
public:
    Surface_Store() = default;
    ~Surface_Store() override { KD_ReleaseMemory(block_); }
    Surface_Store(const Surface_Store&) = delete;
    Surface_Store& operator=(const Surface_Store&) = delete;
    KT_Counted* copy() const override { return nullptr; } // never shared

    // At least bytes of scratch; null when it cannot be had.
    void* block(std::size_t bytes) {
        if (bytes <= block_size_) return block_;
        KD_ReleaseMemory(block_);
        block_ = KD_AllocateMemory(bytes);
        block_size_ = block_ ? bytes : 0;
        return block_;
    }

    // The private rendition to draw source with.
    KT_Rendition& rendition_for(const KT_Rendition& source) {
        const Record_Key key(source);
        if (!(key == key_)) {
            rendition_ = source;
            key_ = key;
            projected_ready = false;
        }
        return rendition_;
    }

    bool busy = false;
    // Whether the kept rendition's object-to-projected matrix is valid.
    bool projected_ready = false;

private:
    // The seven records of a rendition, each by body and change serial: a
    // serial is never given twice, so a new body at an old address differs.
    struct Record_Key {
        Record_Key() = default;
        explicit Record_Key(const KT_Rendition& r) {
            const KT_Net_Data& net = *r;
            const KT_Counted* records[count] = {
                net.transform.body(), net.color.body(),          net.line.body(), net.face.body(),
                net.marker.body(),    net.text_attribute.body(), net.misc.body()};
            for (int i = 0; i < count; ++i) {
                bodies[i] = records[i];
                serials[i] = records[i] ? records[i]->change_serial() : 0;
            }
        }
        bool operator==(const Record_Key&) const = default;

        static constexpr int count = 7;
        const KT_Counted* bodies[count] = {};
        std::uint32_t serials[count] = {};
    };

    void* block_ = nullptr;
    std::size_t block_size_ = 0;
    KT_Rendition rendition_;
    Record_Key key_;
};

// The renderer's store, held for one call: null when it cannot be made or
// an outer call holds it already (a layer drawing a surface from inside a
// slot the surface reached).
class Store_Lease {
public:
    explicit Store_Lease(const KT_Renderer_Data* renderer) : store_(claim(renderer)) {}
    ~Store_Lease() {
        if (store_) store_->busy = false;
    }
    Store_Lease(const Store_Lease&) = delete;
    Store_Lease& operator=(const Store_Lease&) = delete;
    Surface_Store* get() const { return store_; }

private:
    static Surface_Store* claim(const KT_Renderer_Data* renderer) {
        if (!renderer) return nullptr;
        KT_Pointer<KT_Counted>& held = renderer->drawing_store;
        if (!held) held = made_store();
        auto* store = dynamic_cast<Surface_Store*>(held.body());
        if (!store || store->busy) return nullptr;
        store->busy = true;
        return store;
    }

    // Empty when the heap refuses: the call then draws from its own scratch.
    static KT_Pointer<KT_Counted> made_store() {
        try {
            return KT_Pointer<KT_Counted>(new Surface_Store);
        } catch (const std::bad_alloc&) {
            return {};
        }
    }

    Surface_Store* store_;
};

// The vertex data of one run gathered in run order, as the 2D slots take it.
template <class P> struct Run_Data {
    void carve(Carver& carver, int longest, int width) {
        const std::size_t count = std::size_t(longest);
        carver.place(count, points);
        carver.place(count, w);
        carver.place(count, colours);
        carver.place(count, normals);
        carver.place(count, positions);
        carver.place(count * std::size_t(width), parameters);
    }

    P* points = nullptr;
    float* w = nullptr;
    KT_RGB32* colours = nullptr;
    KT_Vector* normals = nullptr;
    KT_Point* positions = nullptr;
    KT_Parameter* parameters = nullptr;
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
    // Without a store, the rendition and the vertex block are the walker's
    // own for this call.
    Surface_Walker(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                   const KT_Complex_Segment_Set_Data& d, const P* in, Surface_Store* store)
        : renderer_(renderer), d_(d), in_(in), cut_(rendition), store_(store),
          own_(store ? store->rendition_for(*cut_.drawing()) : (unkept_ = *cut_.drawing())),
          switches_(*rendition, d), rendition_material_(rendition->color().front_material) {
        carve(store);
    }

    void draw() {
        if (!v_.points || !transform()) return;
        if (switches_.needs_facing()) {
            validate_object_to_projected();
            to_projected_ = own_.transform().object_to_projected.adjoint();
        }
        normals_to_world_ = own_.transform().modelling.adjoint();
        if (switches_.lighting != Lighting::None) prepare_lighting();
        std::int64_t start = 0;
        for (int r = 0; r < d_.run_count; ++r) {
            const int length = std::max(d_.run_lengths[r], 0);
            if (start + length > d_.connectivity_length) return;
            draw_face(r, d_.connectivity + start, length, run_);
            start += length;
        }
    }

private:
    int width() const { return d_.vertex_parameters ? d_.parameter_width : 1; }

    // The vertex and run arrays, from the store's block or one of the
    // walker's own; all stay null when neither can be had.
    void carve(Surface_Store* store) {
        Carver measure(nullptr);
        lay_out(measure);
        if (measure.overflow()) return;
        void* block = nullptr;
        if (store) {
            block = store->block(measure.used());
        } else {
            unkept_block_.emplace(measure.used());
            block = unkept_block_->get();
        }
        if (!block) return;
        Carver carver(block);
        lay_out(carver);
    }
    void lay_out(Carver& carver) {
        v_.carve(carver, d_.count);
        run_.carve(carver, longest_run(), width());
    }

    // A kept rendition keeps the matrix too, as its records have not changed.
    void validate_object_to_projected() {
        if (store_ && store_->projected_ready) return;
        own_.modify_transform().validate_object_to_projected();
        if (store_) store_->projected_ready = true;
    }

    bool transform() {
        const int n = d_.count;
        const int inside = v_.transform(&own_, n, in_);
        for (int i = 0; i < n; ++i)
            if (!detail::all_points_finite(1, in_ + i)) v_.codes[i] = invalid_vertex;
        std::fill_n(v_.lit[Front], n, KT_RGB32{0, 0, 0, 0});
        std::fill_n(v_.lit[Back], n, KT_RGB32{0, 0, 0, 0});
        return inside != 0;
    }

    // World positions and normals for shading, in the space the lights are in.
    void prepare_lighting() {
        const KT_Transform_Data& t = own_.transform();
        t.modelling.transform(d_.count, in_, v_.world);
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
            std::fill_n(v_.lit[Front], d_.count, KT_RGB32{0, 0, 0, 0});
            std::fill_n(v_.lit[Back], d_.count, KT_RGB32{0, 0, 0, 0});
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
                    colours[k] = run.colours + t + k;
        } else if (face_colour_) {
            colours[0] = face_colour_;
        }
        const bool phong = switches_.lighting == Lighting::Phong && !textured_;
        const KT_Vector* n = phong ? run.normals + t : nullptr;
        const KT_Parameter* p = textured_ ? run.parameters + std::size_t(t) * width() : nullptr;
        const int wide = width();
        const P* q = run.points + t;
        const float* w = run.w + t;
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
        const KT_RGB32* colours = per_vertex_colours() ? run.colours + first : nullptr;
        const bool phong = switches_.lighting == Lighting::Phong;
        if (textured_) {
            data.shading = KT_Shading::Textured;
            data.colors = colours;
            data.parameters = run.parameters + std::size_t(first) * width();
            data.width = width();
            data.w = run.w + first;
            data.vectors = phong ? run.normals + first : nullptr;
        } else if (phong) {
            data.shading = KT_Shading::Phong;
            data.colors = switches_.vertex_colours ? run.colours + first : nullptr;
            data.normals = run.normals + first;
            data.positions = run.positions + first;
            data.phong_parameters = run.w + first;
        } else if (colours) {
            data.shading = KT_Shading::Gouraud;
            data.colors = colours;
        } else if (one_colour) {
            data.shading = KT_Shading::Colorized;
            data.colors = one_colour;
            data.single_color = true;
        }
        constexpr KT_Family family = std::is_same_v<P, KT_Point> ? KT_Family::F2D : KT_Family::F2DD;
        KD_Draw_Strip<family>(&own_, count, run.points + first, data);
    }

    const KT_Renderer_Data* renderer_;
    const KT_Complex_Segment_Set_Data& d_;
    const P* in_;
    Cutting cut_;
    Surface_Store* store_;
    KT_Rendition unkept_;
    KT_Rendition& own_; // private: per-face materials are installed here
    Surface_Switches switches_;
    std::optional<KT_Scratch<unsigned char>> unkept_block_;
    Vertex_Data<P> v_;
    Run_Data<P> run_;
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
    const Store_Lease store(renderer);
    if (d.points) {
        Surface_Walker<KT_Point>(renderer, rendition, d, d.points, store.get()).draw();
    } else if (d.points_d) {
        Surface_Walker<KT_Point_D>(renderer, rendition, d, d.points_d, store.get()).draw();
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
