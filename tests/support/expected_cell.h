#pragma once

#include "engine/workbook/workbook.h"

#include <gtest/gtest.h>

#include <string>

namespace hz::test {

// A cell as a test expects to read it: its kind, number and text (empty where the kind has none).
struct ExpectedCell {
    const char* name;
    int row;
    int column;
    CellKind kind;
    double number;
    std::string text;
};

inline void ExpectCell(Worksheet& sheet, const ExpectedCell& expected) {
    SCOPED_TRACE(expected.name);
    const CellValue value = sheet.Cell(expected.row, expected.column);
    EXPECT_EQ(value.kind, expected.kind);
    EXPECT_NEAR(value.number, expected.number, 1e-9);
    EXPECT_EQ(value.text, expected.text);
}

} // namespace hz::test
