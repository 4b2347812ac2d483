#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xls/xls_workbook.h"
#include "tests/support/compound_file_builder.h"
#include "tests/support/expected_cell.h"
#include "tests/support/resident_memory.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

// Workbook streams built record by record, for what no producer writes on purpose: strings cut between records in
// every way the format allows, cell records around each other, and damage inside single records.

namespace hz {
namespace {

std::string U16(unsigned value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF)};
}

std::string U32(std::uint32_t value) {
    return U16(value & 0xFFFF) + U16(value >> 16);
}

std::string F64(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return U32(static_cast<std::uint32_t>(bits)) + U32(static_cast<std::uint32_t>(bits >> 32));
}

std::string Record(unsigned type, const std::string& data) {
    return U16(type) + U16(static_cast<unsigned>(data.size())) + data;
}

std::string Bof(unsigned kind) {
    return Record(0x0809, U16(0x0600) + U16(kind) + std::string(12, '\0'));
}

std::string Cell(unsigned row, unsigned column, unsigned xf) {
    return U16(row) + U16(column) + U16(xf);
}

// XF 0: General; XF 1: built-in date 14; XF 2: the custom format 164 yyyy"年"m"月"; XF 3: the Chinese built-in 31.
std::string Formats() {
    std::string wide;
    for (char32_t c : std::u32string(U"yyyy\"年\"m\"月\""))
        wide += U16(static_cast<unsigned>(c));
    std::string formats = Record(0x041E, U16(164) + U16(static_cast<unsigned>(wide.size() / 2)) + '\x01' + wide);
    for (unsigned format : {0u, 14u, 164u, 31u})
        formats += Record(0x00E0, U16(0) + U16(format) + std::string(16, '\0'));
    return formats;
}

// A workbook stream of one worksheet "S": the globals' own records (formats, shared strings), then the sheet's.
std::string Stream(const std::string& globals, const std::string& sheet) {
    auto boundSheet = [](std::uint32_t offset) { return Record(0x0085, U32(offset) + std::string("\0\0\x01\0S", 5)); };
    std::string head = Bof(0x0005) + Formats() + globals;
    std::uint32_t sheetAt = static_cast<std::uint32_t>(head.size() + boundSheet(0).size() + 4);
    return head + boundSheet(sheetAt) + Record(0x000A, "") + Bof(0x0010) + sheet + Record(0x000A, "");
}

// A compressed shared string's header and characters.
std::string Latin(const std::string& text) {
    return U16(static_cast<unsigned>(text.size())) + '\0' + text;
}

class XlsRecordsTest : public testing::Test {
protected:
    std::string Write(const std::string& stream) {
        std::string path = folder.File("records.xls");
        test::WriteCompoundFile(path, {{"Workbook", stream}});
        return path;
    }
    std::string ReadError(const std::string& stream) {
        std::string path = Write(stream);
        try {
            OpenXlsWorkbook(path);
        } catch (const WorkbookError& error) {
            std::string message = error.what();
            std::string prefix = "无法读取工作簿“" + path + "”：文件已损坏（";
            EXPECT_EQ(message.rfind(prefix, 0), 0u) << message;
            return message;
        }
        return "(opened)";
    }
    test::ScratchFolder folder;
};

