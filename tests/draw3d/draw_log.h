// What the 3D actions hand to the slots beneath them: the shared slot
// recorder on a 641 x 481 window, with every 2D, DC and 2DD slot the 3D
// actions call recording, and a material that counts its shade calls.
#pragma once

#include <string>
#include <vector>

#include "../support/slot_recorder.h"
#include "appearance/light.h"
#include "appearance/light_set.h"
#include "appearance/material.h"
#include "renderer/next_action.h"

namespace draw_log {

using slots::Call;
using slots::calls;

// What the shared recorder does not keep: the characters of text calls and
// the normals of Phong calls, one entry per such call.
inline std::vector<std::wstring>& texts() {
    static std::vector<std::wstring> log;
    return log;
}
inline std::vector<std::vector<KT_Vector>>& phong_normals() {
    static std::vector<std::vector<KT_Vector>> log;
    return log;
}

inline void ellipse(const KT_Renderer_Data* owner, const KT_Rendition*, const KT_Point* centre,
                    const KT_Point* radii, double, double, double, const KT_RGB32*) {
    const KT_Point both[2] = {*centre, *radii};
    calls().push_back(slots::begin(KT_Slot_Draw_2D_Ellipse, owner, 2, both));
}
template <int Slot, class Char>
void text(const KT_Renderer_Data* owner, const KT_Rendition*, const KT_Point* anchor, const Char* s,
          int n) {
    calls().push_back(slots::begin(Slot, owner, 1, anchor));
    texts().emplace_back(s, s + n);
}
template <int Slot, class P>
void phong(const KT_Renderer_Data* owner, const KT_Rendition* r, int n, const P* points,
           const KT_Vector* normals, const KT_RGB32* colours, const KT_Point* positions,
           const float* w) {
    slots::note(Slot, owner, r, n, points, normals, colours, positions, w);
    phong_normals().emplace_back();
    if (normals) phong_normals().back().assign(normals, normals + n);
}

// The default camera looks from (0, 0, -5) at the origin: a point (x, y, 0)
// lands on device (320 + 240 x, 240 + 240 y), and points with z below
// -4.75 lie behind the near limit.
class Device : public slots::Device {
public:
    Device() : slots::Device(641, 481) {
        record_family<KT_Slot_Draw_2D_Polytriangle, KT_Slot_Draw_2D_Polyline>();
        record_family<KT_Slot_Draw_DC_Polytriangle, KT_Slot_Draw_DC_Polyline>();
        record_family<KT_Slot_Draw_2DD_Polytriangle, KT_Slot_Draw_2DD_Polyline>();
        set_action<KT_Slot_Draw_2D_Phong_Polytriangle>(
            phong<KT_Slot_Draw_2D_Phong_Polytriangle, KT_Point>);
        set_action<KT_Slot_Draw_2DD_Phong_Polytriangle>(
            phong<KT_Slot_Draw_2DD_Phong_Polytriangle, KT_Point_D>);
        record<KT_Slot_Draw_2D_Polymarker>();
        record<KT_Slot_Draw_2D_Colorized_Polymarker>();
        set_action<KT_Slot_Draw_2D_Ellipse>(ellipse);
        set_action<KT_Slot_Draw_2D_Text>(text<KT_Slot_Draw_2D_Text, char>);
        set_action<KT_Slot_Draw_2D_Text_Wide>(text<KT_Slot_Draw_2D_Text_Wide, wchar_t>);
        texts().clear();
        phong_normals().clear();
    }

private:
    // The five polytriangle kinds follow Triangles in slot order, five
    // slots apart; the four polyline kinds likewise follow Lines.
    template <int Triangles, int Lines> void record_family() {
        record<Triangles>();
        record<Triangles + 5>();
        record<Triangles + 10>();
        record<Triangles + 15>();
        record<Triangles + 20>();
        record<Lines>();
        record<Lines + 5>();
        record<Lines + 10>();
        record<Lines + 15>();
    }
};

// One shade call: where, and with which side's normal.
struct Shading {
    KT_Point point;
    KT_Vector second;
};

// Returns mid grey and notes every call.
class Counting_Material_Data : public KT_Material_Data {
public:
    KT_Counted* copy() const override { return new Counting_Material_Data(*this); }
    KT_RGBA shade(const KT_Rendition*, const KT_Vector*, const KT_Point* point, const KT_RGBA*,
                  const KT_Parameter*, int, const KT_Vector* second) const override {
        shadings.push_back({*point, second ? *second : KT_Vector{0, 0, 0}});
        return {0.5f, 0.5f, 0.5f, 1.0f};
    }
    mutable std::vector<Shading> shadings;
};

class Counting_Material : public KT_Material {
public:
    Counting_Material() : KT_Material(new Counting_Material_Data) {}
    const std::vector<Shading>& shadings() const {
        return static_cast<const Counting_Material_Data*>(body_)->shadings;
    }
};

// Lights the rendition with a dim ambient light and a distant light above,
// right of and behind the viewer, and gives it a grey material, so that
// every face's colour tells how it is turned.
inline void light(KT_Rendition& r) {
    KT_Light_Set lights(KT_Ambient_Light({0.2f, 0.2f, 0.2f}));
    lights.add(KT_Distant_Light({0.4f, 0.6f, -1.0f}));
    KT_Color_Data& colour = r.modify_color();
    colour.light_set = lights;
    colour.front_material = KT_Complex_Material();
}

template <class Record, int Slot> void draw(const KT_Rendition& r, const Record& record) {
    calls().clear();
    texts().clear();
    phong_normals().clear();
    KD_Next_Action<Slot>(&r, &record);
}

} // namespace draw_log
