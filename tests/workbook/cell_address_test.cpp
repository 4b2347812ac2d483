#include "engine/workbook/cell_address.h"

#include "engine/workbook/workbook.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

TEST(CellAddressTest, ColumnNamesAndNumbersMapBothWays) {
    const std::pair<int, const char*> cases[] = {{1, "A"},   {26, "Z"},   {27, "AA"},   {52, "AZ"},
                                                 {53, "BA"}, {702, "ZZ"}, {703, "AAA"}, {16384, "XFD"}};
    for (const auto& [column, name] : cases) {
        EXPECT_EQ(ColumnName(column), name);
        EXPECT_EQ(ParseColumnName(name), column) << name;
    }
    for (int column = 1; column <= kMaxColumns; ++column)
        ASSERT_EQ(ParseColumnName(ColumnName(column)), column);
}

TEST(CellAddressTest, ReferencesWithinExcelsLimitsAreRead) {
    EXPECT_EQ(ParseCellAddress("A1"), (CellAddress{1, 1}));
    EXPECT_EQ(ParseCellAddress("b3"), (CellAddress{3, 2}));
    EXPECT_EQ(ParseCellAddress("XFD1048576"), (CellAddress{kMaxRows, kMaxColumns}));
    EXPECT_EQ(CellReference(3, 2), "B3");
    EXPECT_EQ(CellReference(kMaxRows, kMaxColumns), "XFD1048576");
}

TEST(CellAddressTest, MalformedOrOutOfRangeReferencesAreRefused) {
    for (const char* reference : {"", "A", "1", "A0", "1A", "A1B", "$A$1", "A-1", "A 1", "XFE1", "AAAA1", "A1048577",
                                  "A99999999999", "ZZZZZZZZZZZZZZ1"})
        EXPECT_EQ(ParseCellAddress(reference), std::nullopt) << reference;
    EXPECT_EQ(ParseColumnName("XFE"), std::nullopt);
    EXPECT_EQ(ParseColumnName("A1"), std::nullopt);
    EXPECT_EQ(ParseColumnName(""), std::nullopt);
}

} // namespace
} // namespace hz
