#include "rendition/rendition.h"

#include <algorithm>
#include <utility>

#include "foundation/heap.h"
#include "renderer/renderer_data.h"

namespace {

constexpr KT_RGB32 black = {0, 0, 0, 255};
constexpr KT_RGB32 white = {255, 255, 255, 255};

std::int32_t clamp_into(std::int32_t v, std::int32_t low, std::int32_t high) {
    return std::max(low, std::min(v, high));
}

// Each bound of r clamped into the matching pair of bounds.
KT_Int_Rectangle clamped(const KT_Int_Rectangle& r, const KT_Int_Rectangle& bounds) {
    return {clamp_into(r.left, bounds.left, bounds.right),
            clamp_into(r.right, bounds.left, bounds.right),
            clamp_into(r.bottom, bounds.bottom, bounds.top),
            clamp_into(r.top, bounds.bottom, bounds.top)};
}

template <class Point>
KT_Contour_Set shifted(const KT_Contour_Set_Data& clip, const Point* points, KT_Int_XY shift) {
    const int total = clip.total_points;
    KT_Scratch<Point> moved(total > 0 ? static_cast<std::size_t>(total) : 1);
    if (!moved) return KT_Contour_Set();
    for (int i = 0; i < total; ++i)
        moved[i] = {points[i].x + shift.x, points[i].y + shift.y, points[i].z};
    return KT_Contour_Set(clip.contour_count, clip.counts, moved.get(), true);
}

// The hard clip as a one-contour region: (left, bottom), (left, top),
// (right, top), (right, bottom) at z = 0.
template <class Point> KT_Contour_Set rectangle_region(const KT_Int_Rectangle& h) {
    // An inverted rectangle clips everything away; as a contour it would
    // enclose the area between its bounds instead.
    if (h.right < h.left || h.top < h.bottom)
        return KT_Contour_Set(0, static_cast<const Point*>(nullptr), true);
    using Real = decltype(Point::x);
    const auto x0 = static_cast<Real>(h.left), x1 = static_cast<Real>(h.right);
    const auto y0 = static_cast<Real>(h.bottom), y1 = static_cast<Real>(h.top);
    const Point corners[4] = {{x0, y0, 0}, {x0, y1, 0}, {x1, y1, 0}, {x1, y0, 0}};
    return KT_Contour_Set(4, corners, true);
}

} // namespace

KT_Net_Data::KT_Net_Data(const KT_Renderer_Data* renderer)
    : transform(new KT_Transform_Data(renderer)), color(new KT_Color_Data), line(new KT_Line_Data),
      face(new KT_Face_Data), marker(new KT_Marker_Data),
      text_attribute(new KT_Text_Attribute_Data), misc(new KT_Misc_Data) {}

KT_Net_Data::~KT_Net_Data() {
    misc.reset();
    text_attribute.reset();
    marker.reset();
    face.reset();
    line.reset();
    color.reset();
    transform.reset();
}

KT_Rendition::KT_Rendition(const KT_Renderer_Data* renderer)
    : KT_Pointer(new KT_Net_Data(renderer)) {
    KT_Color_Data& c = *body_->color;
    c.front.set_rgb(black, renderer, false);
    c.back.set_rgb(black, renderer, false);
    c.contrast.set_rgb(white, renderer, false);
    c.background.set_rgb(white, renderer, false);
}

KT_Rendition::KT_Rendition(const KT_Renderer& renderer) : KT_Rendition(renderer.body()) {}

void KT_Rendition::ensure_body() {
    if (!body_) *this = KT_Rendition(static_cast<const KT_Renderer_Data*>(nullptr));
}

void KT_Rendition::renew_renderer(const KT_Renderer_Data* renderer, bool in_place) {
    if (!renderer) return;
    modify_transform(in_place).use_renderer(renderer);
}

void KT_Rendition::set_color(const KT_RGB32& rgb, bool in_place, bool exact) {
    KT_Color_Data& c = modify_color(in_place);
    c.front.set_rgb(rgb, renderer(), exact);
    c.back = c.front;
}

