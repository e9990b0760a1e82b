// Polylines after the transform: runs of visible vertices, their ends
// shortened to the near limit, handed to the 2D polyline slots (or to the
// polyline cutter when there are cutting planes). Shared by polylines,
// linestrips and lattices.
#pragma once

#include <optional>
#include <type_traits>

#include "draw3d/pipeline_3d.h"
#include "renderer/next_action.h"

namespace detail {

// Colours of a line: one per vertex (Gouraud), one per segment, or one for
// all with single; all null for the rendition's colour. With normals (and
// world positions), one per vertex, the line is lit per pixel (Phong).
struct Line_Colours {
    KT_RGB32* vertex = nullptr;
    const KT_RGB32* segment = nullptr;
    bool single = false;
    const KT_Vector* normals = nullptr;
    const KT_Point* positions = nullptr;

    // The same for the run that starts at vertex start.
    Line_Colours from(int start) const {
        Line_Colours run = *this;
        if (vertex) run.vertex = vertex + start;
        if (segment && !single) run.segment = segment + start;
        if (normals) run.normals = normals + start;
        if (positions) run.positions = positions + start;
        return run;
    }
};

template <class P>
void cut_line_run(const KT_Renderer_Data* renderer, const Cutting& cut, int m, const P* points,
                  const float* w, const Line_Colours& c) {
    const KT_Rendition* drawing = cut.drawing();
    if (c.vertex || !c.segment || c.single) {
        const KT_RGB32* colours = c.vertex ? c.vertex : c.segment;
        KD_Cut_2DW_Polyline(renderer, drawing, cut.planes(), m, points, colours,
                            !c.vertex && c.segment, nullptr, 1, w, c.normals);
        return;
    }
    // The cutter knows one colour per vertex or one for all: segment
    // colours go one segment at a time.
    for (int i = 0; i + 1 < m; ++i)
        KD_Cut_2DW_Polyline(renderer, drawing, cut.planes(), 2, points + i, c.segment + i, true,
                            nullptr, 1, w + i, c.normals ? c.normals + i : nullptr);
}

template <class P>
void draw_line_run(const KT_Renderer_Data* renderer, const Cutting& cut, int m, const P* points,
                   const float* w, const Line_Colours& c) {
    constexpr bool is_double = std::is_same_v<P, KT_Point_D>;
    const KT_Rendition* drawing = cut.drawing();
    if (cut.active()) {
        cut_line_run(renderer, cut, m, points, w, c);
    } else if (c.normals) {
        if constexpr (is_double)
            KD_Next_Action<KT_Slot_Draw_2DD_Phong_Polyline>(drawing, m, points, c.normals, c.vertex,
                                                            c.positions, w);
        else
            KD_Next_Action<KT_Slot_Draw_2D_Phong_Polyline>(drawing, m, points, c.normals, c.vertex,
                                                           c.positions, w);
    } else if (c.vertex) {
        if constexpr (is_double)
            KD_Next_Action<KT_Slot_Draw_2DD_Gouraud_Polyline>(drawing, m, points, c.vertex);
        else
            KD_Next_Action<KT_Slot_Draw_2D_Gouraud_Polyline>(drawing, m, points, c.vertex);
    } else if (c.segment) {
        if constexpr (is_double)
            KD_Next_Action<KT_Slot_Draw_2DD_Colorized_Polyline>(drawing, m, points, c.segment,
                                                                c.single);
        else
            KD_Next_Action<KT_Slot_Draw_2D_Colorized_Polyline>(drawing, m, points, c.segment,
                                                               c.single);
    } else {
        if constexpr (is_double)
            KD_Next_Action<KT_Slot_Draw_2DD_Polyline>(drawing, m, points);
        else
            KD_Next_Action<KT_Slot_Draw_2D_Polyline>(drawing, m, points);
    }
}

// Puts the near-limit crossing in place of a hidden vertex for the time a
// run is drawn, and puts the vertex back afterwards.
template <class P> class Near_Limit_Stand_In {
public:
    Near_Limit_Stand_In(P* points, float* w, KT_RGB32* colours, int hidden, int visible,
                        float limit)
        : point_(points + hidden), w_(w + hidden), colour_(colours ? colours + hidden : nullptr),
          saved_point_(*point_), saved_w_(*w_) {
        float s = 0.0f;
        *point_ = near_limit_point(*point_, *w_, points[visible], w[visible], limit, s);
        *w_ = limit;
        if (!colour_) return;
        saved_colour_ = *colour_;
        *colour_ = mixed_colour(colours[visible], saved_colour_, s);
    }
    ~Near_Limit_Stand_In() {
        *point_ = saved_point_;
        *w_ = saved_w_;
        if (colour_) *colour_ = saved_colour_;
    }
    Near_Limit_Stand_In(const Near_Limit_Stand_In&) = delete;
    Near_Limit_Stand_In& operator=(const Near_Limit_Stand_In&) = delete;

private:
    P* point_;
    float* w_;
    KT_RGB32* colour_;
    P saved_point_;
    float saved_w_;
    KT_RGB32 saved_colour_ = {0, 0, 0, 0};
};

// Draws the n transformed vertices as runs of segments that are not
// entirely behind the near limit; a run starting or ending behind it is
// shortened to the limit.
template <class P>
void draw_line_runs(const KT_Renderer_Data* renderer, const Cutting& cut, float limit, int n,
                    P* points, float* w, const short* codes, const Line_Colours& colours) {
    for (int i = 0; i + 1 < n;) {
        if (behind(codes[i]) && behind(codes[i + 1])) {
            ++i;
            continue;
        }
        const int start = i;
        int end = start + 1;
        while (end < n - 1 && !behind(codes[end]))
            ++end;
        {
            // A run has at most one hidden end point on each side, and the
            // neighbour of each is visible.
            std::optional<Near_Limit_Stand_In<P>> head, tail;
            if (behind(codes[start]))
                head.emplace(points, w, colours.vertex, start, start + 1, limit);
            if (behind(codes[end])) tail.emplace(points, w, colours.vertex, end, end - 1, limit);
            // A stand-in keeps the hidden vertex's normal: lighting per
            // pixel barely moves over the short way to the limit.
            draw_line_run(renderer, cut, end - start + 1, points + start, w + start,
                          colours.from(start));
        }
        i = end;
    }
}

} // namespace detail
