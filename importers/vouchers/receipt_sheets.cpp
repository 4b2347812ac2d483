// Purchase, finished-product and other receipts: stock vouchers into the warehouse (bRdFlag 1), one per run of
// rows with one key. The sheet's key groups the rows only; the saved voucher is numbered from its id.
#include "importers/vouchers/receipt_sheets.h"

#include "importers/vouchers/voucher_sheet.h"

#include <set>

namespace hz {

namespace {

using Kind = SheetCheck::Kind;

const QString kHandler = QStringLiteral("demo");
const QString kSource = QStringLiteral("库存");

// Unit costs are held at 4 decimals, amounts at 2.
constexpr int kCostPlaces = 4;
constexpr int kAmountPlaces = 2;

// The vouchers' numeric user-defined fields are written as the number 0.
FieldRule Zero(const char* name) {
    return field::Constant(QString::fromLatin1(name), 0.0);
}

FieldRule Text(const char* name, const QString& text) {
    return field::Constant(QString::fromLatin1(name), text);
}

FieldRule Whole(const char* name, int value) {
    return field::Constant(QString::fromLatin1(name), value);
}

FieldRule Cell(const char* name, int column) {
    return field::Cell(QString::fromLatin1(name), column);
}

FieldRule Found(const char* name, int index) {
    return field::Found(QString::fromLatin1(name), index);
}

FieldRule Decimals(const char* name, int column, int places) {
    return field::AtDecimals(QString::fromLatin1(name), column, places);
}

// Columns first to last, left to right, but for the skipped ones (the key, read before, among them): the date
// column as a date, the number columns as numbers, the others as text.
std::vector<CellRead> Reads(int first, int last, const std::set<int>& skipped, int dateColumn,
                            const std::set<int>& numberColumns) {
    std::vector<CellRead> reads;
    for (int column = first; column <= last; ++column) {
        if (skipped.contains(column)) {
            continue;
        }
        const CellForm form = column == dateColumn             ? CellForm::Date
                              : numberColumns.contains(column) ? CellForm::Number
                                                               : CellForm::Text;
        reads.push_back({column, form});
    }
    return reads;
}

// A name looked up without a label: an empty name gives an empty code.
SheetCheck Lookup(const char* table, const char* codeField, const char* nameField, int nameColumn,
                  const char* nameSuffix = "") {
    return {Kind::LookupCodeByName,
            QString::fromLatin1(table),
            QString::fromLatin1(codeField),
            QString::fromLatin1(nameField),
            0,
            nameColumn,
            QString(),
            false,
            QString::fromUtf8(nameSuffix)};
}

SheetCheck CodeAndName(const char* table, const char* codeField, const char* nameField, int codeColumn, int nameColumn,
                       const char* label) {
    return {Kind::CheckCodeAndName,
            QString::fromLatin1(table),
            QString::fromLatin1(codeField),
            QString::fromLatin1(nameField),
            codeColumn,
            nameColumn,
            QString::fromUtf8(label),
            true};
}

SheetCheck Warehouse(int nameColumn) {
    return Lookup("Warehouse", "cWhCode", "cWhName", nameColumn);
}
SheetCheck Department(int nameColumn) {
    return Lookup("Department", "cDepCode", "cDepName", nameColumn);
}
SheetCheck Category(int nameColumn) {
    return Lookup("Rd_Style", "cRdCode", "cRdname", nameColumn);
}
SheetCheck Item(int codeColumn, int nameColumn) {
    return CodeAndName("Inventory", "cInvCode", "cInvName", codeColumn, nameColumn, "存货");
}

// Key C, columns A to S; warehouse, vendor and department by code and name; purchase type and category by name.
VoucherSheet PurchaseReceipt() {
    return {QStringLiteral("采购入库单"),
            3,
            Reads(1, 19, {3}, 4, {17, 18, 19}),
            {CodeAndName("Warehouse", "cWhCode", "cWhName", 2, 1, "仓库"),
             CodeAndName("Vendor", "cVenCode", "cVenName", 6, 5, "供货商"),
             CodeAndName("Department", "cDepCode", "cDepName", 8, 7, "部门"),
             Lookup("PurchaseType", "cPTcode", "cPTName", 9), Category(10), Item(14, 15)},
            {Whole("bRdFlag", 1), Text("cVouchType", QStringLiteral("01")),
             Text("cBusType", QStringLiteral("普通采购")), Text("cSource", kSource), Cell("cWhCode", 2),
             Cell("dDate", 4), Cell("cCode", 3), Found("cRdCode", 4), Cell("cDepCode", 8), Found("cPTCode", 3),
             Cell("cVenCode", 6), Text("cHandler", kHandler), Cell("cMaker", 11), Whole("iNetLock", 0),
             Zero("cDefine7"), Cell("dVeriDate", 4), Cell("dARVDate", 4), Whole("VT_ID", 27), Zero("cDefine16")},
            {Cell("cinvcode", 14), Cell("iNum", 17), Cell("iQuantity", 17), Decimals("iUnitCost", 18, kCostPlaces),
             Decimals("iPrice", 19, kAmountPlaces), Decimals("iAPrice", 19, kAmountPlaces), Whole("iFlag", 0),
             Decimals("fACost", 18, kCostPlaces)}};
}

// Key D, columns B to R without N; warehouse, department and category by name.
VoucherSheet FinishedProductReceipt() {
    return {QStringLiteral("产成品入库单"),
            4,
            Reads(2, 18, {4, 14}, 3, {16, 17, 18}),
            {Warehouse(2), Department(5), Category(6), Item(12, 13)},
            {Whole("bRdFlag", 1), Text("cVouchType", QStringLiteral("10")),
             Text("cBusType", QStringLiteral("成品入库")), Text("cSource", kSource), Found("cWhCode", 0),
             Cell("dDate", 3), Cell("cCode", 4), Found("cRdCode", 2), Found("cDepCode", 1), Cell("cProBatch", 7),
             Cell("cMemo", 8), Text("cHandler", kHandler), Cell("cMaker", 9), Whole("iNetLock", 0), Zero("cDefine7"),
             Cell("dVeriDate", 3), Whole("VT_ID", 63), Zero("cDefine16")},
            {Cell("cinvcode", 12), Cell("iNum", 16), Cell("iQuantity", 16), Decimals("iUnitCost", 17, kCostPlaces),
             Decimals("iPrice", 18, kAmountPlaces), Whole("iFlag", 0), Text("cPosition", QStringLiteral("")),
             Zero("cDefine26"), Zero("cDefine27")}};
}

// Key F, columns B to T without C and O; warehouse, department and category by name; the voucher type is the one named
// B followed by "单".
VoucherSheet OtherReceipt() {
    return {QStringLiteral("其他入库单"),
            6,
            Reads(2, 20, {3, 6, 15}, 5, {17, 18, 19}),
            {Warehouse(4), Department(8), Category(7), Item(13, 14),
             Lookup("VouchType", "cVouchType", "cVouchName", 2, "单")},
            {Whole("bRdFlag", 1), Found("cVouchType", 4), Cell("cBusType", 2), Text("cSource", kSource),
             Found("cWhCode", 0), Cell("dDate", 5), Cell("cCode", 6), Found("cRdCode", 2), Found("cDepCode", 1),
             Text("cHandler", kHandler), Cell("cMaker", 10), Whole("iNetLock", 0), Zero("cDefine7"),
             Cell("dVeriDate", 5), Whole("VT_ID", 67), Zero("cDefine16")},
            {Cell("cinvcode", 13), Cell("iNum", 17), Cell("iQuantity", 17), Decimals("iUnitCost", 18, kCostPlaces),
             Decimals("iPrice", 19, kAmountPlaces), Whole("iFlag", 0), Text("cPosition", QStringLiteral("")),
             Zero("cDefine26"), Zero("cDefine27"), Cell("cdefine22", 20)}};
}

} // namespace

void AddReceiptSheets(ImporterRegistry& registry) {
    AddVoucherSheet(registry, PurchaseReceipt());
    AddVoucherSheet(registry, FinishedProductReceipt());
    AddVoucherSheet(registry, OtherReceipt());
}

} // namespace hz
