#include "cli/demo/sample_voucher_rows.h"

#include "cli/demo/sample_names.h"
#include "cli/demo/sample_voucher_lines.h"

namespace hz::cli {

namespace {

constexpr const char* kPurchaseTypes[] = {"普通采购", "直运采购", "受托代销"};

// The transfer's categories, by the place of their words.
constexpr int kTransferWord = 3;

// A record's name in nameColumn and its code in the next column.
void WriteNameAndCode(SampleRow& row, int nameColumn, const RecordNaming& naming, int index, int rows) {
    row.Text(nameColumn, Name(naming, index));
    row.Text(nameColumn + 1, Code(naming, index, rows));
}

void WriteCategoryNameAndCode(SampleRow& row, int nameColumn, int category, int rows) {
    row.Text(nameColumn, CategoryName(category));
    row.Text(nameColumn + 1, CategoryCode(category, rows));
}

// The maker of a voucher.
std::string Maker(SampleLine at, int rows) {
    return Name(kPersons, at.index % rows);
}

// Other receipts and other issues share their layout; the business type names the voucher type, with "单".
struct OtherVoucher {
    const char* businessType;
    int category;
    QDate date;
    LineMoney money;
};

void WriteOtherVoucher(SampleRow& row, SampleLine at, int rows, const OtherVoucher& voucher) {
    const LineRecords records = RecordsOf(kOther, at, rows);
    row.Text(2, voucher.businessType);
    row.Text(4, Name(kWarehouses, records.warehouse));
    WriteDate(row, 5, voucher.date, at.index);
    row.Text(6, VoucherKey(at.index, rows));
    row.Text(7, CategoryName(voucher.category));
    row.Text(8, Name(kDepartments, records.department));
    row.Text(10, Maker(at, rows));
    WriteItemCodeAndName(row, 13, records.item, rows);
    WriteMoney(row, 17, voucher.money);
}

} // namespace

void WriteOpeningStock(SampleRow& row, SampleLine at, int rows) {
    WriteNameAndCode(row, 2, kWarehouses, at.index, rows);
    WriteItemCodeAndName(row, 4, at.index, rows);
    WriteMoney(row, 7, ReceiptMoney({at.index, 0}));
    WriteDate(row, 10, kOpeningDay, at.index);
    row.Text(11, Code(kDepartments, at.index, rows));
    row.Text(12, Name(kDepartments, at.index));
}

void WritePurchaseReceipt(SampleRow& row, SampleLine at, int rows) {
    const LineRecords records = RecordsOf(kPurchase, at, rows);
    WriteNameAndCode(row, 1, kWarehouses, records.warehouse, rows);
    row.Text(3, VoucherKey(at.index, rows));
    WriteDate(row, 4, ReceiptDate(at.index), at.index);
    WriteNameAndCode(row, 5, kVendors, at.index % rows, rows);
    WriteNameAndCode(row, 7, kDepartments, records.department, rows);
    row.Text(9, kPurchaseTypes[at.index % std::size(kPurchaseTypes)]);
    row.Text(10, CategoryName(ReceiptCategory(kPurchase, rows)));
    row.Text(11, Maker(at, rows));
    WriteItemCodeAndName(row, 14, records.item, rows);
    WriteMoney(row, 17, ReceiptMoney(at));
}

void WriteProductReceipt(SampleRow& row, SampleLine at, int rows) {
    const LineRecords records = RecordsOf(kProduct, at, rows);
    const std::string key = VoucherKey(at.index, rows);
    row.Text(2, Name(kWarehouses, records.warehouse));
    WriteDate(row, 3, ReceiptDate(at.index), at.index);
    row.Text(4, key);
    row.Text(5, Name(kDepartments, records.department));
    row.Text(6, CategoryName(ReceiptCategory(kProduct, rows)));
    row.Text(7, "B" + key);
    row.Text(8, "第 " + std::to_string(at.index + 1) + " 批完工入库");
    row.Text(9, Maker(at, rows));
    WriteItemCodeAndName(row, 12, records.item, rows);
    WriteMoney(row, 16, ReceiptMoney(at));
}

void WriteOtherReceipt(SampleRow& row, SampleLine at, int rows) {
    WriteOtherVoucher(row, at, rows,
                      {"其他入库", ReceiptCategory(kOther, rows), ReceiptDate(at.index), ReceiptMoney(at)});
    row.Text(20, "盘盈补录第 " + std::to_string(at.line + 1) + " 行");
}

StockPair TransferCostPricePair(SampleLine at, int rows) {
    const LineRecords records = RecordsOf(kProduct, at, rows);
    return {records.warehouse, records.item};
}

// From the warehouse of the finished products to that of the other receipts, each with its own department (the
// warehouse sheet gives warehouse i to department i).
void WriteTransfer(SampleRow& row, SampleLine at, int rows) {
    const StockPair sent = TransferCostPricePair(at, rows);
    const int received = RecordsOf(kOther, at, rows).warehouse;
    WriteDate(row, 1, IssueDate(at.index), at.index);
    row.Text(2, VoucherKey(at.index, rows));
    WriteNameAndCode(row, 3, kDepartments, received, rows);
    WriteNameAndCode(row, 5, kDepartments, sent.warehouse, rows);
    WriteCategoryNameAndCode(row, 7, ReceiptCategory(kTransferWord, rows), rows);
    WriteCategoryNameAndCode(row, 9, IssueCategory(kTransferWord, rows), rows);
    WriteNameAndCode(row, 11, kWarehouses, sent.warehouse, rows);
    WriteNameAndCode(row, 13, kWarehouses, received, rows);
    row.Text(15, Maker(at, rows));
    WriteItemCodeAndName(row, 16, sent.item, rows);
    WriteQuantity(row, 19, IssueMoney(at).quantity);
}

StockPair SalesCostPricePair(SampleLine at, int rows) {
    const LineRecords records = RecordsOf(kPurchase, at, rows);
    return {records.warehouse, records.item};
}

// Every line names the voucher's warehouse by its code too: the import prices a voucher's later lines in it.
void WriteSalesDelivery(SampleRow& row, SampleLine at, int rows) {
    const StockPair priced = SalesCostPricePair(at, rows);
    const int partner = at.index % rows;
    row.Text(1, VoucherKey(at.index, rows));
    WriteDate(row, 2, IssueDate(at.index), at.index);
    WriteNameAndCode(row, 3, kWarehouses, priced.warehouse, rows);
    row.Text(6, CategoryName(IssueCategory(kPurchase, rows)));
    WriteNameAndCode(row, 8, kDepartments, partner, rows);
    WriteNameAndCode(row, 10, kCustomers, partner, rows);
    row.Text(12, Maker(at, rows));
    WriteItemCodeAndName(row, 15, priced.item, rows);
    WriteQuantity(row, 19, IssueMoney(at).quantity);
}

void WriteMaterialIssue(SampleRow& row, SampleLine at, int rows) {
    const LineRecords records = RecordsOf(kProduct, at, rows);
    row.Text(2, Name(kWarehouses, records.warehouse));
    WriteDate(row, 3, IssueDate(at.index), at.index);
    row.Text(4, VoucherKey(at.index, rows));
    row.Text(5, Name(kDepartments, records.department));
    WriteItemCodeAndName(row, 7, records.item, rows);
    WriteMoney(row, 11, IssueMoney(at));
}

void WriteOtherIssue(SampleRow& row, SampleLine at, int rows) {
    WriteOtherVoucher(row, at, rows, {"其他出库", IssueCategory(kOther, rows), IssueDate(at.index), IssueMoney(at)});
}

} // namespace hz::cli
