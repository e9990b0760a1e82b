#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../support/uv_sphere.h"
#include "appearance/light.h"
#include "appearance/light_set.h"
#include "counting_heap.h"
#include "renderer/dynamic_load.h"
#include "renderer/render_stack.h"
#include "z_buffer_stack.h"

namespace {

using namespace szb_test;

bool option_true(const KT_Option_Table& table, const wchar_t* name) {
    const KT_Option* option = table.find(name);
    return option && option->value.element<bool>(0);
}

// A row through the stack's renderer, as the span rasterizers send it.
void draw_row(szb_render_stack& stack, int x0, int x1, int y, int z, KT_RGB32 colour) {
    std::vector<KT_RGB32> pixels(static_cast<std::size_t>(x1 - x0 + 1), colour);
    const KT_Renderer_Data* top = stack.renderer().body();
    KT_Rendition rendition(top);
    const KT_DCI_Point start = {x0, y, z}, end = {x1, y, z};
    const KT_Packing packing;
    KD_Action_Draw_DCI_RGB32_Image(top, &rendition, &start, &end, 0, pixels.data(), 256, &packing);
}

KT_RGB32 image_pixel(const KT_Image_Data& image, int x, int row_from_top) {
    return reinterpret_cast<const KT_RGB32*>(image.row(row_from_top))[x];
}

TEST(RenderStackTest, ConfiguringTheSameSizeTwiceKeepsTheImageAndClearsIt) {
    szb_render_stack stack;
    KT_Int_XY origin = {0, 0}, size = {640, 480};
    ASSERT_TRUE(stack.configure(origin, size));
    KT_Image_Data* first = stack.image_data();
    std::memset(first->pixels(), 0x5A, 64);
    ASSERT_TRUE(stack.configure(origin, size));
    EXPECT_EQ(stack.image_data(), first);
    EXPECT_TRUE(all_zero(*stack.image_data()));
}

TEST(RenderStackTest, ConfiguringAnotherSizeMakesANewImage) {
    szb_render_stack stack;
    KT_Int_XY origin = {0, 0}, size = {64, 48}, larger = {80, 60};
    ASSERT_TRUE(stack.configure(origin, size));
    ASSERT_TRUE(stack.configure(origin, larger));
    EXPECT_EQ(stack.image_data()->width(), 80);
    EXPECT_EQ(stack.image_data()->height(), 60);
    EXPECT_EQ(stack.image_data()->format(), KT_Image_Format::RGB32);
}

TEST(RenderStackTest, NonPositiveSizesAreRefusedAndDropTheImage) {
    szb_render_stack stack;
    KT_Int_XY origin = {0, 0}, good = {64, 48};
    for (KT_Int_XY size : {KT_Int_XY{0, 480}, KT_Int_XY{640, 0}, KT_Int_XY{-1, -1}}) {
        SCOPED_TRACE("size " + std::to_string(size.x) + " x " + std::to_string(size.y));
        ASSERT_TRUE(stack.configure(origin, good));
        EXPECT_FALSE(stack.configure(origin, size));
        EXPECT_EQ(stack.image_data(), nullptr);
    }
}

TEST(RenderStackTest, ThereIsNoImageBeforeConfigureOrAfterFlush) {
    szb_render_stack stack;
    EXPECT_EQ(stack.image_data(), nullptr) << "before configure";
    KT_Int_XY origin = {0, 0}, size = {32, 32};
    ASSERT_TRUE(stack.configure(origin, size));
    stack.flush();
    EXPECT_EQ(stack.image_data(), nullptr) << "after flush";
}

TEST(RenderStackTest, ConfigureRequestsTheWindowAndTrueColour) {
    szb_render_stack stack;
    KT_Int_XY origin = {10, 20}, size = {320, 200};
    ASSERT_TRUE(stack.configure(origin, size));
    const KT_Renderer_Options& requested = stack.renderer()->renderer_options;
    EXPECT_EQ(requested.window_origin().x, 10);
    EXPECT_EQ(requested.window_origin().y, 20);
    EXPECT_EQ(requested.window_size().x, 320);
    EXPECT_EQ(requested.window_size().y, 200);
    EXPECT_EQ(requested.color_system(), KT_Color_System::True_Color);
}

TEST(RenderStackTest, ConstructionLoadsTheModulesAndAsksForBlendingMaskAndNativeText) {
    szb_render_stack stack;
    ASSERT_FALSE(stack.renderer().empty());
    ASSERT_FALSE(stack.font_engine().empty());
    EXPECT_TRUE(option_true(stack.renderer()->options, L"Alpha Blending"));
    EXPECT_TRUE(option_true(stack.renderer()->options, L"Use Mask"));
    EXPECT_TRUE(option_true(stack.font_engine()->options, L"Native Rasterization"));
}

TEST(RenderStackTest, RowsDrawnThroughTheRendererLandInTheImage) {
    szb_render_stack stack;
    KT_Int_XY origin = {100, 50}, size = {20, 10};
    ASSERT_TRUE(stack.configure(origin, size));
    draw_row(stack, 100, 104, 59, 10, red);
    EXPECT_TRUE(same(image_pixel(*stack.image_data(), 2, 0), red))
        << "device row 59 is the window's top row";
    EXPECT_TRUE(same(image_pixel(*stack.image_data(), 6, 0), untouched));
}

TEST(RenderStackTest, ImagesDrawnThroughTheRendererLandInTheImage) {
    szb_render_stack stack;
    KT_Int_XY origin = {0, 0}, size = {16, 16};
    ASSERT_TRUE(stack.configure(origin, size));
    KT_Shared_Image picture(2, 2, KT_Image_Format::RGB32, 4, nullptr, true);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            reinterpret_cast<KT_RGB32*>(picture->row(y))[x] = blue;
    const KT_Renderer_Data* top = stack.renderer().body();
    KT_Rendition rendition(top);
    const KT_Point top_left = {3.0f, 12.0f, 0.0f};
    KD_Action_Draw_2D_Image(top, &rendition, &top_left, &picture);
    // Device row 12 is image row 3 from the top.
    EXPECT_TRUE(same(image_pixel(*stack.image_data(), 3, 3), blue));
    EXPECT_TRUE(same(image_pixel(*stack.image_data(), 4, 4), blue));
    EXPECT_TRUE(same(image_pixel(*stack.image_data(), 5, 4), untouched));
}

// Bytes a new stack takes from the heap to be built and configured for
// size (the modules are already loaded by then).
std::size_t configured_bytes(KT_Int_XY size) {
    szb_render_stack loader;
    Counting_Heap heap;
    szb_render_stack stack;
    KT_Int_XY origin = {0, 0};
    EXPECT_TRUE(stack.configure(origin, size));
    return Counting_Heap::bytes();
}

TEST(RenderStackMemoryTest, HoldsTheColourAndDepthBuffersAndAFixedAmount) {
    const std::size_t per_pixel = 4 + 2;           // RGB32 colour and 16-bit depth
    const std::size_t per_row = 2 * sizeof(void*); // the image's two row tables
    const std::size_t fixed_limit = 64 * 1024;     // layers, options, engine
    const std::size_t small = configured_bytes({64, 64});
    const std::size_t large = configured_bytes({512, 256});
    EXPECT_LE(small, per_pixel * 64 * 64 + per_row * 64 + fixed_limit);
    EXPECT_LE(large, per_pixel * 512 * 256 + per_row * 256 + fixed_limit);
    EXPECT_GE(large - small, per_pixel * (512 * 256 - 64 * 64)) << "both buffers grow with size";
}

// A lit, Gouraud-shaded sphere seen through a perspective camera, with
// more vertices than fit the per-vertex scratch kept on the stack.
class Lit_Sphere_Scene {
public:
    explicit Lit_Sphere_Scene(const KT_Renderer_Data* top)
        : sphere_(uv_sphere::make<KT_Point>(rings, 2 * rings, 1.0, KT_Point{0, 0, -distance})),
          shell_(uv_sphere::shell_of(sphere_)), rendition_(top) {
        KT_Camera camera;
        camera.set_position({0, 0, 0}, {0, 0, -distance}, {0, 1, 0});
        camera.set_field({field, field});
        rendition_.set_camera(camera, false);
        rendition_.modify_color().light_set = KT_Light_Set(KT_Distant_Light({0.3f, 0.5f, 1.0f}));
        rendition_.set_color(white, false);
    }

