#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "../szb/reference_z_buffer.h"
#include "../szb/z_buffer_stack.h"
#include "select/selector.h"

namespace {

using namespace szb_test;

// The z-buffer renderer stacked on a selector; its window is the pick
// region.
class Pick_Stack {
public:
    explicit Pick_Stack(Window pick_region)
        : selector_(new KT_Selector_Data), stack_(pick_region, false, selector_) {}

    KT_Selector_Data& selector() { return *selector_; }
    Z_Buffer_Stack& stack() { return stack_; }

    // One outermost primitive made of flat rows, as the pipeline would
    // hand it down inside a wrapped action.
    void primitive(int x0, int x1, int y, int z0, int z1) {
        selector_->enter_action();
        stack_.row(x0, x1, y, z0, z1, std::vector<KT_RGB32>(std::size_t(x1 - x0 + 1), red));
        selector_->leave_action();
    }

    std::vector<KT_Selector_Item> items() {
        std::vector<KT_Selector_Item> out;
        KT_Selector_Item item;
        while (selector_->show_next_selection_item(&item))
            out.push_back(item);
        return out;
    }

private:
    KT_Selector_Data* selector_;
    Z_Buffer_Stack stack_;
};

const int near_part = 1, far_part = 2;
constexpr Window pick_region = {{10, 10}, {3, 3}};

TEST(PickingTest, PrimitiveReachingThePickRegionIsRecordedAtItsNearestDepth) {
    Pick_Stack pick(pick_region);
    // Twenty-one pixels from depth 0 to 20000: the region sees x = 10..12.
    pick.primitive(0, 20, 11, 0, 20000);
    const std::vector<KT_Selector_Item> items = pick.items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_FLOAT_EQ(items[0].z, 10000.0f / 65535.0f);
}

TEST(PickingTest, PrimitiveOutsideThePickRegionIsCountedButNotRecorded) {
    Pick_Stack pick(pick_region);
    pick.primitive(0, 9, 11, 0, 0);
    EXPECT_TRUE(pick.items().empty());
    EXPECT_EQ(pick.selector().primitive_index, 1);
}

TEST(PickingTest, PrimitiveBehindDrawnDepthIsAHiddenHit) {
    for (bool accept_hidden : {true, false}) {
        SCOPED_TRACE(accept_hidden ? "hidden hits accepted" : "hidden hits refused");
        Pick_Stack pick(pick_region);
        pick.selector().accept_hidden_hits = accept_hidden;
        pick.selector().set_selection_key(&near_part, 0);
        pick.primitive(10, 12, 11, 100, 100);
        pick.selector().set_selection_key(&far_part, 0);
        pick.primitive(10, 12, 11, 5000, 5000);
        const std::vector<KT_Selector_Item> items = pick.items();
        ASSERT_EQ(items.size(), accept_hidden ? 2u : 1u);
        EXPECT_EQ(items[0].keys[0], &near_part);
        if (accept_hidden) {
            EXPECT_EQ(items[1].keys[0], &far_part);
        }
    }
}

TEST(PickingTest, PrimitivePartlyInFrontIsNotHidden) {
    Pick_Stack pick(pick_region);
    pick.selector().accept_hidden_hits = false;
    pick.primitive(10, 11, 11, 100, 100);
    pick.primitive(10, 12, 11, 5000, 5000); // x = 12 is still free
    EXPECT_EQ(pick.items().size(), 2u);
}

TEST(PickingTest, PickingDrawsNoColour) {
    Pick_Stack pick(pick_region);
    pick.primitive(10, 12, 11, 0, 0);
    KD_Action_Clear_Drawing_Buffer(pick.stack().top(), &pick.stack().rendition());
    for (int x = 10; x <= 12; ++x)
        EXPECT_TRUE(same(pick.stack().pixel(x, 11), untouched)) << "column " << x;
}

KT_Shared_Image solid_image(int width, int height) {
    KT_Shared_Image image(width, height, KT_Image_Format::RGB32, 4, nullptr, true);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            reinterpret_cast<KT_RGB32*>(image->row(y))[x] = red;
    return image;
}

// A 2D image passes through the 2D, 2DI and DCI image actions, each of them
// wrapped by the selector, before its rows reach the z-buffer.
TEST(PickingPipelineTest, ImageDrawnIn2DIsOnePrimitive) {
    Pick_Stack pick(pick_region);
    const KT_Shared_Image image = solid_image(8, 8);
    const KT_Point at = {8.0f, 14.0f, 300.0f};
    KD_Action_Draw_2D_Image(pick.stack().top(), &pick.stack().rendition(), &at, &image);
    const std::vector<KT_Selector_Item> items = pick.items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_FLOAT_EQ(items[0].z, 300.0f / 65535.0f);
    EXPECT_EQ(pick.selector().primitive_index, 1);
}

TEST(PickingPipelineTest, ImageBesideThePickRegionIsNotRecorded) {
    Pick_Stack pick(pick_region);
    const KT_Shared_Image image = solid_image(4, 4);
    const KT_Point at = {20.0f, 30.0f, 0.0f};
    KD_Action_Draw_2D_Image(pick.stack().top(), &pick.stack().rendition(), &at, &image);
    EXPECT_TRUE(pick.items().empty());
    EXPECT_EQ(pick.selector().primitive_index, 1);
}

// Seeded scenes of keyed primitives (a few rows each) picked at random
// pixels: the items come out nearest first, one per primitive covering the
// pixel, and the first is the primitive the reference picture shows there.
TEST(PickingTest, RandomScenesPickWhatTheReferencePictureShows) {
    std::mt19937 random(2468);
    auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const int scene_size = 24, primitives = 25;
    std::vector<int> keys(primitives);
    for (int scene = 0; scene < 60; ++scene) {
        const KT_Int_XY pick_at = {between(0, scene_size - 1), between(0, scene_size - 1)};
        Pick_Stack pick({pick_at, {1, 1}});
        Reference_Z_Buffer reference({0, 0}, {scene_size, scene_size}, false);
        int covering = 0;
        for (int p = 0; p < primitives; ++p) {
            const int top = between(0, scene_size - 1), rows = between(1, 6);
            const int left = between(-4, scene_size - 1), width = between(1, 20);
            const int z0 = between(0, 65535), z1 = between(0, 65535);
            const KT_RGB32 marker = {static_cast<std::uint8_t>(p + 1), 0, 0, 255};
            std::vector<KT_RGB32> pixels(std::size_t(width * rows), marker);
            const KT_DCI_Point start = {left, top, z0},
                               end = {left + width - 1, top - rows + 1, z1};
            reference.image(start, end, pixels.data(), 0);
            pick.selector().set_selection_key(&keys[std::size_t(p)], 0);
            pick.selector().enter_action();
            pick.stack().image(start, end, pixels.data());
            pick.selector().leave_action();
            covering += pick_at.x >= start.x && pick_at.x <= end.x && pick_at.y <= start.y &&
                        pick_at.y >= end.y;
        }
        SCOPED_TRACE("scene " + std::to_string(scene) + " picked at (" + std::to_string(pick_at.x) +
                     ", " + std::to_string(pick_at.y) + ")");
        const std::vector<KT_Selector_Item> items = pick.items();
        ASSERT_EQ(items.size(), std::size_t(covering));
        for (std::size_t i = 1; i < items.size(); ++i)
            EXPECT_LE(items[i - 1].z, items[i].z)
                << "item " << i << " is nearer than the one before";
        const int shown = reference.colour(pick_at.x, pick_at.y).b;
        if (shown == 0) continue;
        EXPECT_EQ(items[0].keys[0], &keys[std::size_t(shown - 1)]);
        EXPECT_FLOAT_EQ(items[0].z, reference.depth(pick_at.x, pick_at.y) / 65535.0f);
    }
}

} // namespace
