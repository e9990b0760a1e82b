// One-bit fill bitmaps for faces: rows of (width + 7) / 8 bytes, the most
// significant bit leftmost.
#pragma once

#include <cstdint>

#include "foundation/counted.h"
#include "foundation/export.h"

class KAVRI_API KT_Fill_Pattern_Data : public KT_Counted {
public:
    // With copy the body keeps its own copy of the bitmap; otherwise it
    // refers to the caller's, which must outlive it and its copies.
    KT_Fill_Pattern_Data(int width, int height, const unsigned char* bitmap, bool copy);
    KT_Fill_Pattern_Data(const KT_Fill_Pattern_Data& other);
    KT_Fill_Pattern_Data& operator=(const KT_Fill_Pattern_Data&) = delete;
    ~KT_Fill_Pattern_Data() override;

    KT_Counted* copy() const override { return new KT_Fill_Pattern_Data(*this); }

    // Whether the pixel at column x of row y (row 0 first in the bitmap) is
    // set; the pattern repeats in both directions.
    bool bit(int x, int y) const;

    const unsigned char* bitmap;
    std::int32_t width;
    std::int32_t height;
    std::int32_t bytes_per_row;
    bool owned;

private:
    void take_copy(const unsigned char* source);
};

class KAVRI_API KT_Fill_Pattern : public KT_Pointer<KT_Fill_Pattern_Data> {
public:
    KT_Fill_Pattern() = default;
    explicit KT_Fill_Pattern(KT_Fill_Pattern_Data* body) : KT_Pointer(body) {}
    KT_Fill_Pattern(int width, int height, const unsigned char* bitmap, bool copy)
        : KT_Pointer(new KT_Fill_Pattern_Data(width, height, bitmap, copy)) {}
};
