// A device whose chosen action slots record each call (which slot, which
// owner, the points, the colours, figure values and the rendition state
// the call saw) instead of drawing, so routing tests can follow a
// primitive from the slot it enters through every slot it reaches. Every
// slot not chosen keeps its standard routine.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "renderer/device_data.h"
#include "rendition/rendition.h"

namespace slots {

struct Call {
    int slot = -1;
    const KT_Renderer_Data* owner = nullptr;
    std::vector<KT_Point_D> points;
    std::vector<KT_RGB32> colors;
    bool single_color = false;
    int normals = 0;    // how many normals came with the call
    int parameters = 0; // parameter rows per vertex (textured)
    std::vector<float> w;
    // Ellipses and arcs.
    KT_Point_D radii = {0, 0, 0};
    double start = 0;
    double end = 0;
    // What the rendition handed to the slot said.
    int line_pattern = 0;
    int line_weight = 0;
    int marker_symbol = 0;
    int face_pattern = 0;

    std::string name() const { return KD_Action_Name(slot); }
};

inline std::vector<Call>& calls() {
    static std::vector<Call> log;
    return log;
}

template <class P> KT_Point_D widen(const P& p) {
    return {double(p.x), double(p.y), double(p.z)};
}

inline bool is_polytriangle(int slot) {
    return std::string(KD_Action_Name(slot)).find("Polytriangle") != std::string::npos;
}

template <class P> Call begin(int slot, const KT_Renderer_Data* owner, int count, const P* points) {
    Call c;
    c.slot = slot;
    c.owner = owner;
    for (int i = 0; points && i < count; ++i)
        c.points.push_back(widen(points[i]));
    return c;
}

inline void copy_colors(Call& c, const KT_RGB32* colors, int n) {
    for (int i = 0; colors && i < n; ++i)
        c.colors.push_back(colors[i]);
}

inline void keep(Call c, const KT_Rendition* r) {
    if (r && !r->empty()) {
        c.line_pattern = r->line().line_pattern;
        c.line_weight = r->line().line_weight;
        c.marker_symbol = r->marker().marker_symbol;
        c.face_pattern = r->face().face_pattern;
    }
    calls().push_back(c);
}

// One overload per argument list of the slot families.
template <class P>
void note(int slot, const KT_Renderer_Data* owner, const KT_Rendition* r, int count,
          const P* points) {
    keep(begin(slot, owner, count, points), r);
}

template <class P>
void note(int slot, const KT_Renderer_Data* owner, const KT_Rendition* r, int count,
          const P* points, const KT_RGB32* colors, bool single) {
    Call c = begin(slot, owner, count, points);
    const int per_item = is_polytriangle(slot) ? count - 2 : count - 1;
    copy_colors(c, colors, single ? 1 : per_item);
    c.single_color = single;
    keep(c, r);
}

// Gouraud primitives carry a colour per vertex; polygons one colour.
template <class P>
void note(int slot, const KT_Renderer_Data* owner, const KT_Rendition* r, int count,
          const P* points, const KT_RGB32* colors) {
    Call c = begin(slot, owner, count, points);
    const bool polygon = std::string(KD_Action_Name(slot)).find("Polygon") != std::string::npos;
    copy_colors(c, colors, polygon ? 1 : count);
    keep(c, r);
}

template <class P>
void note(int slot, const KT_Renderer_Data* owner, const KT_Rendition* r, int count,
          const P* points, const KT_Vector* normals, const KT_RGB32* colors, const KT_Point*,
          const float*) {
    Call c = begin(slot, owner, count, points);
    copy_colors(c, colors, count);
    c.normals = normals ? count : 0;
    keep(c, r);
}

template <class P>
void note(int slot, const KT_Renderer_Data* owner, const KT_Rendition* r, int count,
          const P* points, const KT_RGB32* colors, const KT_Parameter* parameters, int width,
          const float* w, const KT_Vector* vectors) {
    Call c = begin(slot, owner, count, points);
    copy_colors(c, colors, count);
    c.parameters = parameters ? width : 0;
    c.normals = vectors ? count : 0;
    for (int i = 0; w && i < count; ++i)
        c.w.push_back(w[i]);
    keep(c, r);
}

// Dots.
template <class P>
void note(int slot, const KT_Renderer_Data* owner, const KT_Rendition* r, const P* point,
          const KT_RGB32* color) {
    Call c = begin(slot, owner, 1, point);
    copy_colors(c, color, 1);
    keep(c, r);
}

// Ellipses and arcs: the centre is the call's point.
template <class P>
void note(int slot, const KT_Renderer_Data* owner, const KT_Rendition* r, const P* centre,
          const P* radii, double start, double end, double, const KT_RGB32* color) {
    Call c = begin(slot, owner, 1, centre);
    if (radii) c.radii = widen(*radii);
    c.start = start;
    c.end = end;
    copy_colors(c, color, 1);
    keep(c, r);
}

// RGB32 rows: the points are the row's ends, the colour its first pixel.
inline void note(int slot, const KT_Renderer_Data* owner, const KT_Rendition* r,
                 const KT_DCI_Point* start, const KT_DCI_Point* end, int, const KT_RGB32* pixels,
                 int, const KT_Packing*) {
    Call c = begin(slot, owner, 1, start);
    if (end) c.points.push_back(widen(*end));
    copy_colors(c, pixels, 1);
    keep(c, r);
}

template <int Slot, class Routine = typename KT_Action_Type<Slot>::Routine> struct Recorder;
template <int Slot, class... A> struct Recorder<Slot, void (*)(const KT_Renderer_Data*, A...)> {
    static void routine(const KT_Renderer_Data* owner, A... arguments) {
        note(Slot, owner, arguments...);
    }
};

class Device : public KT_Device_Data {
public:
    Device(int width, int height) {
        KT_Renderer_Options& o = current_renderer_options;
        o.set_window_origin({0, 0});
        o.set_window_size({width, height});
        o.set_buffer_depth(16);
        o.set_pixel_aspect(1.0f);
        calls().clear();
    }

