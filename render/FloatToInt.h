// Float-to-integer conversion that truncates toward zero like the Windows build's
// cvttss2si, defined for every input: NaN and out-of-range values give
// INT32_MIN (the processor's "integer indefinite" value), never undefined behaviour.
#pragma once
#include <cstdint>

inline int32_t truncToInt(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(v);
}
inline int32_t truncToInt(float v) { return truncToInt(static_cast<double>(v)); }
