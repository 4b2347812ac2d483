#include "importers/vouchers/voucher_pieces.h"

#include "engine/text/fixed_decimals.h"

#include <cstring>

namespace hz::voucher {

using Kind = SheetCheck::Kind;

std::vector<CellRead> Reads(const char* columns, char dateColumn, const char* numberColumns) {
    std::vector<CellRead> reads;
    for (const char* column = columns; *column; ++column) {
        const CellForm form = *column == dateColumn                 ? CellForm::Date
                              : std::strchr(numberColumns, *column) ? CellForm::Number
                                                                    : CellForm::Text;
        reads.push_back({Col(*column), form});
    }
    return reads;
}

FieldRule Zero(const char* name) {
    return field::Constant(QString::fromLatin1(name), 0.0);
}

FieldRule Text(const char* name, const QString& text) {
    return field::Constant(QString::fromLatin1(name), text);
}

FieldRule Whole(const char* name, int value) {
    return field::Constant(QString::fromLatin1(name), value);
}

FieldRule Cell(const char* name, char column) {
    return field::Cell(QString::fromLatin1(name), Col(column));
}

FieldRule Found(const char* name, int index) {
    return field::Found(QString::fromLatin1(name), index);
}

FieldRule Decimals(const char* name, char column, int places) {
    return field::AtDecimals(QString::fromLatin1(name), Col(column), places);
}

FieldRule CostPrice(const char* name, int places) {
    return field::Derived(QString::fromLatin1(name),
                          [places](const SheetRow& row) { return QVariant(FixedDecimals(row.costPrice, places)); });
}

FieldRule CostAmount(const char* name, char quantityColumn, int places) {
    return field::Derived(QString::fromLatin1(name), [column = Col(quantityColumn), places](const SheetRow& row) {
        return QVariant(FixedDecimals(row.cells[column].toDouble() * row.costPrice, places));
    });
}

SheetCheck Lookup(const char* table, const char* codeField, const char* nameField, char nameColumn,
                  const char* nameSuffix) {
    return {Kind::LookupCodeByName,
            QString::fromLatin1(table),
            QString::fromLatin1(codeField),
            QString::fromLatin1(nameField),
            0,
            Col(nameColumn),
            QString(),
            false,
            QString::fromUtf8(nameSuffix)};
}

SheetCheck CodeAndName(const char* table, const char* codeField, const char* nameField, char codeColumn,
                       char nameColumn, const char* label) {
    return {Kind::CheckCodeAndName,
            QString::fromLatin1(table),
            QString::fromLatin1(codeField),
            QString::fromLatin1(nameField),
            Col(codeColumn),
            Col(nameColumn),
            QString::fromUtf8(label),
            true};
}

SheetCheck WarehouseByName(char nameColumn) {
    return Lookup("Warehouse", "cWhCode", "cWhName", nameColumn);
}

SheetCheck DepartmentByName(char nameColumn) {
    return Lookup("Department", "cDepCode", "cDepName", nameColumn);
}

SheetCheck CategoryByName(char nameColumn) {
    return Lookup("Rd_Style", "cRdCode", "cRdname", nameColumn);
}

SheetCheck VoucherTypeByName(char businessColumn) {
    return Lookup("VouchType", "cVouchType", "cVouchName", businessColumn, "单");
}

SheetCheck Item(char codeColumn, char nameColumn) {
    return CodeAndName("Inventory", "cInvCode", "cInvName", codeColumn, nameColumn, "存货");
}

SheetCheck ItemExists(char codeColumn) {
    return {SheetCheck::Kind::CheckCodeExists,
            QStringLiteral("Inventory"),
            QStringLiteral("cInvCode"),
            QString(),
            Col(codeColumn),
            0,
            QStringLiteral("存货"),
            true};
}

} // namespace hz::voucher
