#include "options/renderer_options.h"

#include <gtest/gtest.h>

#include <string>

#include "options/device_options.h"

namespace {

bool operator==(const KT_Int_Rectangle& a, const KT_Int_Rectangle& b) {
    return a.left == b.left && a.right == b.right && a.bottom == b.bottom && a.top == b.top;
}

std::wstring names(const KT_Option_Table& t) {
    std::wstring out;
    for (KT_Option* o = t.first(); o; o = t.next())
        out += std::wstring(o->name().text()) + L";";
    return out;
}

// A renderer's two tables and the views over them.
struct Layer {
    KT_Option_Table table;
    KT_Renderer_Options options{table};

    void set_window(int ox, int oy, int sx, int sy) {
        options.set_window_origin({ox, oy});
        options.set_window_size({sx, sy});
    }
};

TEST(RendererOptions, EnterTheTableInTheirOwnOrderAllGlobalAndUnset) {
    Layer layer;
    EXPECT_EQ(names(layer.table),
              L"Alpha Blending;Backing Store;Bitonal Format;Buffer Depth;Color System;"
              L"Color Resolution;Double Buffer;Line Thickness;Local Coordinates;Palette;"
              L"Pattern_Scale;Pixel Aspect;Packing Order;Supports Complex Clip;Window Origin;"
              L"Window Size;");
    for (KT_Option* o = layer.table.first(); o; o = layer.table.next()) {
        EXPECT_TRUE(o->is_global()) << o->name().text();
        EXPECT_FALSE(o->set_flag) << o->name().text();
    }
    const KT_Renderer_Options& o = layer.options;
    EXPECT_FALSE(o.alpha_blending() || o.backing_store() || o.double_buffer() ||
                 o.local_coordinates() || o.supports_complex_clip());
    EXPECT_EQ(o.bitonal_format().value(), 0u);
    EXPECT_EQ(o.buffer_depth(), 0);
    EXPECT_EQ(o.color_resolution(), 256);
    EXPECT_EQ(o.color_system(), KT_Color_System::Mapped);
    EXPECT_EQ(o.line_thickness(), 1.0f);
    EXPECT_EQ(o.pattern_scale(), 50.0f);
    EXPECT_EQ(o.packing_order().word(), 0x2010003u);
    EXPECT_EQ(o.pixel_aspect(), 1.0f);
    EXPECT_EQ(o.palette().first_available_block(256), 0);
    EXPECT_EQ(o.option(KT_Renderer_Options::Palette)->type(), KT_Option_Enum::Palette);
    EXPECT_EQ(o.option(KT_Renderer_Options::Window_Origin)->definition->count, 2);
    // An empty window has an empty extent, not a one-pixel one.
    EXPECT_TRUE(layer.options.window_extent() == (KT_Int_Rectangle{0, -1, 0, -1}));
    EXPECT_TRUE(layer.options.local_extent() == (KT_Int_Rectangle{0, -1, 0, -1}));
}

// Each writer must land in its own slot: a swapped index shows up as a
// wrong read-back or an option left unset.
TEST(RendererOptions, EveryWriterStoresItsValueAndMarksTheOptionSet) {
    Layer layer;
    KT_Renderer_Options& o = layer.options;
    KT_Palette palette;
    ASSERT_TRUE(palette.install(KT_Gray_Ramp(4, 1.0f, 0)));
    o.set_alpha_blending(true);
    o.set_backing_store(true);
    o.set_bitonal_format(KT_Bitonal_Format(3));
    o.set_buffer_depth(24);
    o.set_color_resolution(256);
    o.set_color_system(KT_Color_System::True_Color);
    o.set_double_buffer(true);
    o.set_line_thickness(2.5f);
    o.set_local_coordinates(true);
    o.set_palette(palette);
    o.set_pattern_scale(50.0f);
    o.set_packing_order(KT_Packing(0x00010203));
    o.set_pixel_aspect(0.75f);
    o.set_supports_complex_clip(true);
    o.set_window_origin({3, 4});
    o.set_window_size({640, 480});

    for (int i = 0; i < KT_Renderer_Options::option_count; ++i)
        EXPECT_TRUE(o.option(static_cast<KT_Renderer_Options::Index>(i))->set_flag) << i;
    EXPECT_TRUE(o.alpha_blending() && o.backing_store() && o.double_buffer() &&
                o.local_coordinates() && o.supports_complex_clip());
    EXPECT_EQ(o.bitonal_format().value(), 3u);
    EXPECT_EQ(o.buffer_depth(), 24);
    EXPECT_EQ(o.color_system(), KT_Color_System::True_Color);
    EXPECT_EQ(o.line_thickness(), 2.5f);
    EXPECT_TRUE(o.palette().shares_body_with(palette));
    EXPECT_EQ(o.packing_order().word(), 0x00010203u);
    EXPECT_EQ(o.pixel_aspect(), 0.75f);
    EXPECT_TRUE(o.window_extent() == (KT_Int_Rectangle{3, 642, 4, 483}));
    EXPECT_TRUE(o.local_extent() == (KT_Int_Rectangle{0, 639, 0, 479}));

    // Values equal to the defaults still travel from requested to current.
    Layer current;
    current.options.set_color_resolution(16);
    current.table.set(layer.table);
    EXPECT_EQ(current.options.color_resolution(), 256);
    EXPECT_EQ(current.options.pattern_scale(), 50.0f);
}

TEST(RendererOptions, WindowExtentRoundTripsAndSaturatesAtTheLimits) {
    Layer layer;
    layer.options.set_window_extent({10, 109, 20, 69});
    EXPECT_EQ(layer.options.window_origin().x, 10);
    EXPECT_EQ(layer.options.window_origin().y, 20);
    EXPECT_EQ(layer.options.window_size().x, 100);
    EXPECT_EQ(layer.options.window_size().y, 50);
    EXPECT_TRUE(layer.options.window_extent() == (KT_Int_Rectangle{10, 109, 20, 69}));
    EXPECT_TRUE(layer.options.option(KT_Renderer_Options::Window_Origin)->set_flag);
    EXPECT_TRUE(layer.options.option(KT_Renderer_Options::Window_Size)->set_flag);

    layer.set_window(INT32_MAX - 5, 0, 100, 1);
    EXPECT_EQ(layer.options.window_extent().right, INT32_MAX);
    layer.options.set_window_extent({INT32_MIN, INT32_MAX, 0, 0});
    EXPECT_EQ(layer.options.window_size().x, INT32_MAX);
}

TEST(RendererOptions, CheckitClampsOnlyWindowsSetOnBothLayers) {
    Layer above, beneath;
    above.set_window(-10, -10, 100, 100);
    EXPECT_FALSE(above.options.checkit(beneath.options));
    EXPECT_TRUE(above.options.window_extent() == (KT_Int_Rectangle{-10, 89, -10, 89}));

    beneath.set_window(0, 0, 50, 50);
    beneath.options.option(KT_Renderer_Options::Window_Size)->set_flag = false;
    EXPECT_FALSE(above.options.checkit(beneath.options));
    EXPECT_EQ(above.options.window_origin().x, -10);

    // Inside stays, partly outside keeps its inside part, entirely outside
    // collapses onto the nearest edge.
    beneath.set_window(0, 0, 50, 50);
    const struct {
        int ox, oy, sx, sy;
        KT_Int_Rectangle expected;
    } cases[] = {
        {-10, -10, 100, 100, {0, 49, 0, 49}},
        {10, 40, 20, 30, {10, 29, 40, 49}},
        {60, 60, 5, 5, {49, 49, 49, 49}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ox << "," << c.oy << " " << c.sx << "x" << c.sy);
        above.set_window(c.ox, c.oy, c.sx, c.sy);
        EXPECT_TRUE(above.options.checkit(beneath.options));
        EXPECT_TRUE(above.options.window_extent() == c.expected);
    }
}

TEST(RendererOptions, OptimizeMergesASetPaletteDownwards) {
    Layer above, beneath;
    EXPECT_FALSE(beneath.options.optimize(above.options));
    EXPECT_FALSE(beneath.options.option(KT_Renderer_Options::Palette)->set_flag);

    KT_Palette ramp;
    ASSERT_TRUE(ramp.install(KT_Gray_Ramp(4, 1.0f, 0)));
    above.options.set_palette(ramp);
    KT_Palette cube;
    ASSERT_TRUE(cube.install(KT_Color_Cube({2, 2, 2}, 1.0f, 8)));
    beneath.options.set_palette(cube);

    ASSERT_TRUE(beneath.options.optimize(above.options));
    const KT_Palette& merged = beneath.options.palette();
    EXPECT_EQ(merged.use_count(0), 1u);
    EXPECT_EQ(merged.use_count(8), 1u);
    EXPECT_TRUE(beneath.options.option(KT_Renderer_Options::Palette)->set_flag);
    EXPECT_TRUE(above.options.palette().shares_body_with(merged));
    EXPECT_FALSE(above.options.option(KT_Renderer_Options::Palette)->set_flag);
    EXPECT_EQ(cube.use_count(0), 0u) << "the palette handed in is not changed";

    KT_Palette clash;
    ASSERT_TRUE(clash.install(KT_Gray_Ramp(3, 1.0f, 0)));
    above.options.set_palette(clash);
    EXPECT_FALSE(beneath.options.optimize(above.options));
    EXPECT_TRUE(above.options.option(KT_Renderer_Options::Palette)->set_flag);
    EXPECT_TRUE(beneath.options.palette().shares_body_with(merged));
}

TEST(RendererOptions, ClearedOptionsReadAsEmptyValues) {
    Layer layer;
    layer.options.option(KT_Renderer_Options::Palette)->set(KT_Option_Value());
    layer.options.option(KT_Renderer_Options::Window_Size)->set(KT_Option_Value(1.0f));
    EXPECT_EQ(layer.options.palette().use_count(3), 0u);
    EXPECT_EQ(layer.options.window_size().x, 0);

    Layer above;
    above.options.set_palette(KT_Palette(nullptr));
    EXPECT_EQ(above.options.palette().first_available_block(256), 0);
    EXPECT_TRUE(layer.options.optimize(above.options)) << "read as a palette with nothing in use";
    EXPECT_FALSE(above.options.palette().empty());
}

TEST(DeviceOptions, LocalNullPointersThatLayersAboveNeverInherit) {
    KT_Option_Table device_table;
    KT_Device_Options device(device_table);
    EXPECT_EQ(names(device_table), L"Window ID;Context ID;Colormap ID;");
    EXPECT_EQ(device.window_id(), nullptr);
    int window, context, colormap;
    device.set_window_id(&window);
    device.set_context_id(&context);
    device.set_colormap_id(&colormap);
    EXPECT_EQ(device.window_id(), &window);
    EXPECT_EQ(device.context_id(), &context);
    EXPECT_EQ(device.colormap_id(), &colormap);

    Layer above;
    above.table.inherit(device_table);
    EXPECT_EQ(above.table.find(L"Window ID"), nullptr);
    EXPECT_EQ(above.table.count(), KT_Renderer_Options::option_count);
}

} // namespace
