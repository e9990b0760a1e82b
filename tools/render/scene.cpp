#include "scene.h"

#include <algorithm>
#include <cmath>

namespace render {

Mat4 multiply(const Mat4& a, const Mat4& b) {
    Mat4 out{};
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            for (int k = 0; k < 4; ++k)
                out[row * 4 + col] += a[row * 4 + k] * b[k * 4 + col];
    return out;
}

Vec3 transform_point(const Vec3& p, const Mat4& m) {
    float out[4];
    for (int col = 0; col < 4; ++col)
        out[col] = p[0] * m[col] + p[1] * m[4 + col] + p[2] * m[8 + col] + m[12 + col];
    const float w = out[3] != 0.0f ? out[3] : 1.0f;
    return {out[0] / w, out[1] / w, out[2] / w};
}

void Bounds::add(const Vec3& p) {
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return;
    for (int i = 0; i < 3; ++i) {
        low[i] = std::min(low[i], p[i]);
        high[i] = std::max(high[i], p[i]);
    }
}

Bounds Scene::bounds() const {
    Bounds b;
    for (const Instance& instance : instances)
        for (const Vec3& p : meshes[instance.mesh].positions)
            b.add(transform_point(p, instance.transform));
    for (const Polyline& line : polylines)
        for (const Vec3& p : line.points)
            b.add(p);
    for (const Markers& set : markers)
        for (const Vec3& p : set.points)
            b.add(p);
    for (const Label& label : labels)
        b.add(label.position);
    return b;
}

std::size_t Scene::triangle_count() const {
    std::size_t n = 0;
    for (const Instance& instance : instances)
        n += meshes[instance.mesh].indices.size() / 3;
    return n;
}

} // namespace render
