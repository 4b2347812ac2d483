#include "engine/workbook/excel_escapes.h"
#include "engine/workbook/iso_date.h"
#include "engine/workbook/xml/value_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace hz {
namespace {

std::string Unescaped(std::string text) {
    char* end = DecodeExcelEscapes(text.data(), text.data() + text.size());
    text.resize(static_cast<std::size_t>(end - text.data()));
    return text;
}

TEST(ExcelEscapesTest, EscapesAreDecodedAndLookalikesKept) {
    const std::pair<const char*, const char*> cases[] = {
        {"line_x000D_\nbreak", "line\r\nbreak"},
        {"_x0009_tab", "\ttab"},
        {"_x4e2d__x6587_", "中文"},
        {"_x005F_x000D_", "_x000D_"}, // an escaped underscore keeps what follows literal
        {"_xD83D__xDE00_", "😀"},
        {"_xD83D_ alone", "_xD83D_ alone"}, // unpaired surrogates stay as written
        {"_xDE00_", "_xDE00_"},
        {"_x00G0_ _x000_ _X000D_ x000D_ _x000D", "_x00G0_ _x000_ _X000D_ x000D_ _x000D"},
        {"snake_case_name", "snake_case_name"},
        {"", ""},
    };
    for (const auto& [escaped, plain] : cases)
        EXPECT_EQ(Unescaped(escaped), plain) << escaped;
}

TEST(IsoDateTest, DatesBecomeSerialsOfThe1900System) {
    const std::pair<const char*, double> cases[] = {
        {"1900-01-01", 1},
        {"1900-02-28", 59},
        {"1900-02-29", 60}, // Excel's fictitious leap day
        {"1900-03-01", 61},
        {"1899-12-31", 0},
        {"2024-01-05", 45296},
        {"2024-01-05T12:00:00", 45296.5},
        {"2024-01-05T06:00", 45296.25},
        {"2024-01-05T00:00:00.5Z", 45296 + 0.5 / 86400},
        {"9999-12-31", 2958465},
        {"18:00:00", 0.75},
    };
    for (const auto& [text, serial] : cases) {
        std::optional<double> parsed = ParseIsoDateSerial(text);
        ASSERT_TRUE(parsed.has_value()) << text;
        EXPECT_NEAR(*parsed, serial, 1e-9) << text;
    }
    for (const char* bad : {"", "2024", "2024-1-5", "2024-13-01", "2023-02-29", "2024-04-31", "2024-01-00",
                            "1899-12-30", "2024-01-05T24:00:00", "2024-01-05T10:60", "2024-01-05 10:00",
                            "2024-01-05T10:00:00+08:00", "2024-01-05T10:00:00.", "10:00:61", "abc"})
        EXPECT_EQ(ParseIsoDateSerial(bad), std::nullopt) << bad;
}

TEST(ValueTextTest, NumbersFollowTheSchemaAndStayExact) {
    const std::pair<const char*, double> cases[] = {
        {"12", 12},
        {"-0.5", -0.5},
        {" 1.5E-3\n", 1.5e-3},
        {"+7", 7},
        {".25", 0.25},
        {"5.", 5},
        {"0.1", 0.1},
        {"123456789012345678", 123456789012345678.0},
        {"1e308", 1e308},
        {"9007199254740993", 9007199254740992.0},
        {"0.30000000000000004", 0.30000000000000004},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParseXmlDouble(text), value) << text;
    for (const char* bad :
         {"", " ", "abc", "1,5", "1.2.3", "INF", "-INF", "NaN", "1e999", "+-1", "-", ".", "0x10", "1 2"})
        EXPECT_EQ(ParseXmlDouble(bad), std::nullopt) << bad;

    EXPECT_EQ(ParseXmlUnsigned(" 4294967295 "), 4294967295u);
    for (const char* bad : {"", "4294967296", "-1", "1.0", "+1", "99999999999999999999"})
        EXPECT_EQ(ParseXmlUnsigned(bad), std::nullopt) << bad;

    EXPECT_EQ(ParseXmlBoolean("1"), true);
    EXPECT_EQ(ParseXmlBoolean("false"), false);
    EXPECT_EQ(ParseXmlBoolean("2"), std::nullopt);
    EXPECT_EQ(ParseXmlBoolean("TRUE"), std::nullopt);
}

} // namespace
} // namespace hz
