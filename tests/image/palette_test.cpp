#include "image/palette.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "colors.h"

namespace {

using Entries = std::vector<std::pair<std::array<int, 4>, std::uint32_t>>;

// Every entry's colour and use count, to see that a failed call changed
// nothing.
Entries entries(const KT_Palette& p) {
    Entries out;
    for (int i = 0; i < 256; ++i)
        out.emplace_back(channels(p.color(i)), p.use_count(i));
    return out;
}

const std::array<int, 4> white{255, 255, 255, 255}, black{0, 0, 0, 255};

TEST(Palette, InstallingACubeClaimsItsBlockAndMatchesThroughIt) {
    KT_Palette p;
    EXPECT_EQ(p.closest_match(rgb(10, 20, 30), true), -1) << "nothing to match";
    EXPECT_EQ(p.closest_match(rgb(10, 20, 30), false), -1);
    KT_Color_Cube cube({6, 6, 6}, 1.0f, 16);
    ASSERT_TRUE(p.install(cube));
    for (int i : {-1, 15, 16, 231, 232, 256})
        EXPECT_EQ(p.use_count(i), i >= 16 && i <= 231 ? 1u : 0u) << i;
    EXPECT_EQ(channels(p.color(231)), white);
    EXPECT_EQ(p.color(300).a, 0);
    ASSERT_NE(p.installed_cube(), nullptr);
    EXPECT_EQ(*p.installed_cube(), cube);
    EXPECT_EQ(p.closest_match(rgb(250, 3, 7), false), 16 + 5 * 36);
    EXPECT_EQ(p.closest_match(rgb(250, 3, 7), true), 16 + 5 * 36);
    ASSERT_TRUE(p.install(cube)) << "same colours: the block is shared";
    EXPECT_EQ(p.use_count(100), 2u);
}

TEST(Palette, ConflictingOrOversizedBlocksFailAndChangeNothing) {
    KT_Palette p;
    ASSERT_TRUE(p.install(KT_Gray_Ramp(16, 1.0f, 0)));
    const Entries before = entries(p);
    KT_Palette_Data* body = p.body();
    const std::uint32_t serial = body->change_serial();
    EXPECT_FALSE(p.install(KT_Color_Cube({3, 3, 3}, 1.0f, 10)));
    EXPECT_FALSE(p.install(KT_Gray_Ramp(20, 1.0f, 0)));
    EXPECT_FALSE(p.install(KT_Color_Cube({6, 6, 6}, 1.0f, 100)));
    EXPECT_FALSE(p.install(KT_Gray_Ramp(10, 1.0f, 250)));
    EXPECT_EQ(entries(p), before);
    EXPECT_EQ(p.body(), body);
    EXPECT_EQ(body->change_serial(), serial);
    EXPECT_EQ(p.installed_cube(), nullptr);
    EXPECT_TRUE(p.install(KT_Gray_Ramp(16, 1.0f, 0))) << "identical colours may overlap";
}

// Black at 0 and 2, white at 1 and 9: the lowest index wins a tie.
TEST(Palette, ExhaustiveSearchPrefersTheLowestIndexOfEqualDistances) {
    KT_Palette p;
    ASSERT_TRUE(p.install(KT_Gray_Ramp(2, 1.0f, 0)));
    ASSERT_TRUE(p.install(KT_Color_Cube({2, 2, 2}, 1.0f, 2)));
    EXPECT_EQ(p.closest_match(rgb(1, 1, 1), true), 0);
    EXPECT_EQ(p.closest_match(rgb(250, 251, 252), true), 1);
    EXPECT_EQ(p.closest_match(rgb(0, 0, 250), true), 3);
    EXPECT_EQ(p.closest_match(rgb(200, 0, 100), true), 6) << "red (255, 0, 0)";
}

// White is at 7 in the cube and at 9 in the ramp.
TEST(Palette, CacheKeepsShortcutAnswersUntilAnExhaustiveSearchReplacesThem) {
    KT_Palette p;
    ASSERT_TRUE(p.install(KT_Color_Cube({2, 2, 2}, 1.0f, 0)));
    ASSERT_TRUE(p.install(KT_Gray_Ramp(2, 1.0f, 8)));
    const KT_Palette_Data::Match_Cache& cache = p->match_cache;
    EXPECT_EQ(p.closest_match(rgb(255, 255, 255), false), 9) << "a gray colour goes to the ramp";
    ASSERT_EQ(cache.size(), 1u);
    EXPECT_FALSE(cache.begin()->second.exact);
    EXPECT_EQ(p.closest_match(rgb(255, 255, 255), true), 7) << "a shortcut does not satisfy";
    EXPECT_TRUE(cache.begin()->second.exact);
    EXPECT_EQ(p.closest_match(rgb(255, 255, 255), false), 7) << "the exact answer is cached";
    EXPECT_EQ(p.closest_match(rgb(255, 250, 0), false), 6) << "not gray: the cube";
    EXPECT_EQ(p.closest_match(rgb(255, 255, 255, 3), true), 7);
    EXPECT_EQ(cache.size(), 2u) << "alpha is not part of the key";

    p.entry_helper(12);
    EXPECT_TRUE(cache.empty());
    p.closest_match(rgb(255, 255, 255), true);
    ASSERT_TRUE(p.install(KT_Gray_Ramp(2, 1.0f, 8)));
    EXPECT_TRUE(p->match_cache.empty()) << "installing forgets every cached match";
}

TEST(Palette, FirstAvailableBlockFindsTheFirstFreeRun) {
    KT_Palette p;
    EXPECT_EQ(p.first_available_block(256), 0);
    ASSERT_TRUE(p.install(KT_Color_Cube({6, 6, 6}, 1.0f, 16)));
    ASSERT_TRUE(p.install(KT_Gray_Ramp(4, 1.0f, 240)));
    EXPECT_EQ(p.first_available_block(16), 0);
    EXPECT_EQ(p.first_available_block(17), -1);
    ASSERT_TRUE(p.install(KT_Gray_Ramp(4, 1.0f, 4)));
    EXPECT_EQ(p.first_available_block(4), 0);
    EXPECT_EQ(p.first_available_block(8), 8);
    EXPECT_EQ(p.first_available_block(9), 244) << "the run before the cube is too short";
    for (int bad : {0, -3, 1000})
        EXPECT_EQ(p.first_available_block(bad), -1) << bad;
}

// A merged palette counts one use per installed palette, not its count.
TEST(Palette, MergingAndRemovingPalettes) {
    KT_Palette upper, lower;
    ASSERT_TRUE(upper.install(KT_Color_Cube({2, 2, 2}, 1.0f, 10)));
    ASSERT_TRUE(upper.install(KT_Color_Cube({2, 2, 2}, 1.0f, 10)));
    ASSERT_TRUE(lower.install(KT_Gray_Ramp(4, 1.0f, 0)));
    EXPECT_TRUE(lower.is_equal_to(upper)) << "no entry is used by both";
    ASSERT_TRUE(lower.install(upper));
    EXPECT_EQ(lower.use_count(10), 1u);
    EXPECT_EQ(channels(lower.color(17)), white);
    ASSERT_NE(lower.installed_cube(), nullptr);
    EXPECT_EQ(lower.installed_cube()->base(), 10);
    EXPECT_NE(lower.installed_ramp(), nullptr) << "kept: upper has no ramp";
    EXPECT_TRUE(lower.is_equal_to(upper));

    ASSERT_TRUE(lower.remove(upper));
    EXPECT_EQ(lower.use_count(10), 0u);
    EXPECT_EQ(channels(lower.color(10)), black) << "the colour stays";
    EXPECT_EQ(lower.installed_cube(), nullptr);
    EXPECT_EQ(lower.use_count(2), 1u);
    const Entries after_remove = entries(lower);
    EXPECT_FALSE(lower.remove(upper)) << "not installed any more";

    // A conflicting or empty palette neither merges nor is removed.
    KT_Palette clash, none(nullptr);
    ASSERT_TRUE(clash.install(KT_Color_Cube({2, 2, 2}, 1.0f, 2)));
    EXPECT_FALSE(lower.is_equal_to(clash)) << "entries 2 and 3 differ";
    EXPECT_FALSE(lower.install(clash));
    EXPECT_FALSE(lower.install(none));
    EXPECT_FALSE(lower.remove(none));
    EXPECT_TRUE(lower.is_equal_to(none)) << "an empty handle has no entry in use";
    EXPECT_EQ(entries(lower), after_remove);
    EXPECT_EQ(lower.installed_cube(), nullptr);
}

TEST(Palette, ChangesCopyASharedBodyFirst) {
    KT_Palette original;
    ASSERT_TRUE(original.install(KT_Gray_Ramp(4, 1.0f, 0)));
    KT_Palette shared = original;
    ASSERT_TRUE(shared.install(KT_Color_Cube({2, 2, 2}, 1.0f, 4)));
    EXPECT_FALSE(shared.shares_body_with(original));
    EXPECT_EQ(original.use_count(4), 0u);
    EXPECT_EQ(original.installed_cube(), nullptr);
    EXPECT_EQ(std::pair(shared.use_count(4), shared.use_count(0)), std::pair(1u, 1u));
    ASSERT_TRUE(original.install(original)) << "installing into itself";
    EXPECT_EQ(original.use_count(0), 2u);
}

} // namespace
