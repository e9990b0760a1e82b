// A cube map: six square faces of one 32-bit image, looked up by direction.
// The faces lie in a grid of 2 columns by 3 rows: row 0 holds the x faces,
// row 1 the y faces, row 2 the z faces; column 0 the positive and column 1
// the negative direction.
#pragma once

#include <cstdint>

#include "appearance/texture.h"
#include "foundation/export.h"

enum class KT_Cube_Map_Face : std::int32_t {
    Positive_X = 0,
    Negative_X = 1,
    Positive_Y = 2,
    Negative_Y = 3,
    Positive_Z = 4,
    Negative_Z = 5,
};

class KAVRI_API KT_Cube_Map_Texture_Data : public KT_Texture_Data {
public:
    static constexpr int face_count = 6;

    KT_Cube_Map_Texture_Data() = default;
    // Takes a ready face grid; its faces count as valid when the grid is
    // usable (32-bit pixels, at least three faces high).
    explicit KT_Cube_Map_Texture_Data(const KT_Shared_Image& faces);
    KT_Cube_Map_Texture_Data* copy() const override { return new KT_Cube_Map_Texture_Data(*this); }

    KT_Texture_Type type() const override { return KT_Texture_Type::Cube_Map; }
    // The texel the first parameter, taken as a direction, points at.
    // Transparent black without faces, without a parameter, for a zero or
    // non-finite direction and for a face image that is not 32-bit.
    KT_RGBA value(const KT_Parameter* parameters, int parameter_width, const KT_Point* point,
                  const KT_Vector* normal, const KT_Rendition* rendition) const override;
    KT_Shared_Image base_image() const override { return faces_; }

    // Half the width of the face image; 0 without one.
    int face_size() const;
    bool is_valid() const;
    bool is_face_valid(KT_Cube_Map_Face face) const;
    void set_valid(bool valid);

    // Makes the face image hold faces of the given side, keeping it when it
    // already does; a new image starts black with no valid face. False for
    // sides below 1 or too large to allocate.
    bool face_setup(int size);
    // The top-left pixel of a face in the face image.
    KT_Int_XY face_offset(KT_Cube_Map_Face face) const;
    // Scales source into the face's square (averaging when it shrinks,
    // repeating texels when it grows). False without a face image or a
    // source, or for a face number out of range.
    bool filter_face_image(KT_Cube_Map_Face face, const KT_Shared_Image& source);
    // Sets up faces as large as the source when there are none yet, then
    // filters the source into the face and marks it valid.
    bool set_face_image(KT_Cube_Map_Face face, const KT_Shared_Image& source);
    // Paints every face with a plain sky over a grey ground and marks them
    // valid; size is used when there is no face image yet.
    void set_default_image(int size = 16);

private:
    bool has_grid() const;

    KT_Shared_Image faces_;
    bool valid_[face_count] = {false, false, false, false, false, false};
};

class KAVRI_API KT_Cube_Map_Texture : public KT_Texture {
public:
    KT_Cube_Map_Texture();
    explicit KT_Cube_Map_Texture(const KT_Shared_Image& faces);

    int face_size() const { return view<Data>()->face_size(); }
    bool is_valid() const { return view<Data>()->is_valid(); }
    bool is_face_valid(KT_Cube_Map_Face face) const { return view<Data>()->is_face_valid(face); }
    void set_valid(bool valid) { edit<Data>()->set_valid(valid); }
    bool face_setup(int size) { return edit<Data>()->face_setup(size); }
    KT_Int_XY face_offset(KT_Cube_Map_Face face) const { return view<Data>()->face_offset(face); }
    bool filter_face_image(KT_Cube_Map_Face face, const KT_Shared_Image& source) {
        return edit<Data>()->filter_face_image(face, source);
    }
    bool set_face_image(KT_Cube_Map_Face face, const KT_Shared_Image& source) {
        return edit<Data>()->set_face_image(face, source);
    }
    void set_default_image(int size = 16) { edit<Data>()->set_default_image(size); }

private:
    using Data = KT_Cube_Map_Texture_Data;
};
