#include "engine/workbook/workbook_error.h"
#include "engine/workbook/xls/xls_workbook.h"
#include "tests/support/compound_file_builder.h"
#include "tests/support/python_script.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/xls_fixture.h"
#include "tests/workbook/workbook_fixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace hz {
namespace {

using test::ReadFileBytes;
using test::ScratchFolder;
using test::WriteFileBytes;

const std::string kPassword = "工作簿设有密码保护，请先在 Excel 中取消密码，保存后再导入";
const std::string kOldVersion = "这是 Excel 4.0 或更早版本的工作簿，不受支持，请在 Excel 中另存为 .xlsx 工作簿后再导入";

std::string Expected(const std::string& path, const std::string& problem) {
    return "无法读取工作簿“" + path + "”：" + problem;
}

std::string Record(unsigned type, const std::string& data) {
    std::string header = {static_cast<char>(type & 0xFF), static_cast<char>(type >> 8),
                          static_cast<char>(data.size() & 0xFF), static_cast<char>(data.size() >> 8)};
    return header + data;
}

// Opens the workbook and reads every cell of every sheet; a damaged file may open or fail, never crash.
void OpenAndReadAll(const std::string& path) {
    try {
        auto book = OpenXlsWorkbook(path);
        for (int i = 1; i <= book->WorksheetCount(); ++i) {
            Worksheet& sheet = book->WorksheetAt(i);
            for (int row = 1; row <= 12; ++row)
                for (int column = 1; column <= 10; ++column)
                    sheet.Cell(row, column);
        }
    } catch (const WorkbookError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("无法读取工作簿“" + path + "”：", 0), 0u) << error.what();
    }
}

class XlsDamageTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new ScratchFolder;
        test::WriteReferenceXls(folder->File("book.xls"));
    }
    static void TearDownTestSuite() {
        delete folder;
        folder = nullptr;
    }
    static std::string Reference() { return ReadFileBytes(folder->File("book.xls")); }
    static ScratchFolder* folder;
};

ScratchFolder* XlsDamageTest::folder = nullptr;

TEST_F(XlsDamageTest, PasswordProtectedXlsAsksToRemoveThePassword) {
    // A FILEPASS record in the globals marks an encrypted workbook; the records after it are unreadable.
    std::string bytes = Reference();
    test::ForEachXlsRecord(bytes, [](unsigned type, char* record, unsigned) {
        if (type == 0x005C) { // WRITEACCESS, early in the globals
            record[0] = 0x2F;
            record[1] = 0;
        }
    });
    std::string path = folder->File("password.xls");
    WriteFileBytes(path, bytes);
    EXPECT_EQ(test::XlsReadError(path), Expected(path, kPassword));
}

TEST_F(XlsDamageTest, OleContainersThatAreNotWorkbooksGetAClearMessage) {
    std::string biff8Start = Reference().substr(512, 20);
    struct Case {
        const char* name;
        std::vector<test::Stream> streams;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"encrypted xlsx",
         {{"EncryptionInfo", std::string(200, '\x04')}, {"EncryptedPackage", std::string(5000, 'e')}},
         kPassword},
        {"encrypted package without its info", {{"EncryptedPackage", std::string(100, 'e')}}, kPassword},
        {"Word document", {{"WordDocument", std::string(600, 'w')}}, "这是 Word 文档，不是 Excel 工作簿"},
        {"other compound document", {{"Contents", "x"}}, "文件不是 Excel 工作簿（这种复合文档中没有工作簿数据）"},
        {"no streams at all", {}, "文件不是 Excel 工作簿（这种复合文档中没有工作簿数据）"},
        {"workbook stream without a BOF",
         {{"Workbook", Record(0x0042, "\xA8\x03")}},
         "文件不是可识别的 Excel 工作簿（工作簿数据流的开头无效）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder->File(std::string(c.name) + ".xls");
        test::WriteCompoundFile(path, c.streams);
        EXPECT_EQ(test::XlsReadError(path), Expected(path, c.problem));
    }
}

TEST_F(XlsDamageTest, ATruncatedSmallWorkbookStreamInTheMiniStreamIsReportedAsDamaged) {
    // The first 4096 bytes of the reference stream, stored after another small stream: the records run on past
    // the end of the stream, wherever in the mini stream it lies.
    std::string stream = Reference().substr(512, 4096);
    std::string path = folder->File("small.xls");
    test::WriteCompoundFile(path, {{"Summary", std::string(200, 's')}, {"Workbook", stream}});
    std::string message = test::XlsReadError(path);
    EXPECT_EQ(message.rfind(Expected(path, "文件已损坏（"), 0), 0u) << message;
}

