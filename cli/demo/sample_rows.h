#pragma once

#include <QDate>
#include <QStringView>

#include <span>
#include <string>

namespace hz::cli {

// The cells of one data row of a sample worksheet, written as they are set, left to right. Columns count
// from 1 (column 1 is A); texts are UTF-8.
class SampleRow {
public:
    virtual void Text(int column, const std::string& text) = 0;
    virtual void Number(int column, double value) = 0;
    // A date cell, shown in the regional short date form.
    virtual void Date(int column, QDate date) = 0;

protected:
    ~SampleRow() = default;
};

// Where a worksheet row stands: on the record of index (from 0), or on line (from 0) of the voucher of index.
struct SampleLine {
    int index;
    int line;
};

// A warehouse and an item, by their indexes (from 0) on the warehouse and item sheets.
struct StockPair {
    int warehouse;
    int item;
};

// How the sample fills the worksheet of one kind: fill writes the record or voucher line at its place on its
// row, given the number of records of every worksheet. A sheet of vouchers holds that many vouchers of
// several lines each; any other sheet one row per record. A sheet whose lines carry no prices, because the
// import prices them at the ERP's cost price, names with costPricePair the warehouse and item of each line's
// price; null on every other sheet.
struct SampleSheet {
    QStringView caption;
    bool vouchers;
    void (*fill)(SampleRow& row, SampleLine at, int rows);
    StockPair (*costPricePair)(SampleLine at, int rows);
};

// The sample's worksheets in tab order. A run walks them in this order, so every record comes after the
// records it names: classes, districts and departments before persons, partners and warehouses; unit groups
// before units; inventory classes, groups and units before items; all of these before the vouchers; receipts
// before the issues that take from them.
std::span<const SampleSheet> SampleSheets();

} // namespace hz::cli
