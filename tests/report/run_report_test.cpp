#include "engine/report/run_report.h"

#include "engine/workbook/workbook.h"
#include "tests/report/run_report_fixture.h"
#include "tests/support/python_script.h"
#include "tests/support/run_error_text.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace hz {
namespace {

namespace fs = std::filesystem;

using test::DumpWithOpenpyxl;
using test::Q;
using test::ReadFileBytes;
using test::ReportError;
using test::RunErrorText;
using test::ScratchFolder;
using test::SmallRun;
using test::WriteFileBytes;

// The widths of columns A to C as openpyxl reads them.
std::vector<double> Widths(const std::string& path) {
    std::string dump = DumpWithOpenpyxl(path);
    std::size_t at = dump.find("widths ");
    EXPECT_NE(at, std::string::npos) << dump;
    std::vector<double> widths;
    if (at == std::string::npos)
        return widths;
    std::size_t end = 0;
    std::string rest = dump.substr(at + 7);
    for (int i = 0; i < 3; ++i) {
        widths.push_back(std::stod(rest, &end));
        rest = rest.substr(end);
    }
    return widths;
}

// A column width as the file stores it: Excel adds the cell's padding of 5 pixels (0.71 of a character in the
// default font) to the width that the user sees.
double StoredWidth(int characters) {
    return characters + 0.71;
}

// The message texts of a report (column C below the header) read back with the engine's own reader, which decodes
// Excel's _xHHHH_ escapes as Excel does.
std::vector<std::string> TextsReadBack(const std::string& path) {
    std::unique_ptr<Workbook> book = OpenWorkbook(path);
    Worksheet& sheet = book->WorksheetAt(1);
    std::vector<std::string> texts;
    for (int row = 2; sheet.Cell(row, 3).kind != CellKind::Empty; ++row)
        texts.emplace_back(sheet.Cell(row, 3).text);
    return texts;
}

TEST(RunReport, TheFormatFollowsTheExtensionInAnyLetterCase) {
    EXPECT_EQ(ReportFormatOf("/tmp/报告.csv"), ReportFormat::Csv);
    EXPECT_EQ(ReportFormatOf("report.CSV"), ReportFormat::Csv);
    EXPECT_EQ(ReportFormatOf("a.b/report.xlsx"), ReportFormat::Xlsx);
    EXPECT_EQ(ReportFormatOf("report.XlsX"), ReportFormat::Xlsx);
    EXPECT_EQ(ReportFormatOf("report.xls"), std::nullopt);
    EXPECT_EQ(ReportFormatOf("report.xlsm"), std::nullopt);
    EXPECT_EQ(ReportFormatOf("report.csv.txt"), std::nullopt);
    EXPECT_EQ(ReportFormatOf("csv"), std::nullopt);
    EXPECT_EQ(ReportFormatOf("report.csv/"), std::nullopt);
    EXPECT_EQ(ReportFormatOf(""), std::nullopt);
}

TEST(RunReport, CsvHasTheByteOrderMarkTheHeaderAndFieldsQuotedAsRfc4180Says) {
    ScratchFolder folder;
    const std::string path = folder.File("报告.csv");
    WriteRunReport(Q(path), SmallRun());
    EXPECT_EQ(ReadFileBytes(path), "\xEF\xBB\xBF"
                                   "工作表,行,消息\r\n"
                                   "客户,2,\"客户编码 \"\"C01\"\" 重复, 已跳过\"\r\n"
                                   ",,无法连接数据库\r\n"
                                   "存货,15,\"第一行\n第二行\"\r\n"
                                   "\"期初,库存\",1048576,数量不是数字\r\n");
    EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{"报告.csv"});
}

TEST(RunReport, CsvWithoutMessagesHoldsTheHeader) {
    ScratchFolder folder;
    const std::string path = folder.File("empty.csv");
    WriteRunReport(Q(path), {});
    EXPECT_EQ(ReadFileBytes(path), "\xEF\xBB\xBF工作表,行,消息\r\n");
}

