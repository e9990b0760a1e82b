// The eight span rasterizers. Each walks its batch row by row: fill the
// row, lay the fill pattern over it, hand it to the top renderer's DCI image
// action. Fill loops see only precomputed starts and steps.
#include <algorithm>
#include <cmath>

#include "image/pixel_format.h"
#include "raster/fixed_point.h"
#include "raster/span.h"
#include "renderer/next_action.h"
#include "rendition/rendition.h"

namespace {

constexpr int colour_resolution = 256;

// Whole-primitive checks shared by every rasterizer.
bool drawable(const KT_Rendition* rendition, const KT_Span_Data* data, const KT_Span* spans,
              int count) {
    return rendition && *rendition && rendition->renderer() && data && spans && count > 0;
}

int column_of(const KT_Fixed_Interpolant& x) {
    return x.value >> 16;
}

// How the fill pattern applies to this primitive.
class Pattern {
public:
    // colour_only: the rasterizer has no shading of its own (C08_U, C24_C),
    // so a clear opaque flag alone means transparent.
    Pattern(const KT_Rendition& rendition, const KT_Fill_Bits* bits, bool colour_only)
        : bits_(usable(bits) ? bits : nullptr) {
        const KT_Misc_Data& misc = rendition.misc();
        const std::int32_t flags = misc.pattern_mode;
        origin_x_ = static_cast<std::int32_t>(misc.pattern_origin & 0xFFFFFFFF);
        origin_y_ = static_cast<std::int32_t>(misc.pattern_origin >> 32);
        invert_ = (flags & KT_Pattern_Invert) != 0;
        const bool opaque_flag = (flags & KT_Pattern_Opaque) != 0;
        transparent_ = bits_ && (colour_only ? !opaque_flag : (flags & 3) == 0);
    }

    bool present() const { return bits_ != nullptr; }
    bool transparent() const { return transparent_; }

    // Calls mark(i) for every pixel i of the n from column x of row y whose
    // (possibly inverted) pattern bit equals set.
    template <class Mark> void for_each(int x, int y, int n, bool set, Mark&& mark) const {
        const std::uint8_t* row = bits_->bits + wrap(y - origin_y_, bits_->height) *
                                                    static_cast<std::int64_t>(bits_->row_bytes);
        int column = wrap(x - origin_x_, bits_->width);
        const std::uint8_t flip = invert_ ? 0xFF : 0x00;
        for (int i = 0; i < n; ++i) {
            const std::uint8_t byte = row[column >> 3] ^ flip;
            if (((byte >> (column & 7)) & 1) == (set ? 1 : 0)) mark(i);
            if (++column == bits_->width) column = 0;
        }
    }

private:
    static bool usable(const KT_Fill_Bits* p) {
        return p && p->bits && p->width > 0 && p->height > 0 && p->row_bytes * 8 >= p->width;
    }
    static int wrap(std::int64_t v, std::int32_t size) {
        const std::int64_t m = v % size;
        return static_cast<int>(m < 0 ? m + size : m);
    }

