#include "engine/workbook/number_format.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

TEST(NumberFormat, TellsDateAndTimeFormatsFromOthers) {
    struct Case {
        const char* code;
        bool positive;
        bool zero;
    };
    const Case cases[] = {
        {"General", false, false},
        {"0.00", false, false},
        {"#,##0;[Red]-#,##0", false, false},
        {"0.00E+00", false, false},
        {"##0.0e-0", false, false},
        {"@", false, false},
        {"\"y\"0", false, false},
        {"[Red]0", false, false},
        {"\\d\\a\\y 0", false, false},
        {"0_m", false, false},
        {"0*s", false, false},
        {"_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)", false, false},
        {"[$¥-804]#,##0.00", false, false},
        {"[DBNum1][$-804]General", false, false},
        {"yyyy/m/d", true, true},
        {"YYYY-MM-DD", true, true},
        {"m/d/yy h:mm", true, true},
        {"h:mm:ss", true, true},
        {"[h]:mm:ss", true, true},
        {"[mm]", true, true},
        {"mm:ss.0", true, true},
        {"[$-804]yyyy\"年\"m\"月\"", true, true},
        {"[DBNum1][$-804]yyyy\"年\"m\"月\"d\"日\"", true, true},
        {"[$-F800]dddd\\,\\ mmmm\\ dd\\,\\ yyyy", true, true},
        {"上午/下午h\"时\"mm\"分\"", true, true},
        {"h AM/PM", true, true},
        {"ee\"年\"", true, true},
        {"yyyy-mm-dd;@", true, true},
        // Positive; negative; zero: zero shows its own section.
        {"yyyy-mm-dd;;0", true, false},
        {"0;0;yyyy", false, true},
        // With conditions the sections no longer follow the sign; the first one decides.
        {"[>=100]yyyy;0;0", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        DateFormatUse use = ClassifyNumberFormat(c.code);
        EXPECT_EQ(use.positive, c.positive);
        EXPECT_EQ(use.zero, c.zero);
    }
}

TEST(NumberFormat, KnowsTheBuiltInDateFormats) {
    for (unsigned id = 0; id < 200; ++id) {
        bool date =
            (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
        EXPECT_EQ(IsBuiltInDateFormat(id), date) << id;
    }
}

} // namespace
} // namespace hz
