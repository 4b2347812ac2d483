#include "cli/sample_voucher_rows.h"

#include "cli/sample_names.h"

#include <cstdint>

namespace hz::cli {

namespace {

constexpr const char* kPurchaseTypes[] = {"普通采购", "直运采购", "受托代销"};

// The receipt kinds in the order of their categories' words, and the shift that gives each kind its own pairs
// of warehouse and item.
enum Receipt { kPurchase, kProduct, kOther };

const QDate kOpeningDay(2026, 1, 1);

// Every other date as text, to read both forms.
void WriteDate(SampleRow& row, int column, QDate date, int index) {
    if (index % 2 == 0) {
        row.Date(column, date);
    } else {
        row.Text(column, date.toString(QStringLiteral("yyyy/M/d")).toStdString());
    }
}

QDate ReceiptDate(int voucher) {
    return kOpeningDay.addDays(1 + voucher % 363);
}

// Quantity, unit cost and amount in three columns from first. The quantity counts sixteenths, the unit cost
// ten-thousandths; the amount is their product rounded half up to the cent, computed in integers.
void WriteMoney(SampleRow& row, int first, int voucher, int line) {
    const std::int64_t quantity = (1 + (voucher * 7 + line * 3) % 200) * 10000LL + (voucher + line) % 16 * 625;
    const std::int64_t unitCost = 50000 + (voucher * 7919LL + line * 104729LL) % 5000000;
    const std::int64_t cents = (quantity * unitCost + 500000) / 1000000;
    row.Number(first, static_cast<double>(quantity) / 1e4);
    row.Number(first + 1, static_cast<double>(unitCost) / 1e4);
    row.Number(first + 2, static_cast<double>(cents) / 1e2);
}

// The records a receipt line names: the voucher's warehouse and department, the line's item.
struct ReceiptRecords {
    int warehouse;
    int department;
    int item;
};

ReceiptRecords RecordsOf(Receipt receipt, SampleLine at, int rows) {
    return {(at.index + receipt) % rows, at.index % rows, (at.index + at.line + receipt) % rows};
}

void WriteItemCodeAndName(SampleRow& row, int codeColumn, int item, int rows) {
    row.Text(codeColumn, Code(kInventory, item, rows));
    row.Text(codeColumn + 1, Name(kInventory, item));
}

} // namespace

void WriteOpeningStock(SampleRow& row, SampleLine at, int rows) {
    row.Text(2, Name(kWarehouses, at.index));
    row.Text(3, Code(kWarehouses, at.index, rows));
    WriteItemCodeAndName(row, 4, at.index, rows);
    WriteMoney(row, 7, at.index, 0);
    WriteDate(row, 10, kOpeningDay, at.index);
    row.Text(11, Code(kDepartments, at.index, rows));
    row.Text(12, Name(kDepartments, at.index));
}

void WritePurchaseReceipt(SampleRow& row, SampleLine at, int rows) {
    const ReceiptRecords records = RecordsOf(kPurchase, at, rows);
    row.Text(1, Name(kWarehouses, records.warehouse));
    row.Text(2, Code(kWarehouses, records.warehouse, rows));
    row.Text(3, VoucherKey(at.index, rows));
    WriteDate(row, 4, ReceiptDate(at.index), at.index);
    const int vendor = at.index % rows;
    row.Text(5, Name(kVendors, vendor));
    row.Text(6, Code(kVendors, vendor, rows));
    row.Text(7, Name(kDepartments, records.department));
    row.Text(8, Code(kDepartments, records.department, rows));
    row.Text(9, kPurchaseTypes[at.index % std::size(kPurchaseTypes)]);
    row.Text(10, ReceiptCategoryName(kPurchase, rows));
    row.Text(11, Name(kPersons, at.index % rows));
    WriteItemCodeAndName(row, 14, records.item, rows);
    WriteMoney(row, 17, at.index, at.line);
}

void WriteProductReceipt(SampleRow& row, SampleLine at, int rows) {
    const ReceiptRecords records = RecordsOf(kProduct, at, rows);
    const std::string key = VoucherKey(at.index, rows);
    row.Text(2, Name(kWarehouses, records.warehouse));
    WriteDate(row, 3, ReceiptDate(at.index), at.index);
    row.Text(4, key);
    row.Text(5, Name(kDepartments, records.department));
    row.Text(6, ReceiptCategoryName(kProduct, rows));
    row.Text(7, "B" + key);
    row.Text(8, "第 " + std::to_string(at.index + 1) + " 批完工入库");
    row.Text(9, Name(kPersons, at.index % rows));
    WriteItemCodeAndName(row, 12, records.item, rows);
    WriteMoney(row, 16, at.index, at.line);
}

void WriteOtherReceipt(SampleRow& row, SampleLine at, int rows) {
    const ReceiptRecords records = RecordsOf(kOther, at, rows);
    row.Text(2, "其他入库");
    row.Text(4, Name(kWarehouses, records.warehouse));
    WriteDate(row, 5, ReceiptDate(at.index), at.index);
    row.Text(6, VoucherKey(at.index, rows));
    row.Text(7, ReceiptCategoryName(kOther, rows));
    row.Text(8, Name(kDepartments, records.department));
    row.Text(10, Name(kPersons, at.index % rows));
    WriteItemCodeAndName(row, 13, records.item, rows);
    WriteMoney(row, 17, at.index, at.line);
    row.Text(20, "盘盈补录第 " + std::to_string(at.line + 1) + " 行");
}

} // namespace hz::cli
