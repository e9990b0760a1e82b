// Contour sets: regions of a plane bounded by closed contours (outlines and
// holes, possibly overlapping), with an inside test, boolean combination and
// decomposition into convex polygons or triangles.
#pragma once

#include <cstdint>

#include "contour/contour_processing_info.h"
#include "contour/contour_rules.h"
#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"

using KT_Contour_Polygon_Callback = void (*)(int count, const KT_Point* points,
                                             const KT_Contour_Point_Source* sources, void* user);
using KT_Contour_Polygon_Callback_D = void (*)(int count, const KT_Point_D* points,
                                               const KT_Contour_Point_Source* sources, void* user);
using KT_Contour_Plain_Polygon_Callback = void (*)(int count, const KT_Point* points, void* user);
using KT_Contour_Plain_Polygon_Callback_D = void (*)(int count, const KT_Point_D* points,
                                                     void* user);
using KT_Contour_Triangle_Callback = void (*)(const KT_Point* a, const KT_Point* b,
                                              const KT_Point* c, const KT_Contour_Point_Source* sa,
                                              const KT_Contour_Point_Source* sb,
                                              const KT_Contour_Point_Source* sc, void* user);
using KT_Contour_Triangle_Callback_D = void (*)(const KT_Point_D* a, const KT_Point_D* b,
                                                const KT_Point_D* c,
                                                const KT_Contour_Point_Source* sa,
                                                const KT_Contour_Point_Source* sb,
                                                const KT_Contour_Point_Source* sc, void* user);
using KT_Contour_Plain_Triangle_Callback = void (*)(const KT_Point* a, const KT_Point* b,
                                                    const KT_Point* c, void* user);
using KT_Contour_Plain_Triangle_Callback_D = void (*)(const KT_Point_D* a, const KT_Point_D* b,
                                                      const KT_Point_D* c, void* user);

class KAVRI_API KT_Contour_Set_Data : public KT_Counted {
public:
    KT_Contour_Set_Data(int contours, const int* counts, const KT_Point* points, bool copy);
    KT_Contour_Set_Data(int contours, const int* counts, const KT_Point_D* points, bool copy);
    KT_Contour_Set_Data(int count, const KT_Point* points, bool copy);
    KT_Contour_Set_Data(int count, const KT_Point_D* points, bool copy);
    KT_Contour_Set_Data(const KT_Contour_Set_Data& other);
    KT_Contour_Set_Data& operator=(const KT_Contour_Set_Data&) = delete;
    ~KT_Contour_Set_Data() override;

    // Same arrays, total and ownership (owned arrays are duplicated); fill
    // rule, processing info and resolved form start afresh.
    KT_Counted* copy() const override;

    void force_allocation();
    // Fixes the projection; components are compared as given, so callers
    // pass magnitudes.
    void force_projection(double x, double y, double z);
    template <class Vector> void force_projection(const Vector& v) {
        force_projection(static_cast<double>(v.x), static_cast<double>(v.y),
                         static_cast<double>(v.z));
    }

    bool point_inside(const KT_Point& p) const;
    bool point_inside(const KT_Point_D& p) const;

    // A new body (the caller takes the reference) or null for mixed
    // precision. other may be null: the set alone is resolved.
    KT_Contour_Set_Data* process(const KT_Contour_Operation& op,
                                 const KT_Contour_Set_Data* other) const;

    void polygonize(KT_Contour_Polygon_Callback callback, void* user, int max_points) const;
    void polygonize(KT_Contour_Polygon_Callback_D callback, void* user, int max_points) const;
    void polygonize(KT_Contour_Plain_Polygon_Callback callback, void* user, int max_points) const;
    void polygonize(KT_Contour_Plain_Polygon_Callback_D callback, void* user, int max_points) const;

    void triangulate(KT_Contour_Triangle_Callback callback, void* user) const;
    void triangulate(KT_Contour_Triangle_Callback_D callback, void* user) const;
    void triangulate(KT_Contour_Plain_Triangle_Callback callback, void* user) const;
    void triangulate(KT_Contour_Plain_Triangle_Callback_D callback, void* user) const;

    bool is_double() const { return points_d != nullptr; }
    // The input index a resolved form's point came from, or -1 when it was
    // created; plain sets map every point to itself.
    std::int32_t point_source(int index) const { return source_map ? source_map[index] : index; }

    std::int32_t contour_count = 0;
    std::int32_t single_contour_count = 0;
    const std::int32_t* counts = nullptr;
    const KT_Point* points = nullptr;
    const KT_Point_D* points_d = nullptr;
    KT_Contour_Fill_Rule fill_rule = KT_Fill_Odd_Even;
    std::int32_t total_points = 0;
    bool owns_data = false;
    // Decomposition scratch and projection, kept between calls. Mutable:
    // const operations fill it in place.
    mutable KT_Contour_Processing_Info* processing_info = nullptr;
    mutable KT_Pointer<KT_Contour_Set_Data> resolved;
    // Owned, only on bodies built by process(): per point, the input index
    // of the operand A it came from or -1.
    std::int32_t* source_map = nullptr;

    // Internal: an empty body of the given precision that takes ownership
    // of arrays from the library heap (used by process()).
    struct Adopt {};
    KT_Contour_Set_Data(Adopt, int contours, std::int32_t* counts, KT_Point* points,
                        KT_Point_D* points_d, std::int32_t* sources);

    // The processing info, created on first use.
    KT_Contour_Processing_Info& info() const;
    // The set resolved by a union with itself, computed once and cached.
    const KT_Contour_Set_Data* resolved_form() const;

private:
    void sum_counts();
    void release_arrays();
};

class KAVRI_API KT_Contour_Set : public KT_Pointer<KT_Contour_Set_Data> {
public:
    KT_Contour_Set() = default;
    explicit KT_Contour_Set(KT_Contour_Set_Data* body) : KT_Pointer(body) {}
    KT_Contour_Set(int contours, const int* counts, const KT_Point* points, bool copy)
        : KT_Pointer(new KT_Contour_Set_Data(contours, counts, points, copy)) {}
    KT_Contour_Set(int contours, const int* counts, const KT_Point_D* points, bool copy)
        : KT_Pointer(new KT_Contour_Set_Data(contours, counts, points, copy)) {}
    KT_Contour_Set(int count, const KT_Point* points, bool copy)
        : KT_Pointer(new KT_Contour_Set_Data(count, points, copy)) {}
    KT_Contour_Set(int count, const KT_Point_D* points, bool copy)
        : KT_Pointer(new KT_Contour_Set_Data(count, points, copy)) {}

    void set_fill_rule(KT_Contour_Fill_Rule rule) {
        if (KT_Contour_Set_Data* b = modify()) b->fill_rule = rule;
    }
    // Rules given as their 32-bit values.
    void set_fill_rule(int rule) { set_fill_rule(static_cast<KT_Contour_Fill_Rule>(rule)); }
    void force_allocation() {
        if (KT_Contour_Set_Data* b = modify()) b->force_allocation();
    }
};

// Cleans contours in place: drops repeated points, flattens spikes, and
// packs the contours together; counts are rewritten.
KAVRI_API void cleanup_contour_set(int contours, int* counts, KT_Point* points);
KAVRI_API void cleanup_contour_set(int contours, int* counts, KT_Point_D* points);
