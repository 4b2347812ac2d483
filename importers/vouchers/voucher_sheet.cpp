#include "importers/vouchers/voucher_sheet.h"

#include "engine/database/batch_dataset.h"
#include "engine/import_run_context.h"
#include "engine/importer_registry.h"
#include "engine/row_primitives.h"
#include "importers/vouchers/stock_voucher_saving.h"

#include <memory>
#include <utility>

namespace hz {

namespace {

// A sheet that stops while nothing of the pending voucher is in the database resumes at the voucher's first
// row, so that a run from the start-row box imports the voucher instead of skipping it.
void ResumeAtPendingVoucher(ImportRunContext& context) {
    context.startRows[context.kindIndex] = context.voucherFirstRow;
}

// Saves the pending voucher. One saved but left unposted keeps the start row after it, so that a resumed run
// does not save it twice.
bool SavePendingVoucher(ImportRunContext& context) {
    bool committed = false;
    if (SaveStockVoucher(context, committed)) {
        return true;
    }
    if (!committed) {
        ResumeAtPendingVoucher(context);
    }
    return false;
}

// Appends the header of the voucher that begins at context.row.
void StartVoucher(ImportRunContext& context, const VoucherSheet& sheet, const SheetRow& values) {
    BatchDataset& QMain = context.erp.QMain;
    context.voucherKey = values.Text(sheet.keyColumn);
    context.voucherFirstRow = context.row;
    QMain.Append();
    QMain.SetField(QStringLiteral("ID"), context.headerId);
    SetFields(QMain, sheet.header, values);
}

// Reads the rows into vouchers until the sheet ends (true) or stops at a row error or failed save (false).
bool ImportRows(ImportRunContext& context, const VoucherSheet& sheet) {
    BatchDataset& QDetail = context.erp.QDetail;
    SheetRow values;
    for (;;) {
        const QString key = ReadCell(context, context.row, sheet.keyColumn);
        if (key.isEmpty()) {
            return true;
        }
        if (!CheckCodeIsNew(context, QStringLiteral("RdRecord"), QStringLiteral("ccode"), key)) {
            if (context.detailCount > 0) {
                ResumeAtPendingVoucher(context);
            }
            return false;
        }
        values.Clear();
        values.cells[sheet.keyColumn] = key;
        ReadCells(context, sheet.reads, values);
        // Case matters: "a1" after "A1" starts another voucher.
        if (key != context.voucherKey) {
            if (!SavePendingVoucher(context)) {
                return false;
            }
            context.WriteStartRow();
            if (!RunChecks(context, sheet.firstRowChecks, values)) {
                return false;
            }
            StartVoucher(context, sheet, values);
        }
        QDetail.Append();
        SetFields(QDetail, sheet.detail, values);
        context.row = ++context.startRows[context.kindIndex];
        ++context.detailCount;
        context.ReportProgress();
    }
}

} // namespace

void ImportVoucherSheet(ImportRunContext& context, const VoucherSheet& sheet) {
    OpenStockVoucherDatasets(context);
    // At the end of the sheet a failed save has told the user and cleared runOk: the run stops after the sheet.
    if (ImportRows(context, sheet)) {
        SavePendingVoucher(context);
    }
    context.WriteStartRow();
}

void AddVoucherSheet(ImporterRegistry& registry, VoucherSheet sheet) {
    auto described = std::make_shared<const VoucherSheet>(std::move(sheet));
    registry.Add(described->caption,
                 [described](ImportRunContext& context) { ImportVoucherSheet(context, *described); });
}

} // namespace hz
