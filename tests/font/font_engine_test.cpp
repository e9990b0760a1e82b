// What every engine shares: the directory and font lists, the renderer it
// draws with, 3D text placement and the standard text actions.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "../renderer/recording_stack.h"
#include "../rendition/test_device.h"
#include "draw3d/transform_clip.h"
#include "font/font_engine.h"
#include "rendition/rendition.h"

namespace {

struct Drawn_Text {
    KT_DCI_Point at;
    std::wstring text;
    const KT_Renderer_Data* renderer;
};

// An engine that lists what it is asked to draw.
class Listing_Engine : public KT_Font_Engine_Data {
public:
    explicit Listing_Engine(const KT_Renderer& renderer = KT_Renderer())
        : KT_Font_Engine_Data(renderer) {}

    KT_Font find_font(const KT_Font& request) override { return request; }
    KT_Font default_font() override { return {}; }
    bool text_extent(const KT_Rendition&, const wchar_t*, int, KT_Text_Extent&) override {
        return false;
    }
    bool text_extent(const KT_Rendition&, const char*, int, KT_Text_Extent&) override {
        return false;
    }
    void flush_cache() override {}
    KT_Font_Directory_List& directory_list() override { return directories; }
    const KT_Font_Directory_List& directory_list() const override { return directories; }
    KT_Font_List& font_list() override { return fonts; }
    const KT_Font_List& font_list() const override { return fonts; }

    void draw_text(const KT_Rendition&, const KT_DCI_Point& at, const wchar_t* text,
                   int length) override {
        drawn.push_back({at, std::wstring(text, std::size_t(length)), renderer.body()});
    }
    void draw_text(const KT_Rendition&, const KT_DCI_Point& at, const char* text,
                   int length) override {
        const std::string narrow(text, std::size_t(length));
        drawn.push_back({at, std::wstring(narrow.begin(), narrow.end()), renderer.body()});
    }

    KT_Font_Directory_List directories;
    KT_Font_List fonts;
    std::vector<Drawn_Text> drawn;
};

KT_Font named(const wchar_t* name) {
    KT_Font font;
    font.set_name(name);
    return font;
}

TEST(FontList, AnEmptyListIteratesAsTheEmptyFont) {
    KT_Font_Engine engine(new Listing_Engine);
    void* iterator = nullptr;
    EXPECT_TRUE(engine->first_font(iterator).empty());
    EXPECT_EQ(iterator, &engine->font_list().head) << "the iterator starts at the list itself";
    EXPECT_TRUE(engine->next_font(iterator).empty());
    EXPECT_TRUE(engine->font(nullptr).empty());
}

TEST(FontList, IteratesFontsInTheOrderAddedThenTheEmptyFont) {
    KT_Font_Engine engine(new Listing_Engine);
    const KT_Font sans = named(L"Sans"), serif = named(L"Serif");
    void* sans_position = engine->add_font(sans);
    engine->add_font(serif);
    EXPECT_EQ(sans->reference_count(), 2) << "the list holds one more reference";

    void* iterator = nullptr;
    EXPECT_TRUE(engine->first_font(iterator).shares_body_with(sans));
    EXPECT_TRUE(engine->next_font(iterator).shares_body_with(serif));
    EXPECT_TRUE(engine->next_font(iterator).empty());
    EXPECT_TRUE(engine->next_font(iterator).empty()) << "the end stays the end";
    EXPECT_NE(sans_position, nullptr);
}

TEST(FontList, ReleasesItsReferencesWithTheEngine) {
    const KT_Font sans = named(L"Sans");
    {
        KT_Font_Engine engine(new Listing_Engine);
        engine->add_font(sans);
    }
    EXPECT_EQ(sans->reference_count(), 1);
}

TEST(DirectoryList, IteratesDirectoriesInTheOrderAddedThenNull) {
    KT_Font_Engine engine(new Listing_Engine);
    wchar_t first[] = L"/usr/share/fonts";
    wchar_t second[] = L"/opt/fonts";
    engine->add_dir(first);
    engine->add_dir(second);

    void* iterator = nullptr;
    KT_Directory* d = engine->first_dir(iterator);
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->pathname(), first);
    d = engine->next_dir(iterator);
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->pathname(), second);
    EXPECT_EQ(engine->dir(iterator), d);
    EXPECT_EQ(engine->next_dir(iterator), nullptr);
    EXPECT_EQ(engine->next_dir(iterator), nullptr);
}