    const KT_Fill_Bits* bits_;
    std::int32_t origin_x_ = 0;
    std::int32_t origin_y_ = 0;
    bool invert_ = false;
    bool transparent_ = false;
};

// A row of up to KD_STACK_ROW_PIXELS on the stack, else the renderer's
// scratch memory (which the renderer keeps; nothing to release).
template <class Pixel> class Row_Buffer {
public:
    explicit Row_Buffer(const KT_Renderer_Data* renderer) : renderer_(renderer) {}
    Pixel* get(int n) {
        if (n <= KD_STACK_ROW_PIXELS) return stack_;
        if (!renderer_) return nullptr;
        return static_cast<Pixel*>(
            renderer_->procure_raster_buffer(static_cast<std::int32_t>(n * sizeof(Pixel))));
    }

private:
    const KT_Renderer_Data* renderer_;
    Pixel stack_[KD_STACK_ROW_PIXELS];
};

// Transparent pattern: each clear pixel alone, in the primitive's colour,
// depth stepped in 17.15.
void draw_pattern_dots(const KT_Rendition* rendition, const KT_Span_Data& data,
                       const Pattern& pattern, const KT_Span& span, int left, int n, int y) {
    const std::int32_t start = KD_Fixed_15_Start(span.left.depth);
    const std::int32_t step = KD_Fixed_15_Step(span.left.depth, span.right.depth, n);
    pattern.for_each(left, y, n, false, [&](int i) {
        const KT_DCI_Point dot = {left + i, y,
                                  static_cast<std::int32_t>(KD_Fixed_15_Value(start + i * step))};
        KD_Next_Action<KT_Slot_Draw_DCI_Dot>(rendition, &dot, &data.colour.rgb);
    });
}

void emit_rgb32_row(const KT_Rendition* rendition, const KT_Span& span, const KT_RGB32* row,
                    int left, int right, int y) {
    static const KT_Packing canonical;
    const KT_DCI_Point start = {left, y, static_cast<std::int32_t>(span.left.depth)};
    const KT_DCI_Point end = {right - 1, y, static_cast<std::int32_t>(span.right.depth)};
    KD_Next_Action<KT_Slot_Draw_DCI_RGB32_Image>(rendition, &start, &end, 0, row, colour_resolution,
                                                 &canonical);
}

// The frame every C24 rasterizer shares; fill(row, span, n) writes the
// n pixels of one span.
template <class Fill>
void rasterize_c24(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                   const KT_Span_Data* data, const KT_Span* spans, int count, std::int32_t first_y,
                   bool colour_only, Fill&& fill) {
    if (!drawable(rendition, data, spans, count)) return;
    const Pattern pattern(*rendition, data->fill_pattern, colour_only);
    const KT_RGB32 contrast = data->contrast_colour.rgb;
    Row_Buffer<KT_RGB32> buffer(renderer);
    for (int i = 0; i < count; ++i) {
        const KT_Span& span = spans[i];
        const int y = first_y + i;
        const int left = column_of(span.left.x);
        const int right = column_of(span.right.x);
        const int n = right - left;
        if (n <= 0) continue;
        if (pattern.transparent()) {
            draw_pattern_dots(rendition, *data, pattern, span, left, n, y);
            continue;
        }
        KT_RGB32* row = buffer.get(n);
        if (!row) continue;
        fill(row, span, n);
        if (pattern.present())
            pattern.for_each(left, y, n, true, [&](int p) { row[p] = contrast; });
        emit_rgb32_row(rendition, span, row, left, right, y);
    }
}

std::uint32_t word_of(const KT_RGB32& c) {
    return std::uint32_t(c.b) | std::uint32_t(c.g) << 8 | std::uint32_t(c.r) << 16 |
           std::uint32_t(c.a) << 24;
}

void fill_flat(KT_RGB32* row, std::uint32_t colour, int n) {
    auto* words = reinterpret_cast<std::uint32_t*>(row);
    std::fill_n(words, n, colour);
}

// Each channel's 16.16 word already holds its byte in bits 16-23; shifting
// the word lines the byte up with its place in the pixel.
void fill_gouraud(KT_RGB32* row, const KT_Span& span, int n) {
    const KT_Exact_Divider steps(n);
    const auto start = [&](int c) { return KD_Fixed_16_Start(span.left.colour[c].value >> 16); };
    const auto step = [&](int c) {
        return KD_Fixed_16_Step(span.left.colour[c].value >> 16, span.right.colour[c].value >> 16,
                                steps);
    };
    std::int32_t red = start(KT_Span_Red), red_step = step(KT_Span_Red);
    std::int32_t green = start(KT_Span_Green), green_step = step(KT_Span_Green);
    std::int32_t blue = start(KT_Span_Blue), blue_step = step(KT_Span_Blue);
    std::int32_t alpha = start(KT_Span_Alpha), alpha_step = step(KT_Span_Alpha);
    auto* words = reinterpret_cast<std::uint32_t*>(row);
    for (int i = 0; i < n; ++i) {
        words[i] = (std::uint32_t(alpha) << 8 & 0xFF000000u) | (std::uint32_t(red) & 0xFF0000u) |
                   (std::uint32_t(green) >> 8 & 0xFF00u) | (std::uint32_t(blue) >> 16 & 0xFFu);
        red += red_step;
        green += green_step;
        blue += blue_step;
        alpha += alpha_step;
    }
}

// Clamped to [0, 1]; NaN counts as 0.
std::uint8_t channel_byte(float v) {
    if (!(v > 0.0f)) return 0;
    return static_cast<std::uint8_t>((v < 1.0f ? v : 1.0f) * 255.99f);
}

KT_RGB32 pixel_of(const KT_RGBA& c) {
    return {channel_byte(c.blue), channel_byte(c.green), channel_byte(c.red),
            channel_byte(c.alpha)};
}

// Float quantities stepped linearly across a row, or, for perspective,
// as value / w beside 1 / w and divided back per pixel.
template <int N> class Row_Floats {
public:
    Row_Floats(const KT_Float_Interpolant (&left)[N], const KT_Float_Interpolant (&right)[N], int n,
               float left_w, float right_w, bool perspective) {
        perspective_ = perspective && left_w > 0.0f && right_w > 0.0f && std::isfinite(left_w) &&
                       std::isfinite(right_w);
        const float lw = perspective_ ? 1.0f / left_w : 1.0f;
        const float rw = perspective_ ? 1.0f / right_w : 1.0f;
        const float steps = static_cast<float>(n);
        for (int k = 0; k < N; ++k) {
            value_[k] = left[k].value * lw;
            step_[k] = (right[k].value * rw - value_[k]) / steps;
        }
        inverse_w_ = lw;
        inverse_w_step_ = (rw - lw) / steps;
    }

    // The quantities at the current pixel.
    void current(float (&out)[N]) const {
        const float scale = perspective_ ? 1.0f / inverse_w_ : 1.0f;
        for (int k = 0; k < N; ++k)
            out[k] = value_[k] * scale;
    }
    void step() {
        for (int k = 0; k < N; ++k)
            value_[k] += step_[k];
        inverse_w_ += inverse_w_step_;
    }

private:
    float value_[N];
    float step_[N];
    float inverse_w_ = 1.0f;
    float inverse_w_step_ = 0.0f;
    bool perspective_ = false;
};

// Colour of an edge as floats from its 16.16 integer parts.
class Row_Colour {
public:
    Row_Colour(const KT_Span& span, int n) {
        const float steps = static_cast<float>(n);
        for (int c = 0; c < KT_Span_Channel_Count; ++c) {
            const float a = static_cast<float>(span.left.colour[c].value >> 16) * (1.0f / 255.0f);
            const float b = static_cast<float>(span.right.colour[c].value >> 16) * (1.0f / 255.0f);
            value_[c] = a;
            step_[c] = (b - a) / steps;
        }
    }
    KT_RGBA current() const { return {value_[0], value_[1], value_[2], value_[3]}; }
    void step() {
        for (int c = 0; c < KT_Span_Channel_Count; ++c)
            value_[c] += step_[c];
    }

private:
    float value_[KT_Span_Channel_Count];
    float step_[KT_Span_Channel_Count];
};

bool has_flag(const KT_Rendition& rendition, KT_Perspective_Flag flag) {
    return (rendition.misc().perspective_flags & flag) != 0;
}

// Per-pixel shading of colour, position and normal (C24_R).
void fill_phong(const KT_Rendition& rendition, const KT_Span_Data& data, KT_RGB32* row,
                const KT_Span& span, int n) {
    const KT_Material& material = rendition.color().front_material;
    Row_Colour colour(span, n);
    Row_Floats<3> position(span.left.position, span.right.position, n, span.left.w.value,
                           span.right.w.value, has_flag(rendition, KT_Perspective_Positions));
    Row_Floats<3> normal(span.left.normal, span.right.normal, n, 1.0f, 1.0f, false);
    for (int i = 0; i < n; ++i) {
        float p[3];
        float v[3];
        position.current(p);
        normal.current(v);
        const KT_Point at = {p[0], p[1], p[2]};
        const KT_Vector unit = KD_Normalized(KT_Vector{v[0], v[1], v[2]});
        const KT_RGBA base = colour.current();
        row[i] = pixel_of(material.shade(&rendition, &unit, &at, &base, nullptr, 0, &data.vector));
        colour.step();
        position.step();
        normal.step();
    }
}

enum class Texture_Lighting { None, Flat, Gouraud, Per_Pixel };

// The span record carries one texture coordinate.
int carried_width(const KT_Span_Data& data) {
    return data.parameter_width > 0 ? 1 : 0;
}

template <Texture_Lighting Lighting>
void fill_textured(const KT_Rendition& rendition, const KT_Span_Data& data, KT_RGB32* row,
                   const KT_Span& span, int n) {
    const KT_Material& material = rendition.color().front_material;
    const float lw = span.left.w.value;
    const float rw = span.right.w.value;
    Row_Colour colour(span, n);
    Row_Floats<3> parameter(span.left.parameter, span.right.parameter, n, lw, rw,
                            has_flag(rendition, KT_Perspective_Parameters));
    Row_Floats<3> position(span.left.position, span.right.position, n, lw, rw,
                           has_flag(rendition, KT_Perspective_Positions));
    Row_Floats<3> normal(span.left.normal, span.right.normal, n, 1.0f, 1.0f, false);
    Row_Floats<3> multiplier(span.left.multiplier, span.right.multiplier, n, 1.0f, 1.0f, false);
    Row_Floats<3> addend(span.left.addend, span.right.addend, n, 1.0f, 1.0f, false);
    const int width = carried_width(data);
    for (int i = 0; i < n; ++i) {
        float t[3];
        float p[3];
        parameter.current(t);
        position.current(p);
        const KT_Parameter coordinate = {t[0], t[1], t[2]};
        const KT_Point at = {p[0], p[1], p[2]};
        const KT_RGBA base = colour.current();
        const KT_Parameter* parameters = width ? &coordinate : nullptr;
        KT_RGBA result;
        if constexpr (Lighting == Texture_Lighting::Per_Pixel) {
            float v[3];
            normal.current(v);
            const KT_Vector unit = KD_Normalized(KT_Vector{v[0], v[1], v[2]});
            result = material.shade(&rendition, &unit, &at, &base, parameters, width, &data.vector);
        } else if constexpr (Lighting == Texture_Lighting::None) {
            result =
                material.shade(&rendition, nullptr, &at, &base, parameters, width, &data.vector);
        } else {
            result = material.shade(&rendition, nullptr, &at, &base, parameters, width, nullptr);
            float m[3];
            float a[3];
            multiplier.current(m);
            addend.current(a);
            result = {result.red * m[0] + a[0], result.green * m[1] + a[1],
                      result.blue * m[2] + a[2], result.alpha};
        }
        row[i] = pixel_of(result);
        colour.step();
        parameter.step();
        position.step();
        if constexpr (Lighting == Texture_Lighting::Per_Pixel) normal.step();
        if constexpr (Lighting == Texture_Lighting::Gouraud) {
            multiplier.step();
            addend.step();
        }
    }
}

} // namespace

