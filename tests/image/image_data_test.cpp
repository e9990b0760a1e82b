#include "image/image_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "image/image_handle_data.h"

namespace {

using F = KT_Image_Format;

TEST(ImageData, RowBytesFollowTheFormatAndAlignment) {
    const struct {
        F format;
        int width, alignment, row_bytes;
        float bytes_per_pixel;
    } layouts[] = {
        {F::RGB32, 3, 0, 16, 4.0f},     {F::Bitonal, 9, 4, 4, 0.125f},
        {F::Depth16, 5, 6, 12, 2.0f},   {F::Index8, 5, 1, 5, 1.0f},
        {F::Gray8, 5, 3, 6, 1.0f},      {F::CMYK32, 3, 1, 12, 4.0f},
        {F::Depth32, 3, 5, 15, 4.0f},   {F::Bitonal, 16, 1, 2, 0.125f},
        {F::Bitonal, 17, 1, 3, 0.125f}, {F::Bitonal, 1, 0, 8, 0.125f},
        {F::Index8, 9, -3, 16, 1.0f},   {F::RGB32, 1, 12, 12, 4.0f},
        {F::Gray8, 7, 7, 7, 1.0f},
    };
    for (const auto& l : layouts) {
        KT_Image_Data image(l.width, 3, l.format, l.alignment, nullptr, false);
        SCOPED_TRACE(testing::Message() << "format " << int(l.format) << " width " << l.width
                                        << " alignment " << l.alignment);
        ASSERT_FALSE(image.is_empty());
        EXPECT_EQ(image.row_bytes(), l.row_bytes);
        EXPECT_EQ(image.bytes_per_pixel(), l.bytes_per_pixel);
        EXPECT_EQ(image.byte_size(), 3 * l.row_bytes);
        // Writing every byte of every row stays inside the block (ASan).
        for (int y = 0; y < 3; ++y)
            std::memset(image.row(y), y, l.row_bytes);
    }
}

// Owned pixels are copied in and duplicated by a copy; borrowed ones stay
// the caller's, shared by copies, each with its own row tables (the
// reversed table lists the bottom row first).
TEST(ImageData, GivenPixelsAreCopiedUnlessBorrowed) {
    std::uint8_t caller[8 * 3];
    for (int i = 0; i < 24; ++i)
        caller[i] = static_cast<std::uint8_t>(i);
    KT_Image_Data owned(5, 3, F::Index8, 0, caller, false);
    EXPECT_FALSE(owned.pixels_borrowed());
    EXPECT_NE(owned.pixels(), caller);
    EXPECT_EQ(std::memcmp(owned.pixels(), caller, 24), 0);
    owned.row(2)[4] = 42;
    EXPECT_EQ(caller[20], 20);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(owned.row(y), owned.pixels() + 8 * y);
        EXPECT_EQ(owned.rows()[y], owned.reversed_rows()[2 - y]);
    }
    auto* copy = static_cast<KT_Image_Data*>(owned.copy());
    EXPECT_NE(copy->pixels(), owned.pixels());
    EXPECT_EQ(copy->reversed_rows()[0], copy->pixels() + 16) << "rows address the copy's block";
    EXPECT_EQ(copy->row(2)[4], 42);
    EXPECT_GT(copy->change_serial(), owned.change_serial());
    delete copy;

    {
        KT_Image_Data borrowed(5, 3, F::Index8, 0, caller, true);
        borrowed.set_user_flag(true);
        KT_Image_Data borrowed_copy(borrowed);
        EXPECT_TRUE(borrowed_copy.pixels_borrowed());
        EXPECT_EQ(borrowed_copy.pixels(), caller);
        EXPECT_NE(borrowed_copy.rows(), borrowed.rows());
        EXPECT_EQ(borrowed_copy.row(2), caller + 16);
        EXPECT_TRUE(borrowed_copy.user_flag());
        borrowed.row(1)[1] = 77;
    }
    EXPECT_EQ(caller[9], 77) << "the caller's pixels survive the body";
    KT_Image_Data nothing_to_borrow(3, 2, F::RGB32, 0, nullptr, true);
    EXPECT_FALSE(nothing_to_borrow.pixels_borrowed());
    EXPECT_FALSE(nothing_to_borrow.is_empty());
}

TEST(ImageData, ConstructorFormsKeepResolutionPackingAndBitonalFormat) {
    KT_Image_Data general(2, 2, F::RGB32, 0, nullptr, false);
    KT_Image_Data packed(2, 2, F::RGB32, 0, nullptr, 64, KT_Packing(0x00010203), false);
    KT_Image_Data copy(packed);
    KT_Image_Data resolution(2, 2, F::Gray8, 0, nullptr, 16, false);
    const struct {
        const char* name;
        const KT_Image_Data* image;
        int colours;
        std::uint32_t packing;
    } cases[] = {{"the general form", &general, 256, 0x02010003u},
                 {"a copy of the packed form", &copy, 64, 0x00010203u},
                 {"the resolution form", &resolution, 16, 0u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.image->color_resolution(), c.colours);
        EXPECT_EQ(c.image->packing().word(), c.packing);
    }

    KT_Shared_Image bitonal(9, 1, F::Bitonal, 0, nullptr, KT_Bitonal_Format(3), false);
    EXPECT_EQ(bitonal->color_resolution(), 0);
    EXPECT_EQ(bitonal->bitonal_format().value(), 3u);
}

