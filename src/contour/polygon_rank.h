// Polygon ranking and the triangulation of one shell face.
//
// A face is a run of loops, each a count followed by that many vertex
// indices; the first loop is the outline, further loops are holes written
// with negative counts.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/export.h"

enum KT_Polygon_Rank : std::int32_t {
    Convex = 0,
    Concave = 1,
    Complex = 2, // winds around more than once
};

KAVRI_API KT_Polygon_Rank KD_Rank_Polygon(int count, const KT_Point* points);
KAVRI_API KT_Polygon_Rank KD_Rank_Polygon(int count, const KT_Point_D* points);
// Ranks the loop given by the indices after the face's first count.
KAVRI_API KT_Polygon_Rank KD_Rank_Polygon(const KT_Point* points, const int* face,
                                          const int* face_end);

using KT_Face_Triangle_Callback = void (*)(void* user, std::int32_t flag, std::int32_t first,
                                           std::int32_t second, std::int32_t third);

// Hands every triangle of the face to callback as three vertex indices:
// flag 1 for the strip of a convex (or complex) single loop, 0 otherwise.
// normal, when given, picks the projection; it may be null.
KAVRI_API void KD_Triangulate_Face(const KT_Point* points, const KT_Point* normal, const int* face,
                                   const int* face_end, KT_Face_Triangle_Callback callback,
                                   void* user);
template <class Vector>
void KD_Triangulate_Face(const KT_Point* points, const Vector* normal, const int* face,
                         const int* face_end, KT_Face_Triangle_Callback callback, void* user) {
    KT_Point n{};
    if (normal) n = KT_Point{normal->x, normal->y, normal->z};
    KD_Triangulate_Face(points, normal ? &n : nullptr, face, face_end, callback, user);
}

// The strip that alternates between both ends of a convex loop of n
// corners: emit(a, b, c) receives positions 0 .. n-1 of the loop.
template <class Emit> void KD_Convex_Strip(int n, Emit&& emit) {
    if (n < 3) return;
    int front = 0, back = n - 1;
    const int steps = (n - 2) / 2;
    for (int step = 0; step < steps; ++step) {
        if (step == 0) {
            emit(0, 1, back);
            emit(1, 2, back);
            front = 2;
            continue;
        }
        emit(back, front, back - 1);
        emit(front, front + 1, back - 1);
        ++front;
        --back;
    }
    if ((n - 2) % 2 == 1) emit(back, front, front + 1);
}
