#include "engine/text/regional_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

namespace hz {
namespace {

TEST(FormatGeneralNumber, FifteenSignificantDigitsWithoutTrailingZeros) {
    struct Case {
        const char* name;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {"integer", 12, "12"},
        {"fraction", 0.5, "0.5"},
        {"no trailing zeros", 1001, "1001"},
        {"negative", -3.25, "-3.25"},
        {"binary noise rounded away", 0.1 + 0.2, "0.3"},
        {"fifteen digits kept", 123456789.012345, "123456789.012345"},
        {"sixteenth digit rounded", 0.12345678901234567, "0.123456789012346"},
        {"fifteen integer digits stay fixed", 999999999999999, "999999999999999"},
        {"rounding up to sixteen integer digits", 999999999999999.9, "1E15"},
        {"sixteen integer digits", 1e15, "1E15"},
        {"eighteen integer digits", 123456789012345678.0, "1.23456789012346E17"},
        {"smallest fixed", 0.00001, "0.00001"},
        {"small fixed with digits", 0.0000123, "0.0000123"},
        {"below 0.00001", 0.000001, "1E-6"},
        {"tiny", 1e-7, "1E-7"},
        {"tiny negative with mantissa", -1.5e-10, "-1.5E-10"},
        {"three-digit exponent", 1e300, "1E300"},
        {"negative zero", -0.0, "0"},
        {"infinity", -std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatGeneralNumber(c.value).toStdString(), c.expected);
    }
}

TEST(ParseRegionalNumber, ReadsPlainDecimalNumbersOnly) {
    struct Case {
        const char* name;
        const char* text;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {"integer", "42", 42},
        {"decimal", "3.25", 3.25},
        {"blanks and tab around", " \t-7.5  ", -7.5},
        {"plus sign", "+8", 8},
        {"leading point", ".5", 0.5},
        {"trailing point", "5.", 5},
        {"exponent", "1.5E3", 1500},
        {"exponent lower case signed", "25e-1", 2.5},
        {"underflow reads as zero", "1e-400", 0},
        {"empty", "", std::nullopt},
        {"blanks only", "   ", std::nullopt},
        {"sign only", "-", std::nullopt},
        {"point only", ".", std::nullopt},
        {"thousands separator", "1,234", std::nullopt},
        {"decimal comma", "1,5", std::nullopt},
        {"blank inside", "1 234", std::nullopt},
        {"exponent without digits", "1e", std::nullopt},
        {"two signs", "--1", std::nullopt},
        {"two points", "1.2.3", std::nullopt},
        {"currency sign", "$5", std::nullopt},
        {"hexadecimal", "0x10", std::nullopt},
        {"infinity word", "inf", std::nullopt},
        {"full-width digits", "１２", std::nullopt},
        {"overflow", "1e400", std::nullopt},
        {"overflow by many digits", "9999999999e999", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseRegionalNumber(QString::fromUtf8(c.text)), c.expected);
    }
}

} // namespace
} // namespace hz
