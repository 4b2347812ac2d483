// Warehouses and inventory items through the real run on a fresh embedded ERP.
#include "tests/support/import_fixture.h"
#include "tests/support/run_error_text.h"

#include <QDate>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace hz {
namespace {

using namespace std::string_literals;
using test::CellInput;
using test::DateCell;
using test::Execute;
using test::ExecuteAll;
using test::FailInsertsInto;
using test::ImportFixture;
using test::RunErrorText;
using test::TypedSheet;
using Ticks = std::vector<std::pair<std::string, std::string>>;

const char* const kWarehouses = "仓库档案";
const char* const kItems = "存货档案";

// One warehouse row, columns B to J; an empty text is an empty cell. The name stands before the code.
struct WarehouseLine {
    std::string name = "原料库";
    std::string code = "W1";
    std::string departmentName = "采购部";
    std::string departmentCode = "1";
    std::string valueStyle = "全月平均法";
    CellInput position = "TRUE"s;
    std::string barCode = "6901234";
    CellInput mrp = "TRUE"s;
    CellInput reorder = "TRUE"s;
};

// One item row, columns B to L; an empty text is an empty cell.
struct ItemLine {
    std::string code = "A001";
    std::string name = "钢板";
    std::string standard = "原材料"; // also the class's name
    CellInput taxRate = 17.0;
    CellInput startDate = "2023/5/7"s;
    std::string groupName = "重量组";
    std::string groupCode = "01";
    std::string unitName = "千克";
    std::string unitCode = "0101";
    std::string sale = "销售";
    std::string purchase = "外购";
};

// A row that fails a check, placed after a good row; name names the test.
template <typename Line> struct CheckCase {
    const char* name;
    Line line;
    std::string message;
};

template <typename Line> void PrintTo(const CheckCase<Line>& c, std::ostream* out) {
    *out << c.name;
}

template <typename Line> std::string CaseName(const testing::TestParamInfo<CheckCase<Line>>& info) {
    return info.param.name;
}

class StockArchiveFixture : public ImportFixture {
protected:
    // The department 采购部 (1), the class 原材料 (01), the groups 重量组 (01, fixed conversion) and 个数组 (02)
    // with a unit each: 千克 (0101) and 个 (0201).
    void InsertReferences() {
        ExecuteAll(
            Con(),
            {
                "Insert Into Department (cDepCode, cDepName) Values ('1', '采购部')",
                "Insert Into InventoryClass (cInvCCode, cInvCName) Values ('01', '原材料')",
                "Insert Into ComputationGroup (cGroupCode, cGroupName, iGroupType) Values ('01', '重量组', 1)",
                "Insert Into ComputationGroup (cGroupCode, cGroupName, iGroupType) Values ('02', '个数组', 0)",
                "Insert Into ComputationUnit (cComunitCode, cComUnitName, cGroupCode) Values ('0101', '千克', '01')",
                "Insert Into ComputationUnit (cComunitCode, cComUnitName, cGroupCode) Values ('0201', '个', '02')",
            });
    }

    static TypedSheet Warehouses(const std::vector<WarehouseLine>& lines) {
        TypedSheet sheet{kWarehouses, {{}}};
        for (const WarehouseLine& l : lines) {
            sheet.rows.push_back({{},
                                  l.name,
                                  l.code,
                                  l.departmentName,
                                  l.departmentCode,
                                  l.valueStyle,
                                  l.position,
                                  l.barCode,
                                  l.mrp,
                                  l.reorder});
        }
        return sheet;
    }

    static TypedSheet Items(const std::vector<ItemLine>& lines) {
        TypedSheet sheet{kItems, {{}}};
        for (const ItemLine& l : lines) {
            sheet.rows.push_back({{},
                                  l.code,
                                  l.name,
                                  l.standard,
                                  l.taxRate,
                                  l.startDate,
                                  l.groupName,
                                  l.groupCode,
                                  l.unitName,
                                  l.unitCode,
                                  l.sale,
                                  l.purchase});
        }
        return sheet;
    }

