#include "engine/workbook/number_format.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

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
