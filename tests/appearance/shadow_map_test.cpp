#include <gtest/gtest.h>

#include "appearance/light.h"
#include "appearance/shadow_map.h"

namespace {

// Cached data that reports its destruction.
class Probe_Data : public KT_Cached_Data {
public:
    explicit Probe_Data(int* destroyed) : destroyed_(destroyed) {}
    ~Probe_Data() override { ++*destroyed_; }

private:
    int* destroyed_;
};

TEST(ShadowMap, SizesAndCopiesThatShareTheImageButNotTheCachedData) {
    KT_Shadow_Map negative(-4, 0);
    EXPECT_EQ(negative.width(), 0) << "a negative width";
    EXPECT_EQ(negative.height(), 0) << "a zero height";

    int destroyed = 0;
    KT_Shadow_Map map(64, 32);
    EXPECT_EQ(map.depth_image()->format(), KT_Image_Format::Depth32);
    EXPECT_EQ(map.depth_image()->width(), 64);
    EXPECT_EQ(map.depth_image()->height(), 32);
    KT_Point_Light light({1, 2, 3});
    map.set_light(light);
    map.set_light_position({4, 5, 6});
    map.set_needs_render(false);
    map.set_cached_data(new Probe_Data(&destroyed));

    KT_Shadow_Map copy = map;
    copy.set_light_position({7, 8, 9});
    ASSERT_FALSE(copy.shares_body_with(map));
    EXPECT_EQ(copy.depth_image(), map.depth_image());
    EXPECT_TRUE(copy.light().shares_body_with(light));
    EXPECT_FALSE(copy.needs_render());
    EXPECT_EQ(map.light_position().x, 4.0f);
    EXPECT_EQ(copy.cached_data(), nullptr);
    EXPECT_NE(map.cached_data(), nullptr);

    map.invalidate_cached_data();
    EXPECT_EQ(destroyed, 1);
    // Nothing left to destroy.
    map.invalidate_cached_data();
    copy.invalidate_cached_data();
    EXPECT_EQ(destroyed, 1);
    // A map going away takes its cached data with it.
    {
        KT_Shadow_Map scoped;
        scoped.set_cached_data(new Probe_Data(&destroyed));
    }
    EXPECT_EQ(destroyed, 2);
}

} // namespace
