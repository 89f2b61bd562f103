#include "platform/core/Currency.h"

#include <cmath>

#include "platform/core/Errors.h"

namespace tessaly {

namespace {
constexpr int64_t kMaxUnits = INT64_MAX / Currency::Scale;
}

Currency Currency::FromInt64(int64_t units) {
    if (units > kMaxUnits || units < -kMaxUnits) throw EConvertError("Valore fuori dall'intervallo della valuta");
    return FromScaled(units * Scale);
}

bool Currency::TryFromDouble(double v, Currency& out) {
    // The product is rounded to a double first, which snaps 0.00125 (a tie as typed, though its
    // binary value lies a hair above) onto 12.5 so that the tie goes to the even neighbour.
    double scaled = std::nearbyint(v * Scale);
    if (!(std::fabs(scaled) < 9223372036854775808.0)) return false;  // also NaN
    out = FromScaled(static_cast<int64_t>(scaled));
    return true;
}

Currency Currency::FromDouble(double v) {
    Currency c;
    if (!TryFromDouble(v, c)) throw EConvertError("Valore fuori dall'intervallo della valuta");
    return c;
}

}  // namespace tessaly
