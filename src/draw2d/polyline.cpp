// Polylines in the 2D, 2DD, 2DI and DC families: they bring their points
// to device integers inside the hard clip and go on to the DCI family.
#include <algorithm>

#include "draw2d/polyline_routing.h"
#include "draw3d/transform_clip.h"

namespace {

using namespace detail;

// The part [t0, t1] of the segment a-b inside the guard rectangle; false
// when none is.
template <class P> bool guard_part(const P& a, const P& b, double& t0, double& t1) {
    const KT_Int_Rectangle& g = KD_GUARD_RECTANGLE;
    t0 = 0;
    t1 = 1;
    const double x = a.x;
    const double y = a.y;
    return KD_Clip_Line_Parameters(x, y, b.x - x, b.y - y, g.left, g.right, g.bottom, g.top, t0,
                                   t1);
}

// Collects the maximal runs of a polyline inside the guard rectangle,
// each extended by the clipped parts of the segments that enter and leave
// it, and hands each run to the 2DI slot of the variant.
template <class Variant> class Guarded_Runs {
public:
    Guarded_Runs(const KT_Rendition* rendition, const Variant& variant, KT_DCI_Point* run)
        : rendition_(rendition), variant_(variant), run_(run) {}

    void add(const KT_DCI_Point& p, int source) {
        if (length_ == 0) first_ = source;
        run_[length_++] = p;
    }
    void flush() {
        if (length_ >= 2)
            variant_.from(first_).template call<Variant::slot_2DI>(rendition_, length_, run_);
        length_ = 0;
    }

private:
    const KT_Rendition* rendition_;
    const Variant& variant_;
    KT_DCI_Point* run_;
    int length_ = 0;
    int first_ = 0;
};

template <class Variant, class P>
void draw_guarded(const KT_Rendition* rendition, int count, const P* points,
                  const Variant& variant) {
    KT_Stack_Scratch<unsigned, stack_vertices> sides(static_cast<std::size_t>(count));
    KT_Stack_Scratch<KT_DCI_Point, stack_vertices> run(static_cast<std::size_t>(count) + 1);
    if (!sides || !run) return;
    for (int i = 0; i < count; ++i)
        sides[i] = sides_of(KD_GUARD_RECTANGLE, points[i]);
    Guarded_Runs<Variant> runs(rendition, variant, run.get());
    if (sides[0] == 0) runs.add(KD_To_DCI_Point(points[0]), 0);
    for (int k = 0; k + 1 < count; ++k) {
        const P& a = points[k];
        const P& b = points[k + 1];
        const unsigned sa = sides[k];
        const unsigned sb = sides[k + 1];
        double t0 = 0;
        double t1 = 1;
        if (sa == 0 && sb == 0) {
            runs.add(KD_To_DCI_Point(b), k + 1);
        } else if (sa == 0) {
            if (guard_part(a, b, t0, t1)) runs.add(point_at(a, b, t1), k);
            runs.flush();
        } else if (sb == 0) {
            if (guard_part(a, b, t0, t1)) runs.add(point_at(a, b, t0), k);
            runs.add(KD_To_DCI_Point(b), k + 1);
        } else if ((sa & sb) == 0 && guard_part(a, b, t0, t1)) {
            runs.add(point_at(a, b, t0), k);
            runs.add(point_at(a, b, t1), k);
            runs.flush();
        }
    }
    runs.flush();
}

template <class Variant>
void draw_2d(const KT_Rendition* rendition, int count, const KT_Point* points,
             const Variant& variant) {
    if (count < 2 || !points || !drawable(rendition) || !KD_All_Finite(count, points)) return;
    if (drawn_by_shape(rendition, count, points, variant)) return;
    if (drawn_patterned(rendition, count, points, variant, KT_Piece_Route::Clipping)) return;
    draw_guarded(rendition, count, points, variant);
}

template <class Variant>
void draw_2dd(const KT_Rendition* rendition, int count, const KT_Point_D* points,
              const Variant& variant) {
    if (count < 2 || !points || !drawable(rendition) || !KD_All_Finite(count, points)) return;
    draw_guarded(rendition, count, points, variant);
}

template <class Variant>
void draw_dc(const KT_Rendition* rendition, int count, const KT_Point* points,
             const Variant& variant) {
    if (count < 2 || !points || !drawable(rendition) || !KD_All_Finite(count, points)) return;
    if (drawn_by_shape(rendition, count, points, variant)) return;
    if (drawn_patterned(rendition, count, points, variant, KT_Piece_Route::Inside)) return;
    KT_Stack_Scratch<KT_DCI_Point, stack_vertices> device(static_cast<std::size_t>(count));
    if (!device) return;
    for (int i = 0; i < count; ++i)
        device[i] = KD_To_DCI_Point(points[i]);
    variant.template call<Variant::slot_DCI>(rendition, count, device.get());
}

// Runs of points inside the hard clip go whole to the DCI slot; segments
// with an end outside are clipped one by one.
template <class Variant>
void draw_2di(const KT_Rendition* rendition, int count, const KT_DCI_Point* points,
              const Variant& variant) {
    if (count < 2 || !points || !drawable(rendition)) return;
    if (drawn_by_shape(rendition, count, points, variant)) return;
    if (drawn_patterned(rendition, count, points, variant, KT_Piece_Route::Clipping)) return;
    KT_Stack_Scratch<short, stack_vertices> codes(static_cast<std::size_t>(count));
    if (!codes) return;
    const KT_Int_Rectangle& clip = rendition->transform().hard_clip;
    const int inside = KD_Clip(clip, count, points, codes.get());
    if (inside == count) {
        variant.template call<Variant::slot_DCI>(rendition, count, points);
        return;
    }
    if (inside == 0) return;
    int run_start = 0;
    for (int k = 0; k < count; ++k) {
        if (codes[k] != 0) {
            run_start = k + 1;
            continue;
        }
        const bool run_ends = k + 1 == count || codes[k + 1] != 0;
        if (run_ends && k > run_start)
            variant.from(run_start).template call<Variant::slot_DCI>(rendition, k - run_start + 1,
                                                                     points + run_start);
    }
    for (int k = 0; k + 1 < count; ++k) {
        if ((codes[k] == 0 && codes[k + 1] == 0) || (codes[k] & codes[k + 1]) != 0) continue;
        KD_Draw_Clipped_2D_Line(rendition->renderer(), rendition, &points[k], &points[k + 1],
                                variant.start_colour(k), variant.end_colour(k), false);
    }
}

} // namespace

