// The four polyline variants (plain, colorized, Gouraud, Phong) as values
// that carry their per-vertex data, so that one routing routine serves all
// of them: each knows its slot in every family, how to follow a run that
// starts further along the polyline, and what the shape engine and the
// wide-line drawer need of it.
#pragma once

#include "draw2d/wide_line.h"
#include "font/shape_engine.h"
#include "foundation/export.h"
#include "renderer/next_action.h"

struct KAVRI_API KT_Plain_Polyline {
    static constexpr int slot_2D = KT_Slot_Draw_2D_Polyline;
    static constexpr int slot_2DD = KT_Slot_Draw_2DD_Polyline;
    static constexpr int slot_2DI = KT_Slot_Draw_2DI_Polyline;
    static constexpr int slot_DC = KT_Slot_Draw_DC_Polyline;
    static constexpr int slot_DCI = KT_Slot_Draw_DCI_Polyline;

    template <int Slot, class P>
    void call(const KT_Rendition* rendition, int count, const P* points) const {
        KD_Next_Action<Slot>(rendition, count, points);
    }
    KT_Plain_Polyline from(int) const { return *this; }
    KT_Line_Colors line_colors() const { return {}; }
    template <class P>
    void shape(const KT_Shape_Engine_Data& engine, const KT_Rendition* rendition, int count,
               const P* points) const {
        engine.draw_2d_polyline(rendition->renderer(), rendition, count, points, nullptr,
                                KT_Shape_Color(KT_Shape_Color_Uniform), nullptr, 1, nullptr,
                                nullptr);
    }
    // The colours of segment i's ends, for clipped pieces; null for none.
    const KT_RGB32* start_colour(int) const { return nullptr; }
    const KT_RGB32* end_colour(int) const { return nullptr; }
};

struct KAVRI_API KT_Colorized_Polyline {
    static constexpr int slot_2D = KT_Slot_Draw_2D_Colorized_Polyline;
    static constexpr int slot_2DD = KT_Slot_Draw_2DD_Colorized_Polyline;
    static constexpr int slot_2DI = KT_Slot_Draw_2DI_Colorized_Polyline;
    static constexpr int slot_DC = KT_Slot_Draw_DC_Colorized_Polyline;
    static constexpr int slot_DCI = KT_Slot_Draw_DCI_Colorized_Polyline;

    const KT_RGB32* colours;
    bool single;

    template <int Slot, class P>
    void call(const KT_Rendition* rendition, int count, const P* points) const {
        KD_Next_Action<Slot>(rendition, count, points, colours, single);
    }
    KT_Colorized_Polyline from(int first) const {
        return {single || !colours ? colours : colours + first, single};
    }
    KT_Line_Colors line_colors() const { return {colours, single}; }
    template <class P>
    void shape(const KT_Shape_Engine_Data& engine, const KT_Rendition* rendition, int count,
               const P* points) const {
        const KT_Shape_Color choice(single ? KT_Shape_Color_Uniform : KT_Shape_Color_Per_Piece);
        engine.draw_2d_polyline(rendition->renderer(), rendition, count, points, colours, choice,
                                nullptr, 1, nullptr, nullptr);
    }
    const KT_RGB32* start_colour(int segment) const { return line_colors().of_segment(segment); }
    const KT_RGB32* end_colour(int segment) const { return start_colour(segment); }
};

// Variants with one colour per vertex; wide and dashed pieces take the
// colour of the vertex they start at.
struct KAVRI_API KT_Vertex_Colours {
    const KT_RGB32* colours;

    KT_Line_Colors line_colors() const { return {colours, false}; }
    const KT_RGB32* start_colour(int segment) const {
        return colours ? colours + segment : nullptr;
    }
    const KT_RGB32* end_colour(int segment) const {
        return colours ? colours + segment + 1 : nullptr;
    }
    const KT_RGB32* colours_from(int first) const { return colours ? colours + first : nullptr; }
};

struct KAVRI_API KT_Gouraud_Polyline : KT_Vertex_Colours {
    static constexpr int slot_2D = KT_Slot_Draw_2D_Gouraud_Polyline;
    static constexpr int slot_2DD = KT_Slot_Draw_2DD_Gouraud_Polyline;
    static constexpr int slot_2DI = KT_Slot_Draw_2DI_Gouraud_Polyline;
    static constexpr int slot_DC = KT_Slot_Draw_DC_Gouraud_Polyline;
    static constexpr int slot_DCI = KT_Slot_Draw_DCI_Gouraud_Polyline;

    template <int Slot, class P>
    void call(const KT_Rendition* rendition, int count, const P* points) const {
        KD_Next_Action<Slot>(rendition, count, points, colours);
    }
    KT_Gouraud_Polyline from(int first) const { return {{colours_from(first)}}; }
    template <class P>
    void shape(const KT_Shape_Engine_Data& engine, const KT_Rendition* rendition, int count,
               const P* points) const {
        engine.draw_2d_polyline(rendition->renderer(), rendition, count, points, colours,
                                KT_Shape_Color(KT_Shape_Color_Interpolated), nullptr, 1, nullptr,
                                nullptr);
    }
};

struct KAVRI_API KT_Phong_Polyline : KT_Vertex_Colours {
    static constexpr int slot_2D = KT_Slot_Draw_2D_Phong_Polyline;
    static constexpr int slot_2DD = KT_Slot_Draw_2DD_Phong_Polyline;
    static constexpr int slot_2DI = KT_Slot_Draw_2DI_Phong_Polyline;
    static constexpr int slot_DC = KT_Slot_Draw_DC_Phong_Polyline;
    static constexpr int slot_DCI = KT_Slot_Draw_DCI_Phong_Polyline;

    // Each per vertex; parameters one float per vertex.
    const KT_Vector* normals;
    const KT_Point* positions;
    const float* parameters;

    template <int Slot, class P>
    void call(const KT_Rendition* rendition, int count, const P* points) const {
        KD_Next_Action<Slot>(rendition, count, points, normals, colours, positions, parameters);
    }
    KT_Phong_Polyline from(int first) const {
        return {{colours_from(first)},
                normals ? normals + first : nullptr,
                positions ? positions + first : nullptr,
                parameters ? parameters + first : nullptr};
    }
    template <class P>
    void shape(const KT_Shape_Engine_Data& engine, const KT_Rendition* rendition, int count,
               const P* points) const {
        engine.draw_2d_polyline(rendition->renderer(), rendition, count, points, colours,
                                KT_Shape_Color(KT_Shape_Color_Interpolated), nullptr, 1, nullptr,
                                normals);
    }
};
