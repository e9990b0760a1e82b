// The rendition: the complete drawing state handed to every action. A
// handle over a net body that points at seven records (transform, colour,
// line, face, marker, text attribute, misc); renditions copied from one
// another share all of them until one changes, and a change copies only the
// net body and the one record concerned.
//
// Setters taking in_place change shared bodies where they are, so that
// every rendition sharing them sees the change; otherwise a shared body is
// copied first. Either way the changed bodies get new change serials.
#pragma once

#include "foundation/export.h"
#include "rendition/attribute_records.h"
#include "rendition/color_data.h"
#include "rendition/transform_data.h"

class KT_Renderer;

class KAVRI_API KT_Net_Data : public KT_Counted {
public:
    // Records for the renderer (which may be null) with every default.
    explicit KT_Net_Data(const KT_Renderer_Data* renderer);
    // Shares all seven records.
    KT_Net_Data(const KT_Net_Data& other) = default;
    // Misc first, transform last.
    ~KT_Net_Data() override;

    KT_Counted* copy() const override { return new KT_Net_Data(*this); }

    KT_Pointer<KT_Transform_Data> transform;
    KT_Pointer<KT_Color_Data> color;
    KT_Pointer<KT_Line_Data> line;
    KT_Pointer<KT_Face_Data> face;
    KT_Pointer<KT_Marker_Data> marker;
    KT_Pointer<KT_Text_Attribute_Data> text_attribute;
    KT_Pointer<KT_Misc_Data> misc;
};

class KAVRI_API KT_Rendition : public KT_Pointer<KT_Net_Data> {
public:
    KT_Rendition() = default;
    // Default records for the renderer, with the four default colours
    // resolved against its palette. A null renderer is allowed.
    explicit KT_Rendition(const KT_Renderer_Data* renderer);
    explicit KT_Rendition(const KT_Renderer& renderer);

    // Read access to the records (the handle must not be empty). Setters
    // on an empty handle first give it the state of a rendition without
    // renderer.
    const KT_Renderer_Data* renderer() const {
        return body_ ? body_->transform->renderer : nullptr;
    }
    const KT_Transform_Data& transform() const { return *body_->transform; }
    const KT_Color_Data& color() const { return *body_->color; }
    const KT_Line_Data& line() const { return *body_->line; }
    const KT_Face_Data& face() const { return *body_->face; }
    const KT_Marker_Data& marker() const { return *body_->marker; }
    const KT_Text_Attribute_Data& text_attribute() const { return *body_->text_attribute; }
    const KT_Misc_Data& misc() const { return *body_->misc; }

    // Writable records, prepared as the setters prepare them: for drivers
    // that change fields the setters below do not cover.
    KT_Transform_Data& modify_transform(bool in_place = false) {
        return prepare(&KT_Net_Data::transform, in_place);
    }
    KT_Color_Data& modify_color(bool in_place = false) {
        return prepare(&KT_Net_Data::color, in_place);
    }
    KT_Line_Data& modify_line(bool in_place = false) {
        return prepare(&KT_Net_Data::line, in_place);
    }
    KT_Face_Data& modify_face(bool in_place = false) {
        return prepare(&KT_Net_Data::face, in_place);
    }
    KT_Marker_Data& modify_marker(bool in_place = false) {
        return prepare(&KT_Net_Data::marker, in_place);
    }
    KT_Text_Attribute_Data& modify_text_attribute(bool in_place = false) {
        return prepare(&KT_Net_Data::text_attribute, in_place);
    }
    KT_Misc_Data& modify_misc(bool in_place = false) {
        return prepare(&KT_Net_Data::misc, in_place);
    }

    // Takes the renderer's extent, depth buffer and device matrices; the
    // colours are not resolved again. Nothing happens for a null renderer.
    void renew_renderer(const KT_Renderer_Data* renderer, bool in_place);

    // Colours. The forms with rgb resolve it against the renderer's
    // palette; those with an index trust it. set_color and its index forms
    // set the front colour and make the back colour the same.
    void set_color(const KT_RGB32& rgb, bool in_place) { set_color(rgb, in_place, false); }
    void set_color(const KT_RGB32& rgb, bool in_place, bool exact);
    void set_color(const KT_RGB32& rgb, int index, bool in_place);
    void set_color_index(int index, bool in_place);
    void set_front_color(const KT_RGB32& rgb, bool in_place);
    void set_back_color(const KT_RGB32& rgb, bool in_place);
    void set_contrast_color(const KT_RGB32& rgb, bool in_place);
    void set_background_color(const KT_RGB32& rgb, bool in_place);
    void set_front_color(const KT_RGB32& rgb, int index, bool in_place);
    void set_back_color(const KT_RGB32& rgb, int index, bool in_place);
    void set_contrast_color(const KT_RGB32& rgb, int index, bool in_place);
    void set_background_color(const KT_RGB32& rgb, int index, bool in_place);
    void set_front_color_index(int index, bool in_place);
    void set_back_color_index(int index, bool in_place);
    void set_contrast_color_index(int index, bool in_place);
    void set_background_color_index(int index, bool in_place);
    // Exchange front and back colour and material; front and contrast
    // colour. Shared bodies are always copied.
    void swap_backface_color();
    void swap_contrast_color();

    // Transform state; each recomputes the device matrices.
    void set_viewport(const KT_Int_Rectangle& viewport, bool in_place);
    // Setting the camera body already set (same change serial) does
    // nothing at all.
    void set_camera(const KT_Camera& camera, bool in_place);
    void set_modelling_matrix(const KT_Matrix& matrix, bool in_place);
    void set_handedness(const KT_Handedness& handedness, bool in_place);

    // Clip regions. set_hard_clip clamps into the renderer's extent;
    // restrict_hard_clip only ever shrinks the hard clip.
    void set_hard_clip(const KT_Int_Rectangle& clip, bool in_place);
    void set_hard_clip_unrestricted(const KT_Int_Rectangle& clip, bool in_place);
    void restrict_hard_clip(const KT_Int_Rectangle& clip, bool in_place);
    // Back to the renderer's extent; nothing without renderer.
    void reset_hard_clip(bool in_place);
    void set_complex_clip(const KT_Contour_Set& clip, bool in_place);
    // Removes the complex clip; the pointer is not read (pass null).
    void set_complex_clip(void* none, bool in_place);
    // The complex clip moved by the viewport's (left, bottom), cached on
    // the shared transform record; empty without complex clip.
    KT_Contour_Set shifted_complex_clip() const;

    // Plain solid lines of the given weight, no depth offset; unless the
    // line record keeps it, the solid face pattern and no pattern mode.
    void use_plain_form(int weight);
    // Storing the value already set does nothing.
    void set_advanced_options(const KT_Advanced_Options& options, bool in_place);

    // Builds the hard clip rectangle as a region, intersected with the
    // complex clip when one is set. A cache: shared bodies change in place.
    void validate_hard_complex_clip();

private:
    void ensure_body();
    template <class Record> Record& prepare(KT_Pointer<Record> KT_Net_Data::*slot, bool in_place) {
        ensure_body();
        KT_Net_Data* net = modify(in_place);
        return *(net->*slot).modify(in_place);
    }
    KT_Driver_Color& colour(KT_Driver_Color KT_Color_Data::*which, bool in_place) {
        return prepare(&KT_Net_Data::color, in_place).*which;
    }
    void clip_changed(const KT_Int_Rectangle& clip, bool in_place);
};
