// The default font engine module: faces through fontconfig, text drawn as
// FreeType's coverage in image rows or as filled outlines, compared with
// what FreeType itself reports and renders.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "../support/capturing_device.h"
#include "font/font_engine.h"
#include "renderer/dynamic_load.h"
#include "renderer/module_contract.h"
#include "rendition/rendition.h"

namespace {

constexpr const char* dejavu_file = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int window_width = 320;
constexpr int window_height = 120;
constexpr KT_DCI_Point baseline_start = {20, 50, 100};

KT_Font_Engine_Entry engine_entry() {
    KT_Dynamic_Load_Status status = KT_Load_Undetermined;
    return KD_Routine_As<KT_Font_Engine_Entry>(
        KD_Load_Dynamic_Routine(L"gdifont12.kdi", KD_Font_Engine_Tag, nullptr, &status));
}

// Ink rectangle of everything drawn, in device pixels (inclusive).
struct Ink {
    int left = std::numeric_limits<int>::max(), right = std::numeric_limits<int>::min();
    int bottom = std::numeric_limits<int>::max(), top = std::numeric_limits<int>::min();
    bool empty() const { return left > right; }
};

Ink ink_of(const capture::Picture& picture) {
    Ink ink;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.at(x, y).hits > 0) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.bottom = std::min(ink.bottom, y);
                ink.top = std::max(ink.top, y);
            }
    return ink;
}

// FreeType's own view of a string: pen advance with unfitted kerning, and
// the union of the glyphs' outline boxes, unhinted.
struct FreeType_Reference {
    FreeType_Reference(const char* file, int pixel_size) {
        FT_Init_FreeType(&library);
        FT_New_Face(library, file, 0, &face);
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixel_size));
    }
    ~FreeType_Reference() {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    float advance(const std::u32string& text) const {
        float pen = 0;
        unsigned previous = 0;
        for (char32_t c : text) {
            const unsigned index = FT_Get_Char_Index(face, c);
            FT_Vector kern{};
            if (previous && FT_HAS_KERNING(face))
                FT_Get_Kerning(face, previous, index, FT_KERNING_UNFITTED, &kern);
            pen += float(kern.x) / 64;
            FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO);
            pen += float(face->glyph->advance.x) / 64;
            previous = index;
        }
        return pen;
    }
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

class FreeType_Engine_Test : public testing::Test {
protected:
    void SetUp() override {
        entry = engine_entry();
        ASSERT_NE(entry, nullptr) << "gdifont12.kdi loads through the default search";
        device = new capture::Device(window_width, window_height);
        renderer = KT_Renderer(device);
        engine = KT_Font_Engine(entry(&renderer));
        ASSERT_FALSE(engine.empty());
        ASSERT_EQ(engine->establish(), 0) << "the default face is installed";
        rendition = KT_Rendition(renderer);
        KT_Font font = engine->default_font();
        rendition.modify_text_attribute().font = font;
        rendition.modify_text_attribute().text_size = 32.0f;
    }

    void use_native_rasterization(bool on) {
        KT_Option* option = engine->options.find(L"Native Rasterization");
        ASSERT_NE(option, nullptr);
        option->set(KT_Option_Value(on));
    }
    void draw(const char* text, KT_DCI_Point at = baseline_start) {
        KD_Action_Draw_2DI_Text(renderer.body(), &rendition, &at, text, -1);
    }

    KT_Font_Engine_Entry entry = nullptr;
    capture::Device* device = nullptr;
    KT_Renderer renderer;
    KT_Font_Engine engine;
    KT_Rendition rendition;
};

TEST_F(FreeType_Engine_Test, NativeCoverageLandsWithinTheReportedExtent) {
    use_native_rasterization(true);
    draw("Kavri draws text");
    const Ink ink = ink_of(device->picture);
    ASSERT_FALSE(ink.empty());
    KT_Text_Extent extent;
    ASSERT_TRUE(engine->text_extent(rendition, "Kavri draws text", -1, extent));
    EXPECT_EQ(ink.left, baseline_start.x + int(extent.left));
    EXPECT_EQ(ink.right, baseline_start.x + int(extent.right) - 1);
    EXPECT_EQ(ink.top, baseline_start.y + int(extent.top) - 1);
    EXPECT_EQ(ink.bottom, baseline_start.y + int(extent.bottom));
    EXPECT_EQ(device->malformed, 0);
    EXPECT_EQ(device->outside, 0);
}

