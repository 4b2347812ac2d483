// Purchase, finished-product and other receipts: stock vouchers into the warehouse (bRdFlag 1), one per run of
// rows with one key. The sheet's key groups the rows only; the saved voucher is numbered from its id.
#include "importers/vouchers/receipt_sheets.h"

#include "importers/vouchers/voucher_pieces.h"
#include "importers/vouchers/voucher_sheet.h"

namespace hz {

namespace {

using namespace voucher;

// Key C; warehouse, vendor and department by code and name; purchase type and category by name.
VoucherSheet PurchaseReceipt() {
    return {.caption = QStringLiteral("采购入库单"),
            .keyColumn = Col('C'),
            .reads = Reads("ABDEFGHIJKLMNOPQRS", 'D', "QRS"),
            .firstRowChecks = {CodeAndName("Warehouse", "cWhCode", "cWhName", 'B', 'A', "仓库"),
                               CodeAndName("Vendor", "cVenCode", "cVenName", 'F', 'E', "供货商"),
                               CodeAndName("Department", "cDepCode", "cDepName", 'H', 'G', "部门"),
                               Lookup("PurchaseType", "cPTcode", "cPTName", 'I'), CategoryByName('J'), Item('N', 'O')},
            .continuingRowChecks = {ItemExists('N')},
            .header = {Whole("bRdFlag", 1), Text("cVouchType", QStringLiteral("01")),
                       Text("cBusType", QStringLiteral("普通采购")), Text("cSource", kSource), Cell("cWhCode", 'B'),
                       Cell("dDate", 'D'), Cell("cCode", 'C'), Found("cRdCode", 4), Cell("cDepCode", 'H'),
                       Found("cPTCode", 3), Cell("cVenCode", 'F'), Text("cHandler", kHandler), Cell("cMaker", 'K'),
                       Whole("iNetLock", 0), Zero("cDefine7"), Cell("dVeriDate", 'D'), Cell("dARVDate", 'D'),
                       Whole("VT_ID", 27), Zero("cDefine16")},
            .detail = {Cell("cinvcode", 'N'), Cell("iNum", 'Q'), Cell("iQuantity", 'Q'),
                       Decimals("iUnitCost", 'R', kCostPlaces), Decimals("iPrice", 'S', kAmountPlaces),
                       Decimals("iAPrice", 'S', kAmountPlaces), Whole("iFlag", 0),
                       Decimals("fACost", 'R', kCostPlaces)}};
}

// Key D; warehouse, department and category by name.
VoucherSheet FinishedProductReceipt() {
    return {.caption = QStringLiteral("产成品入库单"),
            .keyColumn = Col('D'),
            .reads = Reads("BCEFGHIJKLMOPQR", 'C', "PQR"),
            .firstRowChecks = {WarehouseByName('B'), DepartmentByName('E'), CategoryByName('F'), Item('L', 'M')},
            .continuingRowChecks = {ItemExists('L')},
            .header = {Whole("bRdFlag", 1), Text("cVouchType", QStringLiteral("10")),
                       Text("cBusType", QStringLiteral("成品入库")), Text("cSource", kSource), Found("cWhCode", 0),
                       Cell("dDate", 'C'), Cell("cCode", 'D'), Found("cRdCode", 2), Found("cDepCode", 1),
                       Cell("cProBatch", 'G'), Cell("cMemo", 'H'), Text("cHandler", kHandler), Cell("cMaker", 'I'),
                       Whole("iNetLock", 0), Zero("cDefine7"), Cell("dVeriDate", 'C'), Whole("VT_ID", 63),
                       Zero("cDefine16")},
            .detail = {Cell("cinvcode", 'L'), Cell("iNum", 'P'), Cell("iQuantity", 'P'),
                       Decimals("iUnitCost", 'Q', kCostPlaces), Decimals("iPrice", 'R', kAmountPlaces),
                       Whole("iFlag", 0), Text("cPosition", QStringLiteral("")), Zero("cDefine26"), Zero("cDefine27")}};
}

// Key F; warehouse, department and category by name; the voucher type is the one named B followed by "单".
VoucherSheet OtherReceipt() {
    return {.caption = QStringLiteral("其他入库单"),
            .keyColumn = Col('F'),
            .reads = Reads("BDEGHIJKLMNPQRST", 'E', "QRS"),
            .firstRowChecks = {WarehouseByName('D'), DepartmentByName('H'), CategoryByName('G'), Item('M', 'N'),
                               VoucherTypeByName('B')},
            .continuingRowChecks = {ItemExists('M')},
            .header = {Whole("bRdFlag", 1), Found("cVouchType", 4), Cell("cBusType", 'B'), Text("cSource", kSource),
                       Found("cWhCode", 0), Cell("dDate", 'E'), Cell("cCode", 'F'), Found("cRdCode", 2),
                       Found("cDepCode", 1), Text("cHandler", kHandler), Cell("cMaker", 'J'), Whole("iNetLock", 0),
                       Zero("cDefine7"), Cell("dVeriDate", 'E'), Whole("VT_ID", 67), Zero("cDefine16")},
            .detail = {Cell("cinvcode", 'M'), Cell("iNum", 'Q'), Cell("iQuantity", 'Q'),
                       Decimals("iUnitCost", 'R', kCostPlaces), Decimals("iPrice", 'S', kAmountPlaces),
                       Whole("iFlag", 0), Text("cPosition", QStringLiteral("")), Zero("cDefine26"), Zero("cDefine27"),
                       Cell("cdefine22", 'T')}};
}

} // namespace

void AddReceiptSheets(ImporterRegistry& registry) {
    AddVoucherSheet(registry, PurchaseReceipt());
    AddVoucherSheet(registry, FinishedProductReceipt());
    AddVoucherSheet(registry, OtherReceipt());
}

} // namespace hz
