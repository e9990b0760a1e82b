#include "contour/contour_set.h"

#include <gtest/gtest.h>

namespace {

const KT_Point square[4] = {{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}};

TEST(ContourSetData, ReferencingSetSeesCallerArraysAndCopyingSetOwnsItsOwn) {
    KT_Point pts[4] = {square[0], square[1], square[2], square[3]};
    KT_Contour_Set referenced(4, pts, false);
    KT_Contour_Set copied(4, pts, true);
    EXPECT_EQ(referenced->points, pts);
    EXPECT_FALSE(referenced->owns_data);
    EXPECT_NE(copied->points, pts);
    EXPECT_TRUE(copied->owns_data);
    EXPECT_EQ(copied->contour_count, 1);
    EXPECT_EQ(copied->total_points, 4);
    pts[2].x = 9;
    EXPECT_EQ(referenced->points[2].x, 9);
    EXPECT_EQ(copied->points[2].x, 4);
}

TEST(ContourSetData, CountsBelowOneGiveNoContours) {
    KT_Contour_Set none(0, square, false);
    EXPECT_EQ(none->contour_count, 0);
    EXPECT_EQ(none->total_points, 0);
    KT_Contour_Set negative(-3, square, true);
    EXPECT_EQ(negative->contour_count, 0);
    const int counts[2] = {3, -2};
    KT_Contour_Set mixed(2, counts, square, false);
    EXPECT_EQ(mixed->total_points, 3);
}

TEST(ContourSetData, CopyDuplicatesOwnedArraysAndDropsFillRule) {
    const int counts[2] = {3, 1};
    KT_Point_D pts[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {5, 5, 5}};
    KT_Contour_Set owned(2, counts, pts, true);
    owned.set_fill_rule(1);
    KT_Contour_Set shared = owned;
    shared.set_fill_rule(2); // copy on write: a new body
    EXPECT_FALSE(shared.shares_body_with(owned));
    EXPECT_EQ(owned->fill_rule, 1);
    EXPECT_EQ(shared->fill_rule, 2);
    EXPECT_NE(shared->points_d, owned->points_d);
    EXPECT_NE(shared->counts, owned->counts);
    EXPECT_EQ(shared->points_d[3].z, 5);
    EXPECT_EQ(shared->counts[1], 1);

    KT_Contour_Set referenced(2, counts, pts, false);
    KT_Contour_Set_Data* copy = static_cast<KT_Contour_Set_Data*>(referenced->copy());
    EXPECT_EQ(copy->points_d, pts);
    EXPECT_EQ(copy->fill_rule, 0);
    EXPECT_FALSE(copy->owns_data);
    delete copy;
}

TEST(ContourSetData, SingleContourCopyKeepsItsOwnCount) {
    KT_Contour_Set one(4, square, false);
    KT_Contour_Set_Data* copy = static_cast<KT_Contour_Set_Data*>(one->copy());
    EXPECT_EQ(copy->counts, &copy->single_contour_count);
    EXPECT_EQ(copy->counts[0], 4);
    copy->force_allocation();
    EXPECT_EQ(copy->counts[0], 4);
    EXPECT_NE(copy->points, square);
    delete copy;
}

} // namespace
