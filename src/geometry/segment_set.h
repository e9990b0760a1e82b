// Segment sets: vertex sets whose segments (the lines or strip triangles
// that the connectivity forms) carry their own colours and normals.
#pragma once

#include <cstdint>

#include "foundation/export.h"
#include "geometry/vertex_set.h"

class KAVRI_API KT_Segment_Set_Data : public KT_Vertex_Set_Data {
public:
    using KT_Vertex_Set_Data::KT_Vertex_Set_Data;
    KT_Segment_Set_Data(const KT_Segment_Set_Data& other);
    ~KT_Segment_Set_Data() override;
    KT_Counted* copy() const override { return new KT_Segment_Set_Data(*this); }

    // As with vertex colours, setting one form drops the other.
    void set_segment_colors(int n, const KT_RGB32* colours, bool copy);
    void set_segment_colors(int n, const KT_RGBA* colours, bool copy);
    void set_segment_normals(int n, const KT_Vector* normals, bool copy);

    // One normal per connectivity entry: the normal of the segment (k = 1)
    // or strip triangle (otherwise) that starts at that entry; entries that
    // start none hold a zero vector. Null without vertex normals.
    const KT_Vector* generate_segment_normals(int k);

    // Generated normals follow the shape: they are made again when next asked for.
    void shape_changed() override;

    void validate_segment_rgb32(int n);
    void validate_segment_rgba(int n);

    const KT_RGB32* segment_rgb32 = nullptr;
    const KT_RGBA* segment_rgba = nullptr;
    std::int32_t segment_color_count = 0;
    const KT_Vector* segment_normals = nullptr;
    std::int32_t segment_normal_count = 0;
    const KT_Vector* generated_segment_normals = nullptr;
    std::int32_t generated_normal_count = 0;
};

class KAVRI_API KT_Segment_Set : public KT_Vertex_Set {
public:
    KT_Segment_Set() = default;
    KT_Segment_Set(int count, const KT_Point* points, bool copy)
        : KT_Vertex_Set(new KT_Segment_Set_Data(count, points, copy)) {}
    KT_Segment_Set(int count, const KT_Point_D* points, bool copy)
        : KT_Vertex_Set(new KT_Segment_Set_Data(count, points, copy)) {}

    const KT_Segment_Set_Data* data() const { return static_cast<KT_Segment_Set_Data*>(body_); }
    KT_Segment_Set_Data* edit_data() { return static_cast<KT_Segment_Set_Data*>(modify()); }

protected:
    explicit KT_Segment_Set(KT_Segment_Set_Data* body) : KT_Vertex_Set(body) {}
};

// A polyline over the vertices in connectivity order, coloured per vertex
// or per segment.
class KAVRI_API KT_Linestrip : public KT_Segment_Set {
public:
    using KT_Segment_Set::KT_Segment_Set;
};
// One marker per vertex in connectivity order.
class KAVRI_API KT_Markerstrip : public KT_Segment_Set {
public:
    using KT_Segment_Set::KT_Segment_Set;
};
