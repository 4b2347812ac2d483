#include "engine/workbook/xlsx/cells/shared_strings.h"

#include "engine/workbook/workbook_error.h"
#include "tests/support/scratch_folder.h"
#include "tests/workbook/chunked_source.h"
#include "tests/workbook/package_part.h"

#include <gtest/gtest.h>
#include <xlsxwriter.h>

namespace hz {
namespace {

const char* const kPath = "book.xlsx";
const char* const kPart = "xl/sharedStrings.xml";

std::vector<std::string> ReadAll(const std::string& xml, std::size_t chunkSize = XmlScanner::kDefaultChunkSize) {
    test::ChunkedByteSource source(xml, 1);
    SharedStrings strings = ReadSharedStrings(source, kPath, kPart, chunkSize);
    std::vector<std::string> all;
    for (std::size_t i = 0; i < strings.Size(); ++i)
        all.emplace_back(strings.At(i));
    return all;
}

std::string Sst(const std::string& items) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"999999999999\" "
           "uniqueCount=\"4000000000\">" +
           items + "</sst>";
}

TEST(SharedStringsTest, ItemsGiveTheirPlainTextWhereverTheChunksEnd) {
    std::string xml = Sst("<si><t>plain</t></si>"
                          "<si><t xml:space=\"preserve\">  spaced\n </t></si>"
                          "<si><t/></si>"
                          "<si><r><rPr><b/><sz val=\"11\"/></rPr><t>Bold</t></r><r><t xml:space=\"preserve\"> "
                          "and &amp; more</t></r></si>"
                          "<si><t>東京</t><rPh sb=\"0\" eb=\"2\"><t>トウキョウ</t></rPh><phoneticPr fontId=\"1\"/></si>"
                          "<si><t>a_x000D__x000A_b_x005F_x0041_</t></si>"
                          "<si>\n  <t>around whitespace</t>\n</si>"
                          "<si></si>");
    std::vector<std::string> expected = {"plain",         "  spaced\n ",       "", "Bold and & more", "東京",
                                         "a\r\nb_x0041_", "around whitespace", ""};
    EXPECT_EQ(ReadAll(xml), expected);
    for (std::size_t chunkSize = 1; chunkSize <= xml.size(); ++chunkSize)
        ASSERT_EQ(ReadAll(xml, chunkSize), expected) << "chunk size " << chunkSize;
}

TEST(SharedStringsTest, AbsurdCountsAreIgnoredAndAnEmptyTableIsFine) {
    EXPECT_TRUE(ReadAll(Sst("")).empty());
    EXPECT_EQ(ReadAll("<sst count='-1' uniqueCount='x'><si><t>only</t></si><extLst/></sst>"),
              std::vector<std::string>{"only"});
}

TEST(SharedStringsTest, DamagedPartsAreReported) {
    auto errorOf = [](const std::string& xml) -> std::string {
        try {
            ReadAll(xml);
        } catch (const WorkbookError& error) {
            return error.what();
        }
        return "no error";
    };
    const std::string prefix = "无法读取工作簿“book.xlsx”：部件 xl/sharedStrings.xml ";
    EXPECT_EQ(errorOf("<worksheet/>"), prefix + "有误：根元素是 <worksheet>，不是共享字符串表");
    EXPECT_EQ(errorOf("<sst><si><t>a&nbsp;b</t></si></sst>"),
              prefix + "的 XML 有误（第 12 字节处）：无法识别的实体引用 &nbsp;");
    EXPECT_EQ(errorOf("<sst><si><t>a</si></sst>"),
              prefix + "的 XML 有误（第 13 字节处）：结束标记 </si> 与开始标记 <t> 不匹配");
}

// Written by libxlsxwriter, which decides on its own how to write the texts (it escapes control characters
// as _xHHHH_, though not a literal "_x000D_" as Excel would).
TEST(SharedStringsTest, TableWrittenByAnotherProducerReadsBack) {
    test::ScratchFolder folder;
    std::string path = folder.File("strings.xlsx");
    const std::vector<std::string> texts = {"plain", " spaced ", "tab\there", "cr\r\nlf", "中文 ", "&<>\"'"};
    lxw_workbook* workbook = workbook_new(path.c_str());
    lxw_worksheet* worksheet = workbook_add_worksheet(workbook, nullptr);
    for (std::size_t i = 0; i < texts.size(); ++i)
        worksheet_write_string(worksheet, static_cast<lxw_row_t>(i), 0, texts[i].c_str(), nullptr);
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    lxw_rich_string_tuple first = {bold, const_cast<char*>("Bold")};
    lxw_rich_string_tuple second = {nullptr, const_cast<char*>(" normal")};
    lxw_rich_string_tuple* rich[] = {&first, &second, nullptr};
    worksheet_write_rich_string(worksheet, static_cast<lxw_row_t>(texts.size()), 0, rich, nullptr);
    ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR);

    std::vector<std::string> expected = texts;
    expected.push_back("Bold normal");
    EXPECT_EQ(ReadAll(test::ReadPackagePart(path, "xl/sharedStrings.xml")), expected);
}

} // namespace
} // namespace hz
