#include <gtest/gtest.h>

#include <tuple>

#include "foundation/global.h"
#include "foundation/line_patterns.h"
#include "rendition/dash_pattern.h"
#include "rendition/fill_pattern.h"
#include "rendition/hatch_pattern.h"

namespace {

TEST(DashPattern, LengthCountAndTerminatorLayout) {
    // The table below pins the layout and the summed length.
    const short dashes[] = {4, 2, 1};
    KT_Dash_Pattern given(3, dashes, 10);
    EXPECT_EQ(given->length(), 10);
    KT_Dash_Pattern negative(-5, dashes, 12);
    EXPECT_EQ(negative->count(), 0);
    EXPECT_EQ(static_cast<std::uint16_t>(negative->values[2]), 0xFFFF);
    KT_Dash_Pattern copy = given;
    copy.modify()->values[2] = 9;
    EXPECT_EQ(given->dashes()[0], 4);
}

// Line drawing reads the record's own pattern and the built-in table the
// same way, so a pattern built from a table entry's dashes must reproduce
// the entry word for word.
TEST(DashPattern, MatchesTheBuiltInTableLayout) {
    for (int number = 1; number <= KD_LINE_PATTERN_COUNT; ++number) {
        const std::int16_t* entry = KAVRI.line_pattern_table[number - 1];
        ASSERT_NE(entry, nullptr);
        KT_Dash_Pattern rebuilt(entry[1], entry + 2, 0);
        for (int i = 0; i < entry[1] + 3; ++i)
            EXPECT_EQ(rebuilt->values[i], entry[i]) << "pattern " << number << " word " << i;
    }
}

TEST(FillPattern, BitsRepeatAndOwnedBitmapsAreCopied) {
    unsigned char bits[4] = {0x80, 0x01, 0x00, 0x00};
    EXPECT_EQ(KT_Fill_Pattern(9, 2, bits, true)->bytes_per_row, 2);
    KT_Fill_Pattern owned(8, 2, bits, true), shared(8, 2, bits, false);
    for (const auto& [x, y, set] :
         {std::tuple{0, 0, true}, {7, 1, true}, {7, 0, false}, {8, 2, true}, {-1, -1, true}})
        EXPECT_EQ(owned->bit(x, y), set) << x << "," << y;
    bits[0] = 0x00;
    EXPECT_TRUE(owned->bit(0, 0));
    EXPECT_FALSE(shared->bit(0, 0));
    KT_Fill_Pattern shared_copy(static_cast<KT_Fill_Pattern_Data*>(shared->copy()));
    EXPECT_EQ(shared_copy->bitmap, bits);
    KT_Fill_Pattern owned_copy(static_cast<KT_Fill_Pattern_Data*>(owned->copy()));
    EXPECT_NE(owned_copy->bitmap, owned->bitmap);
    EXPECT_TRUE(owned_copy->bit(0, 0));
    EXPECT_FALSE(KT_Fill_Pattern(0, 0, nullptr, true)->bit(0, 0));
}

TEST(HatchPattern, LineSetsAndHatchesOwnTheirArrays) {
    const float dashes[] = {5.0f, -3.0f};
    EXPECT_FLOAT_EQ(KT_Parallel_Line_Set(0, 0, 0.5f, 0, 4, 0, nullptr).dash_length, 1.0f);
    KT_Parallel_Line_Set a(1, 2, 0.5f, 0, 4, 2, dashes), b = a, c;
    EXPECT_FLOAT_EQ(a.dash_length, 2.0f);
    b.dashes[0] = 7.0f;
    EXPECT_FLOAT_EQ(a.dashes[0], 5.0f);
    c = a;
    EXPECT_NE(c.dashes, a.dashes);
    EXPECT_FLOAT_EQ(c.origin_y, 2.0f);

    auto* sets = new KT_Parallel_Line_Set[2]{a, {0, 0, 1.5f, 0, 6, 0, nullptr}};
    KT_Hatch_Pattern owned(2, sets, true), referenced(2, sets, false);
    KT_Hatch_Pattern referenced_copy(static_cast<KT_Hatch_Pattern_Data*>(referenced->copy()));
    EXPECT_EQ(referenced_copy->sets, sets);
    referenced.reset();
    referenced_copy.reset();
    delete[] sets;
    ASSERT_EQ(owned->count, 2);
    EXPECT_FLOAT_EQ(owned->sets[1].angle, 1.5f);
    KT_Hatch_Pattern copy(static_cast<KT_Hatch_Pattern_Data*>(owned->copy()));
    EXPECT_NE(copy->sets, owned->sets);
    EXPECT_FLOAT_EQ(copy->sets[0].dashes[1], -3.0f);
    EXPECT_EQ(KT_Hatch_Pattern(3, nullptr, true)->count, 0);
    EXPECT_EQ(KT_Hatch_Pattern(-1, nullptr, false)->sets, nullptr);
}

} // namespace
