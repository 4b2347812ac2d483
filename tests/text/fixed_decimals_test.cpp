#include "engine/text/fixed_decimals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace hz {
namespace {

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
    struct Case {
        const char* name;
        double value;
        double expected;
    };
    const Case cases[] = {
        {"tie down to even", 2.5, 2},
        {"tie up to even", 3.5, 4},
        {"negative tie", -2.5, -2},
        {"negative tie up", -3.5, -4},
        {"half", 0.5, 0},
        {"not a tie rounds to nearest", 2.5000000000000004, 3},
        {"just below a tie", 2.4999999999999996, 2},
        {"beyond 2^52 already whole", 4503599627370497.0, 4503599627370497.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RoundHalfEven(c.value), c.expected);
    }
    EXPECT_FALSE(std::signbit(RoundHalfEven(-0.4))) << "no negative zero";
}

TEST(FixedDecimals, RoundsTheExactScaledValueHalfToEven) {
    struct Case {
        const char* name;
        double value;
        int places;
        double expected;
    };
    const Case cases[] = {
        {"amount tie down", 0.125, 2, 0.12},
        {"amount tie up", 0.375, 2, 0.38},
        {"unit cost tie", 1.03125, 4, 1.0312},
        {"negative symmetric", -0.125, 2, -0.12},
        {"zero places tie", 2.5, 0, 2},
        {"no rounding needed", 12.34, 2, 12.34},
        {"1.005 is held below the tie", 1.005, 2, 1.0},
        // Rounded to double, these products land exactly on a tie; the exact products do not.
        {"0.015 is held below the tie", 0.015, 2, 0.01},
        {"0.025 is held above the tie", 0.025, 2, 0.03},
        {"2.675 is held below the tie", 2.675, 2, 2.67},
        {"unit cost held above the tie", 0.00025, 4, 0.0003},
        {"large amount", 123456789.125, 2, 123456789.12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FixedDecimals(c.value, c.places), c.expected);
    }
}

TEST(FixedDecimals, EdgeValues) {
    EXPECT_FALSE(std::signbit(FixedDecimals(-0.001, 2))) << "a negative value rounded to zero gives plain 0";
    EXPECT_TRUE(std::isnan(FixedDecimals(std::nan(""), 2)));
    EXPECT_EQ(FixedDecimals(std::numeric_limits<double>::max(), 4), std::numeric_limits<double>::max());
}

} // namespace
} // namespace hz
