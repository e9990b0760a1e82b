#include "raster/complex_clip_cut.h"

#include "contour/contour_set.h"
#include "rendition/rendition.h"

namespace {

struct Source_Triangle {
    double x[3];
    double y[3];
    double z[3];
    double twice_area;
    int index;
    KT_Piece_Callback callback;
    void* user;
};

double cross(double ax, double ay, double bx, double by, double cx, double cy) {
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

KT_Piece_Corner corner_of(const Source_Triangle& s, const KT_Point& p) {
    KT_Piece_Corner corner;
    const double px = p.x;
    const double py = p.y;
    corner.weight[0] = cross(px, py, s.x[1], s.y[1], s.x[2], s.y[2]) / s.twice_area;
    corner.weight[1] = cross(s.x[0], s.y[0], px, py, s.x[2], s.y[2]) / s.twice_area;
    corner.weight[2] = 1.0 - corner.weight[0] - corner.weight[1];
    double z = 0.0;
    for (int i = 0; i < 3; ++i)
        z += corner.weight[i] * s.z[i];
    corner.point = {p.x, p.y, static_cast<float>(z)};
    return corner;
}

void take_triangle(const KT_Point* a, const KT_Point* b, const KT_Point* c, void* user) {
    const auto& source = *static_cast<const Source_Triangle*>(user);
    const KT_Piece_Corner corners[3] = {corner_of(source, *a), corner_of(source, *b),
                                        corner_of(source, *c)};
    source.callback(source.index, corners, source.user);
}

} // namespace

void KD_Cut_Strip_To_Complex_Clip(const KT_Rendition& rendition, int count,
                                  const KT_DCI_Point* points, KT_Piece_Callback callback,
                                  void* user) {
    const KT_Contour_Set region = rendition.shifted_complex_clip();
    if (region.empty() || !points || !callback) return;
    for (int k = 0; k + 2 < count; ++k) {
        Source_Triangle source;
        KT_Point corners[3];
        for (int i = 0; i < 3; ++i) {
            const KT_DCI_Point& p = points[k + i];
            source.x[i] = p.x;
            source.y[i] = p.y;
            source.z[i] = p.z;
            corners[i] = {static_cast<float>(p.x), static_cast<float>(p.y),
                          static_cast<float>(p.z)};
        }
        source.twice_area =
            cross(source.x[0], source.y[0], source.x[1], source.y[1], source.x[2], source.y[2]);
        if (source.twice_area == 0.0) continue;
        source.index = k;
        source.callback = callback;
        source.user = user;
        KT_Contour_Set triangle(3, corners, false);
        triangle->force_projection(0.0, 0.0, 1.0);
        const KT_Contour_Set inside(triangle->process(KT_Contour_Intersection, region.body()));
        if (inside.empty()) continue;
        inside->triangulate(&take_triangle, &source);
    }
}