TEST_F(FreeType_Engine_Test, AdvanceIsFreeTypesAdvanceWithKerning) {
    const FreeType_Reference reference(dejavu_file, 32);
    for (const char* text : {"AVATAR", "To Wa", "mmm", "x"}) {
        SCOPED_TRACE(text);
        KT_Text_Extent extent;
        ASSERT_TRUE(engine->text_extent(rendition, text, -1, extent));
        const std::string narrow(text);
        EXPECT_NEAR(extent.advance, reference.advance(std::u32string(narrow.begin(), narrow.end())),
                    1e-3);
    }
}

TEST_F(FreeType_Engine_Test, KerningPullsPairsTogether) {
    KT_Text_Extent kerned, apart;
    ASSERT_TRUE(engine->text_extent(rendition, "AV", -1, kerned));
    KT_Text_Extent a, v;
    ASSERT_TRUE(engine->text_extent(rendition, "A", -1, a));
    ASSERT_TRUE(engine->text_extent(rendition, "V", -1, v));
    EXPECT_LT(kerned.advance, a.advance + v.advance);
}

// The outline path agrees with FreeType's monochrome rendering of the same
// hinted outline. Polygons end in integer device points, so curve points
// move by up to half a pixel: pixels may differ only along the outline's
// edge, and only a few of them (at 48 pixels, 93.7 to 96 percent of a
// glyph's box agrees).
TEST_F(FreeType_Engine_Test, FilledOutlinesAgreeWithFreeTypesMonochromeRendering) {
    constexpr int size = 48;
    constexpr double least_agreement = 0.93;
    rendition.modify_text_attribute().text_size = float(size);
    const FreeType_Reference reference(dejavu_file, size);
    for (const char letter : std::string("agKQ%&8@")) {
        SCOPED_TRACE(std::string(1, letter));
        device->clear();
        const char text[2] = {letter, 0};
        draw(text);
        const unsigned index = FT_Get_Char_Index(reference.face, FT_ULong(letter));
        ASSERT_EQ(FT_Load_Glyph(reference.face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO), 0);
        ASSERT_EQ(FT_Render_Glyph(reference.face->glyph, FT_RENDER_MODE_MONO), 0);
        const FT_Bitmap& bitmap = reference.face->glyph->bitmap;
        const int rows = int(bitmap.rows), columns = int(bitmap.width);
        auto freetype_ink = [&](int row, int column) {
            if (row < 0 || column < 0 || row >= rows || column >= columns) return false;
            const unsigned char byte = bitmap.buffer[row * bitmap.pitch + column / 8];
            return ((byte >> (7 - column % 8)) & 1) != 0;
        };
        // A pixel on the edge has a neighbour of the other kind.
        auto on_edge = [&](int row, int column) {
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (freetype_ink(row + dy, column + dx) != freetype_ink(row, column))
                        return true;
            return false;
        };
        const int left = baseline_start.x + reference.face->glyph->bitmap_left;
        const int top = baseline_start.y + reference.face->glyph->bitmap_top - 1;
        int agree = 0, total = 0, inland_differences = 0;
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column) {
                const bool drawn = device->picture.at(left + column, top - row).hits > 0;
                const bool same = freetype_ink(row, column) == drawn;
                agree += same;
                inland_differences += !same && !on_edge(row, column);
                ++total;
            }
        ASSERT_GT(total, 0);
        EXPECT_GE(double(agree) / total, least_agreement)
            << agree << " of " << total << " pixels agree";
        EXPECT_EQ(inland_differences, 0) << "pixels away from the outline's edge differ";
    }
}

TEST_F(FreeType_Engine_Test, AFontFileAndItsFamilyNameSelectTheSameFace) {
    KT_Font by_name, by_file;
    by_name.set_name(L"DejaVu Sans");
    const std::string file = dejavu_file;
    by_file.set_name(std::wstring(file.begin(), file.end()).c_str());
    const KT_Font a = engine->find_font(by_name), b = engine->find_font(by_file);
    ASSERT_NE(a->full_name, nullptr);
    ASSERT_NE(b->full_name, nullptr);
    EXPECT_STREQ(a->full_name, b->full_name);
    EXPECT_EQ(a->engine, engine.body());
}

TEST_F(FreeType_Engine_Test, AnUnknownFamilyFallsBackToADrawableFace) {
    KT_Font unknown;
    unknown.set_name(L"No Such Family Anywhere");
    unknown.modify()->engine = engine.body();
    rendition.modify_text_attribute().font = unknown;
    use_native_rasterization(true);
    draw("still drawn");
    EXPECT_GT(device->picture.covered_count(), 0);
}

