#include "engine/run_resume.h"

#include "engine/database/query.h"
#include "engine/import_run_context.h"
#include "engine/journal_steps.h"
#include "engine/run_error.h"
#include "engine/run_observer.h"
#include "engine/sheet_kinds.h"
#include "importers/vouchers/stock_voucher_saving.h"

namespace hz {

namespace {

// The first field of a one-row answer to sql, with :Value bound.
QString Probe(ImportRunContext& context, const QString& sql, const QVariant& value) {
    Query& probe = context.erp.QGongYong;
    probe.SetText(sql);
    probe.Bind(QStringLiteral("Value"), value);
    probe.Exec();
    return probe.First() ? probe.Text(QStringLiteral("Value")) : QString();
}

int Count(ImportRunContext& context, const QString& table, const QString& field, const QVariant& value) {
    // The names come from the journal, which admits plain identifiers only.
    return Probe(context, QStringLiteral("select count(*) as Value from %1 where %2 = :Value").arg(table, field), value)
        .toInt();
}

bool MasterRowLanded(ImportRunContext& context, const JournalItem& item) {
    return Count(context, item.table, item.field, item.value) > 0;
}

bool VoucherLanded(ImportRunContext& context, const JournalItem& item) {
    const qlonglong id = item.value.toLongLong();
    return Count(context, item.table, QStringLiteral("ID"), id) == 1 &&
           Count(context, item.detailTable, QStringLiteral("ID"), id) == item.lines;
}

// Whether a journaled posting landed: the stock moved from its value before to its value after. A posting that moved
// no stock is taken as landed, since posting it again would change nothing that the journal can see.
bool PostingLanded(ImportRunContext& context, const JournalItem& item, int rowIfUnknown) {
    if (item.stockBefore.isEmpty()) {
        return false;
    }
    if (item.stockBefore == item.stockAfter) {
        return true;
    }
    const QString now = VoucherStock(context.erp.QStock, item.value);
    if (now == item.stockAfter || now == item.stockBefore) {
        return now == item.stockAfter;
    }
    throw RunError(
        QStringLiteral("%1单据号为 %2 的单据已保存，但其存货的现存量在中断后被其他单据改变，无法确定它是否已过账：请在"
                       "系统中核实并处理该单据，再从第 %3 行起导入%1（不续导）")
            .arg(context.KindName(), item.voucherKey)
            .arg(rowIfUnknown)
            .toStdString());
}

// Posts a saved voucher of the journal; false after a failure, which keeps it in the journal.
bool PostJournaledVoucher(ImportRunContext& context, const JournalItem& item) {
    context.journalItem = item;
    try {
        PostStockVoucher(context, item.vouchType, item.value);
        return true;
    } catch (const RunError&) {
        context.erp.Con.Rollback();
        context.runOk = false;
        context.observer.ShowMessage({QStringLiteral("单据号为 %1 的 %2 已保存但过账失败！下次续导时将再次过账。")
                                          .arg(item.voucherKey, context.KindName())});
        KeepUnpostedVoucher(context);
        context.startRows[context.kindIndex] = item.rowAfter;
        JournalKindEnd(context);
        return false;
    }
}

// The row from which the kind resumes, once what its entry left open is settled; nothing after a failed posting.
std::optional<int> Settle(ImportRunContext& context, const JournalEntry& entry) {
    if (!entry.item) {
        return entry.row;
    }
    const JournalItem& item = *entry.item;
    switch (item.step) {
    case JournalItem::Step::MasterRow:
        return MasterRowLanded(context, item) ? item.rowAfter : entry.row;
    case JournalItem::Step::VoucherSave:
        if (!VoucherLanded(context, item)) {
            return entry.row;
        }
        break;
    case JournalItem::Step::VoucherPosting:
        if (PostingLanded(context, item, entry.row)) {
            return item.rowAfter;
        }
        break;
    }
    if (!item.vouchType.isEmpty() && !PostJournaledVoucher(context, item)) {
        return std::nullopt;
    }
    return item.rowAfter;
}

} // namespace

bool ResumeFromJournal(ImportRunContext& context, const std::map<QString, JournalEntry>& entries) {
    for (context.kindIndex = 0; context.kindIndex < static_cast<int>(context.selectedKinds.size());
         ++context.kindIndex) {
        const auto found = entries.find(context.KindName());
        if (found == entries.end()) {
            continue;
        }
        const std::optional<int> row = Settle(context, found->second);
        if (!row) {
            return false;
        }
        context.startRows[context.kindIndex] = *row;
        context.journal->Record(context.KindName(), {*row, std::nullopt});
        context.WriteStartRow();
    }
    return true;
}

} // namespace hz
