#include "tests/support/master_kind_fixture.h"
#include "tests/support/run_error_text.h"

namespace hz {
namespace {

using namespace std::string_literals;
using test::CellInput;
using test::Execute;
using test::ImportFixture;
using test::MasterKindCase;
using test::MasterKindTest;
using test::RunErrorText;
using test::TypedSheet;
using Fields = std::map<std::string, std::string>;
using Texts = std::vector<std::string>;

const std::string kHeader = "header";

// The department and the unit group that persons and units of the shared cases refer to.
void AddReferences(Connection& con) {
    Execute(con, QStringLiteral("Insert Into Department (cDepCode, cDepName, iDepGrade, bDepEnd) "
                                "Values ('D0', '财务部', 1, 1)"));
    Execute(con, QStringLiteral("Insert Into ComputationGroup (cGroupCode, cGroupName, iGroupType) "
                                "Values ('G0', '箱组', 1)"));
}

const MasterKindCase kDepartment{"部门", QStringLiteral("Department"), QStringLiteral("cDepCode"),
                                 [](const std::string& code, const std::string& name) -> std::vector<CellInput> {
                                     return {{},     code,      name, {},     {},   "研发"s,
                                             "555"s, "北京路"s, {},   1000.0, "A"s, 30.0};
                                 }};
const MasterKindCase kPerson{"员工", QStringLiteral("Person"), QStringLiteral("cPersonCode"),
                             [](const std::string& code, const std::string& name) -> std::vector<CellInput> {
                                 return {{}, code, name, "财务部"s, "正式"s, "a@b.cn"s, "138"s, 500.0, 10.0, "B"s};
                             }};
const MasterKindCase kUnitGroup{"计量单位组", QStringLiteral("ComputationGroup"), QStringLiteral("cGroupCode"),
                                [](const std::string& code, const std::string& name) -> std::vector<CellInput> {
                                    return {code, name, "固定换算"s};
                                }};
const MasterKindCase kUnit{"计量单位", QStringLiteral("ComputationUnit"), QStringLiteral("cComunitCode"),
                           [](const std::string& code, const std::string& name) -> std::vector<CellInput> {
                               return {{}, code, name, "G0"s, "箱组"s, {}, "690"s, "True"s, 12.0};
                           }};

class OrganisationKindTest : public MasterKindTest {
protected:
    void SetUp() override { AddReferences(Con()); }
};

TEST_P(OrganisationKindTest, RepeatedCodeStopsThenResumes) {
    ExpectRepeatedCodeStopsThenResumes();
}

TEST_P(OrganisationKindTest, RefusedRowIsSkipped) {
    ExpectRefusedRowIsSkipped();
}

INSTANTIATE_TEST_SUITE_P(Kinds, OrganisationKindTest, ::testing::Values(kDepartment, kPerson, kUnitGroup, kUnit));

class OrganisationSheetsTest : public ImportFixture {
protected:
    void SetUp() override { AddReferences(Con()); }

