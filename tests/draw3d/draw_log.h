// What the 3D actions hand to the slots beneath them: a device whose 2D,
// DC and 2DD slots write each call to a log instead of drawing, and a
// material that counts its shade calls.
#pragma once

#include <string>
#include <vector>

#include "../rendition/test_device.h"
#include "appearance/light.h"
#include "appearance/light_set.h"
#include "appearance/material.h"
#include "renderer/next_action.h"
#include "rendition/rendition.h"

namespace draw_log {

struct Call {
    std::string slot; // the slot's name, "Draw_2D_Polyline"
    std::vector<KT_Point_D> points;
    std::vector<KT_RGB32> colours;
    bool one_colour = false;
    bool has_normals = false;
    std::vector<KT_Vector> normals;
    std::wstring text;
};

inline std::vector<Call>& calls() {
    static std::vector<Call> log;
    return log;
}

template <class P> Call& add(int slot, int n, const P* points) {
    Call call;
    call.slot = KD_Action_Name(slot);
    for (int i = 0; i < n; ++i)
        call.points.push_back({points[i].x, points[i].y, points[i].z});
    calls().push_back(call);
    return calls().back();
}

template <int Slot, class P>
void plain(const KT_Renderer_Data*, const KT_Rendition*, int n, const P* points) {
    add(Slot, n, points);
}
template <int Slot, class P>
void gouraud(const KT_Renderer_Data*, const KT_Rendition*, int n, const P* points,
             const KT_RGB32* colours) {
    Call& call = add(Slot, n, points);
    call.colours.assign(colours, colours + n);
}
template <int Slot, class P>
void colorized(const KT_Renderer_Data*, const KT_Rendition*, int n, const P* points,
               const KT_RGB32* colours, bool one) {
    Call& call = add(Slot, n, points);
    call.one_colour = one;
    call.colours.push_back(colours[0]);
}
template <int Slot, class P>
void phong(const KT_Renderer_Data*, const KT_Rendition*, int n, const P* points,
           const KT_Vector* normals, const KT_RGB32*, const KT_Point*, const float*) {
    Call& call = add(Slot, n, points);
    call.has_normals = normals != nullptr;
    if (normals) call.normals.assign(normals, normals + n);
}
template <int Slot, class P>
void textured(const KT_Renderer_Data*, const KT_Rendition*, int n, const P* points, const KT_RGB32*,
              const KT_Parameter*, int, const float*, const KT_Vector*) {
    add(Slot, n, points);
}
inline void ellipse(const KT_Renderer_Data*, const KT_Rendition*, const KT_Point* centre,
                    const KT_Point* radii, double, double, double, const KT_RGB32*) {
    const KT_Point both[2] = {*centre, *radii};
    add(KT_Slot_Draw_2D_Ellipse, 2, both);
}
template <int Slot, class Char>
void text(const KT_Renderer_Data*, const KT_Rendition*, const KT_Point* anchor, const Char* s,
          int n) {
    Call& call = add(Slot, 1, anchor);
    call.text.assign(s, s + n);
}

// A 641 x 481 window with a 16-bit depth buffer whose lower slots log.
// The default camera looks from (0, 0, -5) at the origin: a point (x, y, 0)
// lands on device (320 + 240 x, 240 + 240 y), and points with z below
// -4.75 lie behind the near limit.
class Device : public rendition_test::Device {
public:
    Device() : rendition_test::Device(641, 481, 16) {
        set_polytriangles<KT_Point, KT_Slot_Draw_2D_Polytriangle,
                          KT_Slot_Draw_2D_Colorized_Polytriangle,
                          KT_Slot_Draw_2D_Gouraud_Polytriangle, KT_Slot_Draw_2D_Phong_Polytriangle,
                          KT_Slot_Draw_2D_Textured_Polytriangle>();
        set_polytriangles<KT_Point, KT_Slot_Draw_DC_Polytriangle,
                          KT_Slot_Draw_DC_Colorized_Polytriangle,
                          KT_Slot_Draw_DC_Gouraud_Polytriangle, KT_Slot_Draw_DC_Phong_Polytriangle,
                          KT_Slot_Draw_DC_Textured_Polytriangle>();
        set_polytriangles<
            KT_Point_D, KT_Slot_Draw_2DD_Polytriangle, KT_Slot_Draw_2DD_Colorized_Polytriangle,
            KT_Slot_Draw_2DD_Gouraud_Polytriangle, KT_Slot_Draw_2DD_Phong_Polytriangle,
            KT_Slot_Draw_2DD_Textured_Polytriangle>();
        set_polylines<KT_Point, KT_Slot_Draw_2D_Polyline, KT_Slot_Draw_2D_Colorized_Polyline,
                      KT_Slot_Draw_2D_Gouraud_Polyline, KT_Slot_Draw_2D_Phong_Polyline>();
        set_polylines<KT_Point, KT_Slot_Draw_DC_Polyline, KT_Slot_Draw_DC_Colorized_Polyline,
                      KT_Slot_Draw_DC_Gouraud_Polyline, KT_Slot_Draw_DC_Phong_Polyline>();
        set_polylines<KT_Point_D, KT_Slot_Draw_2DD_Polyline, KT_Slot_Draw_2DD_Colorized_Polyline,
                      KT_Slot_Draw_2DD_Gouraud_Polyline, KT_Slot_Draw_2DD_Phong_Polyline>();
        set_action<KT_Slot_Draw_2D_Polymarker>(plain<KT_Slot_Draw_2D_Polymarker, KT_Point>);
        set_action<KT_Slot_Draw_2D_Colorized_Polymarker>(
            colorized<KT_Slot_Draw_2D_Colorized_Polymarker, KT_Point>);
        set_action<KT_Slot_Draw_2D_Ellipse>(ellipse);
        set_action<KT_Slot_Draw_2D_Text>(text<KT_Slot_Draw_2D_Text, char>);
        set_action<KT_Slot_Draw_2D_Text_Wide>(text<KT_Slot_Draw_2D_Text_Wide, wchar_t>);
    }

private:
    template <class P, int Plain, int Colorized, int Gouraud, int Phong, int Textured>
    void set_polytriangles() {
        set_polylines<P, Plain, Colorized, Gouraud, Phong>();
        set_action<Textured>(textured<Textured, P>);
    }
    template <class P, int Plain, int Colorized, int Gouraud, int Phong> void set_polylines() {
        set_action<Plain>(plain<Plain, P>);
        set_action<Colorized>(colorized<Colorized, P>);
        set_action<Gouraud>(gouraud<Gouraud, P>);
        set_action<Phong>(phong<Phong, P>);
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

// A rendition on the logging device, lit by one distant light when asked.
inline void light(KT_Rendition& r) {
    r.modify_color().light_set = KT_Light_Set(KT_Distant_Light({0, 0, 1}));
}

template <class Record, int Slot> void draw(const KT_Rendition& r, const Record& record) {
    calls().clear();
    KD_Next_Action<Slot>(&r, &record);
}

} // namespace draw_log
