#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xls/xls_workbook.h"
#include "tests/support/biff_builder.h"
#include "tests/support/compound_file_builder.h"
#include "tests/support/expected_cell.h"
#include "tests/support/scratch_folder.h"
#include "tests/workbook/workbook_fixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Excel 5.0/95 workbook streams (BIFF5, which Excel 95's BIFF7 names itself too) built record by record, for what
// Gnumeric does not write: texts going on in CONTINUE records, every cell record beside the others, code pages
// other than 936 and 1252, and the streams that are refused.

namespace hz {
namespace {

using test::Cell;
using test::F64;
using test::Record;
using test::U16;
using test::U32;
using test::U8;

const std::string kPassword = "工作簿设有密码保护，请先在 Excel 中取消密码，保存后再导入";
const std::string kOldVersion = "这是 Excel 4.0 或更早版本的工作簿，不受支持，请在 Excel 中另存为 .xlsx 工作簿后再导入";

std::string Bof5(unsigned kind) {
    return Record(0x0809, U16(0x0500) + U16(kind) + U16(0x096C) + U16(0x07C9));
}

std::string CodePage(unsigned codePage) {
    return Record(0x0042, U16(codePage));
}

// XF 0: General; XF 1: built-in date 14; XF 2: the custom format 164 yyyy"年"m"月" in code page 936.
std::string Formats936() {
    const std::string format = "yyyy\"\xC4\xEA\"m\"\xD4\xC2\"";
    std::string records = Record(0x041E, U16(164) + U8(static_cast<unsigned>(format.size())) + format);
    for (unsigned id : {0u, 14u, 164u})
        records += Record(0x00E0, U16(0) + U16(id) + std::string(12, '\0'));
    return records;
}

struct Sheet {
    std::string name; // in the workbook's code page
    std::string records;
    unsigned type = 0; // 0 worksheet, 2 chart
    unsigned hidden = 0;
};

// A BIFF5 workbook stream: the globals' records after its BOF, then the sheet list and the sheets.
std::string Biff5Stream(const std::string& globals, const std::vector<Sheet>& sheets) {
    const std::string head = Bof5(0x0005) + globals;
    std::size_t listSize = 4; // the globals' EOF
    for (const Sheet& sheet : sheets)
        listSize += 4 + 7 + sheet.name.size();
    std::string list;
    std::string bodies;
    for (const Sheet& sheet : sheets) {
        const auto at = static_cast<std::uint32_t>(head.size() + listSize + bodies.size());
        list += Record(0x0085, U32(at) + U8(sheet.hidden) + U8(sheet.type) +
                                   U8(static_cast<unsigned>(sheet.name.size())) + sheet.name);
        bodies += Bof5(sheet.type == 2 ? 0x0020 : 0x0010) + sheet.records + Record(0x000A, "");
    }
    return head + list + Record(0x000A, "") + bodies;
}

// A BIFF5 text: 16-bit byte count, then the bytes.
std::string Text5(const std::string& bytes) {
    return U16(static_cast<unsigned>(bytes.size())) + bytes;
}

// A formula with its cached result; result holds 8 bytes.
std::string Formula(unsigned row, unsigned column, unsigned xf, const std::string& result) {
    return Record(0x0006, Cell(row, column, xf) + result + U16(0) + U32(0) + U16(3) + "\x1E\x01\x00");
}

std::string Special(unsigned type, unsigned value = 0) {
    return U8(type) + U8(0) + U8(value) + U8(0) + U16(0) + U16(0xFFFF);
}

class XlsBiff5Test : public testing::Test {
protected:
    std::string Write(const std::string& stream, const std::string& name = "Book") {
        const std::string path = folder.File("excel95.xls");
        test::WriteCompoundFile(path, {{name, stream}});
        return path;
    }
    static std::string Expected(const std::string& path, const std::string& problem) {
        return "无法读取工作簿“" + path + "”：" + problem;
    }
    test::ScratchFolder folder;
};

TEST_F(XlsBiff5Test, ReadsEachCellRecordWithTextsInCodePage936) {
    const std::string cells =
        Record(0x0200, U16(0) + U16(6) + U16(0) + U16(5) + U16(0)) + // A1:E6
        Record(0x0203, Cell(0, 0, 0) + F64(2.5)) + Record(0x027E, Cell(0, 1, 0) + U32(-7 * 4 + 2)) +
        Record(0x027E, Cell(0, 2, 0) + U32(1234 * 4 + 3)) + Record(0x027E, Cell(0, 3, 1) + U32(45322 * 4 + 2)) +
        Record(0x00BD, U16(1) + U16(0) + U16(1) + U32(45322 * 4 + 2) + U16(2) + U32(45322 * 4 + 2) + U16(0) +
                           U32(45322 * 4 + 2) + U16(2)) +
        Record(0x0204, Cell(2, 0, 0) + Text5("\xCE\xC4\xD7\xD6")) +
        // RSTRING: the text, then its formatting runs
        Record(0x00D6, Cell(2, 1, 0) + Text5("\xB8\xBB\xCE\xC4\xB1\xBE") + U8(1) + U8(0) + U8(1)) +
        Record(0x0205, Cell(2, 2, 0) + U8(1) + U8(0)) + Record(0x0205, Cell(2, 3, 0) + U8(0x07) + U8(1)) +
        Formula(3, 0, 0, F64(3.5)) + Formula(3, 1, 0, Special(0)) + Record(0x0207, Text5("\xBA\xCF\xBC\xC6")) +
        Formula(3, 2, 0, Special(1, 1)) + Formula(3, 3, 0, Special(2, 0x17)) + Formula(3, 4, 1, F64(45322)) +
        Record(0x0201, Cell(5, 1, 0)) + Record(0x00BE, U16(5) + U16(2) + U16(0) + U16(0) + U16(3));
    auto book = OpenXlsWorkbook(Write(
        Biff5Stream(CodePage(936) + Formats936(), {{"\xCA\xFD\xBE\xDD", cells},
                                                   {"\xD2\xFE\xB2\xD8", Record(0x0203, Cell(0, 0, 0) + F64(1)), 0, 1},
                                                   {"Chart", "", 2}})));
    ASSERT_EQ(book->WorksheetCount(), 2);
    EXPECT_EQ(book->WorksheetAt(1).Name(), "数据");
    EXPECT_EQ(book->WorksheetAt(2).Name(), "隐藏");
    Worksheet& sheet = book->WorksheetAt(1);
    const test::ExpectedCell expected[] = {
        {"NUMBER", 1, 1, CellKind::Number, 2.5, ""},
        {"RK integer", 1, 2, CellKind::Number, -7, ""},
        {"RK hundredths", 1, 3, CellKind::Number, 12.34, ""},
        {"RK in a built-in date format", 1, 4, CellKind::DateTime, 45322, ""},
        {"MULRK built-in date", 2, 1, CellKind::DateTime, 45322, ""},
        {"MULRK date in a Chinese custom format", 2, 2, CellKind::DateTime, 45322, ""},
        {"MULRK general", 2, 3, CellKind::Number, 45322, ""},
        {"LABEL", 3, 1, CellKind::Text, 0, "文字"},
        {"RSTRING", 3, 2, CellKind::Text, 0, "富文本"},
        {"BOOLERR true", 3, 3, CellKind::Boolean, 1, ""},
        {"BOOLERR #DIV/0!", 3, 4, CellKind::Error, 0, "#DIV/0!"},
        {"formula giving a number", 4, 1, CellKind::Number, 3.5, ""},
        {"formula giving text in a STRING record", 4, 2, CellKind::Text, 0, "合计"},
        {"formula giving true", 4, 3, CellKind::Boolean, 1, ""},
        {"formula giving an error", 4, 4, CellKind::Error, 0, "#REF!"},
        {"formula giving a date", 4, 5, CellKind::DateTime, 45322, ""},
        {"BLANK", 6, 2, CellKind::Empty, 0, ""},
        {"MULBLANK", 6, 4, CellKind::Empty, 0, ""},
        {"inside the declared range, no record", 5, 5, CellKind::Empty, 0, ""},
    };
    for (const test::ExpectedCell& cell : expected)
        test::ExpectCell(sheet, cell);
    EXPECT_EQ(book->WorksheetAt(2).Cell(1, 1).number, 1);
}

// A text longer than a BIFF5 record (2080 bytes) goes on in CONTINUE records that hold the further bytes alone; a
// double-byte character may be cut between two records.
TEST_F(XlsBiff5Test, TextsGoOnInContinueRecords) {
    std::string longBytes;
    std::string longText;
    for (int i = 0; i < 3000; ++i) {
        longBytes += "\xB3\xA4";
        longText += "长";
    }
    const std::string label = Cell(0, 0, 0) + U16(static_cast<unsigned>(longBytes.size()));
    const std::size_t first = 2080 - label.size() - 1; // an odd count: the record ends after a lead byte
    std::string cells = Record(0x0204, label + longBytes.substr(0, first));
    for (std::size_t at = first; at < longBytes.size(); at += 2080)
        cells += Record(0x003C, longBytes.substr(at, 2080));
    cells += Formula(1, 0, 0, Special(0)) + Record(0x0207, U16(4) + "\xBA") + Record(0x003C, "\xCF\xBC") +
             Record(0x003C, "\xC6") + Record(0x0203, Cell(2, 0, 0) + F64(7));
    auto book = OpenXlsWorkbook(Write(Biff5Stream(CodePage(936), {{"S", cells}})));
    Worksheet& sheet = book->WorksheetAt(1);
    EXPECT_EQ(sheet.Cell(1, 1).text, longText);
    EXPECT_EQ(sheet.Cell(2, 1).text, "合计");
    EXPECT_EQ(sheet.Cell(3, 1).number, 7);
}

TEST_F(XlsBiff5Test, TextsDecodeInTheCodePageThatTheWorkbookNames) {
    struct Case {
        const char* name;
        std::string globals;
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"936", CodePage(936), "\xCA\xFD\xBE\xDD", "数据"},
        {"no CODEPAGE record: 936, the users' ANSI code page", "", "\xCA\xFD\xBE\xDD", "数据"},
        {"1252, the euro sign included", CodePage(1252), "caf\xE9 \x80", "café €"},
        {"1250", CodePage(1250), "\xA3\xF3\x64\x9F", "Łódź"},
        {"1251", CodePage(1251), "\xCC\xEE\xF1\xEA\xE2\xE0", "Москва"},
        {"1253", CodePage(1253), "\xC5\xEB\xEB\xDC\xE4\xE1", "Ελλάδα"},
        {"1254", CodePage(1254), "\xDDstanbul", "İstanbul"},
        {"874", CodePage(874), "\xE4\xB7\xC2", "ไทย"},
        {"932", CodePage(932), "\x93\xFA\x96\x7B", "日本"},
        {"949", CodePage(949), "\xC7\xD1\xB1\xB9", "한국"},
        {"950", CodePage(950), "\xA4\xA4\xA4\xE5", "中文"},
        {"Mac Roman as Excel numbers it", CodePage(32768), "caf\x8E", "café"},
        {"ASCII in a code page this reader does not know", CodePage(1200), "plain", "plain"},
        {"936 with a byte that starts no character", CodePage(936), "\xCA\xFD\xFF\xBE\xDD\xB3", "数\uFFFD据\uFFFD"},
        {"1252 with a byte that has no character", CodePage(1252), "a\x81z", "a\uFFFDz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto book = OpenXlsWorkbook(
            Write(Biff5Stream(c.globals, {{c.bytes, Record(0x0204, Cell(0, 0, 0) + Text5(c.bytes + "!"))}})));
        EXPECT_EQ(book->WorksheetAt(1).Name(), c.text);
        EXPECT_EQ(book->WorksheetAt(1).Cell(1, 1).text, c.text + "!");
    }

