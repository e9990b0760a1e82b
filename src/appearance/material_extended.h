// A material a renderer defines itself: an untyped block the client hands
// over, and a slot for the renderer's own prepared form of it.
#pragma once

#include <cstdint>

#include "foundation/counted.h"
#include "foundation/export.h"

class KAVRI_API KT_Extended_Material_Data : public KT_Counted {
public:
    KT_Extended_Material_Data(void* data = nullptr, int size = 0) : data(data), size(size) {}
    // The copy refers to the same block and starts without cached data.
    KT_Extended_Material_Data(const KT_Extended_Material_Data& other)
        : KT_Counted(other), data(other.data), size(other.size) {}
    KT_Counted* copy() const override { return new KT_Extended_Material_Data(*this); }

    // Takes ownership, destroying what was cached before.
    void set_cached_data(const KT_Cached_Data* cached) {
        cached_data.invalidate();
        cached_data.set(cached);
    }

    void* data;
    std::int32_t size;
    KT_Cached_Data_Slot cached_data;
};

class KAVRI_API KT_Extended_Material : public KT_Pointer<KT_Extended_Material_Data> {
public:
    KT_Extended_Material() : KT_Pointer(new KT_Extended_Material_Data) {}
    explicit KT_Extended_Material(KT_Extended_Material_Data* body) : KT_Pointer(body) {}
    KT_Extended_Material(void* data, int size)
        : KT_Pointer(new KT_Extended_Material_Data(data, size)) {}

    void set_cached_data(const KT_Cached_Data* cached) { body_->set_cached_data(cached); }
};