TEST_F(XlsDamageTest, StringsLongerThanTheirRecordAreRefused) {
    struct Case {
        const char* name;
        std::function<void(unsigned, char*, unsigned)> patch;
        std::string problem;
    };
    const Case cases[] = {
        {"number format",
         [](unsigned type, char* record, unsigned) {
             if (type == 0x041E)
                 record[4 + 2] = record[4 + 3] = '\xFF';
         },
         "数字格式记录中的文字超出记录范围"},
        {"text cell",
         [](unsigned type, char* record, unsigned) {
             if (type == 0x00FD) { // a shared-string cell read as a text cell: the string index becomes its length
                 record[0] = 0x04;
                 record[1] = 0x02;
                 record[4 + 6] = record[4 + 7] = '\xFF';
             }
         },
         "文字单元格记录中的文字超出记录范围"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = Reference();
        test::ForEachXlsRecord(bytes, c.patch);
        std::string path = folder->File("long-string.xls");
        WriteFileBytes(path, bytes);
        std::string message = test::XlsReadError(path);
        EXPECT_EQ(message.rfind(Expected(path, "文件已损坏（工作簿数据流在位置 "), 0), 0u) << message;
        EXPECT_NE(message.find(c.problem), std::string::npos) << message;
    }
}

TEST_F(XlsDamageTest, AnEarlierVersionsBofIsRefused) {
    std::string bytes = Reference();
    bytes[512 + 1] = 0x04; // the BOF record 0x0809 -> BIFF4's 0x0409
    std::string path = folder->File("biff4.xls");
    WriteFileBytes(path, bytes);
    EXPECT_EQ(test::XlsReadError(path), Expected(path, kOldVersion));
}

TEST_F(XlsDamageTest, AnEmbeddedChartIsPassedOver) {
    // A worksheet may nest a chart substream (BOF .. EOF) among its records, as Excel writes an embedded chart.
    // Insert one into the first sheet and move the later sheets' offsets; the cells around it still read.
    std::string script = R"PY(
import struct, sys
from xlwt.CompoundDoc import XlsDoc
data = open(sys.argv[2], 'rb').read()
records, at = [], 512
while at + 4 <= len(data):
    kind, size = struct.unpack_from('<HH', data, at)
    if kind == 0:
        break
    records.append((kind, bytearray(data[at + 4:at + 4 + size]), at - 512))
    at += 4 + size
chart = struct.pack('<HH', 0x0809, 16) + struct.pack('<HHHHII', 0x0600, 0x0020, 0, 0, 0, 0) + struct.pack('<HH', 0x000A, 0)
insert_at = next(offset + 4 + len(body) for kind, body, offset in records if kind == 0x0200)
stream = b''
for kind, body, offset in records:
    if kind == 0x0085 and struct.unpack_from('<I', body)[0] >= insert_at:
        struct.pack_into('<I', body, 0, struct.unpack_from('<I', body)[0] + len(chart))
    stream += struct.pack('<HH', kind, len(body)) + bytes(body)
    if offset + 4 + len(body) == insert_at:
        stream += chart
XlsDoc().save(sys.argv[1], stream)
)PY";
    std::string path = folder->File("chart.xls");
    test::WriteWithPython(path, script, {}, {folder->File("book.xls")});
    auto book = OpenXlsWorkbook(path);
    Worksheet& sheet = book->WorksheetAt(1);
    EXPECT_EQ(sheet.Name(), "数据");
    EXPECT_EQ(sheet.Cell(1, 1).number, 12);
    EXPECT_EQ(sheet.Cell(1, 3).text, "文本");
    EXPECT_EQ(book->WorksheetAt(book->WorksheetCount()).Cell(1, 1).text, "c");
}

TEST_F(XlsDamageTest, TruncatedFilesAreReportedAsDamaged) {
    std::string bytes = Reference();
    for (std::size_t size : {std::size_t{0}, std::size_t{8}, std::size_t{511}, std::size_t{512}, std::size_t{700},
                             bytes.size() / 2, bytes.size() - 512, bytes.size() - 1}) {
        SCOPED_TRACE(size);
        std::string path = folder->File("truncated.xls");
        WriteFileBytes(path, bytes.substr(0, size));
        std::string message = test::XlsReadError(path);
        EXPECT_NE(message, "(opened)");
        EXPECT_NE(message.find("文件已损坏"), std::string::npos) << message;
    }
}

TEST_F(XlsDamageTest, DamagedContainerStructuresAreRefused) {
    struct Case {
        const char* name;
        std::size_t offset;
        std::string bytes;
    };
    const Case cases[] = {
        {"sector size", 0x1E, std::string("\x0A\x00", 2)},
        {"allocation table beyond the file", 0x4C, std::string("\x00\x00\x01\x00", 4)},
        {"directory chain beyond the file", 0x30, std::string("\x00\x00\x00\x10", 4)},
        {"allocation table count too large", 0x2C, std::string("\xFF\xFF\x00\x00", 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = Reference();
        bytes.replace(c.offset, c.bytes.size(), c.bytes);
        std::string path = folder->File("damaged.xls");
        WriteFileBytes(path, bytes);
        EXPECT_NE(test::XlsReadError(path).find("文件已损坏"), std::string::npos) << test::XlsReadError(path);
    }
}

TEST_F(XlsDamageTest, RandomByteFlipsNeverCrash) {
    std::string reference = Reference();
    std::mt19937 random(20240131);
    std::uniform_int_distribution<std::size_t> position(0, reference.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    std::string path = folder->File("flipped.xls");
    for (int round = 0; round < 300; ++round) {
        std::string bytes = reference;
        int flips = 1 + round % 8;
        for (int i = 0; i < flips; ++i)
            bytes[position(random)] = static_cast<char>(value(random));
        WriteFileBytes(path, bytes);
        OpenAndReadAll(path);
    }
}

} // namespace
} // namespace hz
