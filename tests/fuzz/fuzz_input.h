// Reads a fuzz input from the front as the values a target needs. Reading
// past the end gives zeros, so every input, however short, is a complete
// case. Coordinates come either as raw bit patterns or, more often, from
// the values that break geometry code: small integers (duplicates and
// collinear runs), NaN, infinities and magnitudes near the type's limits.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

class Fuzz_Input {
public:
    Fuzz_Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool exhausted() const { return used_ >= size_; }
    std::size_t remaining() const { return size_ - used_; }
    const std::uint8_t* rest() const { return data_ + used_; }

    // The next sizeof(T) bytes as a T; zero bytes past the end.
    template <class T> T take() {
        unsigned char bytes[sizeof(T)] = {};
        const std::size_t count = remaining() < sizeof(T) ? remaining() : sizeof(T);
        std::memcpy(bytes, data_ + used_, count);
        used_ += count;
        T value;
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }

    bool take_bool() { return take<std::uint8_t>() & 1; }

    // An integer in [low, high].
    int take_int(int low, int high) {
        const std::uint64_t span = static_cast<std::uint64_t>(std::int64_t{high} - low) + 1;
        return static_cast<int>(low + static_cast<std::int64_t>(take<std::uint32_t>() % span));
    }

    // Any 32-bit value, the edges being as likely as the middle.
    std::int32_t take_any_int() { return take<std::int32_t>(); }

    template <class Real> Real take_coordinate() {
        const std::uint8_t kind = take<std::uint8_t>();
        if (kind < 96) return static_cast<Real>(static_cast<int>(kind % 17) - 8);
        if (kind < 160) return special<Real>(kind - 96);
        if (kind < 208) return static_cast<Real>(take<std::int16_t>()) / Real(64);
        return take<Real>();
    }

private:
    template <class Real> static Real special(int index) {
        using Limits = std::numeric_limits<Real>;
        const Real values[] = {Real(0),
                               Real(-0.0),
                               Real(0.5),
                               Real(-0.5),
                               Real(1e30),
                               Real(-1e30),
                               Real(3e38),
                               Real(-3e38),
                               Limits::max(),
                               Limits::lowest(),
                               Limits::min(),
                               Limits::denorm_min(),
                               Limits::infinity(),
                               -Limits::infinity(),
                               Limits::quiet_NaN(),
                               Real(0.9999999),
                               Real(1.0000001),
                               Real(1e-7),
                               static_cast<Real>(1e300 < Limits::max() ? 1e300 : 1e38),
                               static_cast<Real>(1e200 < Limits::max() ? 1e200 : 1e37)};
        return values[index % (sizeof values / sizeof values[0])];
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t used_ = 0;
};

// Stops the run on a broken promise of the library, naming it; the fuzzer
// keeps the input that caused it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", __FILE__, __LINE__,             \
                         #condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
