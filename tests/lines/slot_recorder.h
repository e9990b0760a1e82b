// A device whose chosen slots record each call (slot, points, colour,
// figure values and the rendition state the call saw) instead of drawing,
// so that tests follow a primitive from the slot it enters through every
// slot it reaches. Slots not intercepted keep their standard routines.
#pragma once

#include <gtest/gtest.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "renderer/device_data.h"
#include "rendition/rendition.h"

namespace lines_test {

struct Call {
    std::string slot; // the slot's name, "Draw_2D_Polygon"
    std::vector<KT_Point_D> points;
    bool has_colour = false;
    KT_RGB32 colour = {0, 0, 0, 0};
    bool single = false;
    // Ellipses and arcs.
    KT_Point_D radii = {0, 0, 0};
    double start = 0;
    double end = 0;
    // What the rendition handed to the slot said.
    int line_pattern = 0;
    int line_weight = 0;
    int marker_symbol = 0;
    int face_pattern = 0;
};

template <class P> KT_Point_D as_double(const P& p) {
    return {static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(p.z)};
}

class Recorder : public KT_Device_Data {
public:
    Recorder(int width, int height) {
        KT_Renderer_Options& o = current_renderer_options;
        o.set_window_origin({0, 0});
        o.set_window_size({width, height});
        o.set_buffer_depth(16);
        o.set_pixel_aspect(1.0f);
    }
    int establish_driver() override { return 0; }
    void begin_picture(KT_Document_Info*) override {}
    void end_picture() override {}
    void update(const KT_Int_Rectangle&) override {}
    void update_palette() override {}

    template <int... Slots> void intercept() { (set_action<Slots>(&Routine<Slots>::routine), ...); }

    // The calls that reached one slot, in order.
    std::vector<Call> of(const std::string& slot) const {
        std::vector<Call> found;
        for (const Call& c : calls)
            if (c.slot == slot) found.push_back(c);
        return found;
    }
    std::vector<std::string> slots() const {
        std::vector<std::string> names;
        for (const Call& c : calls)
            names.push_back(c.slot);
        return names;
    }

    std::vector<Call> calls;

private:
    template <int Slot, class R = typename KT_Action_Type<Slot>::Routine> struct Routine;
    template <int Slot, class... A> struct Routine<Slot, void (*)(const KT_Renderer_Data*, A...)> {
        static void routine(const KT_Renderer_Data* owner, A... arguments) {
            auto& self = *const_cast<Recorder*>(static_cast<const Recorder*>(owner));
            self.take(self.begin(Slot, arguments...), arguments...);
        }
    };

    template <class... A> Call& begin(int slot, const KT_Rendition* r, A...) {
        Call c;
        c.slot = KD_Action_Name(slot);
        if (r && !r->empty()) {
            c.line_pattern = r->line().line_pattern;
            c.line_weight = r->line().line_weight;
            c.marker_symbol = r->marker().marker_symbol;
            c.face_pattern = r->face().face_pattern;
        }
        calls.push_back(c);
        return calls.back();
    }

    template <class P> static void add_points(Call& c, int count, const P* points) {
        for (int i = 0; points && i < count; ++i)
            c.points.push_back(as_double(points[i]));
    }
    static void add_colour(Call& c, const KT_RGB32* colour) {
        c.has_colour = colour != nullptr;
        if (colour) c.colour = *colour;
    }

    // Polylines, polymarkers and polytriangles.
    template <class P> void take(Call& c, const KT_Rendition*, int count, const P* points) {
        add_points(c, count, points);
    }
    template <class P>
    void take(Call& c, const KT_Rendition*, int count, const P* points, const KT_RGB32* colours,
              bool single) {
        add_points(c, count, points);
        add_colour(c, colours);
        c.single = single;
    }
    // Gouraud primitives and polygons.
    template <class P>
    void take(Call& c, const KT_Rendition*, int count, const P* points, const KT_RGB32* colours) {
        add_points(c, count, points);
        add_colour(c, colours);
    }
    template <class P>
    void take(Call& c, const KT_Rendition*, int count, const P* points, const KT_Vector*,
              const KT_RGB32* colours, const KT_Point*, const float*) {
        add_points(c, count, points);
        add_colour(c, colours);
    }
    template <class P>
    void take(Call& c, const KT_Rendition*, int count, const P* points, const KT_RGB32* colours,
              const KT_Parameter*, int, const float*, const KT_Vector*) {
        add_points(c, count, points);
        add_colour(c, colours);
    }
    // Dots.
    template <class P>
    void take(Call& c, const KT_Rendition*, const P* point, const KT_RGB32* colour) {
        add_points(c, 1, point);
        add_colour(c, colour);
    }
    // Ellipses and arcs.
    template <class P>
    void take(Call& c, const KT_Rendition*, const P* centre, const P* radii, double start,
              double end, double, const KT_RGB32* colour) {
        add_points(c, 1, centre);
        if (radii) c.radii = as_double(*radii);
        c.start = start;
        c.end = end;
        add_colour(c, colour);
    }
    // One-row images.
    void take(Call& c, const KT_Rendition*, const KT_DCI_Point* start, const KT_DCI_Point* end, int,
              const KT_RGB32* pixels, int, const KT_Packing*) {
        add_points(c, 1, start);
        add_points(c, 1, end);
        add_colour(c, pixels);
    }
};

// A test with a recorder for a window and a rendition drawing for it.
class Recording_Test : public ::testing::Test {
protected:
    Recording_Test(int width, int height)
        : device(new Recorder(width, height)), recorder(*static_cast<Recorder*>(device.body())),
          rendition(device.body()) {}

    KT_Renderer device;
    Recorder& recorder;
    KT_Rendition rendition;
};

} // namespace lines_test
