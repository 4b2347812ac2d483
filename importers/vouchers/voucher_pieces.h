#pragma once

#include "engine/rows/sheet_row.h"

#include <vector>

// The pieces from which the voucher kinds' tables are written, columns named by their letters as the sheets'
// headers show them.
namespace hz::voucher {

// Unit costs are held at 4 decimals, amounts at 2.
inline constexpr int kCostPlaces = 4;
inline constexpr int kAmountPlaces = 2;

// The handler written into every stock voucher, and its source.
inline const QString kHandler = QStringLiteral("demo");
inline const QString kSource = QStringLiteral("库存");

// The cells read after the key, in the order of columns (letters, left to right): dateColumn as a date, the
// numberColumns as numbers, the others as text.
std::vector<CellRead> Reads(const char* columns, char dateColumn, const char* numberColumns);

// The numeric user-defined fields are written as the number 0.
FieldRule Zero(const char* name);
FieldRule Text(const char* name, const QString& text);
FieldRule Whole(const char* name, int value);
FieldRule Cell(const char* name, char column);
// What check number index of the voucher's first row found.
FieldRule Found(const char* name, int index);
// The number of column held at places decimals.
FieldRule Decimals(const char* name, char column, int places);
// The row's cost price held at places decimals.
FieldRule CostPrice(const char* name, int places);
// The number of quantityColumn times the row's cost price, held at places decimals.
FieldRule CostAmount(const char* name, char quantityColumn, int places);

// The code of the row of table whose nameField is the text of nameColumn (followed by nameSuffix), looked up
// without a label: an empty name gives an empty code.
SheetCheck Lookup(const char* table, const char* codeField, const char* nameField, char nameColumn,
                  const char* nameSuffix = "");
// The code of codeColumn exists in table with the name of nameColumn; label names the pair in the messages.
SheetCheck CodeAndName(const char* table, const char* codeField, const char* nameField, char codeColumn,
                       char nameColumn, const char* label);

SheetCheck WarehouseByName(char nameColumn);
SheetCheck DepartmentByName(char nameColumn);
SheetCheck CategoryByName(char nameColumn);
// The voucher type named by the text of businessColumn followed by "单".
SheetCheck VoucherTypeByName(char businessColumn);
SheetCheck Item(char codeColumn, char nameColumn);
// The item code of codeColumn exists, whatever the name beside it: the check of a row that continues a voucher.
SheetCheck ItemExists(char codeColumn);

} // namespace hz::voucher
