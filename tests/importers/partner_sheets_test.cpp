// Vendors and customers through the real run on a fresh embedded ERP. The two kinds are twins, so every test
// runs for both, with each kind's table and field names.
#include "tests/support/import_fixture.h"
#include "tests/support/run_error_text.h"

#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace hz {
namespace {

using namespace std::string_literals;
using test::CellInput;
using test::DateCell;
using test::Execute;
using test::ImportFixture;
using test::RunErrorText;
using test::TypedSheet;
using Ticks = std::vector<std::pair<std::string, std::string>>;

struct PartnerKind {
    const char* caption;
    const char* table;
    const char* prefix; // of the field names: cVenCode, cCusCode, ...
    const char* classField;
};

void PrintTo(const PartnerKind& kind, std::ostream* out) {
    *out << kind.table;
}

const PartnerKind kVendor{"供应商档案", "Vendor", "Ven", "cVCCode"};
const PartnerKind kCustomer{"客户档案", "Customer", "Cus", "cCCCode"};

// One sheet row, columns B to J; an empty text is an empty cell.
struct PartnerLine {
    std::string code = "P01";
    std::string name = "华光机械";
    std::string district = "华东";
    CellInput date = "2023/5/7"s;
    std::string phone = "021-5555";
    std::string contact = "王经理";
    std::string person = "张三";
    std::string department = "采购部";
    std::string classCode = "01";
};

class PartnerFixture : public ImportFixture {
protected:
    explicit PartnerFixture(const PartnerKind& kind) : kind(kind) {}

    QString Field(const char* pattern) const { return QString::fromLatin1(pattern).arg(kind.prefix); }

    // The district 华东 (01), the department 采购部 (1) and the person 张三 (001).
    void InsertReferences() {
        Execute(Con(), QStringLiteral("Insert Into DistrictClass (cDCCode, cDCName) Values ('01', '华东')"));
        Execute(Con(), QStringLiteral("Insert Into Department (cDepCode, cDepName) Values ('1', '采购部')"));
        Execute(Con(), QStringLiteral("Insert Into Person (cPersonCode, cPersonName) Values ('001', '张三')"));
    }

    TypedSheet Sheet(const std::vector<PartnerLine>& lines) const {
        TypedSheet sheet{kind.caption, {{}}};
        for (const PartnerLine& l : lines) {
            sheet.rows.push_back(
                {{}, l.code, l.name, l.district, l.date, l.phone, l.contact, l.person, l.department, l.classCode});
        }
        return sheet;
    }

    RunOutcome ImportLines(const std::vector<PartnerLine>& lines, const std::string& startRow = "2") {
        return Import({Sheet(lines)}, Ticks{{kind.caption, startRow}});
    }

    QVariantMap Partner(const char* code) { return Row(kind.table, Field("c%1Code"), QString::fromUtf8(code)); }
    std::string Stored(const QVariantMap& row, const QString& field) {
        return row.value(field).toString().toStdString();
    }

