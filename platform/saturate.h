// Narrowing a 64-bit sum to the 32-bit int that coordinates and sizes take, saturated: a
// point that far out is on no screen anyway, but one that wrapped would land on the other
// side and turn a rectangle inside out. Plain C++, for the library folders and the platform
// layer alike.
#ifndef ZELVAN_PLATFORM_SATURATE_H
#define ZELVAN_PLATFORM_SATURATE_H

#include <stdint.h>

inline int saturate_int(int64_t value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int>(value);
}

#endif
