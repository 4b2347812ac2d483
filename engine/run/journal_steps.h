#pragma once

#include "engine/journal/run_journal.h"

#include <QString>

#include <optional>

namespace hz {

struct ImportRunContext;

// The run journal's steps in the routine shapes of an import. Each is written before the commit that it describes;
// in a check, which has no journal, they do nothing.

// Before a master row's save: the kind resumes at the row, or below it once code is in table.codeField.
void JournalMasterRow(ImportRunContext& context, const QString& table, const QString& codeField, const QString& code);
// Inside a voucher's save transaction, ids allocated: the kind resumes at the voucher's first row, or at context.row
// once the voucher (headerId, detailCount lines) is in the ERP and, when vouchType is not empty, posted.
void JournalVoucherSave(ImportRunContext& context, const QString& headerTable, const QString& detailTable,
                        const QString& vouchType);
// Inside the posting's transaction of the voucher last journaled, before its commit: the stock of the voucher's
// warehouse and items before and after the posting, which tell on resume whether it landed.
void JournalVoucherPosting(ImportRunContext& context, const QString& stockBefore, const QString& stockAfter);
// The posting of the voucher last journaled failed after its save had been committed, and the sheet stops there:
// the end of the kind keeps it for a resumed run to post.
void KeepUnpostedVoucher(ImportRunContext& context);
// The voucher in hand (voucherFirstRow, voucherKey) was set aside into the error area and row is below it: the kind
// resumes there, and the voucher stays in the journal until the workbook is saved.
void JournalSetAside(ImportRunContext& context, bool savedUnposted);
// As a kind's importer returns: the kind resumes at its start row, after posting a voucher it left unposted; the
// entry says whether the sheet was read to its end or stopped by a row error.
void JournalKindEnd(ImportRunContext& context);
// Right after the commit of the item last journaled: it is in the ERP.
void JournalLanded(ImportRunContext& context);
// The kind's entry at row, with what the run read of its worksheet and the item last committed.
JournalEntry KindEntry(ImportRunContext& context, int row, const std::optional<JournalItem>& item,
                       KindState state = KindState::InProgress);

} // namespace hz
