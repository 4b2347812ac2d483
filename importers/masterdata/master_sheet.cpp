#include "importers/masterdata/master_sheet.h"

#include "engine/import_run_context.h"
#include "engine/importer_registry.h"
#include "engine/row_primitives.h"

#include <memory>
#include <utility>

namespace hz {

namespace {

// Checks, appends and saves the row at context.row; false at a row error, which has been reported.
bool ImportMasterRow(ImportRunContext& context, const MasterSheet& sheet, const QString& code, SheetRow& values) {
    // The row's checks and its save run in one transaction, committed by SaveMasterRow: no other program can add
    // the code between its check and the insert, and the row takes the database's locks once instead of once per
    // statement. A row error or an error that ends the run rolls it back.
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
    SaveMasterRow(context, values.Text(sheet.identifierColumn));
    return true;
}

} // namespace

void ImportMasterSheet(ImportRunContext& context, const MasterSheet& sheet) {
    BatchDataset& QMain = context.erp.QMain;
    QMain.Close();
    QMain.Open(QStringLiteral("Select Top 0 * From ") + sheet.table);
    SheetRow values;
    for (;;) {
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