TEST_F(FreeType_Engine_Test, AFileThatIsNotAFontDrawsNothingAndLeavesTheCacheUsable) {
    const std::string source = KAVRI_TEST_SOURCE_DIR "/freetype_engine_test.cpp";
    KT_Font not_a_font;
    not_a_font.set_name(std::wstring(source.begin(), source.end()).c_str());
    rendition.modify_text_attribute().font = engine->find_font(not_a_font);
    KT_Text_Extent extent;
    EXPECT_FALSE(engine->text_extent(rendition, "nothing", -1, extent));
    draw("nothing");
    EXPECT_EQ(device->picture.covered_count(), 0);
    engine->flush_cache();
    rendition.modify_text_attribute().font = engine->default_font();
    EXPECT_TRUE(engine->text_extent(rendition, "drawn again", -1, extent))
        << "the default face still measures after the flush";
}

TEST_F(FreeType_Engine_Test, InvalidUtf8DrawsTheReplacementCharacter) {
    KT_Text_Extent invalid, replacement;
    ASSERT_TRUE(engine->text_extent(rendition, "\xff", -1, invalid));
    ASSERT_TRUE(engine->text_extent(rendition, "\xef\xbf\xbd", -1, replacement));
    EXPECT_FLOAT_EQ(invalid.advance, replacement.advance);
    KT_Text_Extent truncated;
    ASSERT_TRUE(engine->text_extent(rendition, "A\xe2\x82", -1, truncated))
        << "a sequence cut short at the end";
    KT_Text_Extent a;
    ASSERT_TRUE(engine->text_extent(rendition, "A", -1, a));
    EXPECT_FLOAT_EQ(truncated.advance, a.advance + replacement.advance);
}

TEST_F(FreeType_Engine_Test, WideAndNarrowTextLayOutAlike) {
    KT_Text_Extent narrow, wide;
    ASSERT_TRUE(engine->text_extent(rendition,
                                    "S\xc3\xa9"
                                    "ance",
                                    -1, narrow));
    ASSERT_TRUE(engine->text_extent(rendition, L"S\u00e9ance", -1, wide));
    EXPECT_FLOAT_EQ(narrow.advance, wide.advance);
    EXPECT_FLOAT_EQ(narrow.top, wide.top);
}

TEST_F(FreeType_Engine_Test, SizesThatCannotBeDrawnDrawNothingAndHugeOnesAreClamped) {
    use_native_rasterization(true);
    for (const float size : {0.0f, -12.0f, std::numeric_limits<float>::quiet_NaN(), 0.2f}) {
        SCOPED_TRACE(size);
        rendition.modify_text_attribute().text_size = size;
        device->clear();
        draw("nothing");
        EXPECT_EQ(device->picture.covered_count(), 0);
    }
    rendition.modify_text_attribute().text_size = 1e9f;
    KT_Text_Extent huge;
    ASSERT_TRUE(engine->text_extent(rendition, "W", -1, huge));
    EXPECT_LE(huge.top, 2048.0f * 1.2f) << "clamped to the largest drawable size";
}

TEST_F(FreeType_Engine_Test, EmptyTextAndTextOutsideTheClipDrawNothing) {
    use_native_rasterization(true);
    draw("");
    EXPECT_EQ(device->rows.size(), 0u);
    draw("far away", {window_width + 500, 50, 0});
    draw("below", {10, -400, 0});
    EXPECT_EQ(device->rows.size(), 0u);
    EXPECT_EQ(device->outside, 0);
}

TEST_F(FreeType_Engine_Test, TextStraddlingTheClipIsCutAtIt) {
    use_native_rasterization(true);
    draw("Straddling", {window_width - 40, window_height - 10, 0});
    EXPECT_GT(device->picture.covered_count(), 0);
    EXPECT_EQ(device->outside, 0) << "no row reaches past the window";
}

TEST_F(FreeType_Engine_Test, CentredTextIsCentredOnItsPoint) {
    use_native_rasterization(true);
    rendition.modify_text_attribute().horizontal_alignment = 1;
    KT_Text_Extent extent;
    ASSERT_TRUE(engine->text_extent(rendition, "middle", -1, extent));
    EXPECT_NEAR(extent.left + extent.right, 0.0f, 4.0f) << "ink balanced around the point";
}

} // namespace
