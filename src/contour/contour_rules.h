// The rules a contour set is read by and the boolean operations of
// process(); A is the set called on, B the operand.
#pragma once

#include <cstdint>

enum KT_Contour_Fill_Rule : std::int32_t {
    // Inside where a ray crosses the contours an odd number of times.
    KT_Fill_Odd_Even = 0,
    // Inside where the contours wind around a point a non-zero number of times.
    KT_Fill_Non_Zero = 1,
    // Non-zero winding over contours already resolved: no overlaps or
    // self-intersections, outlines and holes oppositely wound. Every result
    // of process() is of this kind, which lets the decompositions skip the
    // intersection stage.
    KT_Fill_Resolved = 2,
};

enum KT_Contour_Operation : std::int32_t {
    KT_Contour_Intersection = 0,
    KT_Contour_Union = 1,
    KT_Contour_A_Minus_B = 2,
    KT_Contour_B_Minus_A = 3,
    KT_Contour_Lines_Inside = 4,  // B's contours as open lines, parts inside A
    KT_Contour_Lines_Outside = 5, // B's contours as open lines, parts outside A
    KT_Contour_Empty = 6,
    KT_Contour_Copy_B = 7,
    KT_Contour_Empty_Too = 8,
};