TEST(DirectoryList, AnEmptyListHasNoFirstDirectory) {
    KT_Font_Engine engine(new Listing_Engine);
    void* iterator = nullptr;
    EXPECT_EQ(engine->first_dir(iterator), nullptr);
}

TEST(EngineRenderer, IsTakenReplacedAndReleased) {
    KT_Renderer first(new rendition_test::Device(8, 8, 16));
    KT_Renderer second(new rendition_test::Device(8, 8, 16));
    KT_Font_Engine engine(new Listing_Engine(first));
    EXPECT_TRUE(engine->renderer.shares_body_with(first));
    EXPECT_EQ(first->reference_count(), 2);

    engine->set_renderer(second);
    EXPECT_TRUE(engine->renderer.shares_body_with(second));
    EXPECT_EQ(first->reference_count(), 1);

    engine->set_renderer(static_cast<void*>(nullptr));
    EXPECT_TRUE(engine->renderer.empty());
    EXPECT_EQ(second->reference_count(), 1);
}

// 3D text lands where the rendition's transform puts its point, rounded to
// the nearest device integer; behind the eye it is not drawn.
class Placed_Text : public testing::Test {
protected:
    Placed_Text() : device(new rendition_test::Device(64, 48, 16)), rendition(device) {}

    KT_Renderer device;
    KT_Rendition rendition;
};

TEST_F(Placed_Text, ThreeDTextIsDrawnAtTheRoundedDevicePoint) {
    auto* listing = new Listing_Engine;
    KT_Font_Engine engine(listing);
    const KT_Point object = {0.13f, -0.21f, 0.4f};
    KT_Point device_point;
    float w = 0;
    short code = 0;
    KD_Transform_And_Clip(&rendition, 1, &object, &device_point, &w, &code, nullptr);
    ASSERT_EQ(code & 16, 0) << "the point lies in front of the eye";

    engine->draw_3d_text(rendition, object, "Hi", 2);
    ASSERT_EQ(listing->drawn.size(), 1u);
    EXPECT_EQ(listing->drawn[0].at.x, KD_Round(device_point.x));
    EXPECT_EQ(listing->drawn[0].at.y, KD_Round(device_point.y));
    EXPECT_EQ(listing->drawn[0].at.z, KD_Round(device_point.z));
    EXPECT_EQ(listing->drawn[0].text, L"Hi");
}

TEST_F(Placed_Text, ThreeDTextBehindTheEyeIsNotDrawn) {
    auto* listing = new Listing_Engine;
    KT_Font_Engine engine(listing);
    // The default camera looks from z = -5 towards the origin.
    const KT_Point behind = {0.0f, 0.0f, -50.0f};
    engine->draw_3d_text(rendition, behind, L"hidden", 6);
    EXPECT_TRUE(listing->drawn.empty());
}

// A renderer whose 2DI text slots record what reaches them.
class Text_Slots : public testing::Test {
protected:
    Text_Slots() : device(new rendition_test::Device(64, 48, 16)), rendition(device) {}

    void record_2di_text() {
        device->set_action<KT_Slot_Draw_2DI_Text>([](const KT_Renderer_Data*, const KT_Rendition*,
                                                     const KT_DCI_Point* at, const char* text,
                                                     int count) {
            reached().push_back({*at, std::wstring(text, text + count), nullptr});
        });
        device->set_action<KT_Slot_Draw_2DI_Text_Wide>(
            [](const KT_Renderer_Data*, const KT_Rendition*, const KT_DCI_Point* at,
               const wchar_t* text, int count) {
                reached().push_back({*at, std::wstring(text, std::size_t(count)), nullptr});
            });
    }
    static std::vector<Drawn_Text>& reached() {
        static std::vector<Drawn_Text> calls;
        return calls;
    }
    void SetUp() override { reached().clear(); }

    KT_Renderer device;
    KT_Rendition rendition;
};

