#include "engine/text/cell_conversions.h"

#include "tests/support/run_error_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace hz {
namespace {

CellValue Number(double value) {
    return {CellKind::Number, value, {}};
}
CellValue DateTime(double serial) {
    return {CellKind::DateTime, serial, {}};
}
CellValue Boolean(bool value) {
    return {CellKind::Boolean, value ? 1.0 : 0.0, {}};
}
CellValue Text(std::string_view text) {
    return {CellKind::Text, 0, text};
}
CellValue Error(std::string_view literal) {
    return {CellKind::Error, 0, literal};
}

struct ErrorCase {
    const char* name;
    CellValue cell;
    const char* message;
};

TEST(CellToText, EachKindReadsAsItsText) {
    struct Case {
        const char* name;
        CellValue cell;
        const char* expected;
    };
    const Case cases[] = {
        {"empty", CellValue{}, ""},
        {"text untrimmed", Text(" 部门 01 "), " 部门 01 "},
        {"whole number", Number(1001), "1001"},
        {"number in general format", Number(0.1 + 0.2), "0.3"},
        {"code typed as number loses its zeros", Number(7), "7"},
        {"date-time in the short date form", DateTime(45052.5), "2023/5/6 12:00:00"},
        {"true", Boolean(true), "True"},
        {"false", Boolean(false), "False"},
        {"error literal", Error("#N/A"), "#N/A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CellToText(c.cell).toStdString(), c.expected);
    }
}

// A null text would reach the database as NULL where the importers write empty text.
TEST(CellToText, EmptyCellIsEmptyTextNotNull) {
    for (const CellValue& cell : {CellValue{}, Text("")}) {
        EXPECT_FALSE(CellToText(cell).isNull());
    }
}

TEST(CellToNumber, NumbersDatesBooleansAndRegionalText) {
    struct Case {
        const char* name;
        CellValue cell;
        double expected;
    };
    const Case cases[] = {
        {"empty is zero", CellValue{}, 0},
        {"number", Number(-2.75), -2.75},
        {"date-time serial", DateTime(45052.5), 45052.5},
        {"true is one", Boolean(true), 1},
        {"false is zero", Boolean(false), 0},
        {"text with blanks and exponent", Text(" -1.5e2 "), -150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CellToNumber(c.cell), c.expected);
    }
}

TEST(CellToNumber, RefusesTextThatIsNoNumberAndErrors) {
    const ErrorCase cases[] = {
        {"letters", Text("12a"), "'12a' is not a valid floating point value"},
        {"quoted untrimmed", Text(" 1,5 "), "' 1,5 ' is not a valid floating point value"},
        {"empty text is text", Text(""), "'' is not a valid floating point value"},
        {"chinese", Text("五"), "'五' is not a valid floating point value"},
        {"error cell", Error("#DIV/0!"), "'#DIV/0!' is not a valid floating point value"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(test::RunErrorText([&] { CellToNumber(c.cell); }), c.message);
    }
}

TEST(CellToInteger, RoundsHalfToEven) {
    struct Case {
        const char* name;
        CellValue cell;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"empty is zero", CellValue{}, 0},
        {"tie down to even", Number(2.5), 2},
        {"tie up to even", Number(3.5), 4},
        {"negative tie", Number(-2.5), -2},
        {"nearest", Number(2.6), 3},
        {"true is one", Boolean(true), 1},
        {"date-time serial", DateTime(45052.75), 45053},
        {"text with blanks", Text(" 7 "), 7},
        {"text fraction tie", Text("2.5"), 2},
        {"text exponent", Text("1e3"), 1000},
        {"largest", Number(2147483647.4), 2147483647},
        {"smallest, by the even tie", Number(-2147483648.5), -2147483648},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CellToInteger(c.cell), c.expected);
    }
}

TEST(CellToInteger, RefusesNonNumbersAndValuesOutOfRange) {
    const ErrorCase cases[] = {
        {"text", Text("abc"), "'abc' is not a valid integer value"},
        {"error cell", Error("#N/A"), "'#N/A' is not a valid integer value"},
        {"tie rounds out of range", Number(2147483647.5), "'2147483647.5' is out of the range of a 32-bit integer"},
        {"large negative", Number(-3e9), "'-3000000000' is out of the range of a 32-bit integer"},
        {"text out of range named as typed", Text("3e9"), "'3e9' is out of the range of a 32-bit integer"},
        {"not a number", Number(std::nan("")), "'NAN' is out of the range of a 32-bit integer"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(test::RunErrorText([&] { CellToInteger(c.cell); }), c.message);
    }
}

} // namespace
} // namespace hz
