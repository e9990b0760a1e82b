// The default font engine: FreeType faces found through fontconfig, drawn
// either as filled outlines through the polygon actions or, with "Native
// Rasterization", as FreeType's coverage in image rows.
//
// Text attributes used: the font's name, weight (bold at 600 and above) and
// italic flag; text size as the em height in device pixels; width scale;
// horizontal alignment (0 left, 1 centre, 2 right of the drawing point).
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "face_finder.h"
#include "font/font_engine.h"
#include "glyph_cache.h"

namespace gdifont {

// Sizes beyond this are drawn at this size: larger glyphs would only be
// clipped, and their outlines and coverage grow with the square of the size.
inline constexpr int largest_pixel_size = 2048;

class FreeType_Engine : public KT_Font_Engine_Data {
public:
    explicit FreeType_Engine(const KT_Renderer& renderer);
    ~FreeType_Engine() override;

    int establish_configuration() override;

    KT_Font find_font(const KT_Font& request) override;
    KT_Font default_font() override;
    bool text_extent(const KT_Rendition& rendition, const wchar_t* text, int length,
                     KT_Text_Extent& extent) override;
    bool text_extent(const KT_Rendition& rendition, const char* text, int length,
                     KT_Text_Extent& extent) override;
    void flush_cache() override;

    KT_Font_Directory_List& directory_list() override { return directories_; }
    const KT_Font_Directory_List& directory_list() const override { return directories_; }
    KT_Font_List& font_list() override { return fonts_; }
    const KT_Font_List& font_list() const override { return fonts_; }

    void draw_text(const KT_Rendition& rendition, const KT_DCI_Point& position, const wchar_t* text,
                   int length) override;
    void draw_text(const KT_Rendition& rendition, const KT_DCI_Point& position, const char* text,
                   int length) override;

    // The file a font is drawn from (for tests and diagnostics); empty when
    // no face can be found.
    std::string face_file(const KT_Font& font);
    // Glyphs prepared so far over every face and size.
    std::size_t cached_glyphs() const;

private:
    struct Face;
    struct Laid_Glyph {
        unsigned index;
        float x; // pen position from the drawing point
    };

    Face* face_for(const KT_Font& font);
    Face* open_face(const Face_Location& location);
    Glyph_Cache* cache_for(Face& face, int pixel_size);
    // The glyphs of text along the baseline with kerning; false when the
    // rendition draws nothing.
    bool lay_out(const KT_Rendition& rendition, const std::vector<char32_t>& text, bool outlines,
                 Glyph_Cache*& cache, std::vector<Laid_Glyph>& glyphs, KT_Text_Extent& extent);
    bool measure(const KT_Rendition& rendition, const std::vector<char32_t>& text,
                 KT_Text_Extent& extent);
    void draw(const KT_Rendition& rendition, const KT_DCI_Point& position,
              const std::vector<char32_t>& text);
    void fill_outlines(const KT_Rendition& rendition, const KT_DCI_Point& position, float shift,
                       Glyph_Cache& cache, const std::vector<Laid_Glyph>& glyphs);
    void paint_coverage(const KT_Rendition& rendition, const KT_DCI_Point& position, float shift,
                        Glyph_Cache& cache, const std::vector<Laid_Glyph>& glyphs);
    bool native_rasterization() const;

    FT_Library library_ = nullptr;
    KT_Font_Directory_List directories_;
    KT_Font_List fonts_;
    KT_Font default_font_;
    // Faces by (family asked for, bold, italic) and by file.
    std::map<std::tuple<std::string, bool, bool>, Face*> requests_;
    std::map<std::string, std::unique_ptr<Face>> faces_;
    std::vector<char32_t> decoded_; // reused for every string
    std::vector<Laid_Glyph> laid_;
    bool fallback_reported_ = false;
};

} // namespace gdifont
