#include "draw3d/clip_polygon.h"

namespace detail {

Clip_Layout KD_Clip_Layout_For(const Clip_Vertex_Source& first, int width) {
    Clip_Layout layout;
    if (first.w) layout.w = layout.add(1);
    if (first.color) layout.color = layout.add(4);
    if (first.normal) layout.normal = layout.add(3);
    if (first.position) layout.position = layout.add(3);
    if (first.phong_parameter) layout.phong_parameter = layout.add(1);
    if (first.parameters && width > 0) {
        layout.width = width;
        layout.parameters = layout.add(3 * width);
    }
    if (first.vector) layout.vector = layout.add(3);
    return layout;
}

Clip_Polygon::Clip_Polygon(const Clip_Layout& layout, int capacity)
    : layout_(layout), stride_(layout.stride), capacity_(capacity),
      storage_(2 * static_cast<std::size_t>(capacity) * static_cast<std::size_t>(layout.stride)),
      current_(storage_.get()),
      spare_(storage_.get() ? storage_.get() + static_cast<std::size_t>(capacity) * layout.stride
                            : nullptr) {}

void Clip_Polygon::add_raw(const double* channels) {
    if (count_ >= capacity_) return;
    double* v = vertex(count_++);
    for (int k = 0; k < stride_; ++k)
        v[k] = channels[k];
}

void Clip_Polygon::add(double x, double y, double z, const Clip_Vertex_Source& source) {
    if (count_ >= capacity_) return;
    double* v = vertex(count_++);
    v[0] = x;
    v[1] = y;
    v[2] = z;
    const Clip_Layout& l = layout_;
    if (l.w >= 0) v[l.w] = *source.w;
    if (l.color >= 0) {
        v[l.color] = source.color->b;
        v[l.color + 1] = source.color->g;
        v[l.color + 2] = source.color->r;
        v[l.color + 3] = source.color->a;
    }
    const auto put3 = [v](int at, double a, double b, double c) {
        v[at] = a;
        v[at + 1] = b;
        v[at + 2] = c;
    };
    if (l.normal >= 0) put3(l.normal, source.normal->x, source.normal->y, source.normal->z);
    if (l.position >= 0)
        put3(l.position, source.position->x, source.position->y, source.position->z);
    if (l.phong_parameter >= 0) v[l.phong_parameter] = *source.phong_parameter;
    for (int i = 0; i < l.width; ++i) {
        const KT_Parameter& p = source.parameters[i];
        put3(l.parameters + 3 * i, p.u, p.v, p.w);
    }
    if (l.vector >= 0) put3(l.vector, source.vector->x, source.vector->y, source.vector->z);
}

void KD_Read_Clip_Vertex(const Clip_Layout& l, const double* v, KT_RGB32* color, KT_Vector* normal,
                         KT_Point* position, float* phong_parameter, KT_Parameter* parameters,
                         float* w, KT_Vector* vector) {
    const auto vector_at = [v](int at) {
        return KT_Vector{static_cast<float>(v[at]), static_cast<float>(v[at + 1]),
                         static_cast<float>(v[at + 2])};
    };
    if (w && l.w >= 0) *w = static_cast<float>(v[l.w]);
    if (color && l.color >= 0)
        *color = {KD_Color_Channel(v[l.color]), KD_Color_Channel(v[l.color + 1]),
                  KD_Color_Channel(v[l.color + 2]), KD_Color_Channel(v[l.color + 3])};
    // Interpolated normals are shorter than unit; shading expects unit ones.
    if (normal && l.normal >= 0) {
        *normal = vector_at(l.normal);
        normal->normalize();
    }
    if (position && l.position >= 0) {
        const KT_Vector p = vector_at(l.position);
        *position = {p.x, p.y, p.z};
    }
    if (phong_parameter && l.phong_parameter >= 0)
        *phong_parameter = static_cast<float>(v[l.phong_parameter]);
    if (parameters)
        for (int i = 0; i < l.width; ++i) {
            const KT_Vector p = vector_at(l.parameters + 3 * i);
            parameters[i] = {p.x, p.y, p.z};
        }
    if (vector && l.vector >= 0) *vector = vector_at(l.vector);
}

} // namespace detail
