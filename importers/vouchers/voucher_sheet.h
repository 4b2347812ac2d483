#pragma once

#include "importers/sheet_row.h"

#include <QString>

#include <vector>

namespace hz {

class ImporterRegistry;
struct ImportRunContext;

// A stock voucher sheet kind described as data: consecutive rows with one key form one voucher, a header in
// RdRecord and one detail row per sheet row in RdRecords, finished by SaveStockVoucher.
struct VoucherSheet {
    QString caption;                        // the sheet kind
    int keyColumn;                          // an empty key cell ends the sheet
    std::vector<CellRead> reads;            // after the key's duplicate check, in this order
    std::vector<SheetCheck> firstRowChecks; // on a voucher's first row only, in this order
    std::vector<FieldRule> header;          // set in this order, after ID := headerId as a placeholder
    std::vector<FieldRule> detail;          // set in this order, on every row
};

// The row loop of a voucher sheet. Every key must be new in RdRecord.ccode; a key that differs from the
// pending voucher's saves that voucher and starts a new one. The start-row box follows each saved voucher and
// shows, when the sheet ends or stops, the row to resume at: the first row of a pending voucher of which nothing
// reached the database (its save failed before the commit, or a duplicate key stopped the sheet under it), the
// failing row after any other row error, the row after a voucher saved but left unposted.
void ImportVoucherSheet(ImportRunContext& context, const VoucherSheet& sheet);
// Registers ImportVoucherSheet on sheet as the importer of its caption.
void AddVoucherSheet(ImporterRegistry& registry, VoucherSheet sheet);

} // namespace hz
