#include "importers/masterdata/master_sheet.h"

#include "engine/import_run_context.h"
#include "engine/importer_registry.h"
#include "engine/row_primitives.h"

#include <memory>
#include <utility>

namespace hz {

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
        // The row's checks and its save run in one transaction, committed by SaveMasterRow: no other program
        // can add the code between its check and the insert, and the row takes the database's locks once
        // instead of once per statement. A row error or an error that ends the run rolls it back.
        TransactionGuard rowTransaction(context.erp.Con);
        if (!CheckCodeIsNew(context, sheet.table, sheet.codeField, code)) {
            return;
        }
        values.Clear();
        values.cells[sheet.codeColumn] = code;
        ReadCells(context, sheet.reads, values);
        if (!RunChecks(context, sheet.checks, values)) {
            return;
        }
        QMain.Append();
        SetFields(QMain, sheet.fields, values);
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

} // namespace hz
