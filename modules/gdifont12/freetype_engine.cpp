#include "freetype_engine.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "foundation/assertion.h"
#include "platform/native_text.h"
#include "renderer/next_action.h"
#include "rendition/rendition.h"
#include "text_decoding.h"

namespace gdifont {
namespace {

constexpr const wchar_t* native_rasterization_option = L"Native Rasterization";
// Weights are given in hundreds (4 regular, 7 bold).
constexpr int lightest_bold_weight = 6;
constexpr std::size_t stack_row_pixels = 1024;

enum Horizontal_Alignment { Align_Left = 0, Align_Centre = 1, Align_Right = 2 };

std::string narrow(const wchar_t* text) {
    if (!text) return {};
    std::vector<char> out(std::wcslen(text) * 4 + 1);
    return kdiWideToNative(text, out.data(), out.size()) ? out.data() : std::string();
}

float alignment_shift(const KT_Rendition& rendition, float advance) {
    switch (rendition.text_attribute().horizontal_alignment) {
    case Align_Centre:
        return -advance / 2;
    case Align_Right:
        return -advance;
    default:
        return 0.0f;
    }
}

// The em height in device pixels the rendition asks for; 0 draws nothing.
int pixel_size(const KT_Rendition& rendition) {
    const float size = rendition.text_attribute().text_size;
    if (!(size >= 0.5f)) return 0;
    return size >= float(largest_pixel_size) ? largest_pixel_size : int(std::lround(size));
}

void grow(KT_Text_Extent& extent, const Glyph_Metrics& m, float x) {
    if (m.right <= m.left || m.top <= m.bottom) return;
    const bool first = extent.right <= extent.left;
    extent.left = first ? x + m.left : std::min(extent.left, x + m.left);
    extent.right = first ? x + m.right : std::max(extent.right, x + m.right);
    extent.bottom = first ? m.bottom : std::min(extent.bottom, m.bottom);
    extent.top = first ? m.top : std::max(extent.top, m.top);
}

} // namespace

struct FreeType_Engine::Face {
    FT_Face face = nullptr;
    std::string file;
    std::map<int, std::unique_ptr<Glyph_Cache>> sizes;
    ~Face() {
        sizes.clear();
        if (face) FT_Done_Face(face);
    }
};

FreeType_Engine::FreeType_Engine(const KT_Renderer& renderer) : KT_Font_Engine_Data(renderer) {
    FT_Init_FreeType(&library_);
    options.add(KT_Option(native_rasterization_option, KT_Option_Enum::Global, false));
    default_font_.set_name(L"DejaVu Sans");
    default_font_.modify()->engine = this;
    add_font(default_font_);
}

FreeType_Engine::~FreeType_Engine() {
    requests_.clear();
    faces_.clear();
    if (library_) FT_Done_FreeType(library_);
}

int FreeType_Engine::establish_configuration() {
    enum Status { Ready = 0, No_Font = 1 };
    return library_ && face_for(default_font_) ? Ready : No_Font;
}

KT_Font FreeType_Engine::default_font() {
    return default_font_;
}

KT_Font FreeType_Engine::find_font(const KT_Font& request) {
    KT_Font font;
    font.set_name(request && request->name ? request->name : default_font_->name);
    KT_Font_Data* body = font.modify();
    body->engine = this;
    if (request) {
        body->weight = request->weight;
        body->italic = request->italic;
        body->set_mask |= request->set_mask & (KT_Font_Weight_Set | KT_Font_Italic_Set);
    }
    if (Face* face = face_for(font))
        body->set_full_name(std::wstring(face->file.begin(), face->file.end()).c_str());
    return font;
}

std::string FreeType_Engine::face_file(const KT_Font& font) {
    Face* face = face_for(font);
    return face ? face->file : std::string();
}

std::size_t FreeType_Engine::cached_glyphs() const {
    std::size_t n = 0;
    for (const auto& [file, face] : faces_)
        for (const auto& [size, cache] : face->sizes)
            n += cache->size();
    return n;
}

void FreeType_Engine::flush_cache() {
    for (auto& [file, face] : faces_)
        face->sizes.clear();
}

bool FreeType_Engine::native_rasterization() const {
    const KT_Option* option = options.find(native_rasterization_option);
    return option && option->value.element<bool>(0);
}

FreeType_Engine::Face* FreeType_Engine::face_for(const KT_Font& font) {
    if (!library_) return nullptr;
    const std::string family = font && font->name ? narrow(font->name) : std::string();
    const bool bold = font && font->weight >= lightest_bold_weight;
    const bool italic = font && font->italic != 0;
    const auto key = std::make_tuple(family, bold, italic);
    if (auto found = requests_.find(key); found != requests_.end()) return found->second;

    Face_Location location;
    bool exact = false;
    Face* face = nullptr;
    if (find_face(family, bold, italic, location, exact)) {
        if (!exact && !family.empty() && !fallback_reported_) {
            fallback_reported_ = true;
            const std::wstring message =
                L"font \"" + std::wstring(family.begin(), family.end()) +
                L"\" not found; drawing with " +
                std::wstring(location.family.begin(), location.family.end());
            KD_Fail_Assertion(message.c_str(), L"Kavri font engine", KAVRI_WIDEN(__FILE__),
                              __LINE__);
        }
        face = open_face(location);
    }
    requests_[key] = face;
    return face;
}

// Null when FreeType cannot read the file; only faces that opened are kept,
// so the cache walks never meet an empty slot.
FreeType_Engine::Face* FreeType_Engine::open_face(const Face_Location& location) {
    const std::string key = location.file + "#" + std::to_string(location.index);
    if (auto found = faces_.find(key); found != faces_.end()) return found->second.get();
    FT_Face opened = nullptr;
    if (FT_New_Face(library_, location.file.c_str(), location.index, &opened) != 0) return nullptr;
    auto face = std::make_unique<Face>();
    face->face = opened;
    face->file = location.file;
    return faces_.emplace(key, std::move(face)).first->second.get();
}

Glyph_Cache* FreeType_Engine::cache_for(Face& face, int size) {
    std::unique_ptr<Glyph_Cache>& cache = face.sizes[size];
    if (!cache) cache = std::make_unique<Glyph_Cache>(face.face, size);
    return cache.get();
}

bool FreeType_Engine::lay_out(const KT_Rendition& rendition, const std::vector<char32_t>& text,
                              bool outlines, Glyph_Cache*& cache, std::vector<Laid_Glyph>& glyphs,
                              KT_Text_Extent& extent) {
    glyphs.clear();
    extent = {};
    const int size = pixel_size(rendition);
    const KT_Font& requested = rendition.text_attribute().font;
    Face* face = size > 0 ? face_for(requested ? requested : default_font_) : nullptr;
    if (!face || text.empty()) return false;
    cache = cache_for(*face, size);
    float pen = 0.0f;
    unsigned previous = 0;
    for (const char32_t c : text) {
        const unsigned index = FT_Get_Char_Index(face->face, FT_ULong(c));
        pen += cache->kerning(previous, index);
        const Glyph_Metrics* m = nullptr;
        if (outlines) {
            const Outline_Glyph* g = cache->outline(index);
            m = g ? &g->metrics : nullptr;
        } else {
            const Coverage_Glyph* g = cache->coverage(index);
            m = g ? &g->metrics : nullptr;
        }
        if (!m) continue;
        // Coverage is placed on whole pixels, so its extent is measured there.
        const float x = outlines ? pen : std::round(pen);
        glyphs.push_back({index, pen});
        grow(extent, *m, x);
        pen += m->advance;
        previous = index;
    }
    extent.advance = pen;
    return !glyphs.empty();
}

bool FreeType_Engine::measure(const KT_Rendition& rendition, const std::vector<char32_t>& text,
                              KT_Text_Extent& extent) {
    Glyph_Cache* cache = nullptr;
    if (!lay_out(rendition, text, !native_rasterization(), cache, laid_, extent)) return false;
    const float shift = alignment_shift(rendition, extent.advance);
    extent.left += shift;
    extent.right += shift;
    return true;
}

bool FreeType_Engine::text_extent(const KT_Rendition& rendition, const wchar_t* text, int length,
                                  KT_Text_Extent& extent) {
    decoded_.clear();
    decode_utf32(text, length, decoded_);
    return measure(rendition, decoded_, extent);
}

bool FreeType_Engine::text_extent(const KT_Rendition& rendition, const char* text, int length,
                                  KT_Text_Extent& extent) {
    decoded_.clear();
    decode_utf8(text, length, decoded_);
    return measure(rendition, decoded_, extent);
}

void FreeType_Engine::draw_text(const KT_Rendition& rendition, const KT_DCI_Point& position,
                                const wchar_t* text, int length) {
    decoded_.clear();
    decode_utf32(text, length, decoded_);
    draw(rendition, position, decoded_);
}

void FreeType_Engine::draw_text(const KT_Rendition& rendition, const KT_DCI_Point& position,
                                const char* text, int length) {
    decoded_.clear();
    decode_utf8(text, length, decoded_);
    draw(rendition, position, decoded_);
}

void FreeType_Engine::draw(const KT_Rendition& rendition, const KT_DCI_Point& position,
                           const std::vector<char32_t>& text) {
    if (!rendition || !rendition.renderer()) return;
    const bool native = native_rasterization();
    Glyph_Cache* cache = nullptr;
    KT_Text_Extent extent;
    if (!lay_out(rendition, text, !native, cache, laid_, extent)) return;
    const float shift = alignment_shift(rendition, extent.advance);
    const KT_Int_Rectangle& clip = rendition.transform().hard_clip;
    // Text wholly outside the clip costs no drawing calls.
    if (position.x + shift + extent.right < float(clip.left) ||
        position.x + shift + extent.left > float(clip.right + 1) ||
        position.y + extent.top < float(clip.bottom) ||
        position.y + extent.bottom > float(clip.top + 1))
        return;
    if (native)
        paint_coverage(rendition, position, shift, *cache, laid_);
    else
        fill_outlines(rendition, position, shift, *cache, laid_);
}

void FreeType_Engine::fill_outlines(const KT_Rendition& rendition, const KT_DCI_Point& position,
                                    float shift, Glyph_Cache& cache,
                                    const std::vector<Laid_Glyph>& glyphs) {
    const float z = float(position.z);
    for (const Laid_Glyph& laid : glyphs) {
        const Outline_Glyph* glyph = cache.outline(laid.index);
        if (!glyph) continue;
        const float x = float(position.x) + shift + laid.x;
        const float y = float(position.y);
        const std::vector<KT_Point>& corners = glyph->triangles;
        for (std::size_t i = 0; i + 2 < corners.size(); i += 3) {
            const KT_Point triangle[3] = {{corners[i].x + x, corners[i].y + y, z},
                                          {corners[i + 1].x + x, corners[i + 1].y + y, z},
                                          {corners[i + 2].x + x, corners[i + 2].y + y, z}};
            KD_Next_Action<KT_Slot_Draw_2D_Polytriangle>(&rendition, 3, triangle);
        }
    }
}

void FreeType_Engine::paint_coverage(const KT_Rendition& rendition, const KT_DCI_Point& position,
                                     float shift, Glyph_Cache& cache,
                                     const std::vector<Laid_Glyph>& glyphs) {
    const KT_Int_Rectangle& clip = rendition.transform().hard_clip;
    const KT_RGB32 colour = rendition.color().front.device_rgb;
    const KT_Renderer_Data* renderer = rendition.renderer();
    // Without blending, a pixel is either the text's colour or left alone.
    const bool blending = renderer->current_renderer_options.alpha_blending();
    const KT_Packing packing;
    KT_RGB32 row[stack_row_pixels];
    for (const Laid_Glyph& laid : glyphs) {
        const Coverage_Glyph* glyph = cache.coverage(laid.index);
        if (!glyph || glyph->coverage.empty()) continue;
        const int x0 = position.x + int(std::lround(shift + laid.x)) + glyph->left;
        for (int r = 0; r < glyph->rows; ++r) {
            const int y = position.y + glyph->top - 1 - r;
            if (y < clip.bottom || y > clip.top) continue;
            const std::uint8_t* cover = glyph->coverage.data() + std::size_t(r) * glyph->width;
            // Each run of covered pixels inside the clip is one row.
            int i = std::max(0, clip.left - x0);
            const int end = std::min(glyph->width, clip.right - x0 + 1);
            while (i < end) {
                while (i < end && (blending ? cover[i] == 0 : cover[i] < 128))
                    ++i;
                const int first = i;
                while (i < end && i - first < int(stack_row_pixels) &&
                       (blending ? cover[i] != 0 : cover[i] >= 128)) {
                    KT_RGB32& p = row[i - first];
                    p = colour;
                    p.a = blending ? std::uint8_t(cover[i] * colour.a / 255) : colour.a;
                    ++i;
                }
                if (i == first) continue;
                const KT_DCI_Point start = {x0 + first, y, position.z};
                const KT_DCI_Point last = {x0 + i - 1, y, position.z};
                KD_Next_Action<KT_Slot_Draw_DCI_RGB32_Image>(&rendition, &start, &last,
                                                             (i - first) * 4, row, 256, &packing);
            }
        }
    }
}

} // namespace gdifont
