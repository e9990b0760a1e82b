// Point sets: the geometry record of polylines, polymarkers, polytriangles
// and polygons, and the base of every vertex record. Points come in single
// or double precision; one of the two arrays is used.
#pragma once

#include <cstdint>

#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"
#include "math/vector.h"

// Bits of a record's ownership word: which arrays the record frees.
enum KT_Geometry_Ownership : std::uint32_t {
    KT_Owns_Points = 1,
    KT_Owns_Vertex_RGBA = 2,
    KT_Owns_Vertex_RGB32 = 4,
    KT_Owns_Vertex_Normals = 8,
    KT_Owns_Vertex_Parameters = 16,
    KT_Owns_Segment_RGB32 = 32,
    KT_Owns_Segment_RGBA = 64,
    KT_Owns_Segment_Normals = 128,
    KT_Owns_Connectivity = 256,
    KT_Owns_Generated_Segment_Normals = 512,
    KT_Owns_Run_Lengths = 1024,
    KT_Owns_Vertex_Color_Indices = 2048,
    KT_Owns_Vertex_Normal_Indices = 4096,
    KT_Owns_Vertex_Parameter_Indices = 8192,
    KT_Owns_Segment_Color_Indices = 16384,
    KT_Owns_Segment_Normal_Indices = 32768,
    KT_Owns_Material_Indices = 65536,
    KT_Owns_Materials = 131072,
};

class KAVRI_API KT_Point_Set_Data : public KT_Counted {
public:
    // A negative count is taken as 0.
    KT_Point_Set_Data(int count, const KT_Point* points, bool copy);
    KT_Point_Set_Data(int count, const KT_Point_D* points, bool copy);
    // Owned arrays are duplicated, referenced ones shared; no cached data.
    KT_Point_Set_Data(const KT_Point_Set_Data& other);
    ~KT_Point_Set_Data() override;
    KT_Counted* copy() const override { return new KT_Point_Set_Data(*this); }

    bool is_double() const { return !points && points_d; }
    // Every attribute change ends here: a driver's cached copy is stale.
    void attribute_changed() { cached.invalidate(); }
    void set_cached_data(const KT_Cached_Data* data);

    const KT_Point* points = nullptr;
    const KT_Point_D* points_d = nullptr;
    std::int32_t count = 0;
    std::uint32_t ownership = 0; // KT_Geometry_Ownership bits
    KT_Cached_Data_Slot cached;
};

// The points of one closed polygon.
class KAVRI_API KT_Polygon_Data : public KT_Point_Set_Data {
public:
    using KT_Point_Set_Data::KT_Point_Set_Data;
    KT_Counted* copy() const override { return new KT_Polygon_Data(*this); }
};

class KAVRI_API KT_Point_Set : public KT_Pointer<KT_Point_Set_Data> {
public:
    KT_Point_Set() = default;
    KT_Point_Set(int count, const KT_Point* points, bool copy)
        : KT_Pointer(new KT_Point_Set_Data(count, points, copy)) {}
    KT_Point_Set(int count, const KT_Point_D* points, bool copy)
        : KT_Pointer(new KT_Point_Set_Data(count, points, copy)) {}

protected:
    explicit KT_Point_Set(KT_Point_Set_Data* body) : KT_Pointer(body) {}
};

// The primitives of the simple 3D actions: the points are the whole record.
class KAVRI_API KT_Polyline : public KT_Point_Set {
public:
    using KT_Point_Set::KT_Point_Set;
};
class KAVRI_API KT_Polymarker : public KT_Point_Set {
public:
    using KT_Point_Set::KT_Point_Set;
};
// Points form a triangle strip: triangle i has points i, i + 1, i + 2.
class KAVRI_API KT_Polytriangle : public KT_Point_Set {
public:
    using KT_Point_Set::KT_Point_Set;
};

class KAVRI_API KT_Polygon : public KT_Point_Set {
public:
    KT_Polygon() = default;
    KT_Polygon(int count, const KT_Point* points, bool copy)
        : KT_Point_Set(new KT_Polygon_Data(count, points, copy)) {}
    KT_Polygon(int count, const KT_Point_D* points, bool copy)
        : KT_Point_Set(new KT_Polygon_Data(count, points, copy)) {}
};

namespace detail {

// Point i of the set, in double precision whichever array holds it.
inline KT_Vector_D vertex_position(const KT_Point_Set_Data& set, int i) {
    if (set.points) return {set.points[i].x, set.points[i].y, set.points[i].z};
    return {set.points_d[i].x, set.points_d[i].y, set.points_d[i].z};
}

} // namespace detail
