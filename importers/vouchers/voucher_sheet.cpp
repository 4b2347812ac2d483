#include "importers/vouchers/voucher_sheet.h"

#include "engine/database/batch_dataset.h"
#include "engine/rows/row_primitives.h"
#include "engine/run/import_run_context.h"
#include "engine/run/importer_registry.h"
#include "engine/run/journal_steps.h"
#include "importers/vouchers/cost_price.h"
#include "importers/vouchers/error_area.h"
#include "importers/vouchers/stock_voucher_saving.h"

#include <memory>
#include <optional>
#include <utility>

namespace hz {

namespace {

// A voucher set aside after its save was committed is in the database: its copy in the error area must not be
// imported again.
const QString kUnpostedNote =
    QStringLiteral("该单据已保存但未过账，出错区中它的行在 Y 列标为“已保存未过账”，请勿再次导入。");

bool SaveStock(ImportRunContext& context, bool& committed, const QString& unpostedNote) {
    return SaveStockVoucher(context, committed, unpostedNote);
}

// Nothing is posted: a transfer is in the database exactly when it was saved.
bool SaveTransfer(ImportRunContext& context, bool& committed, const QString&) {
    committed = SaveTransferVoucher(context);
    return committed;
}

bool HasErrorArea(const VoucherSheet& sheet) {
    return sheet.failed == FailedVoucher::GoesToErrorArea;
}

// A check passes over every failed voucher as over one set aside, and copies nothing.
bool SetsAside(const ImportRunContext& context, const VoucherSheet& sheet) {
    return HasErrorArea(sheet) || context.Checking();
}

void ResumeAt(ImportRunContext& context, int row) {
    context.startRows[context.kindIndex] = row;
}

// The sheet stops under a pending voucher, which never reaches the database: a run from the box must begin at
// its first row.
void KeepPendingVoucher(ImportRunContext& context) {
    if (context.detailCount > 0) {
        ResumeAt(context, context.voucherFirstRow);
    }
}

// Copies the voucher in hand into the error area and drops it; the box moves past it, since its rows are kept
// there and a run from inside it would import its tail as a voucher of its own.
void SetAside(ImportRunContext& context, const VoucherSheet& sheet, bool savedUnposted) {
    ++context.rowsLeftOut;
    const int firstCopy = context.errorAreaRow;
    SetAsideFailedVoucher(context, sheet.keyColumn, context.voucherKey);
    if (savedUnposted) {
        MarkSavedUnposted(context, firstCopy);
        // Its copy in the error area says so: a resumed run must not post it.
        context.unposted.reset();
    }
    context.detailCount = 0;
    ResumeAt(context, context.row);
    JournalSetAside(context, savedUnposted);
}

// Saves the pending voucher; true when it was saved or none was pending. A failed one is set aside, or, when the
// sheet stops, the box goes back to its first row unless it reached the database.
bool SavePendingVoucher(ImportRunContext& context, const VoucherSheet& sheet) {
    bool committed = false;
    if (sheet.target->save(context, committed, HasErrorArea(sheet) ? kUnpostedNote : QString())) {
        return true;
    }
    if (SetsAside(context, sheet)) {
        SetAside(context, sheet, committed);
    } else if (!committed) {
        ResumeAt(context, context.voucherFirstRow);
    }
    return false;
}

// The voucher in hand failed a check: true when it was set aside and the sheet reads on.
bool FailVoucher(ImportRunContext& context, const VoucherSheet& sheet) {
    if (!SetsAside(context, sheet)) {
        return false;
    }
    SetAside(context, sheet, false);
    return true;
}

// The cost price of the row's line into values; false when the summary has none.
bool PriceLine(ImportRunContext& context, const CostPricing& pricing, bool firstRow, SheetRow& values) {
    const QString warehouse = firstRow && pricing.firstRowWarehouse >= 0
                                  ? values.found[pricing.firstRowWarehouse].toString()
                                  : values.Text(pricing.warehouseColumn);
    const QString item = values.Text(pricing.itemColumn);
    const std::optional<double> price = LatestCostPrice(context, warehouse, item);
    if (!price) {
        // The import sets the voucher aside without a word; a check, which sets nothing aside, must say why.
        if (context.Checking()) {
            context.ShowRowMessage(QStringLiteral("%1 第 %2 行仓库 %3 的存货 %4 没有成本价，单据 %5 导入时将移到出错区")
                                       .arg(context.KindName())
                                       .arg(context.row)
                                       .arg(warehouse, item, context.voucherKey));
        }
        return false;
    }
    values.costPrice = *price;
    return true;
}

enum class Read { Line, Again, Stop };

// A row error at the row being read, whose key is key. An import stops the sheet, and a run from the box must begin
// at the pending voucher. A check passes over the voucher of that row and reads on; a pending voucher with another
// key is finished first, as the import will finish it once the row is mended.
Read FailRow(ImportRunContext& context, const VoucherSheet& sheet, const QString& key, ReadScope& reads) {
    reads.Leave();
    if (!GoesOnAfterRowError(context)) {
        KeepPendingVoucher(context);
        return Read::Stop;
    }
    if (key != context.voucherKey) {
        SavePendingVoucher(context, sheet);
        context.voucherKey = key;
        context.voucherFirstRow = context.row;
    }
    SetAside(context, sheet, false);
    return Read::Again;
}

// Reads context.row: a line appended to the voucher in hand (Line), the row to read again after a voucher was
// set aside (Again), or the end of the loop at a row error or a failed save (Stop).
Read ReadRow(ImportRunContext& context, const VoucherSheet& sheet, const QString& key, SheetRow& values,
             ReadScope& reads) {
    const VoucherTarget& target = *sheet.target;
    values.Clear();
    values.cells[sheet.keyColumn] = key;
    // Case matters: "a1" after "A1" starts another voucher.
    const bool firstRow = key != context.voucherKey;
    // The reads of a voucher's rows share one read transaction: a first row's before the pending voucher's save,
    // and after it those of the rest of its voucher, so that each holds the locks of one voucher key. A row error's
    // message ends it.
    if (firstRow) {
        reads.Leave();
    }
    reads.Enter();
    if (!CheckCodeIsNew(context, target.headerTable, target.keyField, key) ||
        !ReadCells(context, sheet.reads, values) || !RunChecks(context, sheet.everyRowChecks, values)) {
        return FailRow(context, sheet, key, reads);
    }
    values.found.clear(); // the every-row checks find nothing that is written
    if (firstRow) {
        reads.Leave();
        if (!SavePendingVoucher(context, sheet)) {
            return SetsAside(context, sheet) ? Read::Again : Read::Stop;
        }
        context.voucherKey = key;
        context.voucherFirstRow = context.row;
        context.WriteStartRow();
        reads.Enter();
        if (!RunChecks(context, sheet.firstRowChecks, values)) {
            return FailVoucher(context, sheet) ? Read::Again : Read::Stop;
        }
        BatchDataset& QMain = context.erp.QMain;
        QMain.Append();
        QMain.SetField(QStringLiteral("ID"), context.headerId);
        SetFields(QMain, sheet.header, values);
    } else if (!RunChecks(context, sheet.continuingRowChecks, values)) {
        if (FailVoucher(context, sheet)) {
            return Read::Again;
        }
        KeepPendingVoucher(context);
        return Read::Stop;
    }
    if (sheet.pricing && !PriceLine(context, *sheet.pricing, firstRow, values)) {
        return FailVoucher(context, sheet) ? Read::Again : Read::Stop;
    }
    context.erp.QDetail.Append();
    SetFields(context.erp.QDetail, sheet.detail, values);
    return Read::Line;
}

// Reads the rows into vouchers until the sheet ends (true) or stops (false). A requested stop ends it between two
// vouchers, so that the voucher in hand is saved whole.
bool ImportRows(ImportRunContext& context, const VoucherSheet& sheet) {
    SheetRow values;
    ReadScope reads(context.erp.Con);
    for (;;) {
        const QString key = ReadCell(context, context.row, sheet.keyColumn);
        if (key.isEmpty() || (key != context.voucherKey && context.StopsHere())) {
            reads.Leave();
            return true;
        }
        switch (ReadRow(context, sheet, key, values, reads)) {
        case Read::Line:
            context.row = ++context.startRows[context.kindIndex];
            ++context.detailCount;
            break;
        case Read::Again:
            break;
        case Read::Stop:
            reads.Leave();
            return false;
        }
        context.ReportProgress();
    }
}

} // namespace

const VoucherTarget kStockVouchers{QStringLiteral("RdRecord"), QStringLiteral("RdRecords"), QStringLiteral("ccode"),
                                   SaveStock};
const VoucherTarget kTransferVouchers{QStringLiteral("TransVouch"), QStringLiteral("TransVouchs"),
                                      QStringLiteral("cTVCode"), SaveTransfer};

void ImportVoucherSheet(ImportRunContext& context, const VoucherSheet& sheet) {
    OpenVoucherDatasets(context, sheet.target->headerTable, sheet.target->detailTable);
    if (HasErrorArea(sheet)) {
        MarkErrorArea(context, sheet.keyColumn);
        CopyJournaledSetAsides(context, sheet.keyColumn);
    }
    // At the end of the sheet a failed save has told the user; a stopping sheet's run ends after it.
    if (ImportRows(context, sheet)) {
        SavePendingVoucher(context, sheet);
    }
    context.WriteStartRow();
}

void AddVoucherSheet(ImporterRegistry& registry, VoucherSheet sheet) {
    auto described = std::make_shared<const VoucherSheet>(std::move(sheet));
    registry.Add(described->caption,
                 [described](ImportRunContext& context) { ImportVoucherSheet(context, *described); });
}

} // namespace hz
