#pragma once

#include "engine/rows/sheet_row.h"

#include <QString>

#include <optional>
#include <vector>

namespace hz {

class ImporterRegistry;
struct ImportRunContext;

// Where a sheet's vouchers go and how one is saved.
struct VoucherTarget {
    QString headerTable; // QMain
    QString detailTable; // QDetail
    QString keyField;    // of headerTable: a sheet key found there stops the sheet
    // Saves the pending voucher (SaveStockVoucher, SaveTransferVoucher); committed tells whether it reached the
    // database. unpostedNote ends the failure message of a voucher committed but left unposted.
    bool (*save)(ImportRunContext& context, bool& committed, const QString& unpostedNote);
};

// RdRecord and RdRecords, numbered and posted by SaveStockVoucher.
extern const VoucherTarget kStockVouchers;
// TransVouch and TransVouchs, saved by SaveTransferVoucher, never posted.
extern const VoucherTarget kTransferVouchers;

// What becomes of a voucher that fails a check or its save.
enum class FailedVoucher {
    StopsTheSheet,   // the run stops after the sheet
    GoesToErrorArea, // its rows are copied into the error area below the data and the next voucher is read
};

// Each line priced at the cost price of the accounting summary's latest month for its warehouse and item. A line
// without one sets its voucher aside without a message.
struct CostPricing {
    int itemColumn;
    int warehouseColumn;        // the warehouse code of the row
    int firstRowWarehouse = -1; // when not -1: on a voucher's first row, the code that this first-row check found
};

// A voucher sheet kind described as data: consecutive rows with one key form one voucher, a header and one
// detail row per sheet row.
struct VoucherSheet {
    QString caption;                             // the sheet kind
    int keyColumn;                               // an empty key cell ends the sheet
    std::vector<CellRead> reads;                 // after the key's duplicate check, in this order
    std::vector<SheetCheck> everyRowChecks = {}; // on every row, before its key is compared with the voucher's
    std::vector<SheetCheck> firstRowChecks;      // on a voucher's first row only, in this order
    // On every later row of a voucher; a failure fails the voucher as a failed first-row check does.
    std::vector<SheetCheck> continuingRowChecks = {};
    std::vector<FieldRule> header; // set in this order, after ID := headerId as a placeholder
    std::vector<FieldRule> detail; // set in this order, on every row
    const VoucherTarget* target = &kStockVouchers;
    FailedVoucher failed = FailedVoucher::StopsTheSheet;
    std::optional<CostPricing> pricing = {}; // only with GoesToErrorArea
};

// The row loop of a voucher sheet. Every key must be new in the target's key field; a key that differs from the
// pending voucher's saves that voucher and starts a new one. A sheet whose failed vouchers go to the error area
// first marks that area ("Error:" in the key column, one empty row below the data and any earlier error area).
// The start-row box follows each voucher and shows, when the sheet ends or stops, the row to resume at: the first
// row of a pending voucher of which nothing reached the database (its save failed before the commit, or a row
// error stopped the sheet under it), the failing row after any other row error, the row after a voucher saved
// but left unposted or set aside.
void ImportVoucherSheet(ImportRunContext& context, const VoucherSheet& sheet);
// Registers ImportVoucherSheet on sheet as the importer of its caption.
void AddVoucherSheet(ImporterRegistry& registry, VoucherSheet sheet);

} // namespace hz
