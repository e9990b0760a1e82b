#include "geometry/vertex_set.h"

#include <algorithm>

#include "geometry/owned_array.h"

namespace detail {

namespace {
std::uint8_t channel_byte(float v) {
    if (!(v > 0.0f)) return 0; // also NaN
    if (v >= 1.0f) return 255;
    return static_cast<std::uint8_t>(v * 255.99f);
}
} // namespace

KT_RGB32 packed_colour(const KT_RGBA& c) {
    return {channel_byte(c.blue), channel_byte(c.green), channel_byte(c.red),
            channel_byte(c.alpha)};
}

KT_RGBA unpacked_colour(const KT_RGB32& c) {
    constexpr float per_step = 1.0f / 255.0f;
    return {c.r * per_step, c.g * per_step, c.b * per_step, c.a * per_step};
}

} // namespace detail

namespace {

// Entries up to and including the end marker: the first negative entry, or
// with pairs_end the first two consecutive ones. 0 when the list has none
// within the largest length a record holds.
int measured_length(const int* list, bool pairs_end) {
    constexpr int longest = 1 << 30;
    for (int i = 0; i < longest; ++i) {
        if (list[i] >= 0) continue;
        if (!pairs_end) return i + 1;
        if (list[i + 1] < 0) return i + 2;
        ++i; // list[i + 1] is not negative: no pair can end there
    }
    return 0;
}

} // namespace

KT_Vertex_Set_Data::KT_Vertex_Set_Data(const KT_Vertex_Set_Data& other)
    : KT_Point_Set_Data(other), vertex_rgba(other.vertex_rgba), vertex_rgb32(other.vertex_rgb32),
      vertex_normals(other.vertex_normals), vertex_parameters(other.vertex_parameters),
      parameter_width(other.parameter_width), connectivity(other.connectivity),
      connectivity_length(other.connectivity_length),
      natural_connectivity(other.natural_connectivity) {
    using detail::duplicate_if_owned;
    duplicate_if_owned(vertex_rgba, ownership, KT_Owns_Vertex_RGBA, count);
    duplicate_if_owned(vertex_rgb32, ownership, KT_Owns_Vertex_RGB32, count);
    duplicate_if_owned(vertex_normals, ownership, KT_Owns_Vertex_Normals, count);
    duplicate_if_owned(vertex_parameters, ownership, KT_Owns_Vertex_Parameters,
                       std::int64_t{count} * parameter_width);
    duplicate_if_owned(connectivity, ownership, KT_Owns_Connectivity, connectivity_length);
}

KT_Vertex_Set_Data::~KT_Vertex_Set_Data() {
    using detail::release_array;
    release_array(vertex_rgba, ownership, KT_Owns_Vertex_RGBA);
    release_array(vertex_rgb32, ownership, KT_Owns_Vertex_RGB32);
    release_array(vertex_normals, ownership, KT_Owns_Vertex_Normals);
    release_array(vertex_parameters, ownership, KT_Owns_Vertex_Parameters);
    release_array(connectivity, ownership, KT_Owns_Connectivity);
}

void KT_Vertex_Set_Data::set_vertex_colors(const KT_RGB32* colours, bool copy) {
    detail::release_array(vertex_rgba, ownership, KT_Owns_Vertex_RGBA);
    detail::store_array(vertex_rgb32, ownership, KT_Owns_Vertex_RGB32, colours, count, copy);
    attribute_changed();
}

void KT_Vertex_Set_Data::set_vertex_colors(const KT_RGBA* colours, bool copy) {
    detail::release_array(vertex_rgb32, ownership, KT_Owns_Vertex_RGB32);
    detail::store_array(vertex_rgba, ownership, KT_Owns_Vertex_RGBA, colours, count, copy);
    attribute_changed();
}

void KT_Vertex_Set_Data::set_vertex_normals(const KT_Vector* normals, bool copy) {
    detail::store_array(vertex_normals, ownership, KT_Owns_Vertex_Normals, normals, count, copy);
    attribute_changed();
    shape_changed();
}

void KT_Vertex_Set_Data::set_vertex_parameters(const KT_Parameter* parameters, int width,
                                               bool copy) {
    parameter_width = std::max(width, 1);
    detail::store_array(vertex_parameters, ownership, KT_Owns_Vertex_Parameters, parameters,
                        std::int64_t{count} * parameter_width, copy);
    attribute_changed();
}

void KT_Vertex_Set_Data::set_connectivity(int length, const int* list, bool pairs_end, bool copy) {
    natural_connectivity = false;
    if (length == 0 && list) length = measured_length(list, pairs_end);
    connectivity_length = std::max(length, 0);
    detail::store_array(connectivity, ownership, KT_Owns_Connectivity, list, connectivity_length,
                        copy);
    if (!connectivity) connectivity_length = 0;
    attribute_changed();
    shape_changed();
}

void KT_Vertex_Set_Data::set_natural_connectivity(int k) {
    const int n = count;
    detail::release_array(connectivity, ownership, KT_Owns_Connectivity);
    connectivity_length = 0;
    natural_connectivity = true;
    attribute_changed();
    shape_changed();

    const bool single = k == 1 && n == 1;
    const bool pair = k == 2 && n <= 2;
    // Runs as long as the set itself would not fit the list's length.
    if (!single && !pair && k >= 1 && k >= n) return;
    const int length = single ? 3 : pair ? 4 : k < 1 ? n : 2 * n - k;
    if (length < 1) return;

    int* list = detail::duplicate_elements<int>(nullptr, length);
    if (!list) return;
    if (single) {
        list[0] = 0;
        list[1] = -1;
        list[2] = -1;
    } else if (pair) {
        const int m = n == 2 ? 1 : 0;
        list[0] = 0;
        list[1] = m;
        list[2] = ~m;
        list[3] = -1;
    } else if (k < 1) {
        for (int i = 0; i < n - 1; ++i)
            list[i] = i;
        list[n - 1] = ~(n - 1);
    } else {
        int at = 0;
        for (int i = 0; i < k; ++i)
            list[at++] = i;
        for (int i = k; i <= n - 2; ++i) {
            list[at++] = i;
            list[at++] = i - k;
        }
        list[at++] = ~(n - 1);
        list[at++] = ~(n - 1 - k);
    }
    connectivity = list;
    connectivity_length = length;
    ownership |= KT_Owns_Connectivity;
}

void KT_Vertex_Set_Data::validate_vertex_rgb32(int n) {
    // One colour per point whatever n says, so copies never read past it.
    if (vertex_rgb32 || !vertex_rgba || n < 1) return;
    n = count;
    KT_RGB32* made = detail::duplicate_elements<KT_RGB32>(nullptr, n);
    if (!made) return;
    for (int i = 0; i < n; ++i)
        made[i] = detail::packed_colour(vertex_rgba[i]);
    vertex_rgb32 = made;
    ownership |= KT_Owns_Vertex_RGB32;
}

void KT_Vertex_Set_Data::validate_vertex_rgba(int n) {
    if (vertex_rgba || !vertex_rgb32 || n < 1) return;
    n = count;
    KT_RGBA* made = detail::duplicate_elements<KT_RGBA>(nullptr, n);
    if (!made) return;
    for (int i = 0; i < n; ++i)
        made[i] = detail::unpacked_colour(vertex_rgb32[i]);
    vertex_rgba = made;
    ownership |= KT_Owns_Vertex_RGBA;
}
