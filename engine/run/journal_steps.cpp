#include "engine/run/journal_steps.h"

#include "engine/run/import_run_context.h"
#include "engine/run/sheet_kinds.h"

namespace hz {

namespace {

void Record(ImportRunContext& context, int row, const std::optional<JournalItem>& item,
            KindState state = KindState::InProgress) {
    const JournalEntry entry = KindEntry(context, row, item, state);
    context.journal->Record(context.KindName(), entry, &context.sheetDigests[context.kindIndex].Digests());
}

} // namespace

JournalEntry KindEntry(ImportRunContext& context, int row, const std::optional<JournalItem>& item, KindState state) {
    const auto kind = static_cast<std::size_t>(context.kindIndex);
    return {row, item, context.landedItems[kind], context.sheetDigests[kind].Through(row), state};
}

void JournalLanded(ImportRunContext& context) {
    if (context.journal) {
        context.landedItems[static_cast<std::size_t>(context.kindIndex)] = context.journalItem;
    }
}

void JournalMasterRow(ImportRunContext& context, const QString& table, const QString& codeField, const QString& code) {
    if (!context.journal) {
        return;
    }
    JournalItem& item = context.journalItem;
    item = {};
    item.step = JournalItem::Step::MasterRow;
    item.rowAfter = context.row + 1;
    item.table = table;
    item.field = codeField;
    item.value = code;
    Record(context, context.row, item);
}

void JournalVoucherSave(ImportRunContext& context, const QString& headerTable, const QString& detailTable,
                        const QString& vouchType) {
    if (!context.journal) {
        return;
    }
    JournalItem& item = context.journalItem;
    item = {};
    item.step = JournalItem::Step::VoucherSave;
    item.rowAfter = context.row;
    item.table = headerTable;
    item.value = QString::number(context.headerId);
    item.detailTable = detailTable;
    item.lines = context.detailCount;
    item.vouchType = vouchType;
    item.voucherKey = context.voucherKey;
    Record(context, context.voucherFirstRow, item);
}

void JournalVoucherPosting(ImportRunContext& context, const QString& stockBefore, const QString& stockAfter) {
    if (!context.journal) {
        return;
    }
    JournalItem& item = context.journalItem;
    item.step = JournalItem::Step::VoucherPosting;
    item.stockBefore = stockBefore;
    item.stockAfter = stockAfter;
    // Saved already: whatever became of the posting, the kind goes on below the voucher once it is posted.
    Record(context, item.rowAfter, item);
}

void KeepUnpostedVoucher(ImportRunContext& context) {
    if (!context.journal) {
        return;
    }
    JournalItem item = context.journalItem;
    item.step = JournalItem::Step::VoucherPosting;
    item.stockBefore.clear();
    item.stockAfter.clear();
    context.unposted = item;
}

void JournalSetAside(ImportRunContext& context, bool savedUnposted) {
    if (!context.journal) {
        return;
    }
    context.journal->RecordSetAside(context.KindName(), KindEntry(context, context.row, std::nullopt),
                                    {context.voucherFirstRow, context.voucherKey, savedUnposted},
                                    &context.sheetDigests[context.kindIndex].Digests());
}

void JournalKindEnd(ImportRunContext& context) {
    if (!context.journal) {
        return;
    }
    // An interrupted kind goes on where it stopped, as one still being imported.
    const KindState state = context.interrupted ? KindState::InProgress
                            : context.runOk     ? KindState::Completed
                                                : KindState::Stopped;
    Record(context, context.startRows[context.kindIndex], context.unposted, state);
    context.unposted.reset();
}

} // namespace hz
