#pragma once

#include <QString>

namespace hz {

struct ImportRunContext;

// Opens QMain on headerTable and QDetail on detailTable, empty, as a voucher sheet begins.
void OpenVoucherDatasets(ImportRunContext& context, const QString& headerTable, const QString& detailTable);
// The same on RdRecord and RdRecords.
void OpenStockVoucherDatasets(ImportRunContext& context);

// Finishes the pending stock voucher: QMain's header in insert or edit state and QDetail's last detailCount
// rows. Allocates the header id and a block of detail ids with sp_GetId, numbers the voucher from its header id,
// sends header and details in one transaction, then posts the voucher to current stock in a second one. True when
// the voucher was saved and posted, or when none was pending. On a failure: rollback of the open transaction,
// "单据号为 <voucherKey> 的 <kind> 保存失败！", runOk false, result false; a failure before the first commit
// leaves nothing of the voucher in the database, a failure in the posting leaves it saved and unposted.
// detailCount is 0 afterwards in every case.
bool SaveStockVoucher(ImportRunContext& context);
// The same, and committed tells whether the voucher reached the database: true once its save was committed,
// whether the posting then succeeded or not; false when none was pending or a failure came before the commit.
// An importer that must not lose a failed voucher resumes at its first row only when it was not committed.
// unpostedNote, when not empty, follows the failure message of a voucher that was committed but not posted.
bool SaveStockVoucher(ImportRunContext& context, bool& committed, const QString& unpostedNote = QString());

// Finishes the pending transfer voucher (QMain on TransVouch, QDetail on TransVouchs) as SaveStockVoucher does,
// but with ids of the type "tr", without a number and without posting. On a failure: rollback,
// "单据号为 <voucherKey> 的 <kind> 保存失败！", result false; runOk is not changed. detailCount is 0 afterwards.
bool SaveTransferVoucher(ImportRunContext& context);

// The voucher number of a header id: nine digits, zero-padded, the last nine kept; "-" in front for opening
// stock (voucher type "34").
QString StockVoucherNumber(int headerId, const QString& vouchType);

// The ERP account of a database name: its characters 8 to 10 (fewer, or none, for a shorter name).
QString AccountNumber(const QString& databaseName);

} // namespace hz
