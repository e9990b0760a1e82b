#include <gtest/gtest.h>

#include "foundation/global.h"
#include "foundation/line_patterns.h"
#include "rendition/dash_pattern.h"
#include "rendition/fill_pattern.h"
#include "rendition/hatch_pattern.h"

namespace {

TEST(DashPattern, LengthIsTheSumOfTheDashesUnlessGiven) {
    const short dashes[] = {4, 2, 1};
    KT_Dash_Pattern summed(3, dashes, 0);
    EXPECT_EQ(summed->length(), 7);
    KT_Dash_Pattern given(3, dashes, 10);
    EXPECT_EQ(given->length(), 10);
    ASSERT_EQ(given->count(), 3);
    EXPECT_EQ(given->dashes()[0], 4);
    EXPECT_EQ(given->dashes()[2], 1);
    EXPECT_EQ(static_cast<std::uint16_t>(given->values[5]), 0xFFFF);
}

TEST(DashPattern, WithoutDashesHoldsOnlyLengthCountAndTerminator) {
    KT_Dash_Pattern none(0, nullptr, 0);
    EXPECT_EQ(none->length(), 0);
    EXPECT_EQ(none->count(), 0);
    EXPECT_EQ(static_cast<std::uint16_t>(none->values[2]), 0xFFFF);
    const short dashes[] = {3};
    KT_Dash_Pattern negative(-5, dashes, 12);
    EXPECT_EQ(negative->length(), 12);
    EXPECT_EQ(negative->count(), 0);
}

TEST(DashPattern, CopyOwnsItsArray) {
    const short dashes[] = {5, 3};
    KT_Dash_Pattern a(2, dashes, 0);
    KT_Dash_Pattern b = a;
    b.modify()->values[2] = 9;
    EXPECT_EQ(a->dashes()[0], 5);
    EXPECT_EQ(b->dashes()[0], 9);
    EXPECT_NE(a->values, b->values);
}

// Line drawing reads the record's own pattern and the built-in table the
// same way, so a pattern built from a table entry's dashes must reproduce
// the entry word for word.
TEST(DashPattern, MatchesTheBuiltInTableLayout) {
    for (int number = 1; number <= KD_LINE_PATTERN_COUNT; ++number) {
        const std::int16_t* entry = KAVRI.line_pattern_table[number - 1];
        ASSERT_NE(entry, nullptr);
        const int count = entry[1];
        KT_Dash_Pattern rebuilt(count, entry + 2, 0);
        for (int i = 0; i < count + 3; ++i)
            EXPECT_EQ(rebuilt->values[i], entry[i]) << "pattern " << number << " word " << i;
    }
}

TEST(FillPattern, RowsRoundUpToWholeBytes) {
    const unsigned char bits[4] = {0x80, 0x80, 0x00, 0x00};
    KT_Fill_Pattern nine(9, 2, bits, true);
    EXPECT_EQ(nine->bytes_per_row, 2);
    KT_Fill_Pattern eight(8, 4, bits, true);
    EXPECT_EQ(eight->bytes_per_row, 1);
}

TEST(FillPattern, CopiedBitmapIsIndependentSharedOneIsNot) {
    unsigned char bits[2] = {0x80, 0x01};
    KT_Fill_Pattern owned(8, 2, bits, true);
    KT_Fill_Pattern shared(8, 2, bits, false);
    bits[0] = 0x00;
    EXPECT_TRUE(owned->bit(0, 0));
    EXPECT_FALSE(shared->bit(0, 0));
    // A copy of a shared pattern still refers to the caller's bitmap.
    KT_Fill_Pattern shared_copy(static_cast<KT_Fill_Pattern_Data*>(shared->copy()));
    EXPECT_EQ(shared_copy->bitmap, bits);
    KT_Fill_Pattern owned_copy(static_cast<KT_Fill_Pattern_Data*>(owned->copy()));
    EXPECT_NE(owned_copy->bitmap, owned->bitmap);
    EXPECT_TRUE(owned_copy->bit(0, 0));
}

TEST(FillPattern, BitsRepeatInBothDirections) {
    const unsigned char bits[2] = {0x80, 0x01};
    KT_Fill_Pattern p(8, 2, bits, true);
    EXPECT_TRUE(p->bit(0, 0));
    EXPECT_TRUE(p->bit(7, 1));
    EXPECT_FALSE(p->bit(7, 0));
    EXPECT_TRUE(p->bit(8, 2));
    EXPECT_TRUE(p->bit(-1, -1));
    KT_Fill_Pattern empty(0, 0, nullptr, true);
    EXPECT_FALSE(empty->bit(0, 0));
}

TEST(ParallelLineSet, DashLengthIsTheSumOrOne) {
    KT_Parallel_Line_Set solid(0, 0, 0.5f, 0, 4, 0, nullptr);
    EXPECT_FLOAT_EQ(solid.dash_length, 1.0f);
    const float dashes[] = {5.0f, -3.0f};
    KT_Parallel_Line_Set dashed(1, 2, 0.5f, 0, 4, 2, dashes);
    EXPECT_FLOAT_EQ(dashed.dash_length, 2.0f);
    EXPECT_EQ(dashed.dash_count, 2);
}

TEST(ParallelLineSet, CopiesOwnTheirDashes) {
    const float dashes[] = {5.0f, -3.0f};
    KT_Parallel_Line_Set a(1, 2, 0.5f, 0, 4, 2, dashes);
    KT_Parallel_Line_Set b = a;
    EXPECT_NE(a.dashes, b.dashes);
    b.dashes[0] = 7.0f;
    EXPECT_FLOAT_EQ(a.dashes[0], 5.0f);
    KT_Parallel_Line_Set c;
    c = a;
    EXPECT_EQ(c.dash_count, 2);
    EXPECT_FLOAT_EQ(c.dash_length, 2.0f);
    EXPECT_FLOAT_EQ(c.origin_y, 2.0f);
    c = KT_Parallel_Line_Set(0, 0, 0, 0, 1, 0, nullptr);
    EXPECT_EQ(c.dashes, nullptr);
    EXPECT_FLOAT_EQ(c.dash_length, 1.0f);
}

TEST(HatchPattern, OwnedSetsSurviveTheCallersArray) {
    const float dashes[] = {2.0f, 1.0f};
    auto* sets =
        new KT_Parallel_Line_Set[2]{{0, 0, 0, 0, 3, 2, dashes}, {0, 0, 1.5f, 0, 6, 0, nullptr}};
    KT_Hatch_Pattern owned(2, sets, true);
    KT_Hatch_Pattern referenced(2, sets, false);
    EXPECT_EQ(referenced->sets, sets);
    KT_Hatch_Pattern referenced_copy(static_cast<KT_Hatch_Pattern_Data*>(referenced->copy()));
    EXPECT_EQ(referenced_copy->sets, sets);
    referenced.reset();
    referenced_copy.reset();
    delete[] sets;
    ASSERT_EQ(owned->count, 2);
    EXPECT_FLOAT_EQ(owned->sets[0].dash_length, 3.0f);
    EXPECT_FLOAT_EQ(owned->sets[1].angle, 1.5f);
    KT_Hatch_Pattern copy(static_cast<KT_Hatch_Pattern_Data*>(owned->copy()));
    EXPECT_NE(copy->sets, owned->sets);
    EXPECT_FLOAT_EQ(copy->sets[0].dashes[1], 1.0f);
}

TEST(HatchPattern, NoSetsGiveAnEmptyPattern) {
    KT_Hatch_Pattern none(3, nullptr, true);
    EXPECT_EQ(none->count, 0);
    EXPECT_EQ(none->sets, nullptr);
    KT_Hatch_Pattern negative(-1, nullptr, false);
    EXPECT_EQ(negative->count, 0);
}

} // namespace