extern "C" void KD_Standard_Draw_2DI_Polyline(const KT_Renderer_Data*, const KT_Rendition* r,
                                              int count, const KT_DCI_Point* points) {
    draw_2di(r, count, points, KT_Plain_Polyline{});
}
extern "C" void KD_Standard_Draw_2DI_Colorized_Polyline(const KT_Renderer_Data*,
                                                        const KT_Rendition* r, int count,
                                                        const KT_DCI_Point* points,
                                                        const KT_RGB32* colours, bool single) {
    draw_2di(r, count, points, KT_Colorized_Polyline{colours, single});
}
extern "C" void KD_Standard_Draw_2DI_Gouraud_Polyline(const KT_Renderer_Data*,
                                                      const KT_Rendition* r, int count,
                                                      const KT_DCI_Point* points,
                                                      const KT_RGB32* colours) {
    draw_2di(r, count, points, KT_Gouraud_Polyline{{colours}});
}
extern "C" void KD_Standard_Draw_2DI_Phong_Polyline(const KT_Renderer_Data*, const KT_Rendition* r,
                                                    int count, const KT_DCI_Point* points,
                                                    const KT_Vector* normals,
                                                    const KT_RGB32* colours,
                                                    const KT_Point* positions,
                                                    const float* parameters) {
    draw_2di(r, count, points, KT_Phong_Polyline{{colours}, normals, positions, parameters});
}