TEST_F(XlsRecordsTest, SharedStringsCutBetweenRecordsReadWhole) {
    // Each CONTINUE below starts where Excel may cut: inside characters (with a new option byte, which may switch
    // the width), inside formatting runs or extended data (plain bytes), or before a string's header.
    std::string sst = Record(0x00FC, U32(7) + U32(7) +
                                         // 0: "abcdef" cut after "abc", going on in 16-bit characters
                                         Latin("abcdef").substr(0, 6)) +
                      Record(0x003C, std::string("\x01", 1) + U16('d') + U16('e') + U16(0x957F) +
                                         // 1: 16-bit "中文字" cut after one character, going on compressed
                                         U16(3) + '\x01' + U16(0x4E2D)) +
                      Record(0x003C, std::string("\x00", 1) + "xy" +
                                         // 2: rich text "rich" with two runs cut inside the runs
                                         U16(4) + '\x08' + U16(2) + "rich" + U32(0x00010000)) +
                      Record(0x003C, U32(0x00030002) +
                                         // 3: extended string "ext" with 6 bytes of phonetic data cut inside them
                                         U16(3) + '\x04' + U32(6) + "ext" + "\x01\x02") +
                      Record(0x003C, std::string("\x03\x04\x05\x06", 4) +
                                         // 4: empty; 5: both runs and extended data in one string
                                         Latin("") + U16(2) + '\x0C' + U16(1) + U32(2) + "ok" + U32(0) + "\x09\x09") +
                      // 6: a string that starts a record: its header comes without an option byte
                      Record(0x003C, Latin("start"));
    std::string cells = Record(0x0200, U32(0) + U32(7) + U16(0) + U16(1) + U16(0));
    for (unsigned i = 0; i < 7; ++i)
        cells += Record(0x00FD, Cell(i, 0, 0) + U32(i));
    auto book = OpenXlsWorkbook(Write(Stream(sst, cells)));
    Worksheet& sheet = book->WorksheetAt(1);
    const char* expected[] = {"abcde长", "中xy", "rich", "ext", "", "ok", "start"};
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sheet.Cell(i + 1, 1).kind, CellKind::Text);
        EXPECT_EQ(sheet.Cell(i + 1, 1).text, expected[i]);
    }
}

TEST_F(XlsRecordsTest, ReadsEachCellRecord) {
    std::string sheet =
        Record(0x0200, U32(0) + U32(3) + U16(0) + U16(4) + U16(0)) + // declares A1:D3; later cells lie outside
        Record(0x0203, Cell(0, 0, 0) + F64(2.5)) + Record(0x027E, Cell(0, 1, 0) + U32(-7 * 4 + 2)) +
        Record(0x027E, Cell(0, 2, 0) + U32(1234 * 4 + 3)) + // an integer divided by 100
        Record(0x027E, Cell(0, 3, 1) + U32(45322 * 4 + 2)) +
        // MULRK: a date in each date format and a plain number
        Record(0x00BD, U16(1) + U16(0) + U16(1) + U32(45322 * 4 + 2) + U16(2) + U32(45322 * 4 + 2) + U16(3) +
                           U32(45322 * 4 + 2) + U16(0) + U32(45322 * 4 + 2) + U16(3)) +
        Record(0x0204, Cell(2, 0, 0) + U16(2) + '\x01' + U16(0x6587) + U16(0x5B57)) +
        Record(0x0205, Cell(2, 1, 0) + '\x01' + '\x00') + Record(0x0205, Cell(2, 2, 0) + '\x07' + '\x01') +
        // A formula whose text result follows a shared formula record
        Record(0x0006, Cell(2, 3, 0) + '\x00' + std::string(5, '\0') + U16(0xFFFF) + U16(0) + U32(0) + U16(0)) +
        Record(0x04BC, std::string(10, '\0')) + Record(0x0207, U16(3) + '\x00' + "sum") +
        Record(0x0201, Cell(5, 1, 0)) + Record(0x00BE, U16(6) + U16(2) + U16(0) + U16(0) + U16(3)) +
        Record(0x0203, Cell(4, 5, 0) + F64(9));
    auto book = OpenXlsWorkbook(Write(Stream("", sheet)));
    Worksheet& s = book->WorksheetAt(1);
    const test::ExpectedCell cases[] = {
        {"NUMBER", 1, 1, CellKind::Number, 2.5, ""},
        {"RK integer", 1, 2, CellKind::Number, -7, ""},
        {"RK hundredths", 1, 3, CellKind::Number, 12.34, ""},
        {"RK in a built-in date format", 1, 4, CellKind::DateTime, 45322, ""},
        {"MULRK built-in date", 2, 1, CellKind::DateTime, 45322, ""},
        {"MULRK custom date", 2, 2, CellKind::DateTime, 45322, ""},
        {"MULRK Chinese built-in date", 2, 3, CellKind::DateTime, 45322, ""},
        {"MULRK general", 2, 4, CellKind::Number, 45322, ""},
        {"LABEL", 3, 1, CellKind::Text, 0, "文字"},
        {"BOOLERR true", 3, 2, CellKind::Boolean, 1, ""},
        {"BOOLERR #DIV/0!", 3, 3, CellKind::Error, 0, "#DIV/0!"},
        {"formula text after SHRFMLA", 3, 4, CellKind::Text, 0, "sum"},
        {"outside the declared range", 5, 6, CellKind::Number, 9, ""},
        {"BLANK", 6, 2, CellKind::Empty, 0, ""},
    };
    for (const test::ExpectedCell& c : cases)
        test::ExpectCell(s, c);
}

