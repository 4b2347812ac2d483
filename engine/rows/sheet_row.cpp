#include "engine/rows/sheet_row.h"

#include "engine/database/batch_dataset.h"
#include "engine/messages/run_error.h"
#include "engine/platform/local_time.h"
#include "engine/rows/row_primitives.h"
#include "engine/run/import_run_context.h"
#include "engine/text/ansi_text.h"
#include "engine/text/fixed_decimals.h"
#include "engine/text/regional_date.h"

#include <QDate>
#include <QStringBuilder>

#include <ctime>
#include <optional>

#include <utility>

namespace hz {

namespace {

// The abbreviation fields hold 30 bytes of code page 936.
constexpr qsizetype kAbbreviationBytes = 30;

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
        return ParseShortDate(ReadCell(context, context.row, read.column));
    }
    Q_UNREACHABLE();
}

bool RunCheck(ImportRunContext& context, const SheetCheck& check, SheetRow& row) {
    switch (check.kind) {
    case SheetCheck::Kind::LookupCodeByName: {
        QString code;
        const bool found =
            LookupCodeByName(context, check.table, check.codeField, check.nameField,
                             row.Text(check.nameColumn) + check.nameSuffix, code, check.required, check.label);
        row.found.emplace_back(code);
        return found;
    }
    case SheetCheck::Kind::CheckCodeAndName:
        row.found.emplace_back();
        return CheckCodeAndName(context, check.table, check.codeField, check.nameField, row.Text(check.codeColumn),
                                row.Text(check.nameColumn), check.label);
    case SheetCheck::Kind::CheckCodeExists:
        row.found.emplace_back();
        return CheckCodeExists(context, check.table, check.codeField, row.Text(check.codeColumn), check.label);
    case SheetCheck::Kind::ReadField: {
        Query& query = context.erp.QGongYong;
        query.SetText(QStringLiteral("Select ") % check.nameField % QStringLiteral(" From ") % check.table %
                      QStringLiteral(" Where ") % check.codeField % QStringLiteral(" = :Value"));
        query.Bind(QStringLiteral("Value"), row.Text(check.codeColumn));
        query.Exec();
        row.found.emplace_back(query.First() ? query.Int(check.nameField) : 0);
        return true;
    }
    }
    Q_UNREACHABLE();
}

// The computer's local date, the time zone read once per process (Qt's current date looks it up on every call).
QDate LocalToday() {
    const std::tm local = LocalTime(std::time(nullptr));
    return QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

} // namespace

void SheetRow::Clear() {
    cells.fill(QVariant());
    found.clear();
    costPrice = 0;
}

bool ReadCells(ImportRunContext& context, const std::vector<CellRead>& reads, SheetRow& row) {
    try {
        for (const CellRead& read : reads) {
            row.cells[read.column] = ReadValue(context, read);
        }
    } catch (const CellError& error) {
        if (!context.Checking()) {
            throw;
        }
        ReportRowError(context, QString::fromUtf8(error.what()));
        return false;
    }
    return true;
}

bool RunChecks(ImportRunContext& context, const std::vector<SheetCheck>& checks, SheetRow& row) {
    // The checks read one state of the ERP and take its locks once: in the row's transaction when one is open,
    // else in a read transaction of their own. A row error ends it before its message.
    std::optional<TransactionGuard> snapshot;
    if (!checks.empty() && !context.erp.Con.InTransaction()) {
        snapshot.emplace(context.erp.Con, TransactionKind::Read);
    }
    for (const SheetCheck& check : checks) {
        if (!RunCheck(context, check, row)) {
            return false;
        }
    }
    if (snapshot) {
        snapshot->Commit();
    }
    return true;
}

void SetFields(BatchDataset& dataset, const std::vector<FieldRule>& fields, const SheetRow& row) {
    for (const FieldRule& rule : fields) {
        dataset.SetField(rule.name, rule.value(row));
    }
}

namespace field {

FieldRule Cell(QString name, int column) {
    return {std::move(name), [column](const SheetRow& row) { return row.cells[column]; }};
}

FieldRule Found(QString name, int index) {
    return {std::move(name), [index](const SheetRow& row) { return row.found[index]; }};
}

FieldRule Constant(QString name, QVariant value) {
    return {std::move(name), [value = std::move(value)](const SheetRow&) { return value; }};
}

FieldRule TextIs(QString name, int column, QString text) {
    return {std::move(name),
            [column, text = std::move(text)](const SheetRow& row) { return QVariant(row.Text(column) == text); }};
}

FieldRule Abbreviation(QString name, int column) {
    return {std::move(name),
            [column](const SheetRow& row) { return QVariant(CutToAnsiBytes(row.Text(column), kAbbreviationBytes)); }};
}

FieldRule Today(QString name) {
    return {std::move(name), [](const SheetRow&) { return QVariant(LocalToday()); }};
}

FieldRule AtDecimals(QString name, int column, int places) {
    return {std::move(name), [column, places](const SheetRow& row) {
                return QVariant(FixedDecimals(row.cells[column].toDouble(), places));
            }};
}

FieldRule Derived(QString name, std::function<QVariant(const SheetRow&)> value) {
    return {std::move(name), std::move(value)};
}

} // namespace field

} // namespace hz
