// Complex segment sets: the record of shells, tristrips and lattices. The
// connectivity is a list of runs (faces or strips), each a count of vertex
// indices; index arrays select per-vertex and per-run attributes, and runs
// may carry their own materials.
#pragma once

#include <cstdint>

#include "appearance/material.h"
#include "foundation/export.h"
#include "geometry/segment_set.h"

class KAVRI_API KT_Complex_Segment_Set_Data : public KT_Segment_Set_Data {
public:
    using KT_Segment_Set_Data::KT_Segment_Set_Data;
    KT_Complex_Segment_Set_Data(const KT_Complex_Segment_Set_Data& other);
    ~KT_Complex_Segment_Set_Data() override;
    KT_Counted* copy() const override { return new KT_Complex_Segment_Set_Data(*this); }

    // run_count runs of the given lengths over indices (as many as the
    // lengths add up to; negative lengths count as 0).
    void set_indices(int run_count, const int* run_lengths, const int* indices, bool copy);
    // One run through every vertex in order.
    void set_natural_connectivity();

    // Per vertex (count entries): which entry of the vertex colour, normal
    // or parameter arrays a vertex uses. Without one, vertex i uses entry i.
    void set_vertex_color_indices(const int* indices, bool copy);
    void set_vertex_normal_indices(const int* indices, bool copy);
    void set_vertex_parameter_indices(const int* indices, bool copy);
    // Per run (run_count entries): which segment colour, segment normal or
    // material a run uses. Without one, run r uses entry r.
    void set_segment_color_indices(const int* indices, bool copy);
    void set_segment_normal_indices(const int* indices, bool copy);
    void set_material_indices(const int* indices, bool copy);
    void set_materials(int n, const KT_Material* materials, bool copy);

    // One normal per run (face or strip) from its vertices, turned to the
    // side of its first vertex normal when there are vertex normals. Runs
    // of no area get a zero vector. Null when there are no runs.
    const KT_Vector* generate_segment_normals(int k);
    // The identity list over the runs.
    void generate_segment_normal_indices();

    // The entry that vertex i or run r uses through an index array; -1 when
    // the index array points outside [0, available).
    static int select(const int* indices, int i, int available) {
        const int at = indices ? indices[i] : i;
        return at >= 0 && at < available ? at : -1;
    }
    // The segment colour, segment normal (of available ones) and material
    // run r uses; -1 for none, also when r lies past the runs the index
    // array was set for.
    int segment_color_of(int r) const {
        return run_entry(segment_color_indices, segment_color_index_count, r, segment_color_count);
    }
    int segment_normal_of(int r, int available) const {
        return run_entry(segment_normal_indices, segment_normal_index_count, r, available);
    }
    int material_of(int r) const {
        return run_entry(material_indices, material_index_count, r, material_count);
    }

    const std::int32_t* run_lengths = nullptr;
    std::int32_t run_count = 0;
    bool natural_runs = false;
    const std::int32_t* vertex_color_indices = nullptr;
    const std::int32_t* vertex_normal_indices = nullptr;
    const std::int32_t* vertex_parameter_indices = nullptr;
    // Per-run index arrays and the number of runs each was set for.
    const std::int32_t* segment_color_indices = nullptr;
    std::int32_t segment_color_index_count = 0;
    const std::int32_t* segment_normal_indices = nullptr;
    std::int32_t segment_normal_index_count = 0;
    const std::int32_t* material_indices = nullptr;
    std::int32_t material_index_count = 0;
    const KT_Material* materials = nullptr;
    std::int32_t material_count = 0;

private:
    static int run_entry(const int* indices, int length, int r, int available) {
        if (indices && r >= length) return -1;
        return select(indices, r, available);
    }
};

class KAVRI_API KT_Complex_Segment_Set : public KT_Segment_Set {
public:
    KT_Complex_Segment_Set() = default;
    KT_Complex_Segment_Set(int count, const KT_Point* points, bool copy)
        : KT_Segment_Set(new KT_Complex_Segment_Set_Data(count, points, copy)) {}
    KT_Complex_Segment_Set(int count, const KT_Point_D* points, bool copy)
        : KT_Segment_Set(new KT_Complex_Segment_Set_Data(count, points, copy)) {}

    const KT_Complex_Segment_Set_Data* data() const {
        return static_cast<KT_Complex_Segment_Set_Data*>(body_);
    }
    KT_Complex_Segment_Set_Data* edit_data() {
        return static_cast<KT_Complex_Segment_Set_Data*>(modify());
    }
};

// Faces over shared vertices; each face is walked as a triangle strip.
class KAVRI_API KT_Shell : public KT_Complex_Segment_Set {
public:
    using KT_Complex_Segment_Set::KT_Complex_Segment_Set;
};
// Triangle strips over shared vertices.
class KAVRI_API KT_Tristrip : public KT_Complex_Segment_Set {
public:
    using KT_Complex_Segment_Set::KT_Complex_Segment_Set;
};
// A mesh drawn as lines: each run is a row or column whose consecutive
// vertices are joined.
class KAVRI_API KT_Lattice : public KT_Complex_Segment_Set {
public:
    using KT_Complex_Segment_Set::KT_Complex_Segment_Set;
};
