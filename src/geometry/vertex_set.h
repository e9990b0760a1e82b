// Vertex sets: points with per-vertex colours, normals and texture
// parameters, and a connectivity list saying how they join. In the list a
// negative entry, the complement ~i of a vertex index i, ends a run.
#pragma once

#include <cstdint>

#include "foundation/export.h"
#include "geometry/point_set.h"
#include "math/vector.h"

class KAVRI_API KT_Vertex_Set_Data : public KT_Point_Set_Data {
public:
    using KT_Point_Set_Data::KT_Point_Set_Data;
    KT_Vertex_Set_Data(const KT_Vertex_Set_Data& other);
    ~KT_Vertex_Set_Data() override;
    KT_Counted* copy() const override { return new KT_Vertex_Set_Data(*this); }

    // One entry per point. Setting one colour form drops the other, so the
    // two never disagree; validate_* derives the missing one.
    void set_vertex_colors(const KT_RGB32* colours, bool copy);
    void set_vertex_colors(const KT_RGBA* colours, bool copy);
    void set_vertex_normals(const KT_Vector* normals, bool copy);
    // width parameters per point (below 1 is taken as 1).
    void set_vertex_parameters(const KT_Parameter* parameters, int width, bool copy);

    // length 0 with a list measures it: up to and including its first
    // negative entry or, with pairs_end, its first two consecutive negative
    // entries. Clears the natural flag.
    void set_connectivity(int length, const int* list, bool pairs_end, bool copy);
    // The list in which every run has k points and consecutive runs are
    // joined pairwise (k below 1: one run through all points).
    void set_natural_connectivity(int k);

    // Called when the shape changes (normals or connectivity): derived
    // data that depends on it is dropped.
    virtual void shape_changed() {}

    // Derive one colour form from the other when only that one exists.
    void validate_vertex_rgb32(int n);
    void validate_vertex_rgba(int n);

    const KT_RGBA* vertex_rgba = nullptr;
    const KT_RGB32* vertex_rgb32 = nullptr;
    const KT_Vector* vertex_normals = nullptr;
    const KT_Parameter* vertex_parameters = nullptr;
    std::int32_t parameter_width = 1;
    const std::int32_t* connectivity = nullptr;
    std::int32_t connectivity_length = 0;
    bool natural_connectivity = true;
};

class KAVRI_API KT_Vertex_Set : public KT_Point_Set {
public:
    KT_Vertex_Set() = default;
    KT_Vertex_Set(int count, const KT_Point* points, bool copy)
        : KT_Point_Set(new KT_Vertex_Set_Data(count, points, copy)) {}
    KT_Vertex_Set(int count, const KT_Point_D* points, bool copy)
        : KT_Point_Set(new KT_Vertex_Set_Data(count, points, copy)) {}

    const KT_Vertex_Set_Data* data() const { return static_cast<KT_Vertex_Set_Data*>(body_); }
    KT_Vertex_Set_Data* edit_data() { return static_cast<KT_Vertex_Set_Data*>(modify()); }

protected:
    explicit KT_Vertex_Set(KT_Vertex_Set_Data* body) : KT_Point_Set(body) {}
};

namespace detail {

// RGBA (components 0..1) to RGB32: each times 255.99, truncated; values
// outside 0..1 are clamped first so that NaN and overflow stay in a byte.
KT_RGB32 packed_colour(const KT_RGBA& c);
KT_RGBA unpacked_colour(const KT_RGB32& c);

} // namespace detail
