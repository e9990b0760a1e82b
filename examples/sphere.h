// A UV sphere as a shell: the one record both examples draw.
#pragma once

#include <cmath>
#include <numbers>
#include <vector>

#include "geometry/complex_segment_set.h"

// rings x segments quads around the origin; each quad is a face of four
// vertices in strip order, with unit normals pointing out.
inline KT_Shell make_sphere(float radius, int rings, int segments) {
    std::vector<KT_Point> points;
    std::vector<KT_Vector> normals;
    for (int i = 0; i <= rings; ++i)
        for (int j = 0; j <= segments; ++j) {
            const double theta = std::numbers::pi * i / rings, phi = 2 * std::numbers::pi * j / segments;
            const KT_Vector n = {float(std::sin(theta) * std::cos(phi)), float(std::cos(theta)),
                                 float(std::sin(theta) * std::sin(phi))};
            normals.push_back(n);
            points.push_back({n.x * radius, n.y * radius, n.z * radius});
        }
    std::vector<int> lengths, indices;
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < segments; ++j) {
            const int a = i * (segments + 1) + j, b = a + segments + 1;
            lengths.push_back(4);
            indices.insert(indices.end(), {a, a + 1, b, b + 1});
        }
    // copy = true: the shell keeps its own arrays, so these vectors may go.
    KT_Shell shell(int(points.size()), points.data(), true);
    KT_Complex_Segment_Set_Data* data = shell.edit_data();
    data->set_indices(int(lengths.size()), lengths.data(), indices.data(), true);
    data->set_vertex_normals(normals.data(), true);
    return shell;
}
