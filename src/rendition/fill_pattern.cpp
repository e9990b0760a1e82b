#include "rendition/fill_pattern.h"

#include <cstring>

#include "foundation/heap.h"

KT_Fill_Pattern_Data::KT_Fill_Pattern_Data(int width, int height, const unsigned char* source,
                                           bool copy)
    : bitmap(source), width(width > 0 ? width : 0), height(height > 0 ? height : 0),
      bytes_per_row((this->width + 7) / 8), owned(copy) {
    if (!source) {
        this->width = this->height = this->bytes_per_row = 0;
        owned = false;
        return;
    }
    if (owned) take_copy(source);
}

KT_Fill_Pattern_Data::KT_Fill_Pattern_Data(const KT_Fill_Pattern_Data& other)
    : KT_Counted(other), bitmap(other.bitmap), width(other.width), height(other.height),
      bytes_per_row(other.bytes_per_row), owned(other.owned) {
    if (owned) take_copy(other.bitmap);
}

KT_Fill_Pattern_Data::~KT_Fill_Pattern_Data() {
    if (owned) KD_ReleaseMemory(const_cast<unsigned char*>(bitmap));
}

void KT_Fill_Pattern_Data::take_copy(const unsigned char* source) {
    const std::uint64_t size = static_cast<std::uint64_t>(bytes_per_row) * height;
    auto* own = static_cast<unsigned char*>(KD_AllocateMemory(size ? size : 1));
    bitmap = own;
    if (!own) {
        width = height = bytes_per_row = 0;
        return;
    }
    if (size) std::memcpy(own, source, size);
}

bool KT_Fill_Pattern_Data::bit(int x, int y) const {
    if (width <= 0 || height <= 0) return false;
    x %= width;
    if (x < 0) x += width;
    y %= height;
    if (y < 0) y += height;
    return (bitmap[y * bytes_per_row + x / 8] & (0x80 >> (x % 8))) != 0;
}
