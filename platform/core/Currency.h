#pragma once
// A currency amount: a signed 64-bit count of ten-thousandths, so four exact decimals and a range
// of about +-9.2e14.
#include <compare>
#include <cstdint>

namespace tessaly {

struct Currency {
    static constexpr int64_t Scale = 10000;

    int64_t scaled = 0;

    static constexpr Currency FromScaled(int64_t s) { return Currency{s}; }
    // Whole units; EConvertError when out of range.
    static Currency FromInt64(int64_t units);
    // Rounds to four decimals, halves to even; EConvertError for NaN and out-of-range values.
    static Currency FromDouble(double v);
    static bool TryFromDouble(double v, Currency& out);

    double ToDouble() const { return static_cast<double>(scaled) / Scale; }

    friend constexpr auto operator<=>(Currency, Currency) = default;
};

}  // namespace tessaly
