#include "appearance/cube_map_texture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "appearance/texel.h"

namespace {

constexpr KT_RGBA transparent = {0.0f, 0.0f, 0.0f, 0.0f};
constexpr int max_face_size = 4096;

struct Face_Texel {
    int face;
    float a;
    float b;
};

// The face a direction points at and its coordinates in that face, both in
// [0, 1]; a is across the face's columns, b down its rows.
Face_Texel locate(const KT_Vector& d) {
    const float ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
    if (ax > ay && ax > az) {
        const float m = 1.0f / ax;
        const float a = d.x > 0.0f ? (1.0f - m * d.z) / 2.0f : (1.0f + m * d.z) / 2.0f;
        return {d.x > 0.0f ? 0 : 1, a, (1.0f - m * d.y) / 2.0f};
    }
    if (ay >= ax && ay > az) {
        const float m = 1.0f / ay;
        const float b = d.y > 0.0f ? (1.0f + m * d.z) / 2.0f : (1.0f - m * d.z) / 2.0f;
        return {d.y > 0.0f ? 2 : 3, (1.0f + m * d.x) / 2.0f, b};
    }
    const float m = 1.0f / az;
    const float a = d.z > 0.0f ? (1.0f + m * d.x) / 2.0f : (1.0f - m * d.x) / 2.0f;
    return {d.z > 0.0f ? 4 : 5, a, (1.0f - m * d.y) / 2.0f};
}

// The direction through face coordinates (a, b), the inverse of locate.
KT_Vector direction_of(int face, float a, float b) {
    const float s = 2.0f * a - 1.0f, t = 2.0f * b - 1.0f;
    switch (face) {
    case 0:
        return {1.0f, -t, -s};
    case 1:
        return {-1.0f, -t, s};
    case 2:
        return {s, 1.0f, t};
    case 3:
        return {s, -1.0f, -t};
    case 4:
        return {s, -t, 1.0f};
    default:
        return {-s, -t, -1.0f};
    }
}

// A clear sky fading to the horizon above a flat grey ground.
KT_RGBA default_sky(const KT_Vector& direction) {
    KT_Vector d = direction;
    d.normalize();
    if (d.y < 0.0f) return {0.35f, 0.33f, 0.3f, 1.0f};
    const KT_RGBA horizon = {0.85f, 0.88f, 0.92f, 1.0f};
    const KT_RGBA zenith = {0.3f, 0.5f, 0.85f, 1.0f};
    return {horizon.red + (zenith.red - horizon.red) * d.y,
            horizon.green + (zenith.green - horizon.green) * d.y,
            horizon.blue + (zenith.blue - horizon.blue) * d.y, 1.0f};
}

bool valid_face(KT_Cube_Map_Face face) {
    const int f = static_cast<int>(face);
    return f >= 0 && f < KT_Cube_Map_Texture_Data::face_count;
}

// The average of the source pixels in columns [x0, x1) and rows [y0, y1).
KT_RGBA box_average(const KT_Shared_Image& source, int x0, int x1, int y0, int y1) {
    KT_RGBA sum = transparent;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const KT_RGBA c = detail::read_texel(source, x, y);
            sum.red += c.red;
            sum.green += c.green;
            sum.blue += c.blue;
            sum.alpha += c.alpha;
        }
    }
    const float n = static_cast<float>((x1 - x0) * (y1 - y0));
    return {sum.red / n, sum.green / n, sum.blue / n, sum.alpha / n};
}

// Start of the source span that output cell i of n covers; the span of cell
// i is never empty.
int span_start(int i, int n, int source) {
    return static_cast<int>(static_cast<std::int64_t>(i) * source / n);
}
int span_end(int i, int n, int source) {
    return std::max(span_start(i, n, source) + 1, span_start(i + 1, n, source));
}

} // namespace

KT_Cube_Map_Texture_Data::KT_Cube_Map_Texture_Data(const KT_Shared_Image& faces) : faces_(faces) {
    set_valid(has_grid());
}

bool KT_Cube_Map_Texture_Data::has_grid() const {
    const int s = face_size();
    return s > 0 && detail::is_rgb32(faces_) && detail::texel_height(faces_) >= 3 * s;
}

int KT_Cube_Map_Texture_Data::face_size() const {
    return detail::texel_width(faces_) / 2;
}

bool KT_Cube_Map_Texture_Data::is_valid() const {
    return std::all_of(valid_, valid_ + face_count, [](bool v) { return v; });
}

bool KT_Cube_Map_Texture_Data::is_face_valid(KT_Cube_Map_Face face) const {
    return valid_face(face) && valid_[static_cast<int>(face)];
}