    // Imports kind's sheet of a valid row and then failing, on an emptied table: the run stops at the failing row
    // with message, and only the valid row is written.
    void ExpectSecondRowStopsTheRun(const MasterKindCase& kind, const std::vector<CellInput>& failing,
                                    const std::string& message) {
        SCOPED_TRACE(message);
        Execute(Con(), "Delete From " + kind.table);
        observer.events.clear();
        const TypedSheet sheet{kind.caption, {{kHeader}, kind.row("A1", "名A1"), failing}};
        EXPECT_EQ(Import({sheet}, Texts{kind.caption}), RunOutcome::Aborted);
        EXPECT_EQ(Messages(), (Texts{message, "中止导入！"}));
        EXPECT_EQ(StartRowBox(kind.caption), "3");
        EXPECT_EQ(Count(kind.table), 1);
    }
};

// Codes, names and texts are taken as read; D, E and I are not imported; grade and end flag are constants.
TEST_F(OrganisationSheetsTest, DepartmentWritesEveryFieldAsRead) {
    const TypedSheet sheet{
        "部门",
        {{kHeader},
         {"A"s, "0101001"s, " 人事部 "s, "D"s, "E"s, "职能"s, " 555-1234 "s, "北京路 1 号"s, "I"s, 5000.5, "AA"s, 30.5},
         {{}, " 02"s, "销售部"s, {}, {}, {}, {}, {}, {}, {}, {}, 31.5}}};
    EXPECT_EQ(Import({sheet}, {"部门"}), RunOutcome::Completed);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    EXPECT_EQ(TypedRow(QStringLiteral("Department"), QStringLiteral("cDepCode"), QStringLiteral("0101001")),
              (Fields{{"cDepCode", "text '0101001'"},
                      {"cDepName", "text ' 人事部 '"},
                      {"iDepGrade", "int 1"},
                      {"bDepEnd", "int 1"},
                      {"cDepProp", "text '职能'"},
                      {"cDepPhone", "text ' 555-1234 '"},
                      {"cDepAddress", "text '北京路 1 号'"},
                      {"iCreLine", "real 5000.5"},
                      {"cCreGrade", "text 'AA'"},
                      {"iCreDate", "int 30"}}));
    EXPECT_EQ(TypedRow(QStringLiteral("Department"), QStringLiteral("cDepCode"), QStringLiteral(" 02")),
              (Fields{{"cDepCode", "text ' 02'"},
                      {"cDepName", "text '销售部'"},
                      {"iDepGrade", "int 1"},
                      {"bDepEnd", "int 1"},
                      {"cDepProp", "text ''"},
                      {"cDepPhone", "text ''"},
                      {"cDepAddress", "text ''"},
                      {"iCreLine", "real 0"},
                      {"cCreGrade", "text ''"},
                      {"iCreDate", "int 32"}}));
}

// Each department is committed as it is read, so a person on a later sheet of the same run finds it.
TEST_F(OrganisationSheetsTest, PersonTakesTheCodeOfADepartmentImportedEarlierInTheRun) {
    const TypedSheet departments{"部门", {{kHeader}, {{}, "D1"s, "人事部"s}}};
    const TypedSheet persons{
        "员工", {{kHeader}, {{}, "P1"s, "张三"s, "人事部"s, "正式"s, "zs@example.cn"s, " 139 "s, 8000.25, 2.5, "B"s}}};
    EXPECT_EQ(Import({departments, persons}, Texts{"部门", "员工"}), RunOutcome::Completed);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    EXPECT_EQ(TypedRow(QStringLiteral("Person"), QStringLiteral("cPersonCode"), QStringLiteral("P1")),
              (Fields{{"cPersonCode", "text 'P1'"},
                      {"cPersonName", "text '张三'"},
                      {"cDepCode", "text 'D1'"},
                      {"cPersonProp", "text '正式'"},
                      {"cPersonEmail", "text 'zs@example.cn'"},
                      {"cPersonPhone", "text ' 139 '"},
                      {"fCreditQuantity", "real 8000.25"},
                      {"iCreDate", "int 2"},
                      {"cCreGrade", "text 'B'"}}));
}

TEST_F(OrganisationSheetsTest, PersonWithoutAKnownDepartmentStopsTheRun) {
    for (const auto& [department, message] : std::vector<std::pair<CellInput, std::string>>{
             {{}, "第 3 行部门名称不能为空！"}, {"人事部"s, "员工第 3 行人事部没维护！"}}) {
        std::vector<CellInput> failing = kPerson.row("A2", "名A2");
        failing[3] = department;
        ExpectSecondRowStopsTheRun(kPerson, failing, message);
    }
}

// The kind is trimmed and compared exactly; an unknown kind is written as no conversion. Code and name are not
// trimmed.
TEST_F(OrganisationSheetsTest, UnitGroupMapsItsTrimmedConversionKind) {
    struct Case {
        std::string code;
        CellInput kind;
        std::string type;
    };
    const std::vector<Case> cases = {
        {"G1", "无换算"s, "int 0"},
        {"G2", " 固定换算 "s, "int 1"},
        {"G3", "浮动换算\t"s, "int 2"},
        {"G4", "固定"s, "int 0"},
        {"G5", {}, "int 0"},
    };
    TypedSheet sheet{"计量单位组", {{kHeader}}};
    for (const Case& c : cases) {
        sheet.rows.push_back({c.code, " 组" + c.code, c.kind});
    }
    sheet.rows.push_back({" G6"s, "组G6"s, "浮动换算"s});
    EXPECT_EQ(Import({sheet}, {"计量单位组"}), RunOutcome::Completed);
    for (const Case& c : cases) {
        EXPECT_EQ(
            TypedRow(QStringLiteral("ComputationGroup"), QStringLiteral("cGroupCode"), QString::fromStdString(c.code)),
            (Fields{{"cGroupCode", "text '" + c.code + "'"},
                    {"cGroupName", "text ' 组" + c.code + "'"},
                    {"iGroupType", c.type}}));
    }
    EXPECT_EQ(TypedRow(QStringLiteral("ComputationGroup"), QStringLiteral("cGroupCode"), QStringLiteral(" G6")),
              (Fields{{"cGroupCode", "text ' G6'"}, {"cGroupName", "text '组G6'"}, {"iGroupType", "int 2"}}));
}

// Group code and name, bar code and main-unit mark are trimmed; only the text "True" marks the main unit.
TEST_F(OrganisationSheetsTest, UnitTrimsItsGroupBarCodeAndMainUnitMark) {
    const TypedSheet groups{"计量单位组", {{kHeader}, {"G1"s, "件组"s, "无换算"s}}};
    TypedSheet units{"计量单位",
                     {{kHeader}, {{}, "U1"s, " 个 "s, " G1 "s, " 件组\t"s, "F"s, " 690123 "s, "True"s, 2.5}}};
    struct Case {
        std::string code;
        CellInput mark;
        std::string mainUnit;
    };
    const std::vector<Case> cases = {
        {"U2", " True "s, "int 1"}, {"U3", "TRUE"s, "int 0"}, {"U4", "true"s, "int 0"}, {"U5", "1"s, "int 0"},
        {"U6", 1.0, "int 0"},       {"U7", true, "int 1"},    {"U8", false, "int 0"},   {"U9", {}, "int 0"},
    };
    for (const Case& c : cases) {
        units.rows.push_back({{}, c.code, "单位" + c.code, "G1"s, "件组"s, {}, {}, c.mark});
    }
    EXPECT_EQ(Import({groups, units}, Texts{"计量单位组", "计量单位"}), RunOutcome::Completed);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    EXPECT_EQ(TypedRow(QStringLiteral("ComputationUnit"), QStringLiteral("cComunitCode"), QStringLiteral("U1")),
              (Fields{{"cComunitCode", "text 'U1'"},
                      {"cComUnitName", "text ' 个 '"},
                      {"cGroupCode", "text 'G1'"},
                      {"cBarCode", "text '690123'"},
                      {"bMainUnit", "int 1"},
                      {"iChangRate", "real 2.5"}}));
    for (const Case& c : cases) {
        EXPECT_EQ(TypedRow(QStringLiteral("ComputationUnit"), QStringLiteral("cComunitCode"),
                           QString::fromStdString(c.code))["bMainUnit"],
                  c.mainUnit)
            << c.code;
    }
}

TEST_F(OrganisationSheetsTest, UnitWithoutItsGroupStopsTheRun) {
    struct Case {
        CellInput groupCode;
        std::string groupName;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"G9"s, "箱组", "计量单位 第 3 行单位组编码代码没维护！"},
        {{}, "箱组", "计量单位 第 3 行单位组编码代码没维护！"},
        {"G0"s, "盒组", "计量单位 第 3 行单位组编码代码对应的名称与汇账中不一致！"},
    };
    for (const Case& c : cases) {
        std::vector<CellInput> failing = kUnit.row("A2", "名A2");
        failing[3] = c.groupCode;
        failing[4] = c.groupName;
        ExpectSecondRowStopsTheRun(kUnit, failing, c.message);
    }
}

struct NumberColumn {
    const MasterKindCase* kind;
    int column;
    std::string text;
    std::string error;
};

void PrintTo(const NumberColumn& c, std::ostream* out) {
    *out << c.kind->caption << " column " << c.column;
}

class NumberColumnTest : public ImportFixture, public ::testing::WithParamInterface<NumberColumn> {
protected:
    void SetUp() override { AddReferences(Con()); }
};

// A conversion error is no row error: the run ends with its text; the rows before stay saved.
TEST_P(NumberColumnTest, TextThatIsNoNumberEndsTheRun) {
    const NumberColumn& c = GetParam();
    std::vector<CellInput> failing = c.kind->row("A2", "名A2");
    failing[c.column - 1] = c.text;
    const TypedSheet sheet{c.kind->caption, {{kHeader}, c.kind->row("A1", "名A1"), failing}};
    EXPECT_EQ(RunErrorText([&] { Import({sheet}, {c.kind->caption}); }), c.error);
    EXPECT_EQ(Messages(), Texts{});
    EXPECT_EQ(StartRowBox(c.kind->caption), "3");
    EXPECT_FALSE(Row(c.kind->table, c.kind->codeField, QStringLiteral("A1")).isEmpty());
    EXPECT_TRUE(Row(c.kind->table, c.kind->codeField, QStringLiteral("A2")).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Columns, NumberColumnTest,
    ::testing::Values(NumberColumn{&kDepartment, 10, "五千", "'五千' is not a valid floating point value"},
                      NumberColumn{&kDepartment, 12, "三十", "'三十' is not a valid integer value"},
                      NumberColumn{&kPerson, 8, "很多", "'很多' is not a valid floating point value"},
                      NumberColumn{&kPerson, 9, "十天", "'十天' is not a valid integer value"},
                      NumberColumn{&kUnit, 9, "一打", "'一打' is not a valid floating point value"}));

// Values are bound, never pasted into statements.
TEST_F(OrganisationSheetsTest, QuotesAndStatementsInCellsAreStoredAsTheyStand) {
    const std::string code = "D'1;--";
    const std::string name = "财务'部\"; Drop Table Person; --";
    const TypedSheet departments{"部门", {{kHeader}, {{}, code, name}}};
    const TypedSheet persons{"员工", {{kHeader}, {{}, "P'1"s, "O'Brien"s, name}}};
    EXPECT_EQ(Import({departments, persons}, Texts{"部门", "员工"}), RunOutcome::Completed);
    EXPECT_EQ(Row(QStringLiteral("Department"), QStringLiteral("cDepCode"), QString::fromStdString(code))
                  .value(QStringLiteral("cDepName"))
                  .toString()
                  .toStdString(),
              name);
    const QVariantMap person = Row(QStringLiteral("Person"), QStringLiteral("cPersonCode"), QStringLiteral("P'1"));
    EXPECT_EQ(person.value(QStringLiteral("cPersonName")).toString(), QStringLiteral("O'Brien"));
    EXPECT_EQ(person.value(QStringLiteral("cDepCode")).toString().toStdString(), code);
}

} // namespace
} // namespace hz