    const PartnerKind& kind;
};

// The parameter interface comes first, so that GetParam() may be called while the fixture is built.
class PartnerSheetsTest : public testing::WithParamInterface<PartnerKind>, public PartnerFixture {
protected:
    PartnerSheetsTest() : PartnerFixture(GetParam()) {}
};

TEST_P(PartnerSheetsTest, WritesEveryFieldOfTheRow) {
    InsertReferences();
    ASSERT_EQ(ImportLines({{},
                           {.code = "P02",
                            .name = "Acme",
                            .date = DateCell{2021, 12, 31},
                            .phone = "",
                            .contact = "",
                            .person = "",
                            .classCode = ""}}),
              RunOutcome::Completed);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"导入完成！"}));
    EXPECT_EQ(StartRowBox(kind.caption), "4");

    const QVariantMap full = Partner("P01");
    EXPECT_EQ(Stored(full, Field("c%1Code")), "P01");
    EXPECT_EQ(Stored(full, Field("c%1Name")), "华光机械");
    EXPECT_EQ(Stored(full, Field("c%1AbbName")), "华光机械");
    // The class code is written as read: no class 01 exists.
    EXPECT_EQ(Stored(full, kind.classField), "01");
    EXPECT_EQ(Stored(full, QStringLiteral("cDCCode")), "01");
    EXPECT_EQ(Stored(full, Field("d%1DevDate")), "2023-05-07 00:00:00");
    EXPECT_EQ(Stored(full, Field("c%1Phone")), "021-5555");
    EXPECT_EQ(Stored(full, Field("c%1Person")), "王经理");
    EXPECT_EQ(Stored(full, Field("c%1PPerson")), "001");
    EXPECT_EQ(Stored(full, Field("c%1Depart")), "1");
    EXPECT_EQ(Stored(full, Field("c%1HeadCode")), "P01");

    // A date cell, no responsible person and no class.
    const QVariantMap sparse = Partner("P02");
    EXPECT_EQ(Stored(sparse, Field("d%1DevDate")), "2021-12-31 00:00:00");
    EXPECT_EQ(Stored(sparse, Field("c%1PPerson")), "");
    EXPECT_EQ(Stored(sparse, kind.classField), "");
    EXPECT_EQ(Stored(sparse, Field("c%1HeadCode")), "P02");
    EXPECT_EQ(Count(kind.table), 2);
}

TEST_P(PartnerSheetsTest, AbbreviatesToThirtyCodePage936Bytes) {
    InsertReferences();
    const std::string twenty = "一二三四五六七八九十甲乙丙丁戊己庚辛壬癸";
    const std::string fifteen = "一二三四五六七八九十甲乙丙丁戊";
    const struct {
        const char* code;
        std::string name;
        std::string abbreviation;
    } cases[] = {
        {"A1", twenty, fifteen},
        {"A2", "一二三四五六七八九十", "一二三四五六七八九十"},
        // The cut falls inside the 15th character: it is dropped whole.
        {"A3", "X" + fifteen, "X一二三四五六七八九十甲乙丙丁"},
        {"A4", std::string(31, 'a'), std::string(30, 'a')},
        {"A5", "ab" + twenty, "ab一二三四五六七八九十甲乙丙丁"},
    };
    std::vector<PartnerLine> lines;
    for (const auto& c : cases) {
        lines.push_back({.code = c.code, .name = c.name});
    }
    ASSERT_EQ(ImportLines(lines), RunOutcome::Completed);
    for (const auto& c : cases) {
        const QVariantMap row = Partner(c.code);
        EXPECT_EQ(Stored(row, Field("c%1AbbName")), c.abbreviation) << c.code;
        EXPECT_EQ(Stored(row, Field("c%1Name")), c.name) << c.code;
    }
}

TEST_P(PartnerSheetsTest, FindsReferencesImportedEarlierInTheSameRun) {
    const TypedSheet districts{"地区分类", {{}, {{}, "07"s, "西南"s}}};
    const TypedSheet departments{"部门", {{}, {{}, "3"s, "市场部"s}}};
    const TypedSheet persons{"员工", {{}, {{}, "009"s, "赵六"s, "市场部"s}}};
    const TypedSheet partners = Sheet({{.district = "西南", .person = "赵六", .department = "市场部"}});
    ASSERT_EQ(Import({districts, departments, persons, partners}, {"地区分类", "部门", "员工", kind.caption}),
              RunOutcome::Completed);
    const QVariantMap row = Partner("P01");
    EXPECT_EQ(Stored(row, QStringLiteral("cDCCode")), "07");
    EXPECT_EQ(Stored(row, Field("c%1PPerson")), "009");
    EXPECT_EQ(Stored(row, Field("c%1Depart")), "3");
}

