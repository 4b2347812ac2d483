#include "engine/platform/local_time.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

// In China Standard Time, eight hours ahead of UTC all year, as on the users' computers (the program's other tests
// of this folder do not read the time zone).
TEST(LocalTime, ReadsTheInstantInTheComputersTimeZone) {
    static char zone[] = "TZ=CST-8";
    putenv(zone);
    tzset();
    struct Case {
        std::time_t instant;
        int year, month, day, hour, minute;
    };
    const Case cases[] = {
        {0, 1970, 1, 1, 8, 0},
        {1704067199, 2024, 1, 1, 7, 59},   // 2023-12-31 23:59:59 UTC: the new year has come here
        {1709164800, 2024, 2, 29, 8, 0},   // the leap day's midnight UTC
        {1709222399, 2024, 2, 29, 23, 59}, // 2024-02-29 15:59:59 UTC
        {1709222400, 2024, 3, 1, 0, 0},    // 2024-02-29 16:00:00 UTC: March here
    };
    for (const Case& c : cases) {
        const std::tm local = LocalTime(c.instant);
        EXPECT_EQ(local.tm_year + 1900, c.year) << c.instant;
        EXPECT_EQ(local.tm_mon + 1, c.month) << c.instant;
        EXPECT_EQ(local.tm_mday, c.day) << c.instant;
        EXPECT_EQ(local.tm_hour, c.hour) << c.instant;
        EXPECT_EQ(local.tm_min, c.minute) << c.instant;
    }
}

} // namespace
} // namespace hz
