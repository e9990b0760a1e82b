#include "glyph_cache.h"

#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>

#include "contour/contour_set.h"

namespace gdifont {
namespace {

constexpr float units_per_pixel = 64.0f; // FreeType's 26.6 fixed point
// Curves are flattened until no chord strays further than this from the curve.
constexpr float flatness = 0.1f;

enum Fill_Rule { Odd_Even = 0, Non_Zero_Winding = 1 };

// Collects an outline as closed contours of points in pixels.
struct Flattener {
    std::vector<KT_Point> points;
    std::vector<int> counts;
    KT_Point pen = {0, 0, 0};

    static KT_Point at(const FT_Vector* v) {
        return {float(v->x) / units_per_pixel, float(v->y) / units_per_pixel, 0.0f};
    }
    void add(const KT_Point& p) {
        points.push_back(p);
        ++counts.back();
        pen = p;
    }
    // Enough pieces that each chord lies within flatness of the curve; the
    // control polygon's deviation bounds the curve's.
    static int pieces(float deviation) {
        return std::clamp(int(std::ceil(std::sqrt(deviation / flatness))), 1, 64);
    }

    static int move_to(const FT_Vector* to, void* user) {
        auto& f = *static_cast<Flattener*>(user);
        f.counts.push_back(0);
        f.add(at(to));
        return 0;
    }
    static int line_to(const FT_Vector* to, void* user) {
        static_cast<Flattener*>(user)->add(at(to));
        return 0;
    }
    static int conic_to(const FT_Vector* control, const FT_Vector* to, void* user) {
        auto& f = *static_cast<Flattener*>(user);
        const KT_Point p0 = f.pen, p1 = at(control), p2 = at(to);
        const float dx = p0.x - 2 * p1.x + p2.x, dy = p0.y - 2 * p1.y + p2.y;
        const int n = pieces(std::sqrt(dx * dx + dy * dy) / 4);
        for (int i = 1; i <= n; ++i) {
            const float t = float(i) / float(n), u = 1 - t;
            f.add({u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x,
                   u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y, 0.0f});
        }
        return 0;
    }
    static int cubic_to(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
        auto& f = *static_cast<Flattener*>(user);
        const KT_Point p0 = f.pen, p1 = at(c1), p2 = at(c2), p3 = at(to);
        const float d1 = std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y);
        const float d2 = std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y);
        const int n = pieces(0.75f * std::max(d1, d2));
        for (int i = 1; i <= n; ++i) {
            const float t = float(i) / float(n), u = 1 - t;
            const float a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            f.add({a * p0.x + b * p1.x + c * p2.x + d * p3.x,
                   a * p0.y + b * p1.y + c * p2.y + d * p3.y, 0.0f});
        }
        return 0;
    }
};

void collect_triangle(const KT_Point* a, const KT_Point* b, const KT_Point* c, void* user) {
    auto& triangles = *static_cast<std::vector<KT_Point>*>(user);
    triangles.insert(triangles.end(), {*a, *b, *c});
}

Glyph_Metrics metrics_of(const FT_GlyphSlot slot) {
    Glyph_Metrics m;
    m.advance = float(slot->advance.x) / units_per_pixel;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_points > 0) {
        FT_BBox box;
        FT_Outline_Get_CBox(&slot->outline, &box);
        m.left = float(box.xMin) / units_per_pixel;
        m.right = float(box.xMax) / units_per_pixel;
        m.bottom = float(box.yMin) / units_per_pixel;
        m.top = float(box.yMax) / units_per_pixel;
    }
    return m;
}

std::vector<KT_Point> triangulate_outline(const FT_Outline& outline) {
    static const FT_Outline_Funcs walk = {
        &Flattener::move_to, &Flattener::line_to, &Flattener::conic_to, &Flattener::cubic_to, 0, 0};
    Flattener flat;
    std::vector<KT_Point> triangles;
    if (FT_Outline_Decompose(const_cast<FT_Outline*>(&outline), &walk, &flat) != 0 ||
        flat.counts.empty())
        return triangles;
    KT_Contour_Set region(int(flat.counts.size()), flat.counts.data(), flat.points.data(), true);
    region.set_fill_rule((outline.flags & FT_OUTLINE_EVEN_ODD_FILL) ? Odd_Even : Non_Zero_Winding);
    region->triangulate(&collect_triangle, &triangles);
    return triangles;
}

} // namespace

bool Glyph_Cache::load(unsigned glyph_index, FT_Int32 flags) {
    return FT_Set_Pixel_Sizes(face_, 0, FT_UInt(pixel_size_)) == 0 &&
           FT_Load_Glyph(face_, glyph_index, flags) == 0;
}

const Outline_Glyph* Glyph_Cache::outline(unsigned glyph_index) {
    if (auto found = outlines_.find(glyph_index); found != outlines_.end()) return &found->second;
    if (!load(glyph_index, outline_load_flags)) return nullptr;
    Outline_Glyph glyph;
    glyph.metrics = metrics_of(face_->glyph);
    if (face_->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
        glyph.triangles = triangulate_outline(face_->glyph->outline);
    return &outlines_.emplace(glyph_index, std::move(glyph)).first->second;
}

const Coverage_Glyph* Glyph_Cache::coverage(unsigned glyph_index) {
    if (auto found = coverages_.find(glyph_index); found != coverages_.end()) return &found->second;
    if (!load(glyph_index, FT_LOAD_DEFAULT) ||
        FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) != 0)
        return nullptr;
    const FT_GlyphSlot slot = face_->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    Coverage_Glyph glyph;
    glyph.metrics.advance = float(slot->advance.x) / units_per_pixel;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.buffer && bitmap.width > 0 &&
        bitmap.rows > 0) {
        glyph.width = int(bitmap.width);
        glyph.rows = int(bitmap.rows);
        glyph.metrics.left = float(glyph.left);
        glyph.metrics.right = float(glyph.left + glyph.width);
        glyph.metrics.top = float(glyph.top);
        glyph.metrics.bottom = float(glyph.top - glyph.rows);
        glyph.coverage.resize(std::size_t(glyph.width) * glyph.rows);
        for (int row = 0; row < glyph.rows; ++row)
            std::copy_n(bitmap.buffer + std::ptrdiff_t(row) * bitmap.pitch, glyph.width,
                        glyph.coverage.begin() + std::ptrdiff_t(row) * glyph.width);
    }
    return &coverages_.emplace(glyph_index, std::move(glyph)).first->second;
}

float Glyph_Cache::kerning(unsigned left, unsigned right) {
    if (!FT_HAS_KERNING(face_) || left == 0 || right == 0) return 0.0f;
    if (FT_Set_Pixel_Sizes(face_, 0, FT_UInt(pixel_size_)) != 0) return 0.0f;
    FT_Vector delta{};
    if (FT_Get_Kerning(face_, left, right, FT_KERNING_UNFITTED, &delta) != 0) return 0.0f;
    return float(delta.x) / units_per_pixel;
}

} // namespace gdifont
