#include "engine/text/regional_date.h"

#include "tests/support/run_error_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace hz {
namespace {

constexpr double SecondsPerDay = 86400;
constexpr double May6th2023 = 45052;

TEST(FormatDateSerial, ShortDateWithTimeInWholeSeconds) {
    struct Case {
        const char* name;
        double serial;
        const char* expected;
    };
    const Case cases[] = {
        {"date only, no leading zeros", May6th2023, "2023/5/6"},
        {"noon", May6th2023 + 0.5, "2023/5/6 12:00:00"},
        {"hour without leading zero", May6th2023 + (9 * 3600 + 5 * 60 + 7) / SecondsPerDay, "2023/5/6 9:05:07"},
        {"milliseconds alone are no time", May6th2023 + 0.4 / SecondsPerDay, "2023/5/6"},
        {"rounded to the millisecond before cut", May6th2023 + 1.9996 / SecondsPerDay, "2023/5/6 0:00:02"},
        {"a hair before midnight is the next day", May6th2023 + 0.99999999999, "2023/5/7"},
        {"leap day", 45351, "2024/2/29"},
        {"time only shows day zero", 0.25, "1899/12/30 6:00:00"},
        {"zero", 0, "1899/12/30"},
        {"first day of 1900", 1, "1900/1/1"},
        {"last real day before the fictitious leap day", 59, "1900/2/28"},
        {"fictitious 1900-02-29", 60.5, "1900/3/1 12:00:00"},
        {"first day after the fictitious leap day", 61, "1900/3/1"},
        {"last day", 2958465, "9999/12/31"},
        {"beyond the last day", 2958466, "2958466"},
        {"negative", -1, "-1"},
        {"not a number", std::nan(""), "NAN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatDateSerial(c.serial).toStdString(), c.expected);
    }
}

TEST(ParseShortDate, AcceptsTheRegionalShortDateForms) {
    struct Case {
        const char* name;
        const char* text;
        QDate expected;
    };
    const Case cases[] = {
        {"slashes", "2023/5/6", QDate(2023, 5, 6)},
        {"dashes with leading zeros", "2023-05-06", QDate(2023, 5, 6)},
        {"points", "2023.12.31", QDate(2023, 12, 31)},
        {"blanks around", " \t2023/5/6  ", QDate(2023, 5, 6)},
        {"leap day", "2024/2/29", QDate(2024, 2, 29)},
        {"two-digit year 00", "00/1/1", QDate(2000, 1, 1)},
        {"two-digit year 29", "29/1/1", QDate(2029, 1, 1)},
        {"two-digit year 30", "30/1/1", QDate(1930, 1, 1)},
        {"two-digit year 99", "99/12/31", QDate(1999, 12, 31)},
        {"time with seconds dropped", "2023/5/6 9:05:07", QDate(2023, 5, 6)},
        {"time without seconds dropped", "2023/5/6 23:59", QDate(2023, 5, 6)},
        {"what a time-only cell reads", "1899/12/30 6:00:00", QDate(1899, 12, 30)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseShortDate(QString::fromUtf8(c.text)).toString(Qt::ISODate).toStdString(),
                  c.expected.toString(Qt::ISODate).toStdString());
    }
}

TEST(ParseShortDate, RefusesAnythingElseNamingTheTextAsGiven) {
    const char* const texts[] = {
        "",
        "   ",
        "2023/2/29",
        "2023/13/1",
        "2023/0/1",
        "2023/1/32",
        "2023/5",
        "2023/5/6/7",
        "2023/5-6",
        "2023 5 6",
        "5/6/2023",
        "123/5/6",
        "0000/1/1",
        "2023/005/6",
        "2023/5/6abc",
        "2023/5/6 24:00",
        "2023/5/6 9:60",
        "2023/5/6 9:5",
        "2023/5/6 9:05:07.5",
        "2023/5/6 9",
        "2023年5月6日",
        "２０２３/5/6",
        " 2023/2/30 ",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(test::RunErrorText([&] { ParseShortDate(QString::fromUtf8(text)); }),
                  std::string("'") + text + "' is not a valid date");
    }
}

} // namespace
} // namespace hz
