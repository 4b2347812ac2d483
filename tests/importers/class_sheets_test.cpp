#include "tests/support/master_kind_fixture.h"
#include "tests/support/run_error_text.h"

namespace hz {
namespace {

using namespace std::string_literals;
using test::CellInput;
using test::ImportFixture;
using test::MasterKindCase;
using test::MasterKindTest;
using test::RunErrorText;
using test::TypedSheet;
using Fields = std::map<std::string, std::string>;

std::vector<CellInput> ClassRow(const std::string& code, const std::string& name) {
    return {{}, code, name};
}

std::vector<CellInput> CategoryRow(const std::string& code, const std::string& name) {
    return {{}, code, name, 1.0};
}

// The shared routine shape on the four class kinds and the category kind.
class ClassKindTest : public MasterKindTest {};

TEST_P(ClassKindTest, RepeatedCodeStopsThenResumes) {
    ExpectRepeatedCodeStopsThenResumes();
}

TEST_P(ClassKindTest, RefusedRowIsSkipped) {
    ExpectRefusedRowIsSkipped();
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ClassKindTest,
    ::testing::Values(MasterKindCase{"客户分类", QStringLiteral("CustomerClass"), QStringLiteral("cCCCode"), ClassRow},
                      MasterKindCase{"供应商分类", QStringLiteral("VendorClass"), QStringLiteral("cVCCode"), ClassRow},
                      MasterKindCase{"存货分类", QStringLiteral("InventoryClass"), QStringLiteral("cInvCCode"),
                                     ClassRow},
                      MasterKindCase{"地区分类", QStringLiteral("DistrictClass"), QStringLiteral("cDCCode"), ClassRow},
                      MasterKindCase{"收发类别", QStringLiteral("Rd_Style"), QStringLiteral("cRdCode"), CategoryRow}));

struct ClassFields {
    std::string caption;
    QString table;
    std::string code;
    std::string name;
    std::string grade;
    std::string end;
};

void PrintTo(const ClassFields& kind, std::ostream* out) {
    *out << kind.caption;
}

class ClassGradeTest : public ImportFixture, public ::testing::WithParamInterface<ClassFields> {};

// The grade counts code page 936 bytes in a 2-3-4 scheme; every class is an end class.
TEST_P(ClassGradeTest, WritesEachRowWithTheGradeOfItsCodeLength) {
    const ClassFields& kind = GetParam();
    struct Case {
        CellInput code;
        std::string storedCode;
        std::string grade;
    };
    const std::vector<Case> cases = {
        {"01"s, "01", "int 1"},     {"01001"s, "01001", "int 2"},           {"010010001"s, "010010001", "int 3"},
        {"甲"s, "甲", "int 1"},     {"甲乙丙丁X"s, "甲乙丙丁X", "int 3"},   {1.0, "1", "int 0"},
        {"0100"s, "0100", "int 0"}, {"0100100010"s, "0100100010", "int 0"},
    };
    TypedSheet sheet{kind.caption, {{"header"s}}};
    for (const Case& c : cases) {
        sheet.rows.push_back({"A"s, c.code, "名" + c.storedCode});
    }
    sheet.rows.push_back({"A"s, "02"s});

    EXPECT_EQ(Import({sheet}, {kind.caption}), RunOutcome::Completed);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"导入完成！"}));
    EXPECT_EQ(StartRowBox(kind.caption), std::to_string(cases.size() + 3));
    const QString codeField = QString::fromStdString(kind.code);
    for (const Case& c : cases) {
        EXPECT_EQ(TypedRow(kind.table, codeField, QString::fromStdString(c.storedCode)),
                  (Fields{{kind.code, "text '" + c.storedCode + "'"},
                          {kind.name, "text '名" + c.storedCode + "'"},
                          {kind.grade, c.grade},
                          {kind.end, "int 1"}}));
    }
    EXPECT_EQ(TypedRow(kind.table, codeField, QStringLiteral("02")),
              (Fields{{kind.code, "text '02'"}, {kind.name, "text ''"}, {kind.grade, "int 1"}, {kind.end, "int 1"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ClassGradeTest,
    ::testing::Values(
        ClassFields{"客户分类", QStringLiteral("CustomerClass"), "cCCCode", "cCCName", "iCCGrade", "bCCEnd"},
        ClassFields{"供应商分类", QStringLiteral("VendorClass"), "cVCCode", "cVCName", "iVCGrade", "bVCEnd"},
        ClassFields{"存货分类", QStringLiteral("InventoryClass"), "cInvCCode", "cInvCName", "iInvCGrade", "bInvCEnd"},
        ClassFields{"地区分类", QStringLiteral("DistrictClass"), "cDCCode", "cDCName", "iDCGrade", "bDCEnd"}));

class CategorySheetTest : public ImportFixture {};

// A one-byte code heads a group; every longer code is an end category of grade 2. The flag is a whole number.
TEST_F(CategorySheetTest, WritesGradeEndAndRoundedFlag) {
    struct Case {
        CellInput code;
        CellInput flag;
        std::string storedCode;
        std::string grade;
        std::string end;
        std::string flagStored;
    };
    const std::vector<Case> cases = {
        {1.0, 1.0, "1", "int 1", "int 0", "int 1"},          {"101"s, 0.0, "101", "int 2", "int 1", "int 0"},
        {"10101"s, 2.5, "10101", "int 2", "int 1", "int 2"}, {"12"s, 3.5, "12", "int 2", "int 1", "int 4"},
        {"2"s, {}, "2", "int 1", "int 0", "int 0"},          {"甲"s, "1"s, "甲", "int 2", "int 1", "int 1"},
    };
    TypedSheet sheet{"收发类别", {{"header"s}}};
    for (const Case& c : cases) {
        sheet.rows.push_back({{}, c.code, "名" + c.storedCode, c.flag});
    }

    EXPECT_EQ(Import({sheet}, {"收发类别"}), RunOutcome::Completed);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"导入完成！"}));
    for (const Case& c : cases) {
        EXPECT_EQ(TypedRow(QStringLiteral("Rd_Style"), QStringLiteral("cRdCode"), QString::fromStdString(c.storedCode)),
                  (Fields{{"cRdCode", "text '" + c.storedCode + "'"},
                          {"cRdName", "text '名" + c.storedCode + "'"},
                          {"iRdGrade", c.grade},
                          {"bRdFlag", c.flagStored},
                          {"bRdEnd", c.end}}));
    }
}

TEST_F(CategorySheetTest, FlagThatIsNoNumberEndsTheRunAfterTheEarlierRows) {
    const TypedSheet sheet{"收发类别", {{"header"s}, {{}, "1"s, "入库"s, 1.0}, {{}, "101"s, "采购入库"s, "收"s}}};
    EXPECT_EQ(RunErrorText([&] { Import({sheet}, {"收发类别"}); }), "'收' is not a valid integer value");
    EXPECT_EQ(Messages(), std::vector<std::string>{});
    EXPECT_EQ(StartRowBox("收发类别"), "3");
    EXPECT_EQ(Count(QStringLiteral("Rd_Style")), 1);
    EXPECT_TRUE(Row(QStringLiteral("Rd_Style"), QStringLiteral("cRdCode"), QStringLiteral("101")).isEmpty());
}

} // namespace
} // namespace hz
