#pragma once

#include <QString>
#include <QVariant>

#include <array>
#include <functional>
#include <vector>

namespace hz {

class ImporterRegistry;
struct ImportRunContext;

// A master-data sheet kind described as data: which cells it reads, which references it checks, which fields it
// writes. ImportMasterSheet runs every kind through the one routine shape: prepare QMain on the target table,
// read the code, check it is new, read the other cells, run the checks in order, append, save, advance.

// How a cell is read. Date is a text in the short date form, converted after reading.
enum class CellForm { Text, TrimmedText, Number, Integer, Date };

struct CellRead {
    int column;
    CellForm form;
};

// The values of one sheet row: each read cell by its column (text as QString, number as double, whole number
// as int, date as QDateTime at midnight), and what each check found, by the check's place in the list.
struct MasterRow {
    static constexpr int kColumns = 16;
    std::array<QVariant, kColumns + 1> cells;
    std::vector<QVariant> found;

    QString Text(int column) const { return cells[column].toString(); }
};

// A reference check, run after the cells are read; a failure is a row error that ends the sheet.
struct MasterCheck {
    enum class Kind {
        LookupCodeByName, // the code of the row of table whose name is in nameColumn; found: the code
        CheckCodeAndName, // codeColumn's code exists in table with nameColumn's name; found: nothing
        ReadField,        // valueField of the row of table whose codeField is codeColumn's code; found: an int
    };
    Kind kind;
    QString table;
    QString codeField;
    QString nameField; // ReadField: the field read
    int codeColumn;
    int nameColumn;
    QString label;
    bool required;
};

// A field of the written row and how its value comes from the row.
struct MasterField {
    QString name;
    std::function<QVariant(const MasterRow&)> value;
};

struct MasterSheet {
    QString caption; // the sheet kind
    QString table;
    QString codeField;
    int codeColumn;                  // an empty code cell ends the sheet
    int identifierColumn;            // the text naming the row in a failed save's message
    std::vector<CellRead> reads;     // after the code check, in this order
    std::vector<MasterCheck> checks; // in this order
    std::vector<MasterField> fields; // set in this order
};

void ImportMasterSheet(ImportRunContext& context, const MasterSheet& sheet);
// Registers ImportMasterSheet on sheet as the importer of its caption.
void AddMasterSheet(ImporterRegistry& registry, MasterSheet sheet);

// Field values, for the descriptions.
namespace field {

// The value read from column.
MasterField Cell(QString name, int column);
// What check number index found.
MasterField Found(QString name, int index);
MasterField Constant(QString name, QVariant value);
// True exactly when column's text equals text.
MasterField TextIs(QString name, int column, QString text);
// The first 30 code page 936 bytes of column's text, never splitting a character.
MasterField Abbreviation(QString name, int column);
// Today's date on this computer's clock, at midnight.
MasterField Today(QString name);
// Any other rule of one kind.
MasterField Derived(QString name, std::function<QVariant(const MasterRow&)> value);

} // namespace field

} // namespace hz