    void frame(const KT_Renderer_Data* top) {
        KD_Action_Clear_Drawing_Buffer(top, &rendition_);
        KD_Action_Clear_Z_Buffer(top, &rendition_);
        KD_Action_Draw_3D_Shell(top, &rendition_, &shell_);
    }

    // Changes the colour where every holder of the record sees it.
    void recolour_in_place(KT_RGB32 colour) { rendition_.set_color(colour, true); }

    int vertex_count() const { return int(sphere_.points.size()); }
    // Flat lighting draws each triangle alone: no run longer than three
    // points reaches the slots below the surface action.
    KT_Rendition flat_lit() const {
        KT_Rendition flat = rendition_;
        flat.modify_misc().lighting_interpolation = KT_Lighting_Flat;
        return flat;
    }

private:
    static constexpr int rings = 16;
    static constexpr float distance = 2.6f;
    static constexpr float field = 2.0f; // the sphere's diameter fills the window

    uv_sphere::Sphere<KT_Point> sphere_;
    KT_Shell shell_;
    KT_Rendition rendition_;
};

std::vector<std::uint8_t> pixel_bytes(const KT_Image_Data& image) {
    return {image.pixels(), image.pixels() + image.byte_size()};
}

constexpr KT_Int_XY sphere_window = {128, 128};

TEST(RenderStackMemoryTest, FramesAfterTheFirstTakeNothingFromTheHeap) {
    szb_render_stack stack;
    KT_Int_XY origin = {0, 0}, size = sphere_window;
    ASSERT_TRUE(stack.configure(origin, size));
    const KT_Renderer_Data* top = stack.renderer().body();
    Lit_Sphere_Scene scene(top);
    ASSERT_GT(scene.vertex_count(), 64) << "the scratch must outgrow the stack to prove anything";
    scene.frame(top);
    const std::vector<std::uint8_t> first = pixel_bytes(*stack.image_data());

    int allocations = 0, releases = 0;
    {
        Counting_Heap heap;
        scene.frame(top);
        allocations = Counting_Heap::allocations();
        releases = Counting_Heap::releases();
    }
    EXPECT_EQ(allocations, 0) << "heap allocations in the second frame";
    EXPECT_EQ(releases, 0) << "heap releases in the second frame";
    EXPECT_EQ(pixel_bytes(*stack.image_data()), first) << "the second frame drew another picture";
    EXPECT_FALSE(all_zero(*stack.image_data())) << "the sphere drew nothing";
}

// A zigzag strip across the sphere scene's view, one run through all its
// vertices.
KT_Tristrip zigzag_strip(int count) {
    std::vector<KT_Point> points;
    const float left = -0.8f, step = 1.6f / float(count), half_height = 0.1f, depth = -2.6f;
    for (int i = 0; i < count; ++i)
        points.push_back({left + float(i) * step, i % 2 ? half_height : -half_height, depth});
    return KT_Tristrip(count, points.data(), true);
}

TEST(RenderStackMemoryTest, LongFlatLitStripsAfterTheFirstTakeNothingFromTheHeap) {
    const int vertices = 200; // one run longer than any scratch kept on the stack
    szb_render_stack stack;
    KT_Int_XY origin = {0, 0}, size = sphere_window;
    ASSERT_TRUE(stack.configure(origin, size));
    const KT_Renderer_Data* top = stack.renderer().body();
    const KT_Rendition flat = Lit_Sphere_Scene(top).flat_lit();
    const KT_Tristrip strip = zigzag_strip(vertices);
    KD_Action_Draw_3D_Tristrip(top, &flat, &strip);
    ASSERT_FALSE(all_zero(*stack.image_data())) << "the strip drew nothing";

    Counting_Heap heap;
    KD_Action_Draw_3D_Tristrip(top, &flat, &strip);
    EXPECT_EQ(Counting_Heap::allocations(), 0) << "heap allocations in the second draw";
}

// What a renderer keeps between frames must not outlive a change to the
// rendition, even one made in place on the very records it last saw.
TEST(RenderStackMemoryTest, RenditionChangedInPlaceBetweenFramesIsDrawnAsNew) {
    const KT_RGB32 changed = {40, 160, 220, 255};
    KT_Int_XY origin = {0, 0}, size = sphere_window;
    szb_render_stack kept, fresh;
    ASSERT_TRUE(kept.configure(origin, size));
    ASSERT_TRUE(fresh.configure(origin, size));
    Lit_Sphere_Scene kept_scene(kept.renderer().body());
    kept_scene.frame(kept.renderer().body());
    const std::vector<std::uint8_t> white_sphere = pixel_bytes(*kept.image_data());

    kept_scene.recolour_in_place(changed);
    kept_scene.frame(kept.renderer().body());
    Lit_Sphere_Scene fresh_scene(fresh.renderer().body());
    fresh_scene.recolour_in_place(changed);
    fresh_scene.frame(fresh.renderer().body());
    const std::vector<std::uint8_t> recoloured = pixel_bytes(*kept.image_data());
    ASSERT_NE(recoloured, white_sphere) << "the new colour never reached the picture";
    EXPECT_EQ(recoloured, pixel_bytes(*fresh.image_data()))
        << "the second frame differs from the same scene drawn by a new stack";
}

// A stack whose renderer module is refused: it must be reported once in
// the error log however many stacks are built, and no configure succeeds.
// Runs in a fresh process so the modules are not loaded yet.
bool refuse_renderer(const wchar_t* path, bool) {
    return std::wcsstr(path, L"szb12") == nullptr;
}

[[noreturn]] void build_stacks_without_renderer() {
    KD_Set_Security_IsTrusted_Callback(refuse_renderer);
    szb_render_stack first, second;
    KT_Int_XY origin = {0, 0}, size = {64, 64};
    const bool any = first.configure(origin, size) || second.configure(origin, size);
    std::exit(any || first.image_data() ? 1 : 0);
}

TEST(RenderStackDeathTest, MissingModuleIsReportedOnceAndEveryConfigureFails) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::filesystem::path log =
        std::filesystem::temp_directory_path() / "kavri_render_stack_missing.log";
    // The child runs this body again with the log already open: it must
    // not remove it.
    if (!std::getenv("KAVRI_ERROR_LOG")) {
        std::filesystem::remove(log);
        setenv("KAVRI_ERROR_LOG", log.c_str(), 1);
    }
    EXPECT_EXIT(build_stacks_without_renderer(), ::testing::ExitedWithCode(0), "");
    unsetenv("KAVRI_ERROR_LOG");
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    const std::string content = text.str();
    const std::size_t first = content.find("szb12.kdi");
    ASSERT_NE(first, std::string::npos) << "the log holds: " << content;
    EXPECT_EQ(content.find("szb12.kdi", first + 1), std::string::npos)
        << "reported more than once:\n"
        << content;
    std::filesystem::remove(log);
}

} // namespace
