// A device whose chosen action slots record each call (which slot, which
// owner, the points and the colours) instead of drawing, so routing tests
// can see where a primitive went and what it carried. Every slot not chosen
// keeps its standard routine.
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

// One overload per argument list of the slot families.
template <class P>
void note(int slot, const KT_Renderer_Data* owner, const KT_Rendition*, int count,
          const P* points) {
    calls().push_back(begin(slot, owner, count, points));
}

template <class P>
void note(int slot, const KT_Renderer_Data* owner, const KT_Rendition*, int count, const P* points,
          const KT_RGB32* colors, bool single) {
    Call c = begin(slot, owner, count, points);
    const int per_item = is_polytriangle(slot) ? count - 2 : count - 1;
    copy_colors(c, colors, single ? 1 : per_item);
    c.single_color = single;
    calls().push_back(c);
}

// Gouraud primitives carry a colour per vertex; polygons one colour.
template <class P>
void note(int slot, const KT_Renderer_Data* owner, const KT_Rendition*, int count, const P* points,
          const KT_RGB32* colors) {
    Call c = begin(slot, owner, count, points);
    const bool polygon = std::string(KD_Action_Name(slot)).find("Polygon") != std::string::npos;
    copy_colors(c, colors, polygon ? 1 : count);
    calls().push_back(c);
}

template <class P>
void note(int slot, const KT_Renderer_Data* owner, const KT_Rendition*, int count, const P* points,
          const KT_Vector* normals, const KT_RGB32* colors, const KT_Point*, const float*) {
    Call c = begin(slot, owner, count, points);
    copy_colors(c, colors, count);
    c.normals = normals ? count : 0;
    calls().push_back(c);
}

template <class P>
void note(int slot, const KT_Renderer_Data* owner, const KT_Rendition*, int count, const P* points,
          const KT_RGB32* colors, const KT_Parameter* parameters, int width, const float* w,
          const KT_Vector* vectors) {
    Call c = begin(slot, owner, count, points);
    copy_colors(c, colors, count);
    c.parameters = parameters ? width : 0;
    c.normals = vectors ? count : 0;
    for (int i = 0; w && i < count; ++i)
        c.w.push_back(w[i]);
    calls().push_back(c);
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

    // Makes slot Slot record its calls.
    template <int Slot> void record() { set_action<Slot>(&Recorder<Slot>::routine); }

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

inline constexpr KT_Int_Rectangle clip_10_to_90 = {10, 90, 10, 90};

inline bool inside(const KT_Int_Rectangle& r, const KT_Point_D& p) {
    return p.x >= r.left && p.x <= r.right && p.y >= r.bottom && p.y <= r.top;
}

// Filled areas may reach one past the right and top bounds: half-open
// coverage needs that far side to draw the clip's last column and row.
inline bool inside_pixels(const KT_Int_Rectangle& r, const KT_Point_D& p) {
    return p.x >= r.left && p.x <= r.right + 1.0 && p.y >= r.bottom && p.y <= r.top + 1.0;
}

// A recording device of 100 by 100 pixels and a rendition for it whose hard
// clip is clip_10_to_90.
class Routing_Test : public ::testing::Test {
protected:
    Routing_Test() : device(new Device(100, 100)), rendition(device.body()) {
        rendition.set_hard_clip_unrestricted(clip_10_to_90, false);
    }

    const KT_Int_Rectangle& hard_clip() const { return rendition.transform().hard_clip; }

    KT_Pointer<Device> device;
    KT_Rendition rendition;
};

} // namespace slots