extern "C" void KD_Standard_Draw_2D_Polyline(const KT_Renderer_Data*, const KT_Rendition* r,
                                             int count, const KT_Point* points) {
    draw_2d(r, count, points, KT_Plain_Polyline{});
}
extern "C" void KD_Standard_Draw_2D_Colorized_Polyline(const KT_Renderer_Data*,
                                                       const KT_Rendition* r, int count,
                                                       const KT_Point* points,
                                                       const KT_RGB32* colours, bool single) {
    draw_2d(r, count, points, KT_Colorized_Polyline{colours, single});
}
extern "C" void KD_Standard_Draw_2D_Gouraud_Polyline(const KT_Renderer_Data*, const KT_Rendition* r,
                                                     int count, const KT_Point* points,
                                                     const KT_RGB32* colours) {
    draw_2d(r, count, points, KT_Gouraud_Polyline{{colours}});
}
extern "C" void KD_Standard_Draw_2D_Phong_Polyline(const KT_Renderer_Data*, const KT_Rendition* r,
                                                   int count, const KT_Point* points,
                                                   const KT_Vector* normals,
                                                   const KT_RGB32* colours,
                                                   const KT_Point* positions,
                                                   const float* parameters) {
    draw_2d(r, count, points, KT_Phong_Polyline{{colours}, normals, positions, parameters});
}

extern "C" void KD_Standard_Draw_2DD_Polyline(const KT_Renderer_Data*, const KT_Rendition* r,
                                              int count, const KT_Point_D* points) {
    draw_2dd(r, count, points, KT_Plain_Polyline{});
}
extern "C" void KD_Standard_Draw_2DD_Colorized_Polyline(const KT_Renderer_Data*,
                                                        const KT_Rendition* r, int count,
                                                        const KT_Point_D* points,
                                                        const KT_RGB32* colours, bool single) {
    draw_2dd(r, count, points, KT_Colorized_Polyline{colours, single});
}
extern "C" void KD_Standard_Draw_2DD_Gouraud_Polyline(const KT_Renderer_Data*,
                                                      const KT_Rendition* r, int count,
                                                      const KT_Point_D* points,
                                                      const KT_RGB32* colours) {
    draw_2dd(r, count, points, KT_Gouraud_Polyline{{colours}});
}
extern "C" void KD_Standard_Draw_2DD_Phong_Polyline(const KT_Renderer_Data*, const KT_Rendition* r,
                                                    int count, const KT_Point_D* points,
                                                    const KT_Vector* normals,
                                                    const KT_RGB32* colours,
                                                    const KT_Point* positions,
                                                    const float* parameters) {
    draw_2dd(r, count, points, KT_Phong_Polyline{{colours}, normals, positions, parameters});
}

extern "C" void KD_Standard_Draw_DC_Polyline(const KT_Renderer_Data*, const KT_Rendition* r,
                                             int count, const KT_Point* points) {
    draw_dc(r, count, points, KT_Plain_Polyline{});
}
extern "C" void KD_Standard_Draw_DC_Colorized_Polyline(const KT_Renderer_Data*,
                                                       const KT_Rendition* r, int count,
                                                       const KT_Point* points,
                                                       const KT_RGB32* colours, bool single) {
    draw_dc(r, count, points, KT_Colorized_Polyline{colours, single});
}
extern "C" void KD_Standard_Draw_DC_Gouraud_Polyline(const KT_Renderer_Data*, const KT_Rendition* r,
                                                     int count, const KT_Point* points,
                                                     const KT_RGB32* colours) {
    draw_dc(r, count, points, KT_Gouraud_Polyline{{colours}});
}
extern "C" void KD_Standard_Draw_DC_Phong_Polyline(const KT_Renderer_Data*, const KT_Rendition* r,
                                                   int count, const KT_Point* points,
                                                   const KT_Vector* normals,
                                                   const KT_RGB32* colours,
                                                   const KT_Point* positions,
                                                   const float* parameters) {
    draw_dc(r, count, points, KT_Phong_Polyline{{colours}, normals, positions, parameters});
}
