// Scratch state that a contour set keeps between decompositions: the chosen
// projection and the buffers that points are delivered from, so that
// repeated calls reuse their memory.
#pragma once

#include <cstdint>

#include "contour/contour_rules.h"
#include "foundation/array.h"
#include "foundation/basic_types.h"
#include "foundation/export.h"
#include "foundation/object.h"

// Where a delivered point came from: the input point's index over all
// contours, or -1 for a point the decomposition created (an intersection).
struct KAVRI_API KT_Contour_Point_Source {
    std::int32_t index;
};

namespace kavri_contour {
class Sweep_Workspace;
class Ear_Clipper;
} // namespace kavri_contour

class KAVRI_API KT_Contour_Processing_Info : public KT_Object {
public:
    KT_Contour_Processing_Info() = default;
    KT_Contour_Processing_Info(const KT_Contour_Processing_Info&) = delete;
    KT_Contour_Processing_Info& operator=(const KT_Contour_Processing_Info&) = delete;
    ~KT_Contour_Processing_Info() override;

    // Indices 0 = x, 1 = y, 2 = z of the two coordinates the 2D work uses.
    std::int32_t axes[2] = {-1, -1};
    KT_Contour_Fill_Rule fill_rule = KT_Fill_Odd_Even;
    void* callback = nullptr;
    void* user = nullptr;
    KT_Growable_Array<KT_Contour_Point_Source> sources;

    bool projection_chosen() const { return axes[0] >= 0; }
    kavri_contour::Sweep_Workspace& workspace();
    kavri_contour::Ear_Clipper& ear_clipper();

private:
    kavri_contour::Sweep_Workspace* workspace_ = nullptr;
    kavri_contour::Ear_Clipper* ear_clipper_ = nullptr;
};

class KAVRI_API KT_Contour_Processing_Info_S : public KT_Contour_Processing_Info {
public:
    KT_Growable_Array<KT_Point> points;
};

class KAVRI_API KT_Contour_Processing_Info_D : public KT_Contour_Processing_Info {
public:
    KT_Growable_Array<KT_Point_D> points;
};
