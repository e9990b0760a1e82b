#include "geometry/point_set.h"

#include <algorithm>

#include "geometry/owned_array.h"

KT_Point_Set_Data::KT_Point_Set_Data(int n, const KT_Point* given, bool copy)
    : count(std::max(n, 0)) {
    detail::store_array(points, ownership, KT_Owns_Points, given, count, copy);
    if (!points) count = 0;
}

KT_Point_Set_Data::KT_Point_Set_Data(int n, const KT_Point_D* given, bool copy)
    : count(std::max(n, 0)) {
    detail::store_array(points_d, ownership, KT_Owns_Points, given, count, copy);
    if (!points_d) count = 0;
}

KT_Point_Set_Data::KT_Point_Set_Data(const KT_Point_Set_Data& other)
    : KT_Counted(other), points(other.points), points_d(other.points_d), count(other.count),
      ownership(other.ownership) {
    if (points)
        detail::duplicate_if_owned(points, ownership, KT_Owns_Points, count);
    else
        detail::duplicate_if_owned(points_d, ownership, KT_Owns_Points, count);
}

KT_Point_Set_Data::~KT_Point_Set_Data() {
    // Only one of the two arrays is ever set, so one bit serves both.
    if (points)
        detail::release_array(points, ownership, KT_Owns_Points);
    else
        detail::release_array(points_d, ownership, KT_Owns_Points);
}

void KT_Point_Set_Data::set_cached_data(const KT_Cached_Data* data) {
    cached.invalidate();
    cached.set(data);
}
