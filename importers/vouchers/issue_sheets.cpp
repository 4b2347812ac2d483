// Sales deliveries, material issues and other issues: stock vouchers out of the warehouse (bRdFlag 0), one per
// run of rows with one key, numbered from their ids and posted. A sales delivery is priced from the accounting
// summary and a failed one goes to the error area; the other two take cost and amount from the sheet and stop
// at their first row error, their item checked on every row.
#include "importers/vouchers/issue_sheets.h"

#include "importers/vouchers/voucher_pieces.h"
#include "importers/vouchers/voucher_sheet.h"

namespace hz {

namespace {

using namespace voucher;

// Key A. The first row's warehouse is found by its name (C) and prices that row; later rows are priced in the
// warehouse whose code is in their own column D. Check 0 finds the warehouse, check 3 the category.
VoucherSheet SalesDelivery() {
    return {.caption = QStringLiteral("销售出库单"),
            .keyColumn = Col('A'),
            .reads = Reads("BCDFHIJKLOPS", 'B', "S"),
            .firstRowChecks = {WarehouseByName('C'),
                               CodeAndName("Customer", "cCusCode", "cCusName", 'K', 'J', "客  户"),
                               CodeAndName("Department", "cDepCode", "cDepName", 'I', 'H', "部门"), CategoryByName('F'),
                               Item('O', 'P')},
            .continuingRowChecks = {ItemExists('O')},
            .header = {Whole("bRdFlag", 0), Text("cVouchType", QStringLiteral("32")),
                       Text("cBusType", QStringLiteral("普通销售")), Text("cSource", kSource), Found("cWhCode", 0),
                       Cell("dDate", 'B'), Cell("cCode", 'A'), Found("cRdCode", 3), Cell("cDepCode", 'I'),
                       Cell("cCusCode", 'K'), Text("cHandler", kHandler), Cell("cMaker", 'L'), Whole("iNetLock", 0),
                       Zero("cDefine7"), Cell("dVeriDate", 'B'), Whole("VT_ID", 87), Zero("cDefine16")},
            // No column of the sheet feeds cdefine22: it is written as empty text.
            .detail = {Cell("cinvcode", 'O'), Cell("iNum", 'S'), Cell("iQuantity", 'S'),
                       CostPrice("iUnitCost", kCostPlaces), CostAmount("iPrice", 'S', kAmountPlaces),
                       CostAmount("iAPrice", 'S', kAmountPlaces), CostPrice("fACost", kCostPlaces), Whole("iFlag", 0),
                       Text("cPosition", QStringLiteral("")), Zero("cDefine26"), Zero("cDefine27"),
                       Text("cdefine22", QStringLiteral(""))},
            .failed = FailedVoucher::GoesToErrorArea,
            .pricing = CostPricing{.itemColumn = Col('O'), .warehouseColumn = Col('D'), .firstRowWarehouse = 0}};
}

// The lines of material and other issues: cost and amount as the sheet gives them.
std::vector<FieldRule> IssueLine(char item, char quantity, char unitCost, char amount) {
    return {Cell("cinvcode", item),
            Cell("iNum", quantity),
            Cell("iQuantity", quantity),
            Decimals("iUnitCost", unitCost, kCostPlaces),
            Decimals("iPrice", amount, kAmountPlaces),
            Whole("iFlag", 0),
            Text("cPosition", QStringLiteral("")),
            Zero("cDefine26"),
            Zero("cDefine27")};
}

// Key D; warehouse and department by name.
VoucherSheet MaterialIssue() {
    return {.caption = QStringLiteral("材料出库单"),
            .keyColumn = Col('D'),
            .reads = Reads("BCEGHKLM", 'C', "KLM"),
            .everyRowChecks = {Item('G', 'H')},
            .firstRowChecks = {WarehouseByName('B'), DepartmentByName('E')},
            .header = {Whole("bRdFlag", 0), Text("cVouchType", QStringLiteral("11")),
                       Text("cBusType", QStringLiteral("领料")), Text("cSource", kSource), Found("cWhCode", 0),
                       Cell("dDate", 'C'), Cell("cCode", 'D'), Found("cDepCode", 1), Text("cHandler", kHandler),
                       Text("cMaker", kHandler), Whole("iNetLock", 0), Zero("cDefine7"), Cell("dVeriDate", 'C'),
                       Whole("VT_ID", 65), Zero("cDefine16")},
            .detail = IssueLine('G', 'K', 'L', 'M')};
}

// Key F; warehouse, department and category by name; the voucher type is the one named B followed by "单".
VoucherSheet OtherIssue() {
    return {
        .caption = QStringLiteral("其他出库单"),
        .keyColumn = Col('F'),
        .reads = Reads("BDEGHJMNQRS", 'E', "QRS"),
        .everyRowChecks = {Item('M', 'N')},
        .firstRowChecks = {WarehouseByName('D'), DepartmentByName('H'), CategoryByName('G'), VoucherTypeByName('B')},
        .header = {Whole("bRdFlag", 0), Found("cVouchType", 3), Cell("cBusType", 'B'), Text("cSource", kSource),
                   Found("cWhCode", 0), Cell("dDate", 'E'), Cell("cCode", 'F'), Found("cRdCode", 2),
                   Found("cDepCode", 1), Text("cHandler", kHandler), Cell("cMaker", 'J'), Whole("iNetLock", 0),
                   Zero("cDefine7"), Cell("dVeriDate", 'E'), Whole("VT_ID", 85), Zero("cDefine16")},
        .detail = IssueLine('M', 'Q', 'R', 'S')};
}

} // namespace

void AddIssueSheets(ImporterRegistry& registry) {
    AddVoucherSheet(registry, SalesDelivery());
    AddVoucherSheet(registry, MaterialIssue());
    AddVoucherSheet(registry, OtherIssue());
}

} // namespace hz
