// Device points shared by the two-dimensional actions: conversion of float
// and double points to integer device points, the guard rectangle that
// keeps converted coordinates inside 32 bits, and rectangle tests.
#pragma once

#include <climits>
#include <cmath>
#include <cstdint>

#include "foundation/basic_types.h"

// +-2^30: far enough out that no visible piece is lost, near enough that
// differences of two converted coordinates still fit 32 bits.
inline constexpr KT_Int_Rectangle KD_GUARD_RECTANGLE = {-1073741824, 1073741824, -1073741824,
                                                        1073741824};

// Device rounding of one coordinate. Values beyond the guard rectangle
// (and NaN) are bad input; they are pinned to its edge so that the
// conversion itself is always defined.
template <class T> std::int32_t KD_To_Device(T v) {
    constexpr T limit = static_cast<T>(1073741824);
    if (!(v >= -limit)) return -1073741824;
    if (v > limit) return 1073741824;
    return KD_Round(v);
}

// Depth may use all 32 bits; only values beyond them are pinned.
template <class T> std::int32_t KD_To_Depth(T v) {
    const double d = static_cast<double>(v);
    if (!(d >= -2147483648.0)) return INT32_MIN;
    if (d >= 2147483647.0) return INT32_MAX;
    return KD_Round(v);
}

inline KT_DCI_Point KD_To_DCI_Point(const KT_Point& p) {
    return {KD_To_Device(p.x), KD_To_Device(p.y), KD_To_Depth(p.z)};
}

inline KT_DCI_Point KD_To_DCI_Point(const KT_Point_D& p) {
    return {KD_To_Device(p.x), KD_To_Device(p.y), KD_To_Depth(p.z)};
}

inline KT_Point KD_To_Float_Point(const KT_DCI_Point& p) {
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}

// NaN and infinities fail every comparison a clip makes, so they are
// rejected before any point reaches one.
template <class Point> bool KD_Is_Finite_Point(const Point& p) {
    return std::isfinite(static_cast<double>(p.x)) && std::isfinite(static_cast<double>(p.y)) &&
           std::isfinite(static_cast<double>(p.z));
}
inline bool KD_Is_Finite_Point(const KT_DCI_Point&) {
    return true;
}

template <class Point> bool KD_All_Finite(int count, const Point* points) {
    for (int i = 0; i < count; ++i)
        if (!KD_Is_Finite_Point(points[i])) return false;
    return true;
}

template <class Point> bool KD_Inside_Rectangle(const KT_Int_Rectangle& r, const Point& p) {
    const double x = static_cast<double>(p.x);
    const double y = static_cast<double>(p.y);
    return x >= r.left && x <= r.right && y >= r.bottom && y <= r.top;
}

// Whether the box centre +- extent lies wholly inside r; extent >= 0.
template <class Point>
bool KD_Box_Inside_Rectangle(const KT_Int_Rectangle& r, const Point& centre, double extent_x,
                             double extent_y) {
    const double x = static_cast<double>(centre.x);
    const double y = static_cast<double>(centre.y);
    return x - extent_x >= r.left && x + extent_x <= r.right && y - extent_y >= r.bottom &&
           y + extent_y <= r.top;
}

// Whether the box centre +- extent misses r entirely.
template <class Point>
bool KD_Box_Outside_Rectangle(const KT_Int_Rectangle& r, const Point& centre, double extent_x,
                              double extent_y) {
    const double x = static_cast<double>(centre.x);
    const double y = static_cast<double>(centre.y);
    return x + extent_x < r.left || x - extent_x > r.right || y + extent_y < r.bottom ||
           y - extent_y > r.top;
}

// Narrows [t0, t1] to the parameters t at which (x, y) + t * (dx, dy) lies
// inside the box [left, right] x [bottom, top]; false when nothing is left.
inline bool KD_Clip_Line_Parameters(double x, double y, double dx, double dy, double left,
                                    double right, double bottom, double top, double& t0,
                                    double& t1) {
    const double starts[2] = {x, y};
    const double steps[2] = {dx, dy};
    const double lows[2] = {left, bottom};
    const double highs[2] = {right, top};
    for (int axis = 0; axis < 2; ++axis) {
        if (steps[axis] == 0) {
            if (starts[axis] < lows[axis] || starts[axis] > highs[axis]) return false;
            continue;
        }
        double enter = (lows[axis] - starts[axis]) / steps[axis];
        double leave = (highs[axis] - starts[axis]) / steps[axis];
        if (enter > leave) {
            const double swap = enter;
            enter = leave;
            leave = swap;
        }
        if (enter > t0) t0 = enter;
        if (leave < t1) t1 = leave;
    }
    return t0 <= t1;
}
