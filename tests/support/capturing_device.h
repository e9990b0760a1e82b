// A device that keeps what the raster engine hands it: every DCI RGB32 or
// Index8 row and every DCI dot lands in a picture with depth, so pixel tests
// compare whole pictures instead of call logs.
//
// Depth across a row is stepped from the row's first to its last pixel by
// capture::row_depth; a reference that predicts pictures uses the same rule.
#pragma once

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "renderer/device_data.h"
#include "rendition/rendition.h"

namespace capture {

// Depth of pixel i of a row of n pixels whose ends carry first and last.
inline std::uint32_t row_depth(std::uint32_t first, std::uint32_t last, std::int64_t n,
                               std::int64_t i) {
    if (n <= 1) return first;
    const std::int64_t difference = static_cast<std::int64_t>(last) - first;
    return static_cast<std::uint32_t>(first + difference * i / (n - 1));
}

struct Pixel {
    KT_RGB32 colour = {0, 0, 0, 0};
    std::int32_t index = -1; // palette index of Index8 rows, -1 otherwise
    std::uint32_t depth = 0;
    std::int32_t hits = 0; // how many rows or dots wrote the pixel

    bool operator==(const Pixel& other) const {
        return colour.b == other.colour.b && colour.g == other.colour.g &&
               colour.r == other.colour.r && colour.a == other.colour.a && index == other.index &&
               depth == other.depth && hits == other.hits;
    }
};

inline std::string describe(const Pixel& p) {
    std::ostringstream text;
    text << "rgba(" << int(p.colour.r) << "," << int(p.colour.g) << "," << int(p.colour.b) << ","
         << int(p.colour.a) << ") index " << p.index << " depth " << p.depth << " hits " << p.hits;
    return text.str();
}

// Pixels of a window, row 0 at the bottom as in device coordinates.
class Picture {
public:
    Picture(int width, int height)
        : width_(width), height_(height), pixels_(std::size_t(width) * height) {}

    int width() const { return width_; }
    int height() const { return height_; }
    bool contains(std::int64_t x, std::int64_t y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    }
    Pixel& at(int x, int y) { return pixels_[std::size_t(y) * width_ + x]; }
    const Pixel& at(int x, int y) const { return pixels_[std::size_t(y) * width_ + x]; }

    // Writes one pixel; false when it lies outside the window.
    bool put(std::int64_t x, std::int64_t y, const Pixel& value) {
        if (!contains(x, y)) return false;
        Pixel& p = at(int(x), int(y));
        const int hits = p.hits;
        p = value;
        p.hits = hits + 1;
        return true;
    }

    int covered_count() const {
        int n = 0;
        for (const Pixel& p : pixels_)
            n += p.hits > 0;
        return n;
    }
    int max_hits() const {
        int most = 0;
        for (const Pixel& p : pixels_)
            most = p.hits > most ? p.hits : most;
        return most;
    }

    // "" when equal, else where and how the first difference shows.
    std::string first_difference(const Picture& expected) const {
        if (expected.width_ != width_ || expected.height_ != height_)
            return "pictures differ in size";
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (!(at(x, y) == expected.at(x, y))) {
                    std::ostringstream text;
                    text << "pixel (" << x << ", " << y << "): drawn " << describe(at(x, y))
                         << ", expected " << describe(expected.at(x, y));
                    return text.str();
                }
        return "";
    }

private:
    int width_;
    int height_;
    std::vector<Pixel> pixels_;
};

// One row as the device received it.
struct Row {
    KT_DCI_Point start;
    KT_DCI_Point end;
    bool index8;
};

class Device : public KT_Device_Data {
public:
    Device(int width, int height, int buffer_depth = 16,
           KT_Color_System colours = KT_Color_System::True_Color)
        : picture(width, height) {
        KT_Renderer_Options& o = current_renderer_options;
        o.set_window_origin({0, 0});
        o.set_window_size({width, height});
        o.set_buffer_depth(buffer_depth);
        o.set_pixel_aspect(1.0f);
        o.set_color_system(colours);
        set_action<KT_Slot_Draw_DCI_RGB32_Image>(&take_rgb32_row);
        set_action<KT_Slot_Draw_DCI_Index8_Image>(&take_index8_row);
        set_action<KT_Slot_Draw_DCI_Dot>(&take_dot);
    }

    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
    void update_palette() override {}

