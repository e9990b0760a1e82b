#include "geometry/complex_segment_set.h"

#include <algorithm>
#include <new>

#include "geometry/owned_array.h"

namespace {

// Materials are handles: an owned array constructs and destroys each one.
KT_Material* copied_materials(const KT_Material* given, int n) {
    if (n < 1) return nullptr;
    auto* made = KD_Allocate_Elements<KT_Material>(static_cast<std::size_t>(n));
    if (!made) return nullptr;
    for (int i = 0; i < n; ++i)
        new (made + i) KT_Material(given ? given[i] : KT_Material());
    return made;
}

void release_materials(const KT_Material*& materials, std::uint32_t& ownership, int n) {
    if (ownership & KT_Owns_Materials) {
        for (int i = 0; i < n; ++i)
            materials[i].~KT_Material();
        KD_ReleaseMemory(const_cast<KT_Material*>(materials));
    }
    ownership &= ~std::uint32_t{KT_Owns_Materials};
    materials = nullptr;
}

} // namespace

KT_Complex_Segment_Set_Data::KT_Complex_Segment_Set_Data(const KT_Complex_Segment_Set_Data& o)
    : KT_Segment_Set_Data(o), run_lengths(o.run_lengths), run_count(o.run_count),
      natural_runs(o.natural_runs), vertex_color_indices(o.vertex_color_indices),
      vertex_normal_indices(o.vertex_normal_indices),
      vertex_parameter_indices(o.vertex_parameter_indices),
      segment_color_indices(o.segment_color_indices),
      segment_color_index_count(o.segment_color_index_count),
      segment_normal_indices(o.segment_normal_indices),
      segment_normal_index_count(o.segment_normal_index_count),
      material_indices(o.material_indices), material_index_count(o.material_index_count),
      materials(o.materials), material_count(o.material_count) {
    using detail::duplicate_if_owned;
    duplicate_if_owned(run_lengths, ownership, KT_Owns_Run_Lengths, run_count);
    duplicate_if_owned(vertex_color_indices, ownership, KT_Owns_Vertex_Color_Indices, count);
    duplicate_if_owned(vertex_normal_indices, ownership, KT_Owns_Vertex_Normal_Indices, count);
    duplicate_if_owned(vertex_parameter_indices, ownership, KT_Owns_Vertex_Parameter_Indices,
                       count);
    duplicate_if_owned(segment_color_indices, ownership, KT_Owns_Segment_Color_Indices, run_count);
    duplicate_if_owned(segment_normal_indices, ownership, KT_Owns_Segment_Normal_Indices,
                       run_count);
    duplicate_if_owned(material_indices, ownership, KT_Owns_Material_Indices, run_count);
    if (ownership & KT_Owns_Materials) {
        materials = copied_materials(o.materials, material_count);
        if (!materials) ownership &= ~std::uint32_t{KT_Owns_Materials};
    }
}

KT_Complex_Segment_Set_Data::~KT_Complex_Segment_Set_Data() {
    using detail::release_array;
    release_array(run_lengths, ownership, KT_Owns_Run_Lengths);
    release_array(vertex_color_indices, ownership, KT_Owns_Vertex_Color_Indices);
    release_array(vertex_normal_indices, ownership, KT_Owns_Vertex_Normal_Indices);
    release_array(vertex_parameter_indices, ownership, KT_Owns_Vertex_Parameter_Indices);
    release_array(segment_color_indices, ownership, KT_Owns_Segment_Color_Indices);
    release_array(segment_normal_indices, ownership, KT_Owns_Segment_Normal_Indices);
    release_array(material_indices, ownership, KT_Owns_Material_Indices);
    release_materials(materials, ownership, material_count);
}

void KT_Complex_Segment_Set_Data::set_indices(int runs, const int* lengths, const int* indices,
                                              bool copy) {
    run_count = std::max(runs, 0);
    std::int64_t total = 0;
    for (int r = 0; lengths && r < run_count; ++r)
        total += std::max(lengths[r], 0);
    total = std::min<std::int64_t>(total, INT32_MAX);
    detail::store_array(run_lengths, ownership, KT_Owns_Run_Lengths, lengths, run_count, copy);
    if (!run_lengths) run_count = 0;
    connectivity_length = static_cast<std::int32_t>(total);
    detail::store_array(connectivity, ownership, KT_Owns_Connectivity, indices, total, copy);
    if (!connectivity) connectivity_length = 0;
    natural_connectivity = false;
    natural_runs = false;
    attribute_changed();
    shape_changed();
}

void KT_Complex_Segment_Set_Data::set_natural_connectivity() {
    const int one_run[1] = {count};
    int* indices = detail::duplicate_elements<int>(nullptr, count);
    for (int i = 0; indices && i < count; ++i)
        indices[i] = i;
    set_indices(indices ? 1 : 0, one_run, indices, true);
    KD_ReleaseMemory(indices);
    natural_connectivity = true;
    natural_runs = true;
}