TEST(RunReport, CsvKeepsTheTextAsGiven) {
    ScratchFolder folder;
    const std::string path = folder.File("text.csv");
    const std::string longText(100000, 'x');
    WriteRunReport(Q(path), {RunMessage(Q("回车\r换行\r\n结束")), RunMessage(Q("  前后空格 ")),
                             RunMessage(Q("制表\t符号 _x0041_ 😀")), RunMessage(Q("\"")), RunMessage(Q(longText)),
                             RunMessage(Q(""), Q("空消息"), 7)});
    EXPECT_EQ(ReadFileBytes(path), "\xEF\xBB\xBF工作表,行,消息\r\n"
                                   ",,\"回车\r换行\r\n结束\"\r\n"
                                   ",,  前后空格 \r\n"
                                   ",,制表\t符号 _x0041_ 😀\r\n"
                                   ",,\"\"\"\"\r\n"
                                   ",," +
                                       longText +
                                       "\r\n"
                                       "空消息,7,\r\n");
}

TEST(RunReport, XlsxHasTheColumnsABoldHeaderNumbersForRowsAndWidthsThatFit) {
    HZ_SKIP_WITHOUT_PYTHON();
    ScratchFolder folder;
    const std::string path = folder.File("报告.xlsx");
    WriteRunReport(Q(path), SmallRun());
    EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{"报告.xlsx"});
    const std::string dump = DumpWithOpenpyxl(path);
    EXPECT_NE(dump.find("sheets 消息\n"
                        "工作表/str|行/str|消息/str\n"
                        "客户/str|2/int|客户编码 \"C01\" 重复, 已跳过/str\n"
                        "None/NoneType|None/NoneType|无法连接数据库/str\n"
                        "存货/str|15/int|第一行\\n第二行/str\n"
                        "期初,库存/str|1048576/int|数量不是数字/str\n"
                        "header bold True\n"
                        "data bold False\n"),
              std::string::npos)
        << dump;

    // 期初,库存 takes 9 columns, 1048576 takes 7, 客户编码 "C01" 重复, 已跳过 takes 27 (each Chinese character
    // counting two); each with a margin of 2.
    std::vector<double> widths = Widths(path);
    ASSERT_EQ(widths.size(), 3u);
    EXPECT_NEAR(widths[0], StoredWidth(11), 0.01);
    EXPECT_NEAR(widths[1], StoredWidth(9), 0.01);
    EXPECT_NEAR(widths[2], StoredWidth(29), 0.01);
    EXPECT_LT(widths[0], widths[2]);
}

TEST(RunReport, XlsxWidthsCountWideCharactersTwiceAndStopAtOneHundred) {
    HZ_SKIP_WITHOUT_PYTHON();
    ScratchFolder folder;
    const std::string narrow = folder.File("narrow.xlsx");
    const std::string wide = folder.File("wide.xlsx");
    const std::string longest = folder.File("long.xlsx");
    WriteRunReport(Q(narrow), {RunMessage(QString(30, u'x'), Q("Sheet1"), 3)});
    // Thirty wide characters, a combining mark that takes no column, and a shorter second line.
    WriteRunReport(Q(wide), {RunMessage(QString(30, u'错') + QChar(0x0301) + Q("\nshort"), Q("库存"), 3)});
    WriteRunReport(Q(longest), {RunMessage(QString(500, u'长'), Q(std::string(300, 's')), 3)});
    EXPECT_NEAR(Widths(narrow)[2], StoredWidth(32), 0.01);
    EXPECT_NEAR(Widths(wide)[2], StoredWidth(62), 0.01);
    std::vector<double> capped = Widths(longest);
    ASSERT_EQ(capped.size(), 3u);
    EXPECT_NEAR(capped[0], StoredWidth(100), 0.01);
    EXPECT_NEAR(capped[2], StoredWidth(100), 0.01);
}

TEST(RunReport, XlsxKeepsTheTextAsGiven) {
    ScratchFolder folder;
    const std::string path = folder.File("text.xlsx");
    // Line breaks of every kind, spaces at the ends, text that reads as Excel's escapes, control characters,
    // XML's special characters, and U+FFFE, which XML cannot hold.
    const std::vector<std::string> texts = {
        "回车\r换行\r\n结束", "  前后空格 ", "制表\t符号 😀", "_x0041_ 不是 A，_x005F_ 也不是 _",
        "控制字符\x01\x1F",   "<a & b>",     "\xEF\xBF\xBE"};
    std::vector<RunMessage> messages;
    for (const std::string& text : texts)
        messages.emplace_back(Q(text), Q("表_x0031_"), 1);
    WriteRunReport(Q(path), messages);
    EXPECT_EQ(TextsReadBack(path), texts);
    std::unique_ptr<Workbook> book = OpenWorkbook(path);
    EXPECT_EQ(book->WorksheetAt(1).Cell(2, 1).text, "表_x0031_");
}

