// Picking whole scenes: keyed shells and polylines drawn through a selector
// with the z-buffer module on it, compared with the picture the same scene
// gives in colour.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <vector>

#include "../support/uv_sphere.h"
#include "../szb/z_buffer_stack.h"
#include "geometry/point_set.h"
#include "select/selector.h"

namespace {

using namespace szb_test;

constexpr KT_Int_XY view = {64, 64};
constexpr KT_Int_Rectangle full_view = {0, view.x - 1, 0, view.y - 1};

// Random spheres and polylines, each drawn in a colour of its own (its
// number in the red byte) and under a key of its own.
class Keyed_Scene {
public:
    explicit Keyed_Scene(std::uint32_t seed) : keys_(primitive_count) {
        std::mt19937 random(seed);
        auto coordinate = [&] {
            return std::uniform_real_distribution<float>(-0.7f, 0.7f)(random);
        };
        spheres_.reserve(primitive_count); // shells reference the spheres' arrays
        lines_.reserve(primitive_count);
        for (int p = 0; p < primitive_count; ++p) {
            const KT_Point centre = {coordinate(), coordinate(), coordinate()};
            if (random() % 3 != 0) {
                const double radius = 0.1 + 0.25 * (random() % 100) / 100.0;
                spheres_.push_back(uv_sphere::make<KT_Point>(4, 8, radius, centre));
                shells_.push_back({p, uv_sphere::shell_of(spheres_.back())});
                continue;
            }
            lines_.push_back({});
            for (int i = 0; i < 4; ++i)
                lines_.back().push_back({coordinate(), coordinate(), coordinate()});
            polylines_.push_back({p, KT_Polyline(4, lines_.back().data(), false)});
        }
    }

    // Draws every primitive in order; with a selector, each under its key.
    void draw(const KT_Renderer_Data* top, KT_Rendition& rendition,
              KT_Selector_Data* selector) const {
        std::size_t shell = 0, line = 0;
        for (int p = 0; p < primitive_count; ++p) {
            if (selector) selector->set_selection_key(&keys_[std::size_t(p)], 0);
            rendition.set_color(colour_of(p), false);
            if (shell < shells_.size() && shells_[shell].first == p)
                KD_Action_Draw_3D_Shell(top, &rendition, &shells_[shell++].second);
            else
                KD_Action_Draw_3D_Polyline(top, &rendition, &polylines_[line++].second);
        }
    }

    // The primitive a colour shows, or -1 for none.
    static int shown_by(KT_RGB32 c) { return c.a == 0 ? -1 : int(c.r) - 1; }
    const void* key(int p) const { return &keys_[std::size_t(p)]; }

    static constexpr int primitive_count = 24;

private:
    static KT_RGB32 colour_of(int p) { return {0, 0, std::uint8_t(p + 1), 255}; }

