#include "rendition/cutting_plane.h"

void KT_Cutting_Plane_Set_Data::add(const KT_Cutting_Plane& plane) {
    planes.append(plane);
    ++count;
    // The new plane has no screen plane yet, so the next validation must
    // redo the work even for the matrix it saw last.
    matrix_serial = 0;
}

KT_Cutting_Plane_Set::KT_Cutting_Plane_Set(const KT_Cutting_Plane& plane) {
    allocate();
    body_->add(plane);
}

void KT_Cutting_Plane_Set::add(const KT_Cutting_Plane& plane) {
    if (empty()) allocate();
    modify()->add(plane);
}

void KT_Cutting_Plane_Set::validate_screen_planes(const KT_Matrix& world_to_device) const {
    if (!body_) return;
    // An empty matrix handle is the identity, which has no serial of its own.
    const std::uint32_t serial = world_to_device.empty() ? 0 : world_to_device->change_serial();
    if (serial != 0 && body_->matrix_serial == serial) return;
    const KT_Matrix adjoint = world_to_device.adjoint();
    body_->renew_change_serial();
    // An empty adjoint is the identity: the planes are only normalised. A
    // plane shared with another set holds that set's screen plane, so it is
    // made this set's own before it is written.
    for (auto* node = body_->planes.head(); node; node = node->next) {
        KT_Cutting_Plane_Data* plane = node->value.modify();
        adjoint.transform(plane->plane_d, plane->screen_plane);
    }
    body_->matrix_serial = serial;
}

bool KT_Cutting_Plane_Set::cuts(const KT_Point& p) const {
    if (!body_) return false;
    for (const KT_Cutting_Plane& plane : body_->planes) {
        const KT_Plane& h = plane->screen_plane;
        if (h.a * p.x + h.b * p.y + h.c * p.z + h.d >= 0.0f) return true;
    }
    return false;
}
