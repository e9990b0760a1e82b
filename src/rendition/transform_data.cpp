#include "rendition/transform_data.h"

#include <cmath>

#include "renderer/renderer_data.h"

namespace {

const KT_Renderer_Options& options_of(const KT_Renderer_Data* renderer) {
    return renderer->current_renderer_options;
}

// The largest depth of a buffer of the given bits; 32 bits and more reach
// 2^32 so that the division by it stays exact.
float depth_range(int bits) {
    if (bits >= 32) return 4294967296.0f;
    return static_cast<float>((std::uint64_t{1} << bits) - 1);
}

} // namespace

KT_Transform_Data::KT_Transform_Data(const KT_Renderer_Data* r) : renderer(r) {
    take_camera_matrices();
    if (!renderer) return;
    hard_clip = viewport = extent_of(renderer);
    depth_buffer = options_of(renderer).buffer_depth() > 0;
    validate_world_to_device();
}

KT_Int_Rectangle KT_Transform_Data::extent_of(const KT_Renderer_Data* r) {
    if (!r) return {0, 0, 0, 0};
    const KT_Renderer_Options& o = options_of(r);
    return o.local_coordinates() ? o.local_extent() : o.window_extent();
}

void KT_Transform_Data::use_renderer(const KT_Renderer_Data* r) {
    if (!r) return;
    renderer = r;
    const KT_Int_Rectangle extent = extent_of(r);
    hard_clip = extent;
    if (!viewport_explicit) viewport = extent;
    depth_buffer = options_of(r).buffer_depth() > 0;
    validate_world_to_device();
    invalidate_hard_complex_clip();
}

void KT_Transform_Data::use_viewport(const KT_Int_Rectangle& v) {
    viewport = v;
    viewport_explicit = true;
    validate_world_to_device();
}

void KT_Transform_Data::use_camera(const KT_Camera& c) {
    camera = c;
    take_camera_matrices();
    validate_world_to_device();
    object_to_projected.reset();
}

void KT_Transform_Data::use_modelling_matrix(const KT_Matrix& m) {
    modelling = m;
    validate_object_to_device();
    object_to_projected.reset();
}

void KT_Transform_Data::use_handedness(KT_Handedness value) {
    handedness = value;
    validate_world_to_device();
}

void KT_Transform_Data::use_hard_clip(const KT_Int_Rectangle& clip) {
    hard_clip = clip;
    invalidate_hard_complex_clip();
}

void KT_Transform_Data::use_complex_clip(const KT_Contour_Set& clip) {
    complex_clip = clip;
    shifted_complex_clip.reset();
    shifted_clip_shift = {0, 0};
    invalidate_hard_complex_clip();
}

void KT_Transform_Data::invalidate_hard_complex_clip() {
    hard_complex_clip_valid = false;
    hard_complex_clip.reset();
}

void KT_Transform_Data::take_camera_matrices() {
    viewing = camera.viewing_matrix();
    projection = camera.projection_matrix();
    camera.read([this](const auto& b) {
        view_direction = {static_cast<float>(b.backward.x), static_cast<float>(b.backward.y),
                          static_cast<float>(b.backward.z)};
        camera_target = {b.target.x, b.target.y, b.target.z};
        camera_wlimit = b.wlimit;
    });
}

KT_Matrix KT_Transform_Data::screen_matrix() {
    if (!renderer) return KT_Matrix();
    const KT_Renderer_Options& o = options_of(renderer);
    const int bits = o.buffer_depth() > 0 ? o.buffer_depth() : 0;
    const float zmax = depth_range(bits);
    const float width = static_cast<float>(viewport.right) - static_cast<float>(viewport.left);
    const float height = static_cast<float>(viewport.top) - static_cast<float>(viewport.bottom);
    float sx = width / 2.0f;
    float sy = height / 2.0f;

    const float aspect_width = o.pixel_aspect() * width;
    const float va = aspect_width != 0.0f ? height / aspect_width : 1.0f;
    struct Camera_Facts {
        float aspect;
        bool stretched;
        bool perspective;
        float wlimit;
    };
    const Camera_Facts c = camera.read([](const auto& b) {
        return Camera_Facts{static_cast<float>(b.field.height / b.field.width), b.stretched,
                            b.projection != KT_Camera_Projection::Orthographic, b.wlimit};
    });
    // An unstretched picture keeps its proportions and fits the viewport.
    if (!c.stretched) {
        if (c.aspect >= va)
            sx = sx * va / c.aspect;
        else
            sy = sy * c.aspect / va;
    }

    float zscale, zoffset;
    if (bits == 0) {
        zscale = sy * 10.0f;
        zoffset = 0.0f;
    } else if (c.perspective) {
        // w = wlimit lands on depth 0 and w = infinity on zmax.
        zscale = c.wlimit * zmax;
        zoffset = zmax - zscale;
    } else {
        zscale = zoffset = zmax / 2.0f;
    }

    KT_Matrix_Single_Data* body = screen.single_body();
    if (body && body->reference_count() == 1) {
        body->set_identity();
        body->invalidate_adjoint();
        body->renew_change_serial();
    } else {
        screen.reset(); // the edits below attach a new single identity
    }
    const float cx = (static_cast<float>(viewport.left) + static_cast<float>(viewport.right)) / 2;
    const float cy = (static_cast<float>(viewport.bottom) + static_cast<float>(viewport.top)) / 2;
    screen.scale(sx, sy, zscale);
    screen.translate(cx, cy, zoffset);
    return screen;
}

void KT_Transform_Data::validate_world_to_device() {
    viewing.multiply(projection, world_to_device);
    if (handedness == 1) {
        KT_Matrix mirror;
        mirror.convert_to_double(); // a double identity
        mirror.scale(-1.0, 1.0, 1.0);
        KT_Matrix mirrored;
        world_to_device.multiply(mirror, mirrored);
        world_to_device = mirrored;
    }
    KT_Matrix device;
    world_to_device.multiply(screen_matrix(), device);
    world_to_device = device;
    validate_object_to_device();
}

void KT_Transform_Data::validate_object_to_device() {
    modelling.multiply(world_to_device, object_to_device);
    validate_scaled_wlimit();
}

void KT_Transform_Data::validate_scaled_wlimit() {
    KT_Point_D local;
    modelling.adjoint().transform(camera_target, local);
    double w = 0.0;
    object_to_device.visit([&](const auto& m, std::uint32_t) {
        w = local.x * m[0][3] + local.y * m[1][3] + local.z * m[2][3] + m[3][3];
    });
    scaled_wlimit = camera_wlimit * w;
}

void KT_Transform_Data::validate_object_to_projected() {
    KT_Matrix viewed;
    modelling.multiply(viewing, viewed);
    viewed.multiply(projection, object_to_projected);
}
