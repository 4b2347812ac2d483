#include "engine/workbook/edit/worksheet_writer.h"

#include "engine/workbook/edit/worksheet_append.h"

#include "engine/workbook/workbook_error.h"
#include "tests/support/raw_package.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace hz {
namespace {

using Type = CellEdit::Type;

// A worksheet part around the sheetData content, as producers write it.
std::string Sheet(const std::string& sheetData) {
    return test::SheetXml(sheetData);
}

CellEdit Edit(int row, int column, Type type, std::string value, std::uint32_t style = 0) {
    return CellEdit{row, column, type, std::move(value), style};
}

struct WriteCase {
    const char* name;
    std::string sheetData;
    std::vector<CellEdit> edits;
    std::string expected;
    bool formulaRemoved = false;
};

void PrintTo(const WriteCase& c, std::ostream* out) {
    *out << c.name;
}

class WorksheetWriterCases : public testing::TestWithParam<WriteCase> {};

TEST_P(WorksheetWriterCases, WritesTheEditedPart) {
    const WriteCase& c = GetParam();
    EditedWorksheet edited = ApplyCellEdits(Sheet(c.sheetData), c.edits);
    EXPECT_EQ(edited.xml, Sheet(c.expected));
    EXPECT_EQ(edited.formulaRemoved, c.formulaRemoved);
}

const std::string kRow1 = R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" s="2"><v>5</v></c></row>)";

INSTANTIATE_TEST_SUITE_P(
    Edits, WorksheetWriterCases,
    testing::Values(
        WriteCase{"NewRowBelowTheData",
                  kRow1,
                  {Edit(4, 2, Type::InlineString, "Error:")},
                  kRow1 + R"(<row r="4"><c r="B4" t="inlineStr"><is><t>Error:</t></is></c></row>)"},
        // Rows and cells that the reader takes in any order are put in order, every cell kept; of two at one
        // place the later stands, as it does when read.
        WriteCase{"RowsOutOfOrderSorted",
                  R"(<row r="3"><c r="A3"><v>3</v></c></row><row r="2"><c r="A2"><v>2</v></c></row>)",
                  {Edit(5, 1, Type::Number, "5")},
                  R"(<row r="2"><c r="A2"><v>2</v></c></row><row r="3"><c r="A3"><v>3</v></c></row>)"
                  R"(<row r="5"><c r="A5"><v>5</v></c></row>)"},
        WriteCase{"RowWithoutNumberKeepsItsPlaceWhenSorted",
                  R"(<row r="8"/><row r="2"/><row><c><v>3</v></c></row>)",
                  {Edit(1, 1, Type::Number, "1")},
                  R"(<row r="1"><c r="A1"><v>1</v></c></row><row r="2"/><row r="3"><c><v>3</v></c></row>)"
                  R"(<row r="8"/>)"},
        WriteCase{"RepeatedRowMerged",
                  R"(<row r="2" ht="20"><c r="A2"><v>1</v></c><c r="C2"><v>3</v></c></row><row r="1"/>)"
                  R"(<row r="2"><c r="A2"><v>9</v></c><c r="B2"><v>2</v></c></row>)",
                  {Edit(4, 1, Type::Number, "4")},
                  R"(<row r="1"/><row r="2" ht="20"><c r="A2"><v>9</v></c><c r="B2"><v>2</v></c>)"
                  R"(<c r="C2"><v>3</v></c></row><row r="4"><c r="A4"><v>4</v></c></row>)"},
        WriteCase{"CellsOutOfOrderSorted",
                  R"(<row r="3"><c r="C3"><v>3</v></c><c r="B3"><v>2</v></c></row>)",
                  {Edit(3, 1, Type::Number, "1")},
                  R"(<row r="3"><c r="A3"><v>1</v></c><c r="B3"><v>2</v></c><c r="C3"><v>3</v></c></row>)"},
        WriteCase{"RepeatedCellLaterStands",
                  R"(<row r="3"><c r="B3"><v>1</v></c><c r="B3"><v>2</v></c></row>)",
                  {Edit(3, 1, Type::Number, "1")},
                  R"(<row r="3"><c r="A3"><v>1</v></c><c r="B3"><v>2</v></c></row>)"},
        WriteCase{"RowBetweenRows",
                  R"(<row r="1"/><row r="5"/>)",
                  {Edit(3, 1, Type::Number, "2")},
                  R"(<row r="1"/><row r="3"><c r="A3"><v>2</v></c></row><row r="5"/>)"},
        WriteCase{"FirstRowBeforeOthers",
                  R"(<row r="5"/>)",
                  {Edit(2, 1, Type::Number, "2")},
                  R"(<row r="2"><c r="A2"><v>2</v></c></row><row r="5"/>)"},
        WriteCase{
            "IntoEmptySheetData", "", {Edit(1, 1, Type::Number, "1")}, R"(<row r="1"><c r="A1"><v>1</v></c></row>)"},
        WriteCase{"CellBetweenCellsWithStyle",
                  R"(<row r="1"><c r="A1"><v>1</v></c><c r="C1"><v>3</v></c></row>)",
                  {Edit(1, 2, Type::Number, "2.5", 7)},
                  R"(<row r="1"><c r="A1"><v>1</v></c><c r="B1" s="7"><v>2.5</v></c><c r="C1"><v>3</v></c></row>)"},
        WriteCase{"CellBeforeFirstCell",
                  R"(<row r="1"><c r="C1"><v>3</v></c></row>)",
                  {Edit(1, 1, Type::Boolean, "1")},
                  R"(<row r="1"><c r="A1" t="b"><v>1</v></c><c r="C1"><v>3</v></c></row>)"},
        WriteCase{"EachValueType",
                  "",
                  {Edit(1, 1, Type::SharedString, "3", 1), Edit(1, 2, Type::Boolean, "0"),
                   Edit(1, 3, Type::Error, "#N/A"), Edit(1, 4, Type::Blank, "", 4), Edit(1, 5, Type::Blank, "")},
                  R"(<row r="1"><c r="A1" s="1" t="s"><v>3</v></c><c r="B1" t="b"><v>0</v></c>)"
                  R"(<c r="C1" t="e"><v>#N/A</v></c><c r="D1" s="4"/><c r="E1"/></row>)"},
        WriteCase{"OverwriteKeepsOtherAttributesAndDropsOldValue",
                  R"(<row r="1"><c r="A1" s="3" t="str" cm="1" vm="2" ph="1"><f>B1&amp;"x"</f><v>x</v></c></row>)",
                  {Edit(1, 1, Type::Number, "5")},
                  R"(<row r="1"><c r="A1" ph="1"><v>5</v></c></row>)",
                  true},
        WriteCase{"OverwriteInlineStringWithBlank",
                  R"(<row r="1"><c r="A1" t="inlineStr" s="2"><is><t>old</t></is></c></row>)",
                  {Edit(1, 1, Type::Blank, "", 9)},
                  R"(<row r="1"><c r="A1" s="9"/></row>)"},
        WriteCase{"OverwriteSharedFormulaMemberIsAllowed",
                  R"(<row r="2"><c r="A2"><f t="shared" si="0"/><v>4</v></c></row>)",
                  {Edit(2, 1, Type::Number, "1")},
                  R"(<row r="2"><c r="A2"><v>1</v></c></row>)",
                  true},
        WriteCase{"ValueBeforeTheCellsExtLst",
                  R"(<row r="1"><c r="A1"><v>1</v><extLst><ext uri="u"/></extLst></c></row>)",
                  {Edit(1, 1, Type::Number, "2")},
                  R"(<row r="1"><c r="A1"><v>2</v><extLst><ext uri="u"/></extLst></c></row>)"},
        WriteCase{"LaterEditOfTheSameCellWins",
                  "",
                  {Edit(3, 3, Type::InlineString, "first", 2), Edit(3, 3, Type::Number, "9")},
                  R"(<row r="3"><c r="C3"><v>9</v></c></row>)"},
        WriteCase{"InlineTextEscapes",
                  "",
                  {Edit(1, 1, Type::InlineString, " a<b & \"c\" "), Edit(1, 2, Type::InlineString, "x\ry\x01_x0041_"),
                   Edit(1, 3, Type::InlineString, "l1\nl2"), Edit(1, 4, Type::InlineString, "汇总")},
                  R"(<row r="1"><c r="A1" t="inlineStr"><is><t xml:space="preserve"> a&lt;b &amp; "c" </t></is></c>)"
                  R"(<c r="B1" t="inlineStr"><is><t>x_x000D_y_x0001__x005F_x0041_</t></is></c>)"
                  "<c r=\"C1\" t=\"inlineStr\"><is><t xml:space=\"preserve\">l1\nl2</t></is></c>"
                  R"(<c r="D1" t="inlineStr"><is><t>汇总</t></is></c></row>)"},
        WriteCase{"ImplicitPositionsAreWrittenOutWhereSomethingIsInserted",
                  R"(<row><c><v>1</v></c><c><v>2</v></c></row><row><c><v>3</v></c><c r="D2"><v>4</v></c></row><row/>)",
                  {Edit(2, 3, Type::Number, "9"), Edit(5, 1, Type::Number, "5")},
                  R"(<row r="1"><c><v>1</v></c><c><v>2</v></c></row>)"
                  R"(<row r="2"><c r="A2"><v>3</v></c><c r="C2"><v>9</v></c><c r="D2"><v>4</v></c></row>)"
                  R"(<row r="3"/><row r="5"><c r="A5"><v>5</v></c></row>)"},
        WriteCase{"RowAttributesKeptAndStaleSpansDropped",
                  R"(<row r="1" spans="1:2" ht="20" customHeight="1"><c r="A1"/></row>)"
                  R"(<row r="2" spans="1:5" s="3" customFormat="1"><c r="A2"/></row>)",
                  {Edit(1, 5, Type::Number, "1"), Edit(2, 3, Type::Number, "1")},
                  R"(<row r="1" ht="20" customHeight="1"><c r="A1"/><c r="E1"><v>1</v></c></row>)"
                  R"(<row r="2" spans="1:5" s="3" customFormat="1"><c r="A2"/><c r="C2"><v>1</v></c></row>)"},
        WriteCase{"WhitespaceCommentsAndEntitiesKept",
                  "\r\n  <!-- rows -->\r\n  <row r=\"1\"><c r=\"A1\" "
                  "t=\"inlineStr\"><is><t>a&#13;&#10;b&amp;</t></is></c></row>\r\n",
                  {Edit(2, 1, Type::Number, "1")},
                  "\r\n  <!-- rows -->\r\n  <row r=\"1\"><c r=\"A1\" "
                  "t=\"inlineStr\"><is><t>a&#13;&#10;b&amp;</t></is></c></row>"
                  "<row r=\"2\"><c r=\"A2\"><v>1</v></c></row>\r\n"}),
    [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

TEST(WorksheetWriter, WidensTheDimension) {
    struct Case {
        std::string before;
        CellEdit edit;
        std::string after;
    } cases[] = {
        {"A1:C3", Edit(10, 5, Type::Number, "1"), "A1:E10"}, {"B2:C3", Edit(1, 1, Type::Number, "1"), "A1:C3"},
        {"A1", Edit(1, 1, Type::Number, "1"), "A1"},         {"A1", Edit(2, 24, Type::Number, "1"), "A1:X2"},
        {"B2:C3", Edit(3, 2, Type::Number, "1"), "B2:C3"},   {"garbage", Edit(9, 9, Type::Number, "1"), "garbage"},
    };
    for (const Case& c : cases) {
        std::string xml = "<worksheet xmlns=\"m\"><dimension ref=\"" + c.before + "\"/><sheetData/></worksheet>";
        std::string edited = ApplyCellEdits(xml, {c.edit}).xml;
        EXPECT_NE(edited.find("<dimension ref=\"" + c.after + "\"/>"), std::string::npos)
            << c.before << " -> " << edited;
    }
}

TEST(WorksheetWriter, NewElementsTakeThePrefixOfTheWorksheetNamespace) {
    std::string xml =
        "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<x:sheetData><x:row r=\"1\"><x:c r=\"A1\"><x:v>1</x:v></x:c></x:row></x:sheetData></x:worksheet>";
    EXPECT_EQ(ApplyCellEdits(xml, {Edit(1, 1, Type::InlineString, "t"), Edit(2, 2, Type::Number, "2")}).xml,
              "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><x:sheetData>"
              "<x:row r=\"1\"><x:c r=\"A1\" t=\"inlineStr\"><x:is><x:t>t</x:t></x:is></x:c></x:row>"
              "<x:row r=\"2\"><x:c r=\"B2\"><x:v>2</x:v></x:c></x:row></x:sheetData></x:worksheet>");
}

TEST(WorksheetWriter, KeepsByteOrderMarkDeclarationAndLineBreaks) {
    std::string xml =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<?mso-application progid=\"Excel.Sheet\"?>\r\n<worksheet xmlns=\"m\" a='q\"q'><sheetData/></worksheet>";
    EXPECT_EQ(ApplyCellEdits(xml, {Edit(1, 1, Type::Number, "1")}).xml,
              "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
              "<?mso-application progid=\"Excel.Sheet\"?>\r\n<worksheet xmlns=\"m\" a=\"q&quot;q\"><sheetData>"
              "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData></worksheet>");
}

TEST(WorksheetWriter, WritesBackInUtf16WhenThePartIsUtf16) {
    auto Utf16 = [](const std::string& ascii) {
        std::string wide = "\xFF\xFE";
        for (char c : ascii)
            wide += std::string{c, '\0'};
        return wide;
    };
    std::string before = "<?xml version=\"1.0\" encoding=\"UTF-16\"?><worksheet xmlns=\"m\"><sheetData/></worksheet>";
    std::string after = "<?xml version=\"1.0\" encoding=\"UTF-16\"?><worksheet xmlns=\"m\"><sheetData>"
                        "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData></worksheet>";
    EXPECT_EQ(ApplyCellEdits(Utf16(before), {Edit(1, 1, Type::Number, "1")}).xml, Utf16(after));
}

std::string Repeat(const std::string& text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i)
        repeated += text;
    return repeated;
}

TEST(WorksheetWriter, RefusesPartsItCannotEditSafely) {
    struct Case {
        const char* name;
        std::string xml;
        CellEdit edit;
        std::string message;
    } cases[] = {
        {"Malformed", "<worksheet><sheetData></worksheet>", Edit(1, 1, Type::Number, "1"),
         "不是格式正确的 XML（第 24 字节附近）"},
        {"Doctype", "<!DOCTYPE w [<!ENTITY x \"y\">]><worksheet><sheetData/></worksheet>",
         Edit(1, 1, Type::Number, "1"), "XML 含有文档类型声明（DOCTYPE），不予处理"},
        {"TooDeep", "<worksheet>" + Repeat("<a>", 300) + Repeat("</a>", 300) + "<sheetData/></worksheet>",
         Edit(1, 1, Type::Number, "1"), "XML 元素嵌套超过 256 层"},
        {"TwoRoots", "<worksheet><sheetData/></worksheet><worksheet/>", Edit(1, 1, Type::Number, "1"),
         "不是格式正确的 XML（须有且只有一个根元素）"},
        {"NotAWorksheet", "<chartsheet/>", Edit(1, 1, Type::Number, "1"), "根元素是 chartsheet，不是 worksheet"},
        {"NoSheetData", "<worksheet/>", Edit(1, 1, Type::Number, "1"), "工作表缺少 sheetData 元素"},
        {"BadRowNumber", Sheet(R"(<row r="x1"/>)"), Edit(1, 1, Type::Number, "1"), "行号“x1”无效"},
        {"CellInTheWrongRow", Sheet(R"(<row r="3"><c r="B4"/></row>)"), Edit(3, 1, Type::Number, "1"),
         "单元格 B4 位于第 3 行的 row 元素中"},
        {"BadCellReference", Sheet(R"(<row r="3"><c r="3C"/></row>)"), Edit(3, 1, Type::Number, "1"),
         "第 3 行中单元格引用“3C”无效"},
        {"SharedFormulaAnchor", Sheet(R"(<row r="2"><c r="A2"><f t="shared" ref="A2:A9" si="0">B2*2</f></c></row>)"),
         Edit(2, 1, Type::Number, "1"), "单元格 A2 是共享公式的首个单元格，覆盖它会破坏其他单元格的公式"},
    };
    for (const Case& c : cases) {
        try {
            ApplyCellEdits(c.xml, {c.edit});
            ADD_FAILURE() << c.name << ": no error";
        } catch (const WorkbookError& error) {
            EXPECT_EQ(std::string(error.what()), c.message) << c.name;
        }
    }
}

TEST(WorksheetWriter, RowsOfAnotherPositionAreNotCheckedUntilTouched) {
    // Cells of rows the edits do not reach are left as they are, whatever they hold.
    std::string xml = Sheet(R"(<row r="1"><c r="ZZZZ1"/></row>)");
    EXPECT_EQ(ApplyCellEdits(xml, {Edit(2, 1, Type::Number, "1")}).xml,
              Sheet(R"(<row r="1"><c r="ZZZZ1"/></row><row r="2"><c r="A2"><v>1</v></c></row>)"));
}

TEST(WorksheetWriter, AnEditOutsideTheSheetIsAProgrammingError) {
    EXPECT_THROW(ApplyCellEdits(Sheet(""), {Edit(0, 1, Type::Number, "1")}), std::invalid_argument);
    EXPECT_THROW(ApplyCellEdits(Sheet(""), {Edit(1, 16385, Type::Number, "1")}), std::invalid_argument);
}

// Edits below the last row are spliced into the bytes as they are, without a tree; anything else is left to the
// tree, which also reports what is wrong with the part.
TEST(WorksheetWriter, AppendsBelowTheDataWithoutATreeOnlyWhereThatIsSafe) {
    const std::string row1 = R"(<row r="1"><c r="A1"><v>1</v></c></row>)";
    const struct {
        const char* name;
        std::string xml;
        std::vector<CellEdit> edits;
        std::optional<std::string> expected;
    } cases[] = {
        {"RowsInOrderOfRowAndColumnLaterEditWins",
         Sheet(row1),
         {Edit(7, 2, Type::Number, "2"), Edit(5, 3, Type::InlineString, " a&b ", 4), Edit(5, 1, Type::Blank, "", 3),
          Edit(7, 2, Type::Boolean, "1")},
         Sheet(row1 + R"(<row r="5"><c r="A5" s="3"/><c r="C5" s="4" t="inlineStr"><is>)"
                      R"(<t xml:space="preserve"> a&amp;b </t></is></c></row>)"
                      R"(<row r="7"><c r="B7" t="b"><v>1</v></c></row>)")},
        {"UntouchedBytesKeptAndDimensionWidenedInPlace",
         "<worksheet xmlns='m' a='q\"q'><dimension ref='A1:B1'/><!-- c -->\n<sheetData>" + row1 +
             "\n</sheetData><extLst/></worksheet>",
         {Edit(3, 4, Type::Error, "#N/A")},
         "<worksheet xmlns='m' a='q\"q'><dimension ref='A1:D3'/><!-- c -->\n<sheetData>" + row1 +
             R"(<row r="3"><c r="D3" t="e"><v>#N/A</v></c></row>)"
             "\n</sheetData><extLst/></worksheet>"},
        {"PrefixedNames",
         "<x:worksheet xmlns:x=\"m\"><x:sheetData><x:row r=\"2\"/></x:sheetData></x:worksheet>",
         {Edit(4, 1, Type::SharedString, "0")},
         "<x:worksheet xmlns:x=\"m\"><x:sheetData><x:row r=\"2\"/>"
         "<x:row r=\"4\"><x:c r=\"A4\" t=\"s\"><x:v>0</x:v></x:c></x:row></x:sheetData></x:worksheet>"},
        {"EditAmongTheRows", Sheet(R"(<row r="1"/><row r="5"/>)"), {Edit(3, 1, Type::Number, "2")}, std::nullopt},
        {"EditOnTheLastRow", Sheet(row1), {Edit(1, 2, Type::Number, "2")}, std::nullopt},
        {"NoRows", Sheet(""), {Edit(1, 1, Type::Number, "1")}, std::nullopt},
        {"RowWithoutNumber", Sheet("<row/>"), {Edit(5, 1, Type::Number, "1")}, std::nullopt},
        {"RowsOutOfOrder", Sheet(R"(<row r="3"/><row r="2"/>)"), {Edit(5, 1, Type::Number, "1")}, std::nullopt},
        {"DamagedAfterTheRows",
         Sheet(row1).substr(0, Sheet(row1).size() - 3),
         {Edit(5, 1, Type::Number, "1")},
         std::nullopt},
        {"NotAWorksheet",
         "<chartsheet><sheetData><row r=\"1\"/></sheetData></chartsheet>",
         {Edit(5, 1, Type::Number, "1")},
         std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AppendRowsBelowData(c.xml, c.edits), c.expected) << c.name;
        // Whichever way it goes, the edit as a whole is the one the tree makes.
        if (c.expected) {
            EXPECT_EQ(ApplyCellEdits(c.xml, c.edits).xml, *c.expected) << c.name;
        }
    }
}

} // namespace
} // namespace hz
