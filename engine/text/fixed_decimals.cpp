#include "engine/text/fixed_decimals.h"

#include <array>
#include <cassert>
#include <cmath>

namespace hz {

double RoundHalfEven(double value) {
    double rounded = std::round(value);
    if (std::fabs(value - std::trunc(value)) == 0.5) {
        rounded = 2.0 * std::round(value / 2.0);
    }
    return rounded == 0 ? 0.0 : rounded;
}

double FixedDecimals(double value, int places) {
    static constexpr std::array<double, 10> scales{1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    assert(places >= 0 && places < static_cast<int>(scales.size()));
    const double scale = scales[static_cast<std::size_t>(places)];
    const double product = value * scale;
    if (!std::isfinite(product)) {
        return value;
    }
    // The product is rounded to double; fma gives its rounding error exactly. A product that shows a tie
    // only through that rounding is decided by the side the exact product lies on.
    const double error = std::fma(value, scale, -product);
    double scaled;
    if (error != 0 && std::fabs(product - std::trunc(product)) == 0.5) {
        scaled = error > 0 ? std::ceil(product) : std::floor(product);
    } else {
        scaled = RoundHalfEven(product);
    }
    const double result = scaled / scale;
    return result == 0 ? 0.0 : result;
}

} // namespace hz
