#pragma once

#include <QString>
#include <QVariant>

#include <array>
#include <functional>
#include <vector>

namespace hz {

class BatchDataset;
struct ImportRunContext;

// The number of a worksheet column by its letter, A to Z: Col('C') is 3.
constexpr int Col(char letter) {
    return letter - 'A' + 1;
}

// The pieces from which a sheet kind is described as data, shared by the master-data and voucher importers:
// which cells a row reads, which references it checks, and how each written field takes its value.

// How a cell is read. Date is a text in the short date form, converted after reading; written as a date-time
// at midnight.
enum class CellForm { Text, TrimmedText, Number, Integer, Date };

struct CellRead {
    int column;
    CellForm form;
};

// The values of one sheet row: each read cell by its column (text as QString, number as double, whole number
// as int, date as QDate), and what each check found, by the check's place in its list.
struct SheetRow {
    static constexpr int kColumns = 24; // A to X
    std::array<QVariant, kColumns + 1> cells;
    std::vector<QVariant> found;
    double costPrice = 0; // on sheets that price their lines: the cost price of the row's warehouse and item

    QString Text(int column) const { return cells[column].toString(); }
    void Clear();
};

// Reads the cells of context.row into row, in the order given. A cell that is no number or no date where one is read
// ends an import (CellError); in a check it is the row's error: reported, and the result is false.
bool ReadCells(ImportRunContext& context, const std::vector<CellRead>& reads, SheetRow& row);

// A reference check; a failure is a row error (its message shown, runOk false).
struct SheetCheck {
    enum class Kind {
        LookupCodeByName, // the code of the row of table whose name is in nameColumn; found: the code
        CheckCodeAndName, // codeColumn's code exists in table with nameColumn's name; found: nothing
        ReadField,        // nameField of the row of table whose codeField is codeColumn's code; found: an int
        CheckCodeExists,  // codeColumn's code exists in table, whatever its name; found: nothing
    };
    Kind kind;
    QString table;
    QString codeField;
    QString nameField;
    int codeColumn;
    int nameColumn;
    QString label;
    bool required;
    QString nameSuffix = {}; // LookupCodeByName: appended to the cell's text before the lookup
};

// Runs checks in order, appending what each found to row.found; false at the first that fails. They share one
// transaction: the caller's when one is open on Con, else a read transaction of their own.
bool RunChecks(ImportRunContext& context, const std::vector<SheetCheck>& checks, SheetRow& row);

// A field of a written row and how its value comes from the sheet row.
struct FieldRule {
    QString name;
    std::function<QVariant(const SheetRow&)> value;
};

// Sets each field on the dataset's current row, in order.
void SetFields(BatchDataset& dataset, const std::vector<FieldRule>& fields, const SheetRow& row);

namespace field {

// The value read from column.
FieldRule Cell(QString name, int column);
// What check number index found.
FieldRule Found(QString name, int index);
FieldRule Constant(QString name, QVariant value);
// True exactly when column's text equals text.
FieldRule TextIs(QString name, int column, QString text);
// The first 30 code page 936 bytes of column's text, never splitting a character.
FieldRule Abbreviation(QString name, int column);
// Today's date on this computer's clock (written as a date-time at midnight).
FieldRule Today(QString name);
// column's number held at places decimals (FixedDecimals): unit costs at 4, amounts at 2.
FieldRule AtDecimals(QString name, int column, int places);
// Any other rule of one kind.
FieldRule Derived(QString name, std::function<QVariant(const SheetRow&)> value);

} // namespace field

} // namespace hz