void KT_Rendition::set_color(const KT_RGB32& rgb, int index, bool in_place) {
    KT_Color_Data& c = modify_color(in_place);
    c.front.set_rgb(rgb, index, renderer());
    c.back = c.front;
}

void KT_Rendition::set_color_index(int index, bool in_place) {
    KT_Color_Data& c = modify_color(in_place);
    c.front.set_index(index, renderer());
    c.back = c.front;
}

void KT_Rendition::set_front_color(const KT_RGB32& rgb, bool in_place) {
    colour(&KT_Color_Data::front, in_place).set_rgb(rgb, renderer(), false);
}
void KT_Rendition::set_back_color(const KT_RGB32& rgb, bool in_place) {
    colour(&KT_Color_Data::back, in_place).set_rgb(rgb, renderer(), false);
}
void KT_Rendition::set_contrast_color(const KT_RGB32& rgb, bool in_place) {
    colour(&KT_Color_Data::contrast, in_place).set_rgb(rgb, renderer(), false);
}
void KT_Rendition::set_background_color(const KT_RGB32& rgb, bool in_place) {
    colour(&KT_Color_Data::background, in_place).set_rgb(rgb, renderer(), false);
}

void KT_Rendition::set_front_color(const KT_RGB32& rgb, int index, bool in_place) {
    colour(&KT_Color_Data::front, in_place).set_rgb(rgb, index, renderer());
}
void KT_Rendition::set_back_color(const KT_RGB32& rgb, int index, bool in_place) {
    colour(&KT_Color_Data::back, in_place).set_rgb(rgb, index, renderer());
}
void KT_Rendition::set_contrast_color(const KT_RGB32& rgb, int index, bool in_place) {
    colour(&KT_Color_Data::contrast, in_place).set_rgb(rgb, index, renderer());
}
void KT_Rendition::set_background_color(const KT_RGB32& rgb, int index, bool in_place) {
    colour(&KT_Color_Data::background, in_place).set_rgb(rgb, index, renderer());
}

void KT_Rendition::set_front_color_index(int index, bool in_place) {
    colour(&KT_Color_Data::front, in_place).set_index(index, renderer());
}
void KT_Rendition::set_back_color_index(int index, bool in_place) {
    colour(&KT_Color_Data::back, in_place).set_index(index, renderer());
}
void KT_Rendition::set_contrast_color_index(int index, bool in_place) {
    colour(&KT_Color_Data::contrast, in_place).set_index(index, renderer());
}
void KT_Rendition::set_background_color_index(int index, bool in_place) {
    colour(&KT_Color_Data::background, in_place).set_index(index, renderer());
}

void KT_Rendition::swap_backface_color() {
    KT_Color_Data& c = modify_color(false);
    std::swap(c.front, c.back);
    std::swap(c.front_material, c.back_material);
}

void KT_Rendition::swap_contrast_color() {
    KT_Color_Data& c = modify_color(false);
    std::swap(c.front, c.contrast);
}

void KT_Rendition::set_viewport(const KT_Int_Rectangle& viewport, bool in_place) {
    modify_transform(in_place).use_viewport(viewport);
}

void KT_Rendition::set_camera(const KT_Camera& camera, bool in_place) {
    ensure_body();
    const KT_Camera& current = body_->transform->camera;
    const std::uint32_t now = current.empty() ? 0 : current->change_serial();
    const std::uint32_t next = camera.empty() ? 0 : camera->change_serial();
    if (now == next) return;
    modify_transform(in_place).use_camera(camera);
}

void KT_Rendition::set_modelling_matrix(const KT_Matrix& matrix, bool in_place) {
    modify_transform(in_place).use_modelling_matrix(matrix);
}

void KT_Rendition::set_handedness(const KT_Handedness& handedness, bool in_place) {
    modify_transform(in_place).use_handedness(handedness);
}

void KT_Rendition::clip_changed(const KT_Int_Rectangle& clip, bool in_place) {
    modify_transform(in_place).use_hard_clip(clip);
}

