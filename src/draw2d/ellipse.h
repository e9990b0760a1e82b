// Ellipses and elliptical arcs as points on the curve.
#pragma once

#include "foundation/basic_types.h"
#include "foundation/export.h"

// count points on the ellipse with the given centre and radii (x and y
// of radii), from start to end angle (radians), turned by rotation. A sweep
// within 0.01 of a full turn is the full figure, whose last point repeats
// the first exactly. Offsets from the centre are rounded half away from
// zero; z is the centre's. count <= 0 writes nothing.
KAVRI_API void KD_Generate_Elliptical_Points(const KT_DCI_Point& centre, const KT_DCI_Point& radii,
                                             double start, double end, double rotation, int count,
                                             KT_DCI_Point* points);
KAVRI_API void KD_Generate_Elliptical_Points(const KT_Point& centre, const KT_Point& radii,
                                             double start, double end, double rotation, int count,
                                             KT_Point* points);
KAVRI_API void KD_Generate_Elliptical_Points(const KT_Point& centre, const KT_Point& radii,
                                             double start, double end, double rotation, int count,
                                             KT_DCI_Point* points);