    // Forgets everything drawn so far.
    void clear() {
        picture = Picture(picture.width(), picture.height());
        rows.clear();
        dots = 0;
        outside = 0;
        malformed = 0;
    }

    Picture picture;
    std::vector<Row> rows;
    int dots = 0;
    int outside = 0;   // pixels that fell outside the window
    int malformed = 0; // rows that were not one row of at least one pixel

private:
    static Device& self(const KT_Renderer_Data* owner) {
        return *const_cast<Device*>(static_cast<const Device*>(owner));
    }

    bool accept(const KT_DCI_Point* start, const KT_DCI_Point* end, bool index8) {
        if (!start || !end || start->y != end->y || end->x < start->x) {
            ++malformed;
            return false;
        }
        rows.push_back({*start, *end, index8});
        return true;
    }

    // Pixels [first, last) of a row of n from start lie in the window; the
    // others are counted as outside without being visited.
    struct Span_Inside {
        std::int64_t first;
        std::int64_t last;
    };
    Span_Inside inside(const KT_DCI_Point& start, std::int64_t n) {
        Span_Inside s = {0, 0};
        if (start.y >= 0 && start.y < picture.height()) {
            s.first = std::clamp<std::int64_t>(-std::int64_t(start.x), 0, n);
            s.last = std::clamp<std::int64_t>(picture.width() - std::int64_t(start.x), s.first, n);
        }
        outside += int(n - (s.last - s.first));
        return s;
    }

    void put(std::int64_t x, std::int64_t y, const Pixel& value) {
        if (!picture.put(x, y, value)) ++outside;
    }

    static void take_rgb32_row(const KT_Renderer_Data* owner, const KT_Rendition*,
                               const KT_DCI_Point* start, const KT_DCI_Point* end, int,
                               const KT_RGB32* pixels, int, const KT_Packing*) {
        Device& d = self(owner);
        if (!pixels || !d.accept(start, end, false)) return;
        const std::int64_t n = std::int64_t(end->x) - start->x + 1;
        const Span_Inside inside = d.inside(*start, n);
        for (std::int64_t i = inside.first; i < inside.last; ++i)
            d.put(start->x + i, start->y,
                  {pixels[i], -1, row_depth(std::uint32_t(start->z), std::uint32_t(end->z), n, i),
                   0});
    }

    static void take_index8_row(const KT_Renderer_Data* owner, const KT_Rendition*,
                                const KT_DCI_Point* start, const KT_DCI_Point* end, int,
                                const unsigned char* pixels) {
        Device& d = self(owner);
        if (!pixels || !d.accept(start, end, true)) return;
        const std::int64_t n = std::int64_t(end->x) - start->x + 1;
        const Span_Inside inside = d.inside(*start, n);
        for (std::int64_t i = inside.first; i < inside.last; ++i)
            d.put(start->x + i, start->y,
                  {{0, 0, 0, 0},
                   pixels[i],
                   row_depth(std::uint32_t(start->z), std::uint32_t(end->z), n, i),
                   0});
    }

    // A dot without colour takes the rendition's front colour.
    static void take_dot(const KT_Renderer_Data* owner, const KT_Rendition* rendition,
                         const KT_DCI_Point* point, const KT_RGB32* colour) {
        Device& d = self(owner);
        if (!point) return;
        ++d.dots;
        KT_RGB32 c = colour ? *colour : KT_RGB32{0, 0, 0, 255};
        if (!colour && rendition && *rendition) c = rendition->color().front.device_rgb;
        d.put(point->x, point->y, {c, -1, std::uint32_t(point->z), 0});
    }
};

} // namespace capture