void KT_Rendition::set_hard_clip(const KT_Int_Rectangle& clip, bool in_place) {
    const KT_Renderer_Data* r = renderer();
    clip_changed(r ? clamped(clip, KT_Transform_Data::extent_of(r)) : clip, in_place);
}

void KT_Rendition::set_hard_clip_unrestricted(const KT_Int_Rectangle& clip, bool in_place) {
    clip_changed(clip, in_place);
}

void KT_Rendition::restrict_hard_clip(const KT_Int_Rectangle& clip, bool in_place) {
    ensure_body();
    clip_changed(clamped(transform().hard_clip, clip), in_place);
}

void KT_Rendition::reset_hard_clip(bool in_place) {
    const KT_Renderer_Data* r = renderer();
    if (!r) return;
    clip_changed(KT_Transform_Data::extent_of(r), in_place);
}

void KT_Rendition::set_complex_clip(const KT_Contour_Set& clip, bool in_place) {
    modify_transform(in_place).use_complex_clip(clip);
}

void KT_Rendition::set_complex_clip(void*, bool in_place) {
    modify_transform(in_place).use_complex_clip(KT_Contour_Set());
}

KT_Contour_Set KT_Rendition::shifted_complex_clip() const {
    if (!body_ || body_->transform->complex_clip.empty()) return KT_Contour_Set();
    KT_Transform_Data& t = *body_->transform;
    const KT_Int_XY shift = {t.viewport.left, t.viewport.bottom};
    if (!t.shifted_complex_clip.empty() && t.shifted_clip_shift.x == shift.x &&
        t.shifted_clip_shift.y == shift.y)
        return t.shifted_complex_clip;
    const KT_Contour_Set_Data& clip = *t.complex_clip;
    t.shifted_complex_clip =
        clip.is_double() ? shifted(clip, clip.points_d, shift) : shifted(clip, clip.points, shift);
    t.shifted_clip_shift = shift;
    return t.shifted_complex_clip;
}

void KT_Rendition::validate_hard_complex_clip() {
    KT_Transform_Data& t = modify_transform(true);
    // The rectangle takes the complex clip's precision, since sets of
    // mixed precision do not combine.
    const bool in_double = !t.complex_clip.empty() && t.complex_clip->is_double();
    t.hard_complex_clip = in_double ? rectangle_region<KT_Point_D>(t.hard_clip)
                                    : rectangle_region<KT_Point>(t.hard_clip);
    t.hard_complex_clip.modify()->force_projection(0.0, 0.0, 1.0);
    const bool empty_rectangle =
        t.hard_clip.right < t.hard_clip.left || t.hard_clip.top < t.hard_clip.bottom;
    if (!t.complex_clip.empty() && !empty_rectangle) {
        KT_Contour_Set_Data* both =
            t.hard_complex_clip->process(KT_Contour_Intersection, t.complex_clip.body());
        t.hard_complex_clip.attach(both);
    }
    t.hard_complex_clip_valid = true;
}

void KT_Rendition::use_plain_form(int weight) {
    KT_Line_Data& line = modify_line(false);
    KT_Face_Data& face = modify_face(false);
    line.line_pattern = KT_Line_Solid;
    line.line_weight = weight;
    face.depth_offset = 0;
    if (line.flags[KT_Line_Keep_Face_Pattern] != 0) return;
    modify_misc(false).pattern_mode = 0;
    face.face_pattern = KT_Face_Solid;
}

void KT_Rendition::set_advanced_options(const KT_Advanced_Options& options, bool in_place) {
    ensure_body();
    if (misc().advanced_options == options) return;
    modify_misc(in_place).advanced_options = options;
}

KT_Shading_Scene KD_Shading_Scene(const KT_Rendition* rendition) {
    if (!rendition || rendition->empty()) return {{0, 0, 0, 255}, {0, 0, 1}, nullptr};
    return {rendition->color().front.rgb, rendition->transform().view_direction,
            rendition->color().light_set.body()};
}
