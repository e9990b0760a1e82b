#include "options/renderer_options.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "options/device_options.h"

namespace {

using R = KT_Renderer_Options;

bool operator==(const KT_Int_Rectangle& a, const KT_Int_Rectangle& b) {
    return a.left == b.left && a.right == b.right && a.bottom == b.bottom && a.top == b.top;
}

std::wstring names(const KT_Option_Table& t) {
    std::wstring out;
    for (KT_Option* o = t.first(); o; o = t.next())
        out += std::wstring(o->name().text()) + (o->is_global() ? L";" : L"(local);") +
               (o->set_flag ? L"(set)" : L"");
    return out;
}

// A renderer's two tables and the views over them.
struct Layer {
    KT_Option_Table table;
    R options{table};
    void set_window(int ox, int oy, int sx, int sy) {
        options.set_window_origin({ox, oy});
        options.set_window_size({sx, sy});
    }
};

TEST(RendererOptions, EnterTheTableInTheirOwnOrderGlobalUnsetWithDefaults) {
    Layer layer;
    EXPECT_EQ(names(layer.table),
              L"Alpha Blending;Backing Store;Bitonal Format;Buffer Depth;Color System;"
              L"Color Resolution;Double Buffer;Line Thickness;Local Coordinates;Palette;"
              L"Pattern_Scale;Pixel Aspect;Packing Order;Supports Complex Clip;Window Origin;"
              L"Window Size;");
    const R& o = layer.options;
    EXPECT_FALSE(o.alpha_blending());
    EXPECT_FALSE(o.backing_store());
    EXPECT_FALSE(o.double_buffer());
    EXPECT_FALSE(o.local_coordinates());
    EXPECT_FALSE(o.supports_complex_clip());
    EXPECT_EQ(o.bitonal_format().value(), 0u);
    EXPECT_EQ(o.buffer_depth(), 0);
    EXPECT_EQ(o.color_resolution(), 256);
    EXPECT_EQ(o.packing_order().word(), 0x2010003u);
    EXPECT_EQ(o.palette().first_available_block(256), 0) << "a palette with no entry in use";
    EXPECT_EQ(o.line_thickness(), 1.0f);
    EXPECT_EQ(o.pattern_scale(), 50.0f);
    EXPECT_EQ(o.pixel_aspect(), 1.0f);
    EXPECT_EQ(o.color_system(), KT_Color_System::Mapped);
    // An empty window has an empty extent, not a one-pixel one.
    EXPECT_TRUE(o.window_extent() == (KT_Int_Rectangle{0, -1, 0, -1}));
    EXPECT_TRUE(o.local_extent() == (KT_Int_Rectangle{0, -1, 0, -1}));
}

// Each writer must land in its own slot: a swapped index shows up as a
// wrong read-back or an option left unset.
TEST(RendererOptions, EveryWriterStoresItsValueAndMarksTheOptionSet) {
    Layer layer;
    R& o = layer.options;
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
    layer.set_window(3, 4, 640, 480);
    for (int i = 0; i < R::option_count; ++i)
        EXPECT_TRUE(o.option(static_cast<R::Index>(i))->set_flag) << i;
    EXPECT_TRUE(o.alpha_blending());
    EXPECT_TRUE(o.backing_store());
    EXPECT_TRUE(o.double_buffer());
    EXPECT_TRUE(o.local_coordinates());
    EXPECT_TRUE(o.supports_complex_clip());
    EXPECT_EQ(o.bitonal_format().value(), 3u);
    EXPECT_EQ(o.buffer_depth(), 24);
    EXPECT_EQ(o.packing_order().word(), 0x00010203u);
    EXPECT_EQ(o.line_thickness(), 2.5f);
    EXPECT_EQ(o.pixel_aspect(), 0.75f);
    EXPECT_EQ(o.color_system(), KT_Color_System::True_Color);
    EXPECT_TRUE(o.palette().shares_body_with(palette));
    EXPECT_TRUE(o.window_extent() == (KT_Int_Rectangle{3, 642, 4, 483}));
    EXPECT_TRUE(o.local_extent() == (KT_Int_Rectangle{0, 639, 0, 479}));
    // Values equal to the defaults still travel from requested to current.
    Layer current;
    current.options.set_color_resolution(16);
    current.table.set(layer.table);
    EXPECT_EQ(current.options.color_resolution(), 256);

    o.set_window_extent({10, 109, 20, 69});
    EXPECT_EQ(o.window_size().x, 100);
    EXPECT_EQ(o.window_size().y, 50);
    EXPECT_TRUE(o.window_extent() == (KT_Int_Rectangle{10, 109, 20, 69}));
    layer.set_window(INT32_MAX - 5, 0, 100, 1);
    EXPECT_EQ(o.window_extent().right, INT32_MAX) << "saturates";
    o.set_window_extent({INT32_MIN, INT32_MAX, 0, 0});
    EXPECT_EQ(o.window_size().x, INT32_MAX);
}

TEST(RendererOptions, CheckitClampsOnlyWindowsSetOnBothLayers) {
    Layer above, beneath;
    above.set_window(-10, -10, 100, 100);
    EXPECT_FALSE(above.options.checkit(beneath.options));
    beneath.set_window(0, 0, 50, 50);
    beneath.options.option(R::Window_Size)->set_flag = false;
    EXPECT_FALSE(above.options.checkit(beneath.options));
    EXPECT_TRUE(above.options.window_extent() == (KT_Int_Rectangle{-10, 89, -10, 89}));

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
    KT_Palette ramp, cube, clash;
    ASSERT_TRUE(ramp.install(KT_Gray_Ramp(4, 1.0f, 0)));
    ASSERT_TRUE(cube.install(KT_Color_Cube({2, 2, 2}, 1.0f, 8)));
    ASSERT_TRUE(clash.install(KT_Gray_Ramp(3, 1.0f, 0)));
    above.options.set_palette(ramp);
    beneath.options.set_palette(cube);
    ASSERT_TRUE(beneath.options.optimize(above.options));
    const KT_Palette& merged = beneath.options.palette();
    EXPECT_EQ(merged.use_count(0), 1u) << "the ramp merged from above";
    EXPECT_EQ(merged.use_count(8), 1u) << "the cube held beneath";
    EXPECT_TRUE(above.options.palette().shares_body_with(merged));
    EXPECT_FALSE(above.options.option(R::Palette)->set_flag);
    EXPECT_EQ(cube.use_count(0), 0u) << "the palette handed in is not changed";

    above.options.set_palette(clash);
    EXPECT_FALSE(beneath.options.optimize(above.options));
    EXPECT_TRUE(above.options.option(R::Palette)->set_flag);
    EXPECT_TRUE(beneath.options.palette().shares_body_with(merged));

    // Cleared or mistyped options read as empty values.
    above.options.set_palette(KT_Palette(nullptr));
    EXPECT_TRUE(beneath.options.optimize(above.options)) << "a palette with nothing in use";
    EXPECT_FALSE(above.options.palette().empty());
    beneath.options.option(R::Palette)->set(KT_Option_Value());
    beneath.options.option(R::Window_Size)->set(KT_Option_Value(1.0f));
    EXPECT_EQ(beneath.options.palette().use_count(3), 0u);
    EXPECT_EQ(beneath.options.window_size().x, 0);
}

TEST(DeviceOptions, LocalNullPointersThatLayersAboveNeverInherit) {
    KT_Option_Table device_table;
    KT_Device_Options device(device_table);
    EXPECT_EQ(names(device_table), L"Window ID(local);Context ID(local);Colormap ID(local);");
    EXPECT_EQ(device.window_id(), nullptr);
    int ids[3];
    device.set_window_id(&ids[0]);
    device.set_context_id(&ids[1]);
    device.set_colormap_id(&ids[2]);
    EXPECT_EQ(device.window_id(), &ids[0]);
    EXPECT_EQ(device.context_id(), &ids[1]);
    EXPECT_EQ(device.colormap_id(), &ids[2]);
    Layer above;
    above.table.inherit(device_table);
    EXPECT_EQ(above.table.count(), R::option_count);
}

} // namespace