TEST(RunReport, AnEmptyMessageIsAnEmptyRow) {
    ScratchFolder folder;
    const std::vector<RunMessage> messages = {RunMessage(Q("前")), RunMessage(Q("")), RunMessage(Q(""))};
    WriteRunReport(Q(folder.File("empty.csv")), messages);
    EXPECT_EQ(ReadFileBytes(folder.File("empty.csv")), "\xEF\xBB\xBF工作表,行,消息\r\n,,前\r\n,,\r\n,,\r\n");
    WriteRunReport(Q(folder.File("empty.xlsx")), messages);
    EXPECT_EQ(TextsReadBack(folder.File("empty.xlsx")), std::vector<std::string>{"前"});
}

TEST(RunReport, XlsxCutsAMessageLongerThanACellHoldsAndSaysSo) {
    ScratchFolder folder;
    const std::string path = folder.File("long.xlsx");
    const std::string fits(32767, 'a');
    // Every underscore escaped takes seven characters in the file: the cut counts them too.
    std::string escapes;
    for (int i = 0; i < 6000; ++i)
        escapes += "_x0041_";
    WriteRunReport(Q(path), {RunMessage(Q(fits)), RunMessage(Q(std::string(40000, 'b'))),
                             RunMessage(QString(40000, u'长')), RunMessage(Q(escapes))});
    std::vector<std::string> read = TextsReadBack(path);
    ASSERT_EQ(read.size(), 4u);
    EXPECT_EQ(read[0], fits);
    for (std::size_t i = 1; i < read.size(); ++i) {
        QString text = Q(read[i]);
        EXPECT_LE(text.size(), 32767);
        EXPECT_GT(text.size(), 4000);
        EXPECT_TRUE(text.endsWith(u"个字符未写入）")) << read[i].substr(read[i].size() - 200);
    }
    // The text is cut where the note fills the cell to its last character.
    std::size_t kept = read[1].find_first_not_of('b');
    EXPECT_EQ(read[1].substr(kept), "……（消息过长，其余 " + std::to_string(40000 - kept) + " 个字符未写入）");
    EXPECT_EQ(Q(read[1]).size(), 32767);
    EXPECT_TRUE(read[3].starts_with("_x0041__x0041_"));
}

TEST(RunReport, AnUnknownExtensionIsRefusedAndNothingIsWritten) {
    ScratchFolder folder;
    for (const char* name : {"report.txt", "report.xls", "report"}) {
        const std::string path = folder.File(name);
        EXPECT_EQ(RunErrorText([&] { WriteRunReport(Q(path), SmallRun()); }),
                  ReportError(path, "报告只能写成 .csv 或 .xlsx 文件"));
    }
    EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{});
}

TEST(RunReport, AMissingFolderOrAFolderAtThePathIsRefused) {
    ScratchFolder folder;
    const std::string inMissing = folder.File("missing/report.csv");
    EXPECT_EQ(RunErrorText([&] { WriteRunReport(Q(inMissing), SmallRun()); }),
              ReportError(inMissing, "文件夹“" + folder.File("missing") + "”不存在"));

    fs::create_directory(folder.File("report.xlsx"));
    const std::string isFolder = folder.File("report.xlsx");
    EXPECT_EQ(RunErrorText([&] { WriteRunReport(Q(isFolder), SmallRun()); }),
              ReportError(isFolder, "这是一个文件夹，不是文件"));

    WriteFileBytes(folder.File("file"), "a file");
    const std::string underFile = folder.File("file/report.csv");
    EXPECT_EQ(RunErrorText([&] { WriteRunReport(Q(underFile), SmallRun()); }),
              ReportError(underFile, "“" + folder.File("file") + "”不是文件夹"));
    EXPECT_EQ(test::FileNames(folder.Path()), (std::vector<std::string>{"file", "report.xlsx"}));
    EXPECT_TRUE(fs::is_empty(folder.File("report.xlsx")));
}

TEST(RunReport, AReadOnlyReportIsNotReplaced) {
    ScratchFolder folder;
    const std::string path = folder.File("report.csv");
    WriteFileBytes(path, "old report");
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    std::string error = RunErrorText([&] { WriteRunReport(Q(path), SmallRun()); });
    EXPECT_TRUE(error.starts_with(ReportError(path, "文件是只读的"))) << error;
    EXPECT_EQ(ReadFileBytes(path), "old report");
    EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{"report.csv"});
}

} // namespace
} // namespace hz
