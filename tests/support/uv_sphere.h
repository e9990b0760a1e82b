// A UV sphere as a shell: rings x segments quads, each a face of four
// vertices in strip order (two triangles), with unit normals pointing out.
#pragma once

#include <cmath>
#include <numbers>
#include <vector>

#include "geometry/complex_segment_set.h"

namespace uv_sphere {

template <class P> struct Sphere {
    std::vector<P> points;
    std::vector<KT_Vector> normals;
    std::vector<int> face_lengths;
    std::vector<int> indices;

    int triangle_count() const { return 2 * int(face_lengths.size()); }
};

template <class P> Sphere<P> make(int rings, int segments, double radius, const P& centre) {
    Sphere<P> s;
    const int columns = segments + 1;
    for (int i = 0; i <= rings; ++i) {
        const double theta = std::numbers::pi * i / rings; // from the north pole
        for (int j = 0; j <= segments; ++j) {
            const double phi = 2 * std::numbers::pi * j / segments;
            const double x = std::sin(theta) * std::cos(phi), y = std::cos(theta),
                         z = std::sin(theta) * std::sin(phi);
            s.points.push_back({decltype(P::x)(centre.x + radius * x),
                                decltype(P::x)(centre.y + radius * y),
                                decltype(P::x)(centre.z + radius * z)});
            s.normals.push_back({float(x), float(y), float(z)});
        }
    }
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < segments; ++j) {
            const int a = i * columns + j;
            s.face_lengths.push_back(4);
            s.indices.insert(s.indices.end(), {a, a + 1, a + columns, a + columns + 1});
        }
    return s;
}

template <class P> KT_Shell shell_of(const Sphere<P>& s) {
    KT_Shell shell(int(s.points.size()), s.points.data(), false);
    KT_Complex_Segment_Set_Data* d = shell.edit_data();
    d->set_indices(int(s.face_lengths.size()), s.face_lengths.data(), s.indices.data(), false);
    d->set_vertex_normals(s.normals.data(), false);
    return shell;
}

} // namespace uv_sphere