    // Makes each of the slots record its calls.
    template <int... Slots> void record() { (set_action<Slots>(&Recorder<Slots>::routine), ...); }

    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
    void update_palette() override {}
};

// The calls that reached slot.
inline std::vector<Call> calls_to(int slot) {
    std::vector<Call> found;
    for (const Call& c : calls())
        if (c.slot == slot) found.push_back(c);
    return found;
}

// The names of the slots reached, in order.
inline std::vector<std::string> names() {
    std::vector<std::string> found;
    for (const Call& c : calls())
        found.push_back(c.name());
    return found;
}

inline constexpr KT_Int_Rectangle clip_10_to_90 = {10, 90, 10, 90};

inline bool inside(const KT_Int_Rectangle& r, const KT_Point_D& p) {
    return p.x >= r.left && p.x <= r.right && p.y >= r.bottom && p.y <= r.top;
}

// Filled areas may reach one past the right and top bounds: half-open
// coverage needs that far side to draw the clip's last column and row.
inline bool inside_pixels(const KT_Int_Rectangle& r, const KT_Point_D& p) {
    return p.x >= r.left && p.x <= r.right + 1.0 && p.y >= r.bottom && p.y <= r.top + 1.0;
}

// A recording device for a window and a rendition drawing for it.
class Recording_Test : public ::testing::Test {
protected:
    Recording_Test(int width, int height)
        : device(new Device(width, height)), rendition(device.body()) {}

    KT_Renderer_Data* top() const { return device.body(); }

    KT_Pointer<Device> device;
    KT_Rendition rendition;
};

// A recording device of 100 by 100 pixels whose rendition's hard clip is
// clip_10_to_90.
class Routing_Test : public Recording_Test {
protected:
    Routing_Test() : Recording_Test(100, 100) {
        rendition.set_hard_clip_unrestricted(clip_10_to_90, false);
    }

    const KT_Int_Rectangle& hard_clip() const { return rendition.transform().hard_clip; }
};

} // namespace slots
