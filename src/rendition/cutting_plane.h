// Cutting planes: user clip planes in world space, carried into device
// space on demand. A point is kept where a·x + b·y + c·z + d < 0.
#pragma once

#include <cstdint>

#include "foundation/counted.h"
#include "foundation/export.h"
#include "foundation/handle_list.h"
#include "math/matrix.h"
#include "math/plane.h"

class KAVRI_API KT_Cutting_Plane_Data : public KT_Counted {
public:
    explicit KT_Cutting_Plane_Data(const KT_Plane& p) : plane(p), plane_d(KD_Widen(p)) {}
    explicit KT_Cutting_Plane_Data(const KT_Plane_D& p) : plane(KD_Narrow(p)), plane_d(p) {}
    KT_Counted* copy() const override { return new KT_Cutting_Plane_Data(*this); }

    KT_Plane plane;
    KT_Plane_D plane_d;
    // The plane in device space, as last computed by the set holding it.
    KT_Plane screen_plane = {0, 0, 0, 0};
};

class KAVRI_API KT_Cutting_Plane : public KT_Pointer<KT_Cutting_Plane_Data> {
public:
    explicit KT_Cutting_Plane(const KT_Plane& p) : KT_Pointer(new KT_Cutting_Plane_Data(p)) {}
    explicit KT_Cutting_Plane(const KT_Plane_D& p) : KT_Pointer(new KT_Cutting_Plane_Data(p)) {}
};

class KAVRI_API KT_Cutting_Plane_Set_Data : public KT_Counted {
public:
    KT_Cutting_Plane_Set_Data() = default;
    KT_Counted* copy() const override { return new KT_Cutting_Plane_Set_Data(*this); }

    void add(const KT_Cutting_Plane& plane);

    KT_HandleList<KT_Cutting_Plane> planes;
    std::int32_t count = 0;
    // The change serial of the matrix the screen planes were computed for;
    // 0 when never.
    std::uint32_t matrix_serial = 0;
};

class KAVRI_API KT_Cutting_Plane_Set : public KT_Pointer<KT_Cutting_Plane_Set_Data> {
public:
    KT_Cutting_Plane_Set() = default;
    explicit KT_Cutting_Plane_Set(const KT_Cutting_Plane& plane);

    // Copies a shared set first; an empty handle gets a body.
    void add(const KT_Cutting_Plane& plane);
    std::int32_t count() const { return body_ ? body_->count : 0; }

    // Carries every plane into device space with the adjoint of
    // world_to_device, once per matrix body serial. Fills the shared set in
    // place: not to be raced by two threads drawing with it.
    void validate_screen_planes(const KT_Matrix& world_to_device) const;

    // Whether a device-space point lies on the cut side of any plane (the
    // screen planes must be valid).
    bool cuts(const KT_Point& device_point) const;

protected:
    void allocate() { attach(new KT_Cutting_Plane_Set_Data); }
};