    QVariantMap Warehouse(const char* code) {
        return Row(QStringLiteral("Warehouse"), QStringLiteral("cWhCode"), QString::fromUtf8(code));
    }
    QVariantMap Item(const char* code) {
        return Row(QStringLiteral("Inventory"), QStringLiteral("cInvCode"), QString::fromUtf8(code));
    }
    // Imports sheet, a good row followed by a rejected one: the one message, the good row saved, and the
    // start-row box at the rejected row.
    void ExpectStopAtSecondRow(const TypedSheet& sheet, const QString& table, const std::string& message) {
        ASSERT_EQ(Import({sheet}, {sheet.name}), RunOutcome::Aborted);
        EXPECT_EQ(Messages(), (std::vector<std::string>{message, "中止导入！"}));
        EXPECT_EQ(Count(table), 1);
        EXPECT_EQ(StartRowBox(sheet.name), "3");
    }

    static std::string Stored(const QVariantMap& row, const char* field) {
        return row.value(QString::fromLatin1(field)).toString().toStdString();
    }
};

class WarehouseSheetTest : public StockArchiveFixture {};

TEST_F(WarehouseSheetTest, WritesEveryFieldOfTheRow) {
    InsertReferences();
    ASSERT_EQ(Import({Warehouses({{}})}, {kWarehouses}), RunOutcome::Completed);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"导入完成！"}));
    EXPECT_EQ(StartRowBox(kWarehouses), "3");
    const QVariantMap row = Warehouse("W1");
    EXPECT_EQ(Stored(row, "cWhName"), "原料库");
    EXPECT_EQ(Stored(row, "cDepCode"), "1");
    EXPECT_EQ(Stored(row, "cWhValueStyle"), "全月平均法");
    EXPECT_EQ(Stored(row, "bWhPos"), "1");
    EXPECT_EQ(Stored(row, "cBarCode"), "6901234");
    EXPECT_EQ(Stored(row, "bMRP"), "1");
    EXPECT_EQ(Stored(row, "bROP"), "1");
}

// Only the upper-case text sets a mark; a logical TRUE cell reads "True".
TEST_F(WarehouseSheetTest, MarksAreTrueOnlyForTheTextTRUE) {
    InsertReferences();
    const struct {
        const char* code;
        CellInput position, mrp, reorder;
        const char *bWhPos, *bMRP, *bROP;
    } cases[] = {
        {"W1", "TRUE"s, "True"s, "true"s, "1", "0", "0"},
        {"W2", true, "TRUE"s, CellInput(), "0", "1", "0"},
        {"W3", "TRUE "s, "FALSE"s, "TRUE"s, "0", "0", "1"},
    };
    std::vector<WarehouseLine> lines;
    for (const auto& c : cases) {
        lines.push_back({.code = c.code, .position = c.position, .mrp = c.mrp, .reorder = c.reorder});
    }
    ASSERT_EQ(Import({Warehouses(lines)}, {kWarehouses}), RunOutcome::Completed);
    for (const auto& c : cases) {
        const QVariantMap row = Warehouse(c.code);
        EXPECT_EQ(Stored(row, "bWhPos"), c.bWhPos) << c.code;
        EXPECT_EQ(Stored(row, "bMRP"), c.bMRP) << c.code;
        EXPECT_EQ(Stored(row, "bROP"), c.bROP) << c.code;
    }
}

TEST_F(WarehouseSheetTest, AnEmptyCodeInColumnCEndsTheSheetWhateverB) {
    InsertReferences();
    ASSERT_EQ(Import({Warehouses({{.code = ""}, {.code = "W2"}})}, {kWarehouses}), RunOutcome::Completed);
    EXPECT_EQ(Count(QStringLiteral("Warehouse")), 0);
    EXPECT_EQ(StartRowBox(kWarehouses), "");
}

