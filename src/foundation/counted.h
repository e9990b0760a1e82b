// Shared, reference-counted bodies and the handles that hold them.
//
// A body (KT_Counted) carries an atomic reference count and a change serial
// from one library-wide counter. A handle (KT_Pointer<T>) holds one pointer
// to a body; copying a handle shares the body. Before a handle writes, it
// makes the body its own: a copy when shared, a fresh serial when not. The
// serial is what caches compare to learn that a body changed.
#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

#include "foundation/export.h"
#include "foundation/object.h"

// Takes the next change serial (atomic, wraps at 2^32). The first serial
// taken after the library loads is 1.
KAVRI_API std::uint32_t KD_Next_Change_Serial();

// Reports, as a failed check, a write to a shared body whose copy() gave
// null; the write then changes the shared body in place.
KAVRI_API void KD_Report_Failed_Copy();

class KAVRI_API KT_Counted : public KT_Object {
public:
    KT_Counted() : references_(0), serial_(KD_Next_Change_Serial()) {}
    KT_Counted(const KT_Counted& other)
        : KT_Object(other), references_(0), serial_(KD_Next_Change_Serial()) {}
    KT_Counted& operator=(const KT_Counted&) { return *this; }
    ~KT_Counted() override = default;

    // A new body equal to this one, with count 0 and a new serial; null for
    // bodies that are never copied on write.
    virtual KT_Counted* copy() const = 0;

    std::uint32_t reference_count() const { return references_.load(); }
    std::uint32_t change_serial() const { return serial_; }
    void renew_change_serial() { serial_ = KD_Next_Change_Serial(); }

    void add_reference() const { references_.fetch_add(1); }
    // Drops one reference and destroys the body when it was the last.
    void remove_reference() const {
        if (references_.fetch_sub(1) == 1) delete this;
    }

private:
    mutable std::atomic<std::uint32_t> references_;
    std::uint32_t serial_;
};

// Per-driver data attached to a body (an uploaded texture, say). The library
// only destroys it; modules derive from it.
class KAVRI_API KT_Cached_Data : public KT_Object {
public:
    ~KT_Cached_Data() override = default;

private:
    [[maybe_unused]] std::uint64_t reserved_ = 0;
};

// The owning cached-data pointer that bodies embed.
class KAVRI_API KT_Cached_Data_Slot {
public:
    KT_Cached_Data_Slot() = default;
    ~KT_Cached_Data_Slot() { invalidate(); }
    KT_Cached_Data_Slot(const KT_Cached_Data_Slot&) = delete;
    KT_Cached_Data_Slot& operator=(const KT_Cached_Data_Slot&) = delete;

    const KT_Cached_Data* get() const { return data_; }
    // Takes ownership; an object already held is not destroyed (callers
    // invalidate first).
    void set(const KT_Cached_Data* data) { data_ = data; }
    void invalidate() {
        delete data_;
        data_ = nullptr;
    }

private:
    const KT_Cached_Data* data_ = nullptr;
};

template <class T> class KT_Pointer {
public:
    KT_Pointer() = default;
    // Takes a reference on body (which may be null).
    explicit KT_Pointer(T* body) : body_(body) {
        if (body_) body_->add_reference();
    }
    KT_Pointer(const KT_Pointer& other) : body_(other.body_) {
        if (body_) body_->add_reference();
    }
    KT_Pointer(KT_Pointer&& other) noexcept : body_(std::exchange(other.body_, nullptr)) {}
    ~KT_Pointer() { reset(); }

    // Reference the new body before releasing the old, so self-assignment
    // never destroys the body.
    KT_Pointer& operator=(const KT_Pointer& other) {
        attach(other.body_);
        return *this;
    }
    KT_Pointer& operator=(KT_Pointer&& other) noexcept {
        if (this != &other) {
            reset();
            body_ = std::exchange(other.body_, nullptr);
        }
        return *this;
    }

    void reset() {
        if (T* old = std::exchange(body_, nullptr)) old->remove_reference();
    }
    // Shares body (which may be null) in place of the current one.
    void attach(T* body) {
        if (body) body->add_reference();
        if (body_) body_->remove_reference();
        body_ = body;
    }

    T* body() const { return body_; }
    // A constant handle reads; writing goes through modify(), which keeps
    // copy on write.
    const T* operator->() const { return body_; }
    T* operator->() { return body_; }
    const T& operator*() const { return *body_; }
    T& operator*() { return *body_; }
    explicit operator bool() const { return body_ != nullptr; }
    bool empty() const { return body_ == nullptr; }
    bool shares_body_with(const KT_Pointer& other) const { return body_ == other.body_; }

    // Prepares the body for writing: a sole holder keeps its body and takes
    // a new serial; a shared body is replaced by its copy. A body that cannot
    // be copied (copy() gives null) stays shared and changes in place, and
    // the failed copy is reported: an empty handle would fail at its next use.
    T* modify() {
        if (!body_) return nullptr;
        if (body_->reference_count() < 2) {
            body_->renew_change_serial();
            return body_;
        }
        T* fresh = static_cast<T*>(body_->copy());
        if (!fresh) {
            KD_Report_Failed_Copy();
            body_->renew_change_serial();
            return body_;
        }
        fresh->add_reference();
        body_->remove_reference();
        body_ = fresh;
        return body_;
    }
    // With in_place, every holder of a shared body sees the change; only the
    // serial is renewed.
    T* modify(bool in_place) {
        if (!in_place) return modify();
        if (body_) body_->renew_change_serial();
        return body_;
    }

protected:
    T* body_ = nullptr;
};
