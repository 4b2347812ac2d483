#pragma once

#include "cli/demo/sample_rows.h"

#include <QDate>

#include <cstdint>

namespace hz::cli {

// The stock flows of the sample, in the order of their categories' words. Each receipt kind brings items into
// warehouses, and the issue kind of the same flow takes part of them out again, line by line: sales deliveries
// from what the purchases brought, material issues from the finished products, other issues from the other
// receipts. Transfers send part of the finished products on to the warehouse of the other receipts.
enum Flow { kPurchase, kProduct, kOther };

// The records that a voucher line of a flow names, by their indexes on their sheets: the voucher's warehouse
// and department, the line's item. The receipt and the issue of one flow, voucher and line name the same ones.
struct LineRecords {
    int warehouse;
    int department;
    int item;
};

LineRecords RecordsOf(Flow flow, SampleLine at, int rows);

// A line's quantity in ten-thousandths of a unit and unit cost in ten-thousandths of a yuan.
struct LineMoney {
    std::int64_t quantity;
    std::int64_t unitCost;
};

// What the receipt line of a voucher brings in: 1 to 200 units in sixteenths. Opening stock is line 0 of its row.
LineMoney ReceiptMoney(SampleLine at);
// What the issue line of a voucher takes out of the warehouse and item that the receipt line of the same flow,
// voucher and line filled (RecordsOf): a fifth to four fifths of its quantity, at its unit cost.
//
// Why no posting takes a stock below zero, whatever the rows and lines: a receipt line brings at least one unit
// (10000), so its issue line takes at least 2000 and at most 4/5 of it, strictly less; each receipt line feeds
// one issue line and no other (transfers are not posted). So for every warehouse and item all issues together
// take less than the receipts brought in, let alone opening stock plus receipts; and a run posts every receipt
// before the first issue, whose sheets come later in tab order.
LineMoney IssueMoney(SampleLine at);

void WriteQuantity(SampleRow& row, int column, std::int64_t quantity);
// Quantity, unit cost and amount in three columns from first; the amount is their product rounded half up to
// the cent, computed in integers.
void WriteMoney(SampleRow& row, int first, LineMoney money);

// The demo ERP's year: opening stock on its first day, receipts later, the issues and transfers of a voucher the
// day after its receipt.
extern const QDate kOpeningDay;
QDate ReceiptDate(int voucher);
QDate IssueDate(int voucher);
// Every other date (by index) as a date cell, the rest as short-date text, to read both forms.
void WriteDate(SampleRow& row, int column, QDate date, int index);

// The item's code in codeColumn and its name in the next column.
void WriteItemCodeAndName(SampleRow& row, int codeColumn, int item, int rows);

} // namespace hz::cli
