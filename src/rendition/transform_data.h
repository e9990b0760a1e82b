// The transform record of a rendition: renderer, camera, viewport and
// modelling matrix, and their products down to the one object-to-device
// matrix the 3D actions apply to every vertex; also the clip regions.
//
// Every setter recomputes eagerly, so drawing only reads. Matrices, the
// camera and contour sets are shared with copies of the record.
#pragma once

#include <cstdint>

#include "contour/contour_set.h"
#include "foundation/basic_types.h"
#include "foundation/counted.h"
#include "foundation/export.h"
#include "math/camera.h"
#include "math/matrix.h"
#include "math/vector.h"

class KT_Renderer_Data;

// 1 mirrors device x; every other value leaves it.
using KT_Handedness = std::int32_t;

class KAVRI_API KT_Transform_Data : public KT_Counted {
public:
    // With a renderer: viewport and hard clip are its extent, and the
    // device matrices are computed. Without one, every matrix stays the
    // identity and the extent empty.
    explicit KT_Transform_Data(const KT_Renderer_Data* renderer);
    KT_Counted* copy() const override { return new KT_Transform_Data(*this); }

    // The renderer's window in its own or its parent's coordinates, as its
    // "Local Coordinates" option says; all zero without renderer.
    static KT_Int_Rectangle extent_of(const KT_Renderer_Data* renderer);

    // The setters behind the rendition's; each recomputes what depends on
    // the value.
    void use_renderer(const KT_Renderer_Data* renderer);
    void use_viewport(const KT_Int_Rectangle& viewport);
    void use_camera(const KT_Camera& camera);
    void use_modelling_matrix(const KT_Matrix& matrix);
    void use_handedness(KT_Handedness value);
    void use_hard_clip(const KT_Int_Rectangle& clip);
    void use_complex_clip(const KT_Contour_Set& clip);

    // object to projected is built only on request.
    void validate_object_to_projected();

    const KT_Renderer_Data* renderer = nullptr;
    KT_Camera camera;
    KT_Int_Rectangle viewport = {0, 0, 0, 0};
    KT_Matrix modelling;
    KT_Matrix viewing;
    KT_Matrix projection;
    KT_Matrix screen;
    KT_Matrix world_to_device;
    KT_Matrix object_to_device;
    KT_Matrix object_to_projected;
    KT_Int_Rectangle hard_clip = {0, 0, 0, 0};
    KT_Contour_Set complex_clip;
    KT_Contour_Set hard_complex_clip;
    KT_Contour_Set shifted_complex_clip;
    KT_Int_XY shifted_clip_shift = {0, 0};
    KT_Handedness handedness = 0;
    bool depth_buffer = false;
    bool viewport_explicit = false;
    bool hard_complex_clip_valid = false;
    // A vertex whose w is not above this lies behind the near limit.
    double scaled_wlimit = 0.0;
    // Unit direction from the camera's target towards its eye, in world
    // space: the view direction materials shade with.
    KT_Vector view_direction = {0.0f, 0.0f, -1.0f};
    // The camera's target and w limit, kept so that a modelling change
    // need not read the camera (an empty one would be built afresh).
    KT_Point_D camera_target = {0.0, 0.0, 0.0};
    float camera_wlimit = 0.05f;

protected:
    friend class KT_Rendition;

    // The cached screen matrix rebuilt for the viewport, camera and depth
    // buffer; empty without renderer.
    KT_Matrix screen_matrix();
    void validate_world_to_device();
    void validate_object_to_device();
    void validate_scaled_wlimit();

private:
    void take_camera_matrices();
    void invalidate_hard_complex_clip();
};