// A small file can declare the whole BIFF8 range and put cells at its far corners; the reader must not hold a cell
// slot for each of its 16.7 million places.
TEST_F(XlsRecordsTest, AFewCellsFarApartTakeMemoryByTheirCellsNotTheirRange) {
    std::string sheet = Record(0x0200, U32(0) + U32(65536) + U16(0) + U16(256) + U16(0)) +
                        Record(0x0203, Cell(0, 0, 0) + F64(1)) + Record(0x0203, Cell(999, 99, 0) + F64(2)) +
                        Record(0x0204, Cell(65535, 255, 0) + U16(1) + '\0' + "z") +
                        Record(0x0203, Cell(999, 99, 0) + F64(3)) + Record(0x0201, Cell(5, 5, 0));
    const std::string path = Write(Stream("", sheet));
    const std::size_t before = test::ResidentBytes();
    auto book = OpenXlsWorkbook(path);
    EXPECT_LT(test::ResidentBytes() - before, std::size_t{32} << 20);
    Worksheet& s = book->WorksheetAt(1);
    const test::ExpectedCell cases[] = {
        {"first cell", 1, 1, CellKind::Number, 1, ""},
        {"a cell given twice keeps the later value", 1000, 100, CellKind::Number, 3, ""},
        {"far corner", 65536, 256, CellKind::Text, 0, "z"},
        {"blank", 6, 6, CellKind::Empty, 0, ""},
        {"no record", 1000, 99, CellKind::Empty, 0, ""},
        {"no record in the far row", 65536, 255, CellKind::Empty, 0, ""},
    };
    for (const test::ExpectedCell& c : cases)
        test::ExpectCell(s, c);
}

// The workbook stream is read from the file a window at a time (256 KB): records, and a formula's text result going
// on in a CONTINUE record, fall across the windows' edges and across sectors, and every cell still reads as written.
TEST_F(XlsRecordsTest, AStreamLargerThanTheReadersWindowReadsWhole) {
    constexpr unsigned kRows = 20000;
    constexpr std::size_t kWindow = 256 * 1024;
    const std::size_t sheetStart = Stream("", "").size() - 4; // before the sheet's EOF
    std::string sheet = Record(0x0200, U32(0) + U32(kRows) + U16(0) + U16(2) + U16(0));
    for (unsigned row = 0; row < kRows; ++row) {
        const std::string rest = "c" + std::to_string(row);
        if (row == 3000) {
            // Records the reader passes over, sized so that this row's STRING ends where the first window ends and
            // its CONTINUE lies in the next one.
            const std::size_t rowHead = 22 + 26 + 9;
            ASSERT_GT(kWindow, sheetStart + sheet.size() + rowHead + 4);
            for (std::size_t gap = kWindow - (sheetStart + sheet.size() + rowHead); gap > 0;) {
                std::size_t data = std::min<std::size_t>(gap - 4, 8000);
                if (gap - 4 - data > 0 && gap - 4 - data < 4)
                    data -= 4;
                sheet += Record(0x0055, std::string(data, '\0'));
                gap -= 4 + data;
            }
        }
        sheet +=
            Record(0x0203, Cell(row, 0, 0) + F64(row)) +
            Record(0x0006, Cell(row, 1, 0) + '\x00' + std::string(5, '\0') + U16(0xFFFF) + U16(0) + U32(0) + U16(0)) +
            Record(0x0207, U16(static_cast<unsigned>(2 + rest.size())) + '\x00' + "ab") + Record(0x003C, '\x00' + rest);
    }
    const std::string stream = Stream("", sheet);
    ASSERT_GT(stream.size(), std::size_t{1} << 20);
    auto book = OpenXlsWorkbook(Write(stream));
    Worksheet& s = book->WorksheetAt(1);
    for (unsigned row = 0; row < kRows; ++row) {
        SCOPED_TRACE(row);
        ASSERT_EQ(s.Cell(static_cast<int>(row) + 1, 1).number, row);
        ASSERT_EQ(s.Cell(static_cast<int>(row) + 1, 2).text, "abc" + std::to_string(row));
    }
}