// The date is converted while the cells are read: a bad one ends the run before the unknown district is
// looked up.
TEST_P(PartnerSheetsTest, AnInvalidDevelopmentDateEndsTheRunBeforeAnyLookup) {
    InsertReferences();
    const struct {
        CellInput date;
        const char* error;
    } cases[] = {
        {CellInput(), "'' is not a valid date"},
        {"2023/13/1"s, "'2023/13/1' is not a valid date"},
        {"明天"s, "'明天' is not a valid date"},
        {20230507.0, "'20230507' is not a valid date"},
    };
    for (const auto& c : cases) {
        observer.events.clear();
        EXPECT_EQ(RunErrorText([&] { ImportLines({{.district = "火星", .date = c.date}}); }), c.error);
        EXPECT_EQ(Messages(), std::vector<std::string>{}) << c.error;
    }
    EXPECT_EQ(Count(kind.table), 0);
}

TEST_P(PartnerSheetsTest, ResumesAtTheRejectedRow) {
    InsertReferences();
    ASSERT_EQ(ImportLines({{}, {.code = "P02", .district = "华南"}}), RunOutcome::Aborted);
    ASSERT_EQ(StartRowBox(kind.caption), "3");
    Execute(Con(), QStringLiteral("Insert Into DistrictClass (cDCCode, cDCName) Values ('02', '华南')"));
    EXPECT_EQ(ImportLines({{}, {.code = "P02", .district = "华南"}}, StartRowBox(kind.caption)), RunOutcome::Completed);
    EXPECT_EQ(Stored(Partner("P02"), QStringLiteral("cDCCode")), "02");
    EXPECT_EQ(Count(kind.table), 2);
    EXPECT_EQ(StartRowBox(kind.caption), "4");
}

std::string KindName(const testing::TestParamInfo<PartnerKind>& info) {
    return info.param.table;
}

INSTANTIATE_TEST_SUITE_P(Partners, PartnerSheetsTest, testing::Values(kVendor, kCustomer), KindName);

// A row whose lookups fail, after a good row: the message, and the stop at the rejected row.
struct LookupCase {
    const char* name;
    PartnerLine line;
    bool kindInFront; // an empty required name is reported without the kind
    std::string message;
};

void PrintTo(const LookupCase& c, std::ostream* out) {
    *out << c.name;
}

const LookupCase kLookupCases[] = {
    {"EmptyDistrict", {.district = ""}, false, "第 3 行地区不能为空！"},
    {"UnknownDistrict", {.district = "火星"}, true, "第 3 行火星没维护！"},
    {"UnknownPerson", {.person = "李四"}, true, "第 3 行李四没维护！"},
    {"EmptyDepartment", {.department = ""}, false, "第 3 行分管部门名称不能为空！"},
    {"UnknownDepartment", {.department = "销售部"}, true, "第 3 行销售部没维护！"},
    // The lookups run district, person, department: the first failure is the one reported.
    {"DistrictBeforePerson", {.district = "火星", .person = "李四"}, true, "第 3 行火星没维护！"},
    {"PersonBeforeDepartment", {.person = "李四", .department = ""}, true, "第 3 行李四没维护！"},
};

class PartnerLookupTest : public testing::WithParamInterface<std::tuple<PartnerKind, LookupCase>>,
                          public PartnerFixture {
protected:
    PartnerLookupTest() : PartnerFixture(std::get<0>(GetParam())) {}
};

TEST_P(PartnerLookupTest, StopsAtTheRowWithTheLookupMessage) {
    InsertReferences();
    const LookupCase& c = std::get<1>(GetParam());
    PartnerLine bad = c.line;
    bad.code = "P02";
    ASSERT_EQ(ImportLines({{}, bad}), RunOutcome::Aborted);
    const std::string message = (c.kindInFront ? std::string(kind.caption) : "") + c.message;
    EXPECT_EQ(Messages(), (std::vector<std::string>{message, "中止导入！"}));
    EXPECT_EQ(Count(kind.table), 1);
    EXPECT_EQ(StartRowBox(kind.caption), "3");
}

std::string LookupCaseName(const testing::TestParamInfo<std::tuple<PartnerKind, LookupCase>>& info) {
    return std::string(std::get<0>(info.param).table) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Partners, PartnerLookupTest,
                         testing::Combine(testing::Values(kVendor, kCustomer), testing::ValuesIn(kLookupCases)),
                         LookupCaseName);

} // namespace
} // namespace hz