    std::vector<int> keys_;
    std::vector<uv_sphere::Sphere<KT_Point>> spheres_;
    std::vector<std::vector<KT_Point>> lines_;
    std::vector<std::pair<int, KT_Shell>> shells_;
    std::vector<std::pair<int, KT_Polyline>> polylines_;
};

struct Pick_Options {
    bool unique_keys = false;
    bool accept_hidden = true;
};

// The items under pixel (x, y): the z-buffer's window is that one pixel and
// the rendition keeps the full view.
std::vector<KT_Selector_Item> pick(const Keyed_Scene& scene, int x, int y, Pick_Options options) {
    auto* selector = new KT_Selector_Data;
    Z_Buffer_Stack stack({{x, y}, {1, 1}}, false, selector);
    selector->unique_keys = options.unique_keys;
    selector->accept_hidden_hits = options.accept_hidden;
    KT_Rendition& rendition = stack.rendition();
    rendition.set_viewport(full_view, false);
    rendition.set_hard_clip_unrestricted(full_view, false);
    selector->begin_picture(nullptr);
    scene.draw(stack.top(), rendition, selector);
    std::vector<KT_Selector_Item> items;
    KT_Selector_Item item;
    while (selector->show_next_selection_item(&item))
        items.push_back(item);
    return items;
}

class Scene_Picking : public ::testing::Test {
protected:
    void draw_reference(const Keyed_Scene& scene) {
        picture = std::make_unique<Z_Buffer_Stack>(Window{{0, 0}, view});
        scene.draw(picture->top(), picture->rendition(), nullptr);
    }
    std::unique_ptr<Z_Buffer_Stack> picture;
};

TEST_F(Scene_Picking, NearestItemIsWhatThePictureShowsAndItemsComeNearestFirst) {
    int picked_something = 0;
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        const Keyed_Scene scene(seed);
        draw_reference(scene);
        std::mt19937 random(seed * 7919);
        for (int n = 0; n < 12; ++n) {
            const int x = int(random() % view.x), y = int(random() % view.y);
            SCOPED_TRACE("scene " + std::to_string(seed) + " pixel (" + std::to_string(x) + ", " +
                         std::to_string(y) + ")");
            const int shown = Keyed_Scene::shown_by(picture->pixel(x, y));
            const std::vector<KT_Selector_Item> items = pick(scene, x, y, {});
            if (shown < 0) {
                EXPECT_TRUE(items.empty()) << "nothing is drawn there";
                continue;
            }
            ++picked_something;
            ASSERT_FALSE(items.empty());
            EXPECT_EQ(items[0].keys[0], scene.key(shown));
            EXPECT_FLOAT_EQ(items[0].z, float(picture->depth(x, y)) / 65535.0f);
            for (std::size_t i = 1; i < items.size(); ++i)
                EXPECT_LE(items[i - 1].z, items[i].z) << "item " << i;
        }
    }
    EXPECT_GT(picked_something, 10) << "the scenes leave too little to pick";
}

TEST_F(Scene_Picking, RefusingHiddenHitsLeavesOnlyTheVisibleItems) {
    int hidden_dropped = 0;
    for (std::uint32_t seed = 11; seed <= 12; ++seed) {
        const Keyed_Scene scene(seed);
        draw_reference(scene);
        for (int y = 8; y < view.y; y += 16)
            for (int x = 8; x < view.x; x += 16) {
                SCOPED_TRACE("scene " + std::to_string(seed) + " pixel (" + std::to_string(x) +
                             ", " + std::to_string(y) + ")");
                const auto all = pick(scene, x, y, {});
                const auto visible = pick(scene, x, y, {false, false});
                EXPECT_LE(visible.size(), all.size());
                hidden_dropped += int(all.size() - visible.size());
                if (!all.empty()) {
                    ASSERT_FALSE(visible.empty()) << "the nearest hit is never hidden";
                    EXPECT_EQ(visible[0].keys[0], all[0].keys[0]);
                }
            }
    }
    EXPECT_GT(hidden_dropped, 0) << "no pixel had anything hidden";
}

TEST_F(Scene_Picking, UniqueKeysKeepOneItemPerKeyPath) {
    for (std::uint32_t seed = 21; seed <= 22; ++seed) {
        const Keyed_Scene scene(seed);
        draw_reference(scene);
        for (int y = 4; y < view.y; y += 16)
            for (int x = 4; x < view.x; x += 16) {
                SCOPED_TRACE("scene " + std::to_string(seed) + " pixel (" + std::to_string(x) +
                             ", " + std::to_string(y) + ")");
                const auto all = pick(scene, x, y, {});
                const auto unique = pick(scene, x, y, {true, true});
                std::set<const void*> paths;
                for (const KT_Selector_Item& item : all)
                    paths.insert(item.keys[0]);
                EXPECT_EQ(unique.size(), paths.size());
                std::set<const void*> seen;
                for (const KT_Selector_Item& item : unique)
                    EXPECT_TRUE(seen.insert(item.keys[0]).second) << "a key path came twice";
                if (!all.empty()) {
                    EXPECT_EQ(unique[0].keys[0], all[0].keys[0]);
                }
            }
    }
}

} // namespace
