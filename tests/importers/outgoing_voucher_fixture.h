// The ERP and the sheets shared by the tests of the vouchers that take goods out of a warehouse or move them:
// transfers, sales deliveries, material and other issues, and the error area that two of them write.
#pragma once

#include "tests/support/import_fixture.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace hz::test {

using Texts = std::vector<std::string>;
using Ticks = std::vector<std::pair<std::string, std::string>>;
using Fields = std::map<std::string, std::string>;

inline const char* const kTransfer = "调拨单";
inline const char* const kSales = "销售出库单";
inline const char* const kMaterial = "材料出库单";
inline const char* const kOtherIssue = "其他出库单";

// One line of a transfer sheet, columns A to S; an empty text is an empty cell. beyond fills the columns from T
// on, which the importer does not read.
struct TransferLine {
    std::string key = "T1";
    CellInput date = DateCell{2024, 3, 5};
    std::string inDepartment = "采购部";
    std::string inDepartmentCode = "1";
    std::string outDepartment = "销售部";
    std::string outDepartmentCode = "2";
    std::string inCategory = "调拨入库";
    std::string inCategoryCode = "21";
    std::string outCategory = "调拨出库";
    std::string outCategoryCode = "22";
    std::string outWarehouse = "原料库";
    std::string outWarehouseCode = "W1";
    std::string inWarehouse = "成品库";
    std::string inWarehouseCode = "W2";
    std::string maker = "张三";
    std::string item = "A001";
    std::string itemName = "钢板";
    CellInput quantity = 4.0;
    std::vector<CellInput> beyond = {};
};

// One line of any of the three issue sheets; each layout takes the cells it has.
struct IssueLine {
    std::string key = "S1";
    CellInput date = DateCell{2024, 3, 5};
    std::string warehouse = "原料库";
    std::string warehouseCode = "W1"; // sales delivery, column D: the warehouse that prices a later row
    std::string category = "销售出库";
    std::string department = "销售部";
    std::string departmentCode = "2";
    std::string customer = "华东公司";
    std::string customerCode = "C1";
    std::string maker = "张三";
    std::string item = "A001";
    std::string itemName = "钢板";
    CellInput quantity = 4.0;
    CellInput unitCost = 1.03125;
    CellInput amount = 0.125;
    std::string business = "其他出库";
    std::vector<CellInput> beyond = {};
};

// A header row, then one row per line.
TypedSheet TransferSheet(const std::vector<TransferLine>& lines);
// kind is kSales, kMaterial or kOtherIssue.
TypedSheet IssueSheet(const std::string& kind, const std::vector<IssueLine>& lines);

// A fresh ERP with what the default lines name, cost prices in the accounting summary and some stock:
// - warehouses W1 原料库, W2 成品库; departments 1 采购部, 2 销售部; customer C1 华东公司;
// - categories 21 调拨入库, 22 调拨出库, 31 销售出库, 32 领料出库;
// - items A001 钢板, A002 螺钉, A003 垫圈;
// - cost prices (latest month): W1/A001 1.03125, W1/A002 0 (quantity 0), W2/A001 0.375, W2/A002 0 (quantity
//   NULL); none for A003 anywhere;
// - stock 100 of A001 and A002 in W1.
// Every id allocation is recorded as "<type> <amount>".
class OutgoingVoucherFixture : public ImportFixture {
protected:
    void SetUp() override;

    // The field "Value" of every row of sql.
    Texts Values(const QString& sql) { return Column(Con(), sql); }
    // The current stock of an item in a warehouse; 0 when there is no stock row.
    double Stock(const char* warehouse, const char* item);

    Texts allocations;
};

// The cells of rows first to last of the named worksheet of the workbook at path, read by our reader, one text per
// row listing its non-empty cells of columns A to Z with their kinds: "B=text 'T1' S=number 4 A=date 2024/3/5".
Texts SheetRows(const std::string& path, const std::string& sheet, int first, int last);

} // namespace hz::test
