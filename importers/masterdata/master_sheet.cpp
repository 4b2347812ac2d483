#include "importers/masterdata/master_sheet.h"

#include "engine/rows/row_primitives.h"
#include "engine/run/import_run_context.h"
#include "engine/run/importer_registry.h"
#include "engine/run/journal_steps.h"

#include <memory>
#include <utility>

namespace hz {

namespace {

// Checks, appends and saves the row at context.row; false at a row error, which has been reported.
bool ImportMasterRow(ImportRunContext& context, const MasterSheet& sheet, const QString& code, SheetRow& values) {
    // The row's checks and its save run in one transaction, committed by SaveMasterRow, so that no other program
    // can add the code between its check and the insert. On SQLite the transaction holds the write lock from its
    // start, which also keeps every row the checks read, and the row takes it once instead of once per statement.
    // On SQL Server the new-code check's UPDLOCK, HOLDLOCK keeps the code's key range until the commit, so that a
    // second program with the same code waits at its check, and the code-and-name checks' HOLDLOCK keeps the rows
    // they found. A row error or an error that ends the run rolls it back.
    TransactionGuard rowTransaction(context.erp.Con);
    if (!CheckCodeIsNew(context, sheet.table, sheet.codeField, code)) {
        return false;
    }
    values.Clear();
    values.cells[sheet.codeColumn] = code;
    if (!ReadCells(context, sheet.reads, values) || !RunChecks(context, sheet.checks, values)) {
        return false;
    }
    BatchDataset& QMain = context.erp.QMain;
    QMain.Append();
    SetFields(QMain, sheet.fields, values);
    JournalMasterRow(context, sheet.table, sheet.codeField, code);
    SaveMasterRow(context, values.Text(sheet.identifierColumn));
    return true;
}

} // namespace

void ImportMasterSheet(ImportRunContext& context, const MasterSheet& sheet) {
    BatchDataset& QMain = context.erp.QMain;
    QMain.Close();
    QMain.Open(QStringLiteral("Select Top 0 * From ") + sheet.table);
    SheetRow values;
    while (!context.StopsHere()) {
        const QString code = ReadCell(context, context.row, sheet.codeColumn);
        if (code.isEmpty()) {
            return;
        }
        const bool imported = ImportMasterRow(context, sheet, code, values);
        if (!imported && !GoesOnAfterRowError(context)) {
            return;
        }
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

} // namespace hz