void KD_Rasterize_DC_Spans_C08_U(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                 const KT_Span_Data* data, const KT_Span* spans, int count,
                                 std::int32_t first_y) {
    if (!drawable(rendition, data, spans, count)) return;
    const Pattern pattern(*rendition, data->fill_pattern, true);
    const auto index = static_cast<std::uint8_t>(data->colour.index);
    const auto contrast = static_cast<std::uint8_t>(data->contrast_colour.index);
    Row_Buffer<std::uint8_t> buffer(renderer);
    for (int i = 0; i < count; ++i) {
        const KT_Span& span = spans[i];
        const int y = first_y + i;
        const int left = column_of(span.left.x);
        const int n = column_of(span.right.x) - left;
        if (n <= 0) continue;
        if (pattern.transparent()) {
            // Each clear pixel as a one-pixel row at depth 0.
            pattern.for_each(left, y, n, false, [&](int p) {
                const KT_DCI_Point at = {left + p, y, 0};
                KD_Next_Action<KT_Slot_Draw_DCI_Index8_Image>(rendition, &at, &at, 0, &index);
            });
            continue;
        }
        std::uint8_t* row = buffer.get(n);
        if (!row) continue;
        std::fill_n(row, n, index);
        if (pattern.present())
            pattern.for_each(left, y, n, true, [&](int p) { row[p] = contrast; });
        const KT_DCI_Point start = {left, y, static_cast<std::int32_t>(span.left.depth)};
        const KT_DCI_Point end = {left + n - 1, y, static_cast<std::int32_t>(span.right.depth)};
        KD_Next_Action<KT_Slot_Draw_DCI_Index8_Image>(rendition, &start, &end, 0, row);
    }
}

