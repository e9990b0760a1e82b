#include "geometry/segment_set.h"

#include <algorithm>

#include "geometry/owned_array.h"

namespace {

// The summed vertex normal made perpendicular to the segment from i to j.
KT_Vector line_normal(const KT_Segment_Set_Data& set, int i, int j) {
    const KT_Vector_D d = detail::vertex_position(set, i) - detail::vertex_position(set, j);
    const KT_Vector_D s = KD_Widen(set.vertex_normals[i]) + KD_Widen(set.vertex_normals[j]);
    return KD_Narrow(KD_Normalized(KD_Cross(d, KD_Cross(s, d))));
}

// The strip triangle's plane normal, turned to the side of l's vertex normal.
KT_Vector triangle_normal(const KT_Segment_Set_Data& set, int i, int j, int l) {
    const KT_Vector_D pl = detail::vertex_position(set, l);
    KT_Vector_D n = KD_Normalized(
        KD_Cross(detail::vertex_position(set, i) - pl, detail::vertex_position(set, j) - pl));
    if (KD_Dot(n, KD_Widen(set.vertex_normals[l])) < 0.0) n = -n;
    return KD_Narrow(n);
}

} // namespace

KT_Segment_Set_Data::KT_Segment_Set_Data(const KT_Segment_Set_Data& other)
    : KT_Vertex_Set_Data(other), segment_rgb32(other.segment_rgb32),
      segment_rgba(other.segment_rgba), segment_color_count(other.segment_color_count),
      segment_normals(other.segment_normals), segment_normal_count(other.segment_normal_count),
      generated_segment_normals(other.generated_segment_normals),
      generated_normal_count(other.generated_normal_count) {
    using detail::duplicate_if_owned;
    duplicate_if_owned(segment_rgb32, ownership, KT_Owns_Segment_RGB32, segment_color_count);
    duplicate_if_owned(segment_rgba, ownership, KT_Owns_Segment_RGBA, segment_color_count);
    duplicate_if_owned(segment_normals, ownership, KT_Owns_Segment_Normals, segment_normal_count);
    duplicate_if_owned(generated_segment_normals, ownership, KT_Owns_Generated_Segment_Normals,
                       generated_normal_count);
}

KT_Segment_Set_Data::~KT_Segment_Set_Data() {
    using detail::release_array;
    release_array(segment_rgb32, ownership, KT_Owns_Segment_RGB32);
    release_array(segment_rgba, ownership, KT_Owns_Segment_RGBA);
    release_array(segment_normals, ownership, KT_Owns_Segment_Normals);
    release_array(generated_segment_normals, ownership, KT_Owns_Generated_Segment_Normals);
}

void KT_Segment_Set_Data::set_segment_colors(int n, const KT_RGB32* colours, bool copy) {
    detail::release_array(segment_rgba, ownership, KT_Owns_Segment_RGBA);
    segment_color_count = std::max(n, 0);
    detail::store_array(segment_rgb32, ownership, KT_Owns_Segment_RGB32, colours,
                        segment_color_count, copy);
    if (!segment_rgb32) segment_color_count = 0;
    attribute_changed();
}

void KT_Segment_Set_Data::set_segment_colors(int n, const KT_RGBA* colours, bool copy) {
    detail::release_array(segment_rgb32, ownership, KT_Owns_Segment_RGB32);
    segment_color_count = std::max(n, 0);
    detail::store_array(segment_rgba, ownership, KT_Owns_Segment_RGBA, colours, segment_color_count,
                        copy);
    if (!segment_rgba) segment_color_count = 0;
    attribute_changed();
}

void KT_Segment_Set_Data::set_segment_normals(int n, const KT_Vector* normals, bool copy) {
    segment_normal_count = std::max(n, 0);
    detail::store_array(segment_normals, ownership, KT_Owns_Segment_Normals, normals,
                        segment_normal_count, copy);
    if (!segment_normals) segment_normal_count = 0;
    attribute_changed();
}

const KT_Vector* KT_Segment_Set_Data::generate_segment_normals(int k) {
    if (generated_segment_normals) return generated_segment_normals;
    if (!vertex_normals) return nullptr;
    if (!connectivity) set_natural_connectivity(k);
    const int length = connectivity_length;
    KT_Vector* made = detail::duplicate_elements<KT_Vector>(nullptr, length);
    if (!made) return nullptr;

    const int corners = k == 1 ? 2 : 3;
    auto index = [&](int p) { return connectivity[p] < 0 ? ~connectivity[p] : connectivity[p]; };
    for (int p = 0; p + corners <= length; ++p) {
        // A segment lies within one run: only its last corner may end it.
        bool inside_run = true;
        for (int c = 0; c + 1 < corners; ++c)
            inside_run = inside_run && connectivity[p + c] >= 0;
        bool valid = inside_run;
        for (int c = 0; c < corners; ++c)
            valid = valid && index(p + c) < count;
        if (!valid) continue;
        made[p] = corners == 2 ? line_normal(*this, index(p), index(p + 1))
                               : triangle_normal(*this, index(p), index(p + 1), index(p + 2));
    }
    generated_segment_normals = made;
    generated_normal_count = length;
    ownership |= KT_Owns_Generated_Segment_Normals;
    return made;
}

void KT_Segment_Set_Data::shape_changed() {
    detail::release_array(generated_segment_normals, ownership, KT_Owns_Generated_Segment_Normals);
    generated_normal_count = 0;
}

void KT_Segment_Set_Data::validate_segment_rgb32(int n) {
    // The whole array is made whatever n says, so copies never read past it.
    if (segment_rgb32 || !segment_rgba || n < 1) return;
    n = segment_color_count;
    KT_RGB32* made = detail::duplicate_elements<KT_RGB32>(nullptr, n);
    if (!made) return;
    for (int i = 0; i < n; ++i)
        made[i] = detail::packed_colour(segment_rgba[i]);
    segment_rgb32 = made;
    ownership |= KT_Owns_Segment_RGB32;
}

void KT_Segment_Set_Data::validate_segment_rgba(int n) {
    if (segment_rgba || !segment_rgb32 || n < 1) return;
    n = segment_color_count;
    KT_RGBA* made = detail::duplicate_elements<KT_RGBA>(nullptr, n);
    if (!made) return;
    for (int i = 0; i < n; ++i)
        made[i] = detail::unpacked_colour(segment_rgb32[i]);
    segment_rgba = made;
    ownership |= KT_Owns_Segment_RGBA;
}