TEST_F(Text_Slots, TwoDTextIsRoundedHalfAwayFromZeroToTheIntegerSlot) {
    record_2di_text();
    rendition = KT_Rendition(device);
    const struct {
        const char* name;
        KT_Point point;
        KT_DCI_Point expected;
    } cases[] = {
        {"negative half rounds towards zero", {-2.5f, 3.5f, 0.2f}, {-2, 4, 0}},
        {"negative beyond half rounds down", {-2.6f, 0.49f, 0.0f}, {-3, 0, 0}},
        {"positive half rounds up", {10.5f, 20.5f, 7.5f}, {11, 21, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reached().clear();
        KD_Action_Draw_2D_Text(device.body(), &rendition, &c.point, "ab", 2);
        ASSERT_EQ(reached().size(), 1u);
        EXPECT_EQ(reached()[0].at.x, c.expected.x);
        EXPECT_EQ(reached()[0].at.y, c.expected.y);
        EXPECT_EQ(reached()[0].at.z, c.expected.z);
        EXPECT_EQ(reached()[0].text, L"ab");
    }
}

TEST_F(Text_Slots, WideTwoDTextReachesTheWideSlot) {
    record_2di_text();
    rendition = KT_Rendition(device);
    const KT_Point point = {4.2f, 5.7f, 1.0f};
    KD_Action_Draw_2D_Text_Wide(device.body(), &rendition, &point, L"wide", 4);
    ASSERT_EQ(reached().size(), 1u);
    EXPECT_EQ(reached()[0].text, L"wide");
    EXPECT_EQ(reached()[0].at.x, 4);
    EXPECT_EQ(reached()[0].at.y, 6);
}

TEST_F(Text_Slots, TwoDTextAtANonFinitePointDrawsNothing) {
    record_2di_text();
    rendition = KT_Rendition(device);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const KT_Point& p : {KT_Point{nan, 0, 0}, KT_Point{0, inf, 0}, KT_Point{0, 0, -inf}}) {
        KD_Action_Draw_2D_Text(device.body(), &rendition, &p, "x", 1);
        KD_Action_Draw_2D_Text_Wide(device.body(), &rendition, &p, L"x", 1);
    }
    EXPECT_TRUE(reached().empty());
}

TEST_F(Text_Slots, IntegerTextGoesToTheFontsEngineDrawingWithTheCallingRenderer) {
    KT_Renderer engine_renderer(new rendition_test::Device(8, 8, 16));
    auto* listing = new Listing_Engine(engine_renderer);
    KT_Font_Engine engine(listing);
    KT_Font font = named(L"Sans");
    font.modify()->engine = listing;
    rendition.modify_text_attribute().font = font;

    const KT_DCI_Point at = {3, 4, 5};
    KD_Action_Draw_2DI_Text(device.body(), &rendition, &at, "narrow", 6);
    KD_Action_Draw_2DI_Text_Wide(device.body(), &rendition, &at, L"wide", 4);

    ASSERT_EQ(listing->drawn.size(), 2u);
    EXPECT_EQ(listing->drawn[0].text, L"narrow");
    EXPECT_EQ(listing->drawn[1].text, L"wide");
    EXPECT_EQ(listing->drawn[0].renderer, device.body()) << "drawn with the calling renderer";
    EXPECT_EQ(listing->drawn[0].at.x, 3);
    EXPECT_TRUE(engine->renderer.shares_body_with(engine_renderer))
        << "the engine gets its own renderer back";
}

TEST_F(Text_Slots, IntegerTextWithoutFontOrEngineDrawsNothing) {
    const KT_DCI_Point at = {3, 4, 5};
    // No font at all.
    KD_Action_Draw_2DI_Text(device.body(), &rendition, &at, "x", 1);
    // A font that belongs to no engine.
    rendition.modify_text_attribute().font = named(L"Orphan");
    KD_Action_Draw_2DI_Text(device.body(), &rendition, &at, "x", 1);
    KD_Action_Draw_2DI_Text_Wide(device.body(), &rendition, &at, nullptr, 1);
    SUCCEED() << "nothing crashed and there was nothing to draw with";
}

} // namespace
