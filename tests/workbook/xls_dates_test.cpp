#include "engine/workbook/number_format.h"
#include "engine/workbook/xls_date_text.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

TEST(XlsDateTextTest, InvertsTheLibrarysCalendar) {
    struct Case {
        const char* text;
        double serial;
    };
    const Case cases[] = {
        {"1900-01-01", 1},
        {"1900-02-28", 59},
        {"1900-02-29", 60}, // Excel's day that never was
        {"1900-03-01", 61},
        {"2024-01-31", 45322},
        {"2024-02-29 13:45:30", 45351 + (13 * 3600 + 45 * 60 + 30) / 86400.0},
        {"2024-01-31 24:00:00", 45323}, // a time rounded up to midnight
        {"06:00:00", 0.25},
        {"00:00:00", 0},
        // The library counts 2100 as a leap year: its 2100-02-29 is Excel's 1 March, and so on.
        {"2100-02-29", 73110},
        {"2100-03-01", 73111},
        // Excel's last day, 31 December 9999, which the library writes 60 leap days later in its calendar.
        {"9999-11-01", 2958465},
    };
    for (const Case& c : cases) {
        double serial = -1;
        EXPECT_TRUE(SerialFromXlsDateText(c.text, serial)) << c.text;
        EXPECT_NEAR(serial, c.serial, 1e-9) << c.text;
    }
    for (const char* text : {"", "2024-1-31", "2024/01/31", "1899-12-31", "2024-13-01", "25:00:00", "12:60:00",
                             "2024-01-31T06:00:00", "2024-01-31 06:00", "abcd-ef-gh"}) {
        double serial = 0;
        EXPECT_FALSE(SerialFromXlsDateText(text, serial)) << text;
    }
}

TEST(DateFormatTest, TellsDateAndTimeFormatsFromOthers) {
    const std::pair<const char*, bool> codes[] = {
        {"yyyy/m/d", true},
        {"yyyy\"年\"m\"月\"d\"日\"", true},
        {"[$-804]aaaa yyyy-mm-dd", true},
        {"h:mm:ss AM/PM", true},
        {"[h]:mm", true},
        {"[mm]:ss", true},
        {"General", false},
        {"0.00", false},
        {"#,##0 \"元\";[Red]-#,##0", false},
        {"0.0 \"md\"", false}, // letters in quotes are shown, not dates
        {"0.00_m", false},     // '_' measures the next character
        {"\\d0", false},       // escaped
        {"[Magenta]0", false}, // a colour, not elapsed minutes
        {"0.00E+00", false},   // scientific, not a date
        {"0;0;yyyy", false},   // only the first section counts
        {"@", false},
    };
    for (const auto& [code, isDate] : codes)
        EXPECT_EQ(ClassifyNumberFormat(code).positive, isDate) << code;

    const std::pair<int, bool> ids[] = {{0, false},  {13, false}, {14, true},  {22, true}, {23, false},
                                        {27, true},  {36, true},  {37, false}, {45, true}, {47, true},
                                        {49, false}, {50, true},  {58, true},  {59, false}};
    for (const auto& [id, isDate] : ids)
        EXPECT_EQ(IsBuiltInDateFormat(static_cast<unsigned>(id)), isDate) << id;
}

} // namespace
} // namespace hz
