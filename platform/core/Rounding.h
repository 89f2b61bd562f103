#pragma once
// Rounding rules shared by every part of the engine.
#include <cmath>
#include <cstdint>

namespace tessaly {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
inline int64_t RoundHalfEven(double v) { return static_cast<int64_t>(std::nearbyint(v)); }

// The same for values that must fit a 32-bit integer; out-of-range values saturate.
inline int32_t Round32(double v) {
    double r = std::nearbyint(v);
    if (!(r >= -2147483648.0)) return INT32_MIN;  // also NaN
    if (r > 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(r);
}

// "div": integer quotient truncated toward zero; "mod" keeps the dividend's sign.
// The caller checks b != 0; INT64_MIN div -1 wraps as two's complement would.
inline int64_t IntDiv(int64_t a, int64_t b) { return b == -1 ? int64_t(0 - uint64_t(a)) : a / b; }
inline int64_t IntMod(int64_t a, int64_t b) { return b == -1 ? 0 : a % b; }

}  // namespace tessaly
