// Arrays of uninitialised elements on the library heap. Elements are never
// constructed or destroyed: they are meant for plain values and pointers.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "foundation/heap.h"

template <class T> class KT_Array {
public:
    explicit KT_Array(int capacity = 0) {
        if (capacity > 0) resize(capacity, false, false);
    }
    virtual ~KT_Array() { KD_ReleaseMemory(data_); }
    KT_Array(const KT_Array&) = delete;
    KT_Array& operator=(const KT_Array&) = delete;

    T* data() const { return data_; }
    int capacity() const { return capacity_; }
    T& operator[](int i) const { return data_[i]; }

    // n below 1 doubles the capacity. With keep, the first min(capacity, n)
    // elements survive, copied by assignment or as bytes.
    void resize(int n, bool keep, bool by_assignment) {
        if (n < 1) n = capacity_ > 0 ? clamped(2 * std::int64_t{capacity_}) : 1;
        T* fresh = static_cast<T*>(KD_AllocateMemory(sizeof(T) * static_cast<std::size_t>(n)));
        // Without new memory the array stays as it was.
        if (!fresh) return;
        if (keep && data_) {
            const int kept = std::min(capacity_, n);
            if (by_assignment)
                for (int i = 0; i < kept; ++i)
                    fresh[i] = data_[i];
            else
                std::memcpy(static_cast<void*>(fresh), static_cast<const void*>(data_),
                            sizeof(T) * static_cast<std::size_t>(kept));
        }
        KD_ReleaseMemory(data_);
        data_ = fresh;
        capacity_ = n;
    }

protected:
    static int clamped(std::int64_t n) {
        return static_cast<int>(std::min<std::int64_t>(n, INT_MAX));
    }

    T* data_ = nullptr;
    int capacity_ = 0;
};

template <class T> class KT_Growable_Array : public KT_Array<T> {
public:
    explicit KT_Growable_Array(int capacity = 0, bool copy_by_assignment = false)
        : KT_Array<T>(capacity), copy_by_assignment_(copy_by_assignment) {}

    bool copy_by_assignment() const { return copy_by_assignment_; }

    // Storing past the end grows to the larger of (index + 16) rounded down
    // to a multiple of 16 and twice the capacity, keeping the contents.
    // False, with nothing stored, for a negative index or when the array
    // cannot grow that far.
    bool store(int index, const T& value) {
        T* slot = at(index);
        if (slot) *slot = value;
        return slot != nullptr;
    }

    // Element index after growing as store does, or null.
    T* at(int index) {
        if (index < 0) return nullptr;
        if (index >= this->capacity_) {
            const std::int64_t wanted = (std::int64_t{index} + 16) / 16 * 16;
            this->resize(this->clamped(std::max(wanted, 2 * std::int64_t{this->capacity_})), true,
                         copy_by_assignment_);
        }
        return index < this->capacity_ ? this->data_ + index : nullptr;
    }

private:
    bool copy_by_assignment_;
};
