#include "cli/demo/sample_voucher_lines.h"

#include "cli/demo/sample_names.h"

namespace hz::cli {

LineRecords RecordsOf(Flow flow, SampleLine at, int rows) {
    // The flow shifts warehouse and item, so that each flow fills pairs of its own.
    return {(at.index + flow) % rows, at.index % rows, (at.index + at.line + flow) % rows};
}

LineMoney ReceiptMoney(SampleLine at) {
    return {(1 + (at.index * 7 + at.line * 3) % 200) * 10000LL + (at.index + at.line) % 16 * 625,
            50000 + (at.index * 7919LL + at.line * 104729LL) % 5000000};
}

LineMoney IssueMoney(SampleLine at) {
    const LineMoney received = ReceiptMoney(at);
    return {received.quantity * (1 + (at.index + at.line) % 4) / 5, received.unitCost};
}

void WriteQuantity(SampleRow& row, int column, std::int64_t quantity) {
    row.Number(column, static_cast<double>(quantity) / 1e4);
}

void WriteMoney(SampleRow& row, int first, LineMoney money) {
    const std::int64_t cents = (money.quantity * money.unitCost + 500000) / 1000000;
    WriteQuantity(row, first, money.quantity);
    row.Number(first + 1, static_cast<double>(money.unitCost) / 1e4);
    row.Number(first + 2, static_cast<double>(cents) / 1e2);
}

const QDate kOpeningDay(2026, 1, 1);

QDate ReceiptDate(int voucher) {
    return kOpeningDay.addDays(1 + voucher % 363);
}

QDate IssueDate(int voucher) {
    return ReceiptDate(voucher).addDays(1);
}

void WriteDate(SampleRow& row, int column, QDate date, int index) {
    if (index % 2 == 0) {
        row.Date(column, date);
    } else {
        row.Text(column, date.toString(QStringLiteral("yyyy/M/d")).toStdString());
    }
}

void WriteItemCodeAndName(SampleRow& row, int codeColumn, int item, int rows) {
    row.Text(codeColumn, Code(kInventory, item, rows));
    row.Text(codeColumn + 1, Name(kInventory, item));
}

} // namespace hz::cli