TEST(ImageData, BadSizesAndFormatsGiveTheEmptyImage) {
    std::uint8_t caller[64] = {};
    const struct {
        int width, height, format;
    } cases[] = {{0, 5, F::RGB32}, {5, 0, F::RGB32}, {-3, 4, F::Gray8}, {4, -1, F::Gray8},
                 {4, 4, 7},        {4, 4, -2},       {4, 4, 99},        {INT32_MAX, 1, F::RGB32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " format " << c.format);
        for (void* pixels : {static_cast<void*>(nullptr), static_cast<void*>(caller)}) {
            KT_Image_Data image(c.width, c.height, c.format, 0, pixels, true);
            EXPECT_TRUE(image.is_empty());
            EXPECT_EQ(image.reversed_rows(), nullptr);
            EXPECT_EQ(image.width(), 0);
            EXPECT_EQ(image.height(), 0);
            EXPECT_EQ(image.row_bytes(), 0);
            EXPECT_FALSE(image.pixels_borrowed());
            EXPECT_EQ(image.format(), c.format);
            KT_Image_Data copy(image);
            EXPECT_TRUE(copy.is_empty());
        }
    }
    KT_Image_Data other_form(0, 3, F::RGB32, 0, nullptr, 256, KT_Packing(), false);
    EXPECT_TRUE(other_form.is_empty());
}

TEST(ImageData, OpaqueBlockTakesItsSizeFromTheAlignmentArgument) {
    std::uint8_t bytes[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    KT_Image_Data block(0, 0, F::Opaque_Block, 10, bytes, false);
    ASSERT_FALSE(block.is_empty());
    EXPECT_EQ(block.byte_size(), 10);
    EXPECT_EQ(block.rows(), nullptr);

    KT_Image_Data copy(block);
    ASSERT_EQ(copy.byte_size(), 10);
    EXPECT_NE(copy.pixels(), block.pixels());
    EXPECT_EQ(std::memcmp(copy.pixels(), bytes, 10), 0);

    EXPECT_TRUE(KT_Image_Data(4, 4, F::Opaque_Block, 0, nullptr, false).is_empty());
}

TEST(ImageData, FileNameSerialTracksChangesAfterTheNameWasSet) {
    KT_Shared_Image image(4, 4, F::RGB32, 0, nullptr, false);
    EXPECT_TRUE(image->base_image_modified()) << "no name was set";
    EXPECT_EQ(image->filename_serial(), 0u);

    image->set_image_filename(L"brick.png");
    EXPECT_FALSE(image->base_image_modified());
    EXPECT_EQ(image->image_filename(), L"brick.png");

    KT_Image_Data copy(*image);
    EXPECT_FALSE(copy.base_image_modified()) << "a copy of an unmodified image";
    EXPECT_EQ(copy.image_filename(), L"brick.png");

    image.modify()->row(0)[0] = 1;
    EXPECT_TRUE(image->base_image_modified());
    KT_Image_Data modified_copy(*image);
    EXPECT_TRUE(modified_copy.base_image_modified());
    EXPECT_EQ(modified_copy.filename_serial(), 0u);
}

// Counts its destructions, to see who releases cached data.
struct Counting_Cache : KT_Cached_Data {
    explicit Counting_Cache(int& destroyed) : destroyed(destroyed) {}
    ~Counting_Cache() override { ++destroyed; }
    int& destroyed;
};

class Driver_Depth_Buffer : public KT_Image_Handle_Data {
public:
    Driver_Depth_Buffer(int w, int h) : KT_Image_Handle_Data(F::Depth32, w, h) {}
};

TEST(ImageData, CachedDataIsOwnedAndNeverCopied) {
    int destroyed = 0;
    {
        KT_Image_Data image(2, 2, F::Gray8, 0, nullptr, false);
        image.set_cached_data(new Counting_Cache(destroyed));
        KT_Image_Data copy(image);
        EXPECT_EQ(copy.cached_data(), nullptr);
        image.invalidate_cached_data();
        image.invalidate_cached_data();
        EXPECT_EQ(destroyed, 1);
        image.set_cached_data(new Counting_Cache(destroyed));
    }
    EXPECT_EQ(destroyed, 2) << "the destructor releases what is left";

    Driver_Depth_Buffer buffer(640, 480);
    buffer.set_cached_data(new Counting_Cache(destroyed));
    auto* copy = static_cast<KT_Image_Handle_Data*>(buffer.copy());
    EXPECT_EQ(copy->format(), F::Depth32);
    EXPECT_EQ(copy->width(), 640);
    EXPECT_EQ(copy->cached_data(), nullptr);
    delete copy;
    EXPECT_EQ(destroyed, 2);
}

} // namespace
