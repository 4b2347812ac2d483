#include "importers/masterdata/master_sheet.h"

#include "engine/ansi_text.h"
#include "engine/import_run_context.h"
#include "engine/importer_registry.h"
#include "engine/regional_date.h"
#include "engine/row_primitives.h"

#include <QDateTime>

#include <memory>
#include <utility>

namespace hz {

namespace {

// The abbreviation fields hold 30 bytes of code page 936.
constexpr qsizetype kAbbreviationBytes = 30;

QDateTime AtMidnight(QDate date) {
    return QDateTime(date, QTime(0, 0));
}

QVariant ReadValue(ImportRunContext& context, const CellRead& read) {
    switch (read.form) {
    case CellForm::Text:
        return ReadCell(context, context.row, read.column);
    case CellForm::TrimmedText:
        return TrimText(ReadCell(context, context.row, read.column));
    case CellForm::Number:
        return ReadCellNumber(context, context.row, read.column);
    case CellForm::Integer:
        return ReadCellInteger(context, context.row, read.column);
    case CellForm::Date:
        return AtMidnight(ParseShortDate(ReadCell(context, context.row, read.column)));
    }
    Q_UNREACHABLE();
}

// Runs one check; false after a row error.
bool RunCheck(ImportRunContext& context, const MasterCheck& check, MasterRow& values) {
    switch (check.kind) {
    case MasterCheck::Kind::LookupCodeByName: {
        QString code;
        const bool found = LookupCodeByName(context, check.table, check.codeField, check.nameField,
                                            values.Text(check.nameColumn), code, check.required, check.label);
        values.found.emplace_back(code);
        return found;
    }
    case MasterCheck::Kind::CheckCodeAndName:
        values.found.emplace_back();
        return CheckCodeAndName(context, check.table, check.codeField, check.nameField, values.Text(check.codeColumn),
                                values.Text(check.nameColumn), check.label);
    case MasterCheck::Kind::ReadField: {
        Query& query = context.erp.QGongYong;
        query.SetText(QStringLiteral("Select ") + check.nameField + QStringLiteral(" From ") + check.table +
                      QStringLiteral(" Where ") + check.codeField + QStringLiteral(" = :Value"));
        query.Bind(QStringLiteral("Value"), values.Text(check.codeColumn));
        query.Exec();
        values.found.emplace_back(query.First() ? query.Int(check.nameField) : 0);
        return true;
    }
    }
    Q_UNREACHABLE();
}

} // namespace

void ImportMasterSheet(ImportRunContext& context, const MasterSheet& sheet) {
    BatchDataset& QMain = context.erp.QMain;
    QMain.Close();
    QMain.Open(QStringLiteral("Select Top 0 * From ") + sheet.table);
    MasterRow values;
    for (;;) {
        const QString code = ReadCell(context, context.row, sheet.codeColumn);
        if (code.isEmpty() || !CheckCodeIsNew(context, sheet.table, sheet.codeField, code)) {
            return;
        }
        values.cells.fill(QVariant());
        values.found.clear();
        values.cells[sheet.codeColumn] = code;
        for (const CellRead& read : sheet.reads) {
            values.cells[read.column] = ReadValue(context, read);
        }
        for (const MasterCheck& check : sheet.checks) {
            if (!RunCheck(context, check, values)) {
                return;
            }
        }
        QMain.Append();
        for (const MasterField& field : sheet.fields) {
            QMain.SetField(field.name, field.value(values));
        }
        SaveMasterRow(context, values.Text(sheet.identifierColumn));
        context.row = ++context.startRows[context.kindIndex];
        context.WriteStartRow();
        context.ReportProgress();
    }
}

void AddMasterSheet(ImporterRegistry& registry, MasterSheet sheet) {
    auto described = std::make_shared<const MasterSheet>(std::move(sheet));
    registry.Add(described->caption,
                 [described](ImportRunContext& context) { ImportMasterSheet(context, *described); });
}

namespace field {

MasterField Cell(QString name, int column) {
    return {std::move(name), [column](const MasterRow& row) { return row.cells[column]; }};
}

MasterField Found(QString name, int index) {
    return {std::move(name), [index](const MasterRow& row) { return row.found[index]; }};
}

MasterField Constant(QString name, QVariant value) {
    return {std::move(name), [value = std::move(value)](const MasterRow&) { return value; }};
}

MasterField TextIs(QString name, int column, QString text) {
    return {std::move(name),
            [column, text = std::move(text)](const MasterRow& row) { return QVariant(row.Text(column) == text); }};
}

MasterField Abbreviation(QString name, int column) {
    return {std::move(name),
            [column](const MasterRow& row) { return QVariant(CutToAnsiBytes(row.Text(column), kAbbreviationBytes)); }};
}

MasterField Today(QString name) {
    return {std::move(name), [](const MasterRow&) { return QVariant(AtMidnight(QDate::currentDate())); }};
}

MasterField Derived(QString name, std::function<QVariant(const MasterRow&)> value) {
    return {std::move(name), std::move(value)};
}

} // namespace field

} // namespace hz