void KD_Rasterize_DC_Spans_C24_C(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                 const KT_Span_Data* data, const KT_Span* spans, int count,
                                 std::int32_t first_y) {
    if (!data) return;
    const std::uint32_t colour = word_of(data->colour.rgb);
    rasterize_c24(renderer, rendition, data, spans, count, first_y, true,
                  [colour](KT_RGB32* row, const KT_Span&, int n) { fill_flat(row, colour, n); });
}

void KD_Rasterize_DC_Spans_C24_G(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                 const KT_Span_Data* data, const KT_Span* spans, int count,
                                 std::int32_t first_y) {
    rasterize_c24(renderer, rendition, data, spans, count, first_y, false,
                  [](KT_RGB32* row, const KT_Span& span, int n) { fill_gouraud(row, span, n); });
}

void KD_Rasterize_DC_Spans_C24_R(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                 const KT_Span_Data* data, const KT_Span* spans, int count,
                                 std::int32_t first_y) {
    rasterize_c24(renderer, rendition, data, spans, count, first_y, false,
                  [&](KT_RGB32* row, const KT_Span& span, int n) {
                      fill_phong(*rendition, *data, row, span, n);
                  });
}

namespace {

template <Texture_Lighting Lighting>
void rasterize_textured(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                        const KT_Span_Data* data, const KT_Span* spans, int count,
                        std::int32_t first_y) {
    rasterize_c24(renderer, rendition, data, spans, count, first_y, false,
                  [&](KT_RGB32* row, const KT_Span& span, int n) {
                      fill_textured<Lighting>(*rendition, *data, row, span, n);
                  });
}

} // namespace

void KD_Rasterize_DC_Spans_C24_T(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                 const KT_Span_Data* data, const KT_Span* spans, int count,
                                 std::int32_t first_y) {
    rasterize_textured<Texture_Lighting::None>(renderer, rendition, data, spans, count, first_y);
}

void KD_Rasterize_DC_Spans_C24_TF(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                  const KT_Span_Data* data, const KT_Span* spans, int count,
                                  std::int32_t first_y) {
    rasterize_textured<Texture_Lighting::Flat>(renderer, rendition, data, spans, count, first_y);
}

void KD_Rasterize_DC_Spans_C24_TG(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                  const KT_Span_Data* data, const KT_Span* spans, int count,
                                  std::int32_t first_y) {
    rasterize_textured<Texture_Lighting::Gouraud>(renderer, rendition, data, spans, count, first_y);
}

void KD_Rasterize_DC_Spans_C24_TR(const KT_Renderer_Data* renderer, const KT_Rendition* rendition,
                                  const KT_Span_Data* data, const KT_Span* spans, int count,
                                  std::int32_t first_y) {
    rasterize_textured<Texture_Lighting::Per_Pixel>(renderer, rendition, data, spans, count,
                                                    first_y);
}
