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
// all with single; all null for the rendition's colour.
struct Line_Colours {
    KT_RGB32* vertex = nullptr;
    const KT_RGB32* segment = nullptr;
    bool single = false;
};

template <class P>
void draw_line_run(const KT_Renderer_Data* renderer, const Cutting& cut, int m, const P* points,
                   const float* w, const KT_RGB32* vertex, const KT_RGB32* segment, bool single) {
    constexpr bool is_double = std::is_same_v<P, KT_Point_D>;
    const KT_Rendition* drawing = cut.drawing();
    if (cut.active()) {
        if (vertex || !segment || single) {
            const KT_RGB32* colours = vertex ? vertex : segment;
            KD_Cut_2DW_Polyline(renderer, drawing, cut.planes(), m, points, colours,
                                !vertex && segment, nullptr, 1, w, nullptr);
            return;
        }
        // The cutter knows one colour per vertex or one for all: segment
        // colours go one segment at a time.
        for (int i = 0; i + 1 < m; ++i)
            KD_Cut_2DW_Polyline(renderer, drawing, cut.planes(), 2, points + i, segment + i, true,
                                nullptr, 1, w + i, nullptr);
        return;
    }
    if (vertex) {
        if constexpr (is_double)
            KD_Next_Action<KT_Slot_Draw_2DD_Gouraud_Polyline>(drawing, m, points, vertex);
        else
            KD_Next_Action<KT_Slot_Draw_2D_Gouraud_Polyline>(drawing, m, points, vertex);
    } else if (segment) {
        if constexpr (is_double)
            KD_Next_Action<KT_Slot_Draw_2DD_Colorized_Polyline>(drawing, m, points, segment,
                                                                single);
        else
            KD_Next_Action<KT_Slot_Draw_2D_Colorized_Polyline>(drawing, m, points, segment, single);
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

// The segment colours of a run starting at vertex start; one colour for
// all stays where it is.
inline const KT_RGB32* segment_colours_from(const Line_Colours& colours, int start) {
    if (!colours.segment || colours.single) return colours.segment;
    return colours.segment + start;
}

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
            draw_line_run(renderer, cut, end - start + 1, points + start, w + start,
                          colours.vertex ? colours.vertex + start : nullptr,
                          segment_colours_from(colours, start), colours.single);
        }
        i = end;
    }
}

} // namespace detail