TEST_F(WarehouseSheetTest, ARefusedSaveIsReportedByNameAndTheRunGoesOn) {
    InsertReferences();
    FailInsertsInto(Con(), QStringLiteral("Warehouse"));
    ASSERT_EQ(Import({Warehouses({{}, {.name = "成品库", .code = "W2"}})}, {kWarehouses}), RunOutcome::CompletedLeavingRowsOut);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"编号为 原料库 的仓库档案保存失败！",
                                                    "编号为 成品库 的仓库档案保存失败！", "导入完成！"}));
    EXPECT_EQ(StartRowBox(kWarehouses), "4");
}

using WarehouseCase = CheckCase<WarehouseLine>;

const WarehouseCase kWarehouseCases[] = {
    {"EmptyDepartmentCode", {.departmentCode = ""}, "仓库档案 第 3 行部门名称代码没维护！"},
    {"UnknownDepartmentCode", {.departmentCode = "9"}, "仓库档案 第 3 行部门名称代码没维护！"},
    {"OtherDepartmentName", {.departmentName = "销售部"}, "仓库档案 第 3 行部门名称代码对应的名称与汇账中不一致！"},
    {"EmptyDepartmentName", {.departmentName = ""}, "仓库档案 第 3 行部门名称代码对应的名称与汇账中不一致！"},
};

class WarehouseCheckTest : public StockArchiveFixture, public testing::WithParamInterface<WarehouseCase> {};