void KT_Cube_Map_Texture_Data::set_valid(bool valid) {
    std::fill(valid_, valid_ + face_count, valid);
}

KT_RGBA KT_Cube_Map_Texture_Data::value(const KT_Parameter* parameters, int parameter_width,
                                        const KT_Point*, const KT_Vector*,
                                        const KT_Rendition*) const {
    if (!parameters || parameter_width < 1 || !has_grid()) return transparent;
    KT_Vector d = {parameters[0].u, parameters[0].v, parameters[0].w};
    d.normalize();
    if (!std::isfinite(d.x) || !std::isfinite(d.y) || !std::isfinite(d.z)) return transparent;
    if (d.x == 0.0f && d.y == 0.0f && d.z == 0.0f) return transparent;
    const Face_Texel t = locate(d);
    const int s = face_size();
    const int column = std::clamp(static_cast<int>(static_cast<float>(s - 1) * t.a), 0, s - 1);
    const int row = std::clamp(static_cast<int>(static_cast<float>(s - 1) * t.b), 0, s - 1);
    return detail::read_texel(faces_, (t.face % 2) * s + column, (t.face / 2) * s + row);
}

bool KT_Cube_Map_Texture_Data::face_setup(int size) {
    if (size < 1 || size > max_face_size) return false;
    if (face_size() == size && has_grid()) return true;
    KT_Shared_Image grid = detail::make_rgb32_image(2 * size, 3 * size);
    if (detail::texel_width(grid) != 2 * size) return false;
    for (int y = 0; y < 3 * size; ++y)
        std::memset(detail::texel_row(grid, y), 0, 8 * size);
    faces_ = grid;
    set_valid(false);
    return true;
}

KT_Int_XY KT_Cube_Map_Texture_Data::face_offset(KT_Cube_Map_Face face) const {
    const int f = static_cast<int>(face);
    if (!valid_face(face)) return {0, 0};
    return {(f % 2) * face_size(), (f / 2) * face_size()};
}

bool KT_Cube_Map_Texture_Data::filter_face_image(KT_Cube_Map_Face face,
                                                 const KT_Shared_Image& source) {
    const int sw = detail::texel_width(source), sh = detail::texel_height(source);
    if (!valid_face(face) || !has_grid() || sw < 1 || sh < 1) return false;
    detail::make_private(faces_);
    const int s = face_size();
    const KT_Int_XY origin = face_offset(face);
    for (int j = 0; j < s; ++j) {
        std::uint8_t* pixel = detail::texel_row(faces_, origin.y + j) + 4 * origin.x;
        const int y0 = span_start(j, s, sh), y1 = span_end(j, s, sh);
        for (int i = 0; i < s; ++i, pixel += 4)
            detail::write_texel(
                pixel, box_average(source, span_start(i, s, sw), span_end(i, s, sw), y0, y1));
    }
    return true;
}

bool KT_Cube_Map_Texture_Data::set_face_image(KT_Cube_Map_Face face,
                                              const KT_Shared_Image& source) {
    const int side = std::max(detail::texel_width(source), detail::texel_height(source));
    if (!valid_face(face) || side < 1) return false;
    if (!has_grid() && !face_setup(std::min(side, max_face_size))) return false;
    if (!filter_face_image(face, source)) return false;
    valid_[static_cast<int>(face)] = true;
    return true;
}

void KT_Cube_Map_Texture_Data::set_default_image(int size) {
    if (!has_grid() && !face_setup(size)) return;
    detail::make_private(faces_);
    const int s = face_size();
    for (int face = 0; face < face_count; ++face) {
        const KT_Int_XY origin = face_offset(static_cast<KT_Cube_Map_Face>(face));
        for (int j = 0; j < s; ++j) {
            std::uint8_t* pixel = detail::texel_row(faces_, origin.y + j) + 4 * origin.x;
            const float b = (static_cast<float>(j) + 0.5f) / static_cast<float>(s);
            for (int i = 0; i < s; ++i, pixel += 4) {
                const float a = (static_cast<float>(i) + 0.5f) / static_cast<float>(s);
                detail::write_texel(pixel, default_sky(direction_of(face, a, b)));
            }
        }
    }
    set_valid(true);
}

KT_Cube_Map_Texture::KT_Cube_Map_Texture() : KT_Texture(new KT_Cube_Map_Texture_Data) {}

KT_Cube_Map_Texture::KT_Cube_Map_Texture(const KT_Shared_Image& faces)
    : KT_Texture(new KT_Cube_Map_Texture_Data(faces)) {}