    const std::string path = Write(Biff5Stream(CodePage(1200), {{"S", Record(0x0204, Cell(0, 0, 0) + Text5("\xE9"))}}));
    EXPECT_EQ(test::XlsReadError(path),
              Expected(path, "工作簿的文字使用无法识别的代码页 1200，请在 Excel 中另存为 .xlsx 工作簿后再导入"));
}

TEST_F(XlsBiff5Test, A1904WorkbookGivesTheSameSerialsAsA1900One) {
    const std::string cells = Record(0x027E, Cell(0, 0, 1) + U32((45322 - 1462) * 4 + 2)) +
                              Record(0x0203, Cell(0, 1, 1) + F64(0.25)) + Record(0x0203, Cell(0, 2, 0) + F64(12));
    auto book = OpenXlsWorkbook(Write(Biff5Stream(Record(0x0022, U16(1)) + Formats936(), {{"S", cells}})));
    Worksheet& sheet = book->WorksheetAt(1);
    test::ExpectCell(sheet, {"date", 1, 1, CellKind::DateTime, 45322, ""});
    test::ExpectCell(sheet, {"time alone is not shifted", 1, 2, CellKind::DateTime, 0.25, ""});
    test::ExpectCell(sheet, {"plain number is not shifted", 1, 3, CellKind::Number, 12, ""});
}

// The workbook stream's name does not decide its version: its first record does.
TEST_F(XlsBiff5Test, TheFirstRecordDecidesHowAStreamOfEitherNameIsRead) {
    const std::string biff5 =
        Biff5Stream(CodePage(936), {{"\xCA\xFD\xBE\xDD", Record(0x0203, Cell(0, 0, 0) + F64(5))}});
    // A BIFF8 stream of one sheet "S" holding the unicode text "文字".
    const std::string bof8 = Record(0x0809, U16(0x0600) + U16(0x0005) + std::string(12, '\0'));
    const std::string sheet8 = Record(0x0809, U16(0x0600) + U16(0x0010) + std::string(12, '\0')) +
                               Record(0x0204, Cell(0, 0, 0) + U16(2) + U8(1) + U16(0x6587) + U16(0x5B57)) +
                               Record(0x000A, "");
    const auto sheetAt = static_cast<std::uint32_t>(bof8.size() + 13 + 4); // after the sheet list and the EOF
    const std::string list8 = Record(0x0085, U32(sheetAt) + U16(0) + U8(1) + U8(0) + "S");
    const std::string biff8 = bof8 + list8 + Record(0x000A, "") + sheet8;
    struct Case {
        const char* name;
        std::vector<test::Stream> streams;
        std::string sheet;
    };
    const std::vector<Case> cases = {
        {"BIFF8 in a Book stream", {{"Book", biff8}}, "S"},
        {"BIFF5 in a Workbook stream", {{"Workbook", biff5}}, "数据"},
        {"a file saved for Excel 97 and 95 at once: the Workbook stream", {{"Book", biff5}, {"Workbook", biff8}}, "S"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.File("either.xls");
        test::WriteCompoundFile(path, c.streams);
        auto book = OpenXlsWorkbook(path);
        ASSERT_EQ(book->WorksheetCount(), 1);
        EXPECT_EQ(book->WorksheetAt(1).Name(), c.sheet);
    }
}

TEST_F(XlsBiff5Test, PasswordsAndEarlierVersionsAreRefusedWithWhatIsWrong) {
    // Excel 95 obfuscates a protected workbook after its FILEPASS record.
    const std::string protected95 = Bof5(0x0005) + Record(0x002F, U16(0x1234) + U16(0x5678)) + "\x12\x34\x56";
    struct Case {
        const char* name;
        std::string stream;
        std::string problem;
    };
    const Case cases[] = {
        {"password-protected Excel 95", protected95, kPassword},
        {"BIFF4", Record(0x0409, U16(0) + U16(0x0010) + U16(0)) + Record(0x000A, ""), kOldVersion},
        {"BIFF3", Record(0x0209, U16(0) + U16(0x0010) + U16(0)) + Record(0x000A, ""), kOldVersion},
        {"BIFF2", Record(0x0009, U16(0) + U16(0x0010)) + Record(0x000A, ""), kOldVersion},
        {"unknown version", Record(0x0809, U16(0x0700) + U16(0x0005) + U32(0)),
         "文件不是可识别的 Excel 工作簿（工作簿数据流的开头无效）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write(c.stream);
        EXPECT_EQ(test::XlsReadError(path), Expected(path, c.problem));
    }
}

TEST_F(XlsBiff5Test, DamagedRecordsAreRefusedWithWhatIsWrong) {
    struct Case {
        const char* name;
        std::string globals;
        std::string sheet;
        const char* problem;
    };
    const Case cases[] = {
        {"label longer than its record and its CONTINUE records", "",
         Record(0x0204, Cell(0, 0, 0) + U16(9) + "abc") + Record(0x003C, "def"), "文字单元格记录中的文字超出记录范围"},
        {"label without its byte count", "", Record(0x0204, Cell(0, 0, 0) + "\x01"),
         "文字单元格记录中的文字超出记录范围"},
        {"number format longer than its record", Record(0x041E, U16(164) + U8(9) + "yy"), "",
         "数字格式记录中的文字超出记录范围"},
        {"sheet list entry too short", Record(0x0085, U32(0) + U16(0)), "", "工作表目录记录过短"},
        {"used range beyond 256 columns", "", Record(0x0200, U16(0) + U16(1) + U16(0) + U16(257) + U16(0)),
         "工作表尺寸超出 65536 行 256 列"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Write(Biff5Stream(c.globals, {{"S", c.sheet}}));
        const std::string message = test::XlsReadError(path);
        EXPECT_EQ(message.rfind(Expected(path, "文件已损坏（"), 0), 0u) << message;
        EXPECT_NE(message.find(c.problem), std::string::npos) << message;
    }
}

} // namespace
} // namespace hz