void KT_Complex_Segment_Set_Data::set_vertex_color_indices(const int* indices, bool copy) {
    detail::store_array(vertex_color_indices, ownership, KT_Owns_Vertex_Color_Indices, indices,
                        count, copy);
    attribute_changed();
}

void KT_Complex_Segment_Set_Data::set_vertex_normal_indices(const int* indices, bool copy) {
    detail::store_array(vertex_normal_indices, ownership, KT_Owns_Vertex_Normal_Indices, indices,
                        count, copy);
    attribute_changed();
}

void KT_Complex_Segment_Set_Data::set_vertex_parameter_indices(const int* indices, bool copy) {
    detail::store_array(vertex_parameter_indices, ownership, KT_Owns_Vertex_Parameter_Indices,
                        indices, count, copy);
    attribute_changed();
}

void KT_Complex_Segment_Set_Data::set_segment_color_indices(const int* indices, bool copy) {
    segment_color_index_count = run_count;
    detail::store_array(segment_color_indices, ownership, KT_Owns_Segment_Color_Indices, indices,
                        run_count, copy);
    attribute_changed();
}

void KT_Complex_Segment_Set_Data::set_segment_normal_indices(const int* indices, bool copy) {
    segment_normal_index_count = run_count;
    detail::store_array(segment_normal_indices, ownership, KT_Owns_Segment_Normal_Indices, indices,
                        run_count, copy);
    attribute_changed();
}

void KT_Complex_Segment_Set_Data::set_material_indices(const int* indices, bool copy) {
    material_index_count = run_count;
    detail::store_array(material_indices, ownership, KT_Owns_Material_Indices, indices, run_count,
                        copy);
    attribute_changed();
}

void KT_Complex_Segment_Set_Data::set_materials(int n, const KT_Material* given, bool copy) {
    release_materials(materials, ownership, material_count);
    material_count = std::max(n, 0);
    if (given && !copy) {
        materials = given;
    } else {
        materials = copied_materials(given, material_count);
        if (materials) ownership |= KT_Owns_Materials;
    }
    if (!materials) material_count = 0;
    attribute_changed();
}

const KT_Vector* KT_Complex_Segment_Set_Data::generate_segment_normals(int) {
    if (generated_segment_normals) return generated_segment_normals;
    if (!connectivity) set_natural_connectivity();
    KT_Vector* made = detail::duplicate_elements<KT_Vector>(nullptr, run_count);
    if (!made) return nullptr;
    std::int64_t start = 0;
    for (int r = 0; r < run_count; ++r) {
        const int length = std::max(run_lengths[r], 0);
        // Faces are listed in strip order, so the face's area vector is the
        // sum of its strip triangles' with every second one reversed.
        KT_Vector_D sum = {0.0, 0.0, 0.0};
        bool valid = start + length <= connectivity_length;
        for (int c = 0; valid && c < length; ++c) {
            const int i = connectivity[start + c];
            valid = i >= 0 && i < count;
        }
        for (int t = 0; valid && t + 2 < length; ++t) {
            const KT_Vector_D a = detail::vertex_position(*this, connectivity[start + t]);
            const KT_Vector_D ab = detail::vertex_position(*this, connectivity[start + t + 1]) - a;
            const KT_Vector_D ac = detail::vertex_position(*this, connectivity[start + t + 2]) - a;
            const KT_Vector_D area = KD_Cross(ab, ac);
            sum = t % 2 == 0 ? sum + area : sum - area;
        }
        KT_Vector_D n = valid ? KD_Normalized(sum) : KT_Vector_D{0.0, 0.0, 0.0};
        const int first = valid && length > 0 ? connectivity[start] : -1;
        const int normal_at = first >= 0 ? select(vertex_normal_indices, first, count) : -1;
        if (vertex_normals && normal_at >= 0 &&
            KD_Dot(n, KD_Widen(vertex_normals[normal_at])) < 0.0)
            n = -n;
        made[r] = KD_Narrow(n);
        start += length;
    }
    generated_segment_normals = made;
    generated_normal_count = run_count;
    ownership |= KT_Owns_Generated_Segment_Normals;
    return made;
}

void KT_Complex_Segment_Set_Data::generate_segment_normal_indices() {
    int* identity = detail::duplicate_elements<int>(nullptr, run_count);
    for (int r = 0; identity && r < run_count; ++r)
        identity[r] = r;
    detail::release_array(segment_normal_indices, ownership, KT_Owns_Segment_Normal_Indices);
    segment_normal_indices = identity;
    segment_normal_index_count = identity ? run_count : 0;
    if (identity) ownership |= KT_Owns_Segment_Normal_Indices;
}
