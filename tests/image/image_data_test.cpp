#include "image/image_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image/image_handle_data.h"

namespace {

using F = KT_Image_Format;

struct Layout {
    F format;
    int width;
    int alignment;
    int row_bytes;
    float bytes_per_pixel;
};

TEST(ImageData, RowBytesFollowTheFormatAndAlignment) {
    const Layout layouts[] = {
        {F::RGB32, 3, 0, 16, 4.0f},     {F::Bitonal, 9, 4, 4, 0.125f},
        {F::Depth16, 5, 6, 12, 2.0f},   {F::Index8, 5, 1, 5, 1.0f},
        {F::Gray8, 5, 3, 6, 1.0f},      {F::CMYK32, 3, 1, 12, 4.0f},
        {F::Depth32, 3, 5, 15, 4.0f},   {F::Bitonal, 16, 1, 2, 0.125f},
        {F::Bitonal, 17, 1, 3, 0.125f}, {F::Bitonal, 1, 0, 8, 0.125f},
        {F::Index8, 9, -3, 16, 1.0f},   {F::RGB32, 1, 12, 12, 4.0f},
        {F::Gray8, 7, 7, 7, 1.0f},
    };
    for (const Layout& l : layouts) {
        KT_Image_Data image(l.width, 3, l.format, l.alignment, nullptr, false);
        SCOPED_TRACE(testing::Message() << "format " << int(l.format) << " width " << l.width
                                        << " alignment " << l.alignment);
        ASSERT_FALSE(image.is_empty());
        EXPECT_EQ(image.row_bytes(), l.row_bytes);
        EXPECT_EQ(image.bytes_per_pixel(), l.bytes_per_pixel);
        EXPECT_EQ(image.byte_size(), 3 * l.row_bytes);
    }
}

TEST(ImageData, RowTablesAddressEveryRowBothWays) {
    KT_Image_Data image(5, 4, F::Gray8, 4, nullptr, false);
    ASSERT_EQ(image.row_bytes(), 8);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(image.row(i), image.pixels() + 8 * i);
        EXPECT_EQ(image.rows()[i], image.reversed_rows()[3 - i]);
    }
    EXPECT_EQ(image.reversed_rows()[0], image.row(3)) << "the bottom row comes first";
    // Writing every byte of every row stays inside the block (ASan).
    for (int i = 0; i < 4; ++i)
        std::memset(image.row(i), i, 8);
    EXPECT_EQ(image.pixels()[8 * 3 + 7], 3);
}

TEST(ImageData, GivenPixelsAreCopiedUnlessBorrowed) {
    std::vector<std::uint8_t> source(16 * 2);
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<std::uint8_t>(i);

    KT_Image_Data owned(3, 2, F::RGB32, 0, source.data(), false);
    EXPECT_FALSE(owned.pixels_borrowed());
    EXPECT_NE(owned.pixels(), source.data());
    EXPECT_EQ(std::memcmp(owned.pixels(), source.data(), source.size()), 0);
    owned.row(1)[0] = 99;
    EXPECT_EQ(source[16], 16);

    {
        KT_Image_Data borrowed(3, 2, F::RGB32, 0, source.data(), true);
        EXPECT_TRUE(borrowed.pixels_borrowed());
        EXPECT_EQ(borrowed.pixels(), source.data());
        EXPECT_EQ(borrowed.row(1), source.data() + 16);
        borrowed.row(1)[1] = 77;
    }
    EXPECT_EQ(source[17], 77) << "the caller's pixels survive the body";

    KT_Image_Data nothing_to_borrow(3, 2, F::RGB32, 0, nullptr, true);
    EXPECT_FALSE(nothing_to_borrow.pixels_borrowed());
    ASSERT_FALSE(nothing_to_borrow.is_empty());
}

TEST(ImageData, CopiesShareBorrowedPixelsAndDuplicateOwnedOnes) {
    std::uint8_t caller[8 * 3] = {};
    KT_Image_Data borrowed(5, 3, F::Index8, 0, caller, true);
    borrowed.set_user_flag(true);
    KT_Image_Data borrowed_copy(borrowed);
    EXPECT_TRUE(borrowed_copy.pixels_borrowed());
    EXPECT_EQ(borrowed_copy.pixels(), caller);
    EXPECT_NE(borrowed_copy.rows(), borrowed.rows()) << "own row tables";
    EXPECT_EQ(borrowed_copy.row(2), caller + 16);
    EXPECT_TRUE(borrowed_copy.user_flag());

    KT_Image_Data owned(5, 3, F::Index8, 0, caller, false);
    owned.row(2)[4] = 42;
    auto* copy = static_cast<KT_Image_Data*>(owned.copy());
    EXPECT_NE(copy->pixels(), owned.pixels());
    EXPECT_EQ(copy->row(2), copy->pixels() + 16) << "rows address the copy's own block";
    EXPECT_EQ(copy->row(2)[4], 42);
    EXPECT_EQ(copy->reversed_rows()[0], copy->row(2));
    EXPECT_FALSE(copy->user_flag());
    EXPECT_GT(copy->change_serial(), owned.change_serial());
    delete copy;
}

TEST(ImageData, ConstructorFormsKeepResolutionPackingAndBitonalFormat) {
    KT_Image_Data general(2, 2, F::RGB32, 0, nullptr, false);
    EXPECT_EQ(general.color_resolution(), 256);
    EXPECT_EQ(general.packing().word(), 0x02010003u);

    KT_Image_Data packed(2, 2, F::RGB32, 0, nullptr, 64, KT_Packing(0x00010203), false);
    KT_Image_Data copy(packed);
    EXPECT_EQ(copy.color_resolution(), 64);
    EXPECT_EQ(copy.packing().word(), 0x00010203u);

    KT_Image_Data resolution(2, 2, F::Gray8, 0, nullptr, 16, false);
    EXPECT_EQ(resolution.color_resolution(), 16);
    EXPECT_EQ(resolution.packing().word(), 0u);

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
            EXPECT_EQ(image.width() + image.height() + image.row_bytes(), 0);
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
    ASSERT_FALSE(copy.is_empty());
    EXPECT_NE(copy.pixels(), block.pixels());
    EXPECT_EQ(std::memcmp(copy.pixels(), bytes, 10), 0);
    EXPECT_EQ(copy.rows(), nullptr);

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
class Counting_Cache : public KT_Cached_Data {
public:
    explicit Counting_Cache(int& destroyed) : destroyed_(destroyed) {}
    ~Counting_Cache() override { ++destroyed_; }

private:
    int& destroyed_;
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
        EXPECT_EQ(destroyed, 1);
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