// Cells beyond the declared range, or with no range declared, still read; blanks widen the used range only.
TEST_F(XlsRecordsTest, CellsOutsideOrWithoutADeclaredRangeRead) {
    const std::string cells = Record(0x0203, Cell(0, 0, 0) + F64(1)) + Record(0x0203, Cell(1, 1, 0) + F64(5)) +
                              Record(0x0203, Cell(0, 3, 0) + F64(2)) + Record(0x0203, Cell(40, 1, 0) + F64(3)) +
                              Record(0x0203, Cell(0, 0, 0) + F64(4)) + Record(0x0201, Cell(50, 6, 0));
    const std::string declared = Record(0x0200, U32(0) + U32(2) + U16(0) + U16(2) + U16(0));
    for (const std::string& sheet : {cells, declared + cells}) {
        auto book = OpenXlsWorkbook(Write(Stream("", sheet)));
        Worksheet& s = book->WorksheetAt(1);
        const test::ExpectedCell cases[] = {
            {"given twice keeps the later value", 1, 1, CellKind::Number, 4, ""},
            {"inside the declared range", 2, 2, CellKind::Number, 5, ""},
            {"beyond the declared columns", 1, 4, CellKind::Number, 2, ""},
            {"below the declared rows", 41, 2, CellKind::Number, 3, ""},
            {"no record", 41, 1, CellKind::Empty, 0, ""},
            {"blank", 51, 7, CellKind::Empty, 0, ""},
        };
        for (const test::ExpectedCell& c : cases)
            test::ExpectCell(s, c);
    }
}

TEST_F(XlsRecordsTest, DamagedRecordsAreRefusedWithWhatIsWrong) {
    const std::string dimension = Record(0x0200, U32(0) + U32(1) + U16(0) + U16(1) + U16(0));
    const std::string oneString = Record(0x00FC, U32(1) + U32(1) + Latin("a"));
    struct Case {
        const char* name;
        std::string globals;
        std::string sheet;
        const char* problem;
    } cases[] = {
        {"shared string index beyond the table", oneString, dimension + Record(0x00FD, Cell(0, 0, 0) + U32(1)),
         "文字单元格指向不存在的共享字符串"},
        {"more strings than the table holds", Record(0x00FC, U32(9) + U32(9) + Latin("a")), dimension,
         "共享字符串表的字符串个数超出记录范围"},
        {"string running past the last record", Record(0x00FC, U32(1) + U32(1) + Latin("abc").substr(0, 4)), dimension,
         "共享字符串超出记录范围"},
        {"16-bit character cut in half",
         Record(0x00FC, U32(1) + U32(1) + U16(1) + '\x01' + 'x') + Record(0x003C, "\x01y"), dimension,
         "共享字符串中的字符被记录边界截断"},
        {"text longer than its record", "", dimension + Record(0x0204, Cell(0, 0, 0) + U16(9) + '\0' + "ab"),
         "文字单元格记录中的文字超出记录范围"},
        {"number record too short", "", dimension + Record(0x0203, Cell(0, 0, 0) + "1234"), "单元格记录过短"},
        {"column beyond IV", "", dimension + Record(0x0203, Cell(0, 256, 0) + F64(1)), "单元格的列号超出 256 列"},
        {"MULRK past column IV", "",
         dimension + Record(0x00BD, U16(0) + U16(255) + U16(0) + U32(2) + U16(0) + U32(2) + U16(256)),
         "多数字单元格记录的长度无效"},
        {"MULRK with a broken pair", "", dimension + Record(0x00BD, U16(0) + U16(0) + U16(0) + U32(2) + "x" + U16(0)),
         "多数字单元格记录的长度无效"},
        {"used range beyond BIFF8", "", Record(0x0200, U32(0) + U32(65537) + U16(0) + U16(1) + U16(0)),
         "工作表尺寸超出 65536 行 256 列"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string message = ReadError(Stream(c.globals, c.sheet));
        EXPECT_NE(message.find(c.problem), std::string::npos) << message;
    }
}

} // namespace
} // namespace hz