TEST_P(WarehouseCheckTest, StopsAtTheRowWithTheCheckMessage) {
    InsertReferences();
    WarehouseLine bad = GetParam().line;
    bad.code = "W2";
    ExpectStopAtSecondRow(Warehouses({{}, bad}), QStringLiteral("Warehouse"), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Warehouses, WarehouseCheckTest, testing::ValuesIn(kWarehouseCases), CaseName<WarehouseLine>);

class InventorySheetTest : public StockArchiveFixture {};

// The class, groups and units come from sheets of the same run.
TEST_F(InventorySheetTest, WritesEveryFieldOfTheRow) {
    const TypedSheet classes{"存货分类", {{}, {{}, "01"s, "原材料"s}}};
    const TypedSheet groups{"计量单位组", {{}, {"01"s, "重量组"s, "固定换算"s}, {"02"s, "个数组"s, "无换算"s}}};
    const TypedSheet units{"计量单位",
                           {{}, {{}, "0101"s, "千克"s, "01"s, "重量组"s}, {{}, "0201"s, "个"s, "02"s, "个数组"s}}};
    // The second item's main unit belongs to another group than its own.
    const TypedSheet items = Items({{},
                                    {.code = "A002",
                                     .name = "螺钉",
                                     .taxRate = 13.0,
                                     .startDate = DateCell{2021, 12, 31},
                                     .unitName = "个",
                                     .unitCode = "0201",
                                     .sale = "外购",
                                     .purchase = "销售"}});
    const QDate before = QDate::currentDate();
    ASSERT_EQ(Import({classes, groups, units, items}, {"存货分类", "计量单位组", "计量单位", kItems}),
              RunOutcome::Completed);
    const QDate after = QDate::currentDate();
    EXPECT_EQ(Messages(), (std::vector<std::string>{"导入完成！"}));
    EXPECT_EQ(StartRowBox(kItems), "4");

    const QVariantMap first = Item("A001");
    EXPECT_EQ(Stored(first, "cInvName"), "钢板");
    EXPECT_EQ(Stored(first, "cInvStd"), "原材料");
    EXPECT_EQ(Stored(first, "cInvCCode"), "01");
    EXPECT_EQ(Stored(first, "iTaxRate"), "17");
    EXPECT_EQ(Stored(first, "iGroupType"), "1");
    EXPECT_EQ(Stored(first, "dSDate"), "2023-05-07 00:00:00");
    EXPECT_EQ(Stored(first, "cCreatePerson"), "demo");
    EXPECT_EQ(Stored(first, "cModifyPerson"), "demo");
    const QString modified = first.value(QStringLiteral("dModifyDate")).toString();
    EXPECT_TRUE(modified == before.toString(u"yyyy-MM-dd 00:00:00") ||
                modified == after.toString(u"yyyy-MM-dd 00:00:00"))
        << modified.toStdString();
    EXPECT_EQ(Stored(first, "cGroupCode"), "01");
    for (const char* unitField : {"cComUnitCode", "cSAComUnitCode", "cSTComUnitCode", "cPUComUnitCode"}) {
        EXPECT_EQ(Stored(first, unitField), "0101") << unitField;
    }
    EXPECT_EQ(Stored(first, "bSale"), "1");
    EXPECT_EQ(Stored(first, "bPurchase"), "1");

    const QVariantMap second = Item("A002");
    EXPECT_EQ(Stored(second, "dSDate"), "2021-12-31 00:00:00");
    EXPECT_EQ(Stored(second, "cGroupCode"), "01");
    EXPECT_EQ(Stored(second, "iGroupType"), "1");
    for (const char* unitField : {"cComUnitCode", "cSAComUnitCode", "cSTComUnitCode", "cPUComUnitCode"}) {
        EXPECT_EQ(Stored(second, unitField), "0201") << unitField;
    }
    EXPECT_EQ(Stored(second, "bSale"), "0");
    EXPECT_EQ(Stored(second, "bPurchase"), "0");
}

// The tax rate is a whole number, halves to the even neighbour; the attributes match their one text exactly.
TEST_F(InventorySheetTest, TaxRateAndAttributes) {
    InsertReferences();
    const struct {
        const char* code;
        CellInput taxRate;
        std::string sale, purchase;
        const char *iTaxRate, *bSale, *bPurchase;
    } cases[] = {
        {"T1", 0.17, "销售", "", "0", "1", "0"},        {"T2", 16.5, "", "外购", "16", "0", "1"},
        {"T3", 17.5, "销售 ", " 外购", "18", "0", "0"}, {"T4", CellInput(), "外购", "销售", "0", "0", "0"},
        {"T5", "13"s, "销售", "外购", "13", "1", "1"},
    };
    std::vector<ItemLine> lines;
    for (const auto& c : cases) {
        lines.push_back({.code = c.code, .taxRate = c.taxRate, .sale = c.sale, .purchase = c.purchase});
    }
    ASSERT_EQ(Import({Items(lines)}, {kItems}), RunOutcome::Completed);
    for (const auto& c : cases) {
        const QVariantMap row = Item(c.code);
        EXPECT_EQ(Stored(row, "iTaxRate"), c.iTaxRate) << c.code;
        EXPECT_EQ(Stored(row, "bSale"), c.bSale) << c.code;
        EXPECT_EQ(Stored(row, "bPurchase"), c.bPurchase) << c.code;
    }
}

// The cells are converted while they are read: a bad one ends the run before the unknown class is looked up.
TEST_F(InventorySheetTest, AnInvalidStartDateOrTaxRateEndsTheRunBeforeAnyLookup) {
    InsertReferences();
    const struct {
        CellInput taxRate, startDate;
        const char* error;
    } cases[] = {
        {17.0, CellInput(), "'' is not a valid date"},
        {17.0, "2023/2/30"s, "'2023/2/30' is not a valid date"},
        {17.0, "五月七日"s, "'五月七日' is not a valid date"},
        {"十七"s, "2023/5/7"s, "'十七' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        observer.events.clear();
        const ItemLine line{.standard = "Q235", .taxRate = c.taxRate, .startDate = c.startDate};
        EXPECT_EQ(RunErrorText([&] { Import({Items({line})}, {kItems}); }), c.error);
        EXPECT_EQ(Messages(), std::vector<std::string>{}) << c.error;
    }
    EXPECT_EQ(Count(QStringLiteral("Inventory")), 0);
}

// The refused row must not stay pending and go out again with the next one.
TEST_F(InventorySheetTest, ARefusedSaveIsReportedByNameAndTheNextRowSaves) {
    InsertReferences();
    Execute(Con(), QStringLiteral("CREATE TEMP TRIGGER refuse_a001 BEFORE INSERT ON main.Inventory "
                                  "WHEN NEW.cInvCode = 'A001' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    ASSERT_EQ(Import({Items({{}, {.code = "A002", .name = "铜板"}})}, {kItems}), RunOutcome::CompletedLeavingRowsOut);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"编号为 钢板 的存货档案保存失败！", "导入完成！"}));
    EXPECT_TRUE(Item("A001").isEmpty());
    EXPECT_EQ(Stored(Item("A002"), "cInvName"), "铜板");
    EXPECT_EQ(StartRowBox(kItems), "4");
}

TEST_F(InventorySheetTest, ARefusedSaveOnEveryRowLetsTheRunComplete) {
    InsertReferences();
    FailInsertsInto(Con(), QStringLiteral("Inventory"));
    ASSERT_EQ(Import({Items({{}, {.code = "A002", .name = "铜板"}})}, {kItems}), RunOutcome::CompletedLeavingRowsOut);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"编号为 钢板 的存货档案保存失败！",
                                                    "编号为 铜板 的存货档案保存失败！", "导入完成！"}));
    EXPECT_EQ(Count(QStringLiteral("Inventory")), 0);
}

TEST_F(InventorySheetTest, ResumesAtTheRejectedRow) {
    InsertReferences();
    const TypedSheet items = Items({{}, {.code = "A002", .standard = "辅料"}});
    ASSERT_EQ(Import({items}, {kItems}), RunOutcome::Aborted);
    ASSERT_EQ(StartRowBox(kItems), "3");
    Execute(Con(), QStringLiteral("Insert Into InventoryClass (cInvCCode, cInvCName) Values ('02', '辅料')"));
    EXPECT_EQ(Import({items}, Ticks{{kItems, StartRowBox(kItems)}}), RunOutcome::Completed);
    EXPECT_EQ(Stored(Item("A002"), "cInvCCode"), "02");
    EXPECT_EQ(Count(QStringLiteral("Inventory")), 2);
    EXPECT_EQ(StartRowBox(kItems), "4");
}

using ItemCase = CheckCase<ItemLine>;

const ItemCase kItemCases[] = {
    {"EmptyClass", {.standard = ""}, "第 3 行规格名(存货分类)不能为空！"},
    {"UnknownClass", {.standard = "Q235"}, "存货档案第 3 行Q235没维护！"},
    {"EmptyGroupCode", {.groupCode = ""}, "存货档案 第 3 行计量单位组名称代码没维护！"},
    {"UnknownGroup", {.groupCode = "09"}, "存货档案 第 3 行计量单位组名称代码没维护！"},
    {"OtherGroupName", {.groupName = "个数组"}, "存货档案 第 3 行计量单位组名称代码对应的名称与汇账中不一致！"},
    {"UnknownUnit", {.unitCode = "0199"}, "存货档案 第 3 行主计量单位名称代码没维护！"},
    {"OtherUnitName", {.unitName = "吨"}, "存货档案 第 3 行主计量单位名称代码对应的名称与汇账中不一致！"},
    // The checks run class, group, unit: the first failure is the one reported.
    {"ClassBeforeGroup", {.standard = "Q235", .groupCode = "09"}, "存货档案第 3 行Q235没维护！"},
    {"GroupBeforeUnit", {.groupCode = "09", .unitCode = "0199"}, "存货档案 第 3 行计量单位组名称代码没维护！"},
};

class ItemCheckTest : public StockArchiveFixture, public testing::WithParamInterface<ItemCase> {};

TEST_P(ItemCheckTest, StopsAtTheRowWithTheCheckMessage) {
    InsertReferences();
    ItemLine bad = GetParam().line;
    bad.code = "A002";
    ExpectStopAtSecondRow(Items({{}, bad}), QStringLiteral("Inventory"), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Items, ItemCheckTest, testing::ValuesIn(kItemCases), CaseName<ItemLine>);

} // namespace
} // namespace hz
