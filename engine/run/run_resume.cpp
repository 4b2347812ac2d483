#include "engine/run/run_resume.h"

#include "engine/database/query.h"
#include "engine/journal/sheet_digest.h"
#include "engine/messages/run_error.h"
#include "engine/run/import_run_context.h"
#include "engine/run/journal_steps.h"
#include "engine/run/run_observer.h"
#include "engine/run/sheet_kinds.h"
#include "engine/run/voucher_posting.h"
#include "engine/workbook/workbook.h"

#include <algorithm>

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

// Whether the ERP holds a header of the item's table above its id: a voucher saved after it, which the journal does
// not know of. Ids are allocated upwards, and a kind's vouchers follow one another.
bool LaterVoucherInErp(ImportRunContext& context, const JournalItem& item) {
    return Probe(context, QStringLiteral("select count(*) as Value from %1 where ID > :Value").arg(item.table),
                 item.value.toLongLong())
               .toInt() > 0;
}

QString ItemName(const JournalItem& item) {
    if (item.step == JournalItem::Step::MasterRow) {
        return QStringLiteral("代码 %1").arg(item.value);
    }
    // An opening stock row has no voucher key of its own.
    return item.voucherKey.isEmpty() ? QStringLiteral("单据（ID %1）").arg(item.value)
                                     : QStringLiteral("单据 %1").arg(item.voucherKey);
}

[[noreturn]] void ThrowErpMismatch(ImportRunContext& context, const QString& what) {
    throw RunError(
        QStringLiteral("%1：运行记录与账套不符：%2（账套可能已被还原、重建或换成了另一个，或运行记录在断电时丢失"
                       "了最后几条）；请核对后不带 --resume 从头导入，或给出起始行")
            .arg(context.KindName(), what)
            .toStdString());
}

// The last item of the kind that the journal saw committed must be in the ERP: a journal of another ERP, or of this
// one before it was restored or made anew, would skip rows that the ERP does not hold.
void CheckLandedInErp(ImportRunContext& context, const JournalEntry& entry) {
    if (!entry.landed) {
        return;
    }
    const JournalItem& landed = *entry.landed;
    const bool there =
        landed.step == JournalItem::Step::MasterRow ? MasterRowLanded(context, landed) : VoucherLanded(context, landed);
    if (!there) {
        ThrowErpMismatch(context, QStringLiteral("运行记录中已导入的%1不在账套中").arg(ItemName(landed)));
    }
}

// The rows above the one the kind resumes from must be the ones the journal's runs read; rows below may change. The
// kind's digest goes on from them.
void CheckRowsUnchanged(ImportRunContext& context, const JournalEntry& entry, Worksheet* sheet) {
    const RowsTaken& rows = entry.rows;
    if (rows.from == 0) {
        return;
    }
    std::vector<std::uint64_t> now = DigestRows(sheet, rows.from, rows.to);
    if (const std::optional<int> row = FirstChangedRow(*context.journal, context.KindName(), rows, now)) {
        throw RunError(WorkbookChangedMessage(context.KindName(), *row).toStdString());
    }
    context.sheetDigests[static_cast<std::size_t>(context.kindIndex)].Continue(sheet, rows.from, std::move(now));
}

// Whether the kind's entry fits the workbook and the ERP as they are now; RunError when not.
void CheckEntry(ImportRunContext& context, const JournalEntry& entry, Workbook& workbook) {
    CheckRowsUnchanged(context, entry, KindWorksheet(workbook, context.KindName()));
    CheckLandedInErp(context, entry);
    const std::optional<JournalItem> last = entry.item ? entry.item : entry.landed;
    const bool voucher = last && last->step != JournalItem::Step::MasterRow;
    if (entry.state == KindState::InProgress && voucher && LaterVoucherInErp(context, *last)) {
        ThrowErpMismatch(context, QStringLiteral("账套中有%1之后保存的单据，而运行记录中没有").arg(ItemName(*last)));
    }
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
    std::optional<JournalItem>& landed = context.landedItems[static_cast<std::size_t>(context.kindIndex)];
    switch (item.step) {
    case JournalItem::Step::MasterRow:
        if (!MasterRowLanded(context, item)) {
            return entry.row;
        }
        landed = item;
        return item.rowAfter;
    case JournalItem::Step::VoucherSave:
        if (!VoucherLanded(context, item)) {
            return entry.row;
        }
        landed = item;
        break;
    case JournalItem::Step::VoucherPosting:
        landed = item;
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

std::optional<int> FirstChangedRow(RunJournal& journal, const QString& kind, const RowsTaken& rows,
                                   const std::vector<std::uint64_t>& now) {
    if (rows.from == 0 || now.back() == rows.digest) {
        return std::nullopt;
    }
    // The digests kept in the file tell the first row that differs among those they cover; past them, the first row
    // not covered is named.
    const std::vector<std::uint64_t> kept = journal.ReadRowDigests(kind, rows.from);
    std::size_t same = 1;
    while (same < kept.size() && same < now.size() && kept[same] == now[same]) {
        ++same;
    }
    return std::min(rows.from + static_cast<int>(same) - 1, std::max(rows.to - 1, rows.from));
}

QString WorkbookChangedMessage(const QString& kind, int row) {
    return QStringLiteral(
               "%1 第 %2 行与上次导入时不同：工作簿已被修改或替换；请核对后不带 --resume 从头导入，或给出起始行")
        .arg(kind)
        .arg(row);
}

bool ResumeFromJournal(ImportRunContext& context, const std::map<QString, JournalEntry>& entries, Workbook& workbook) {
    const int kinds = static_cast<int>(context.selectedKinds.size());
    // Every kind's entry first, before anything is written: a workbook or an ERP that is not the journal's changes
    // nothing.
    for (context.kindIndex = 0; context.kindIndex < kinds; ++context.kindIndex) {
        if (const auto found = entries.find(context.KindName()); found != entries.end()) {
            CheckEntry(context, found->second, workbook);
        }
    }
    for (context.kindIndex = 0; context.kindIndex < kinds; ++context.kindIndex) {
        const auto found = entries.find(context.KindName());
        if (found == entries.end()) {
            continue;
        }
        const JournalEntry& entry = found->second;
        const auto kind = static_cast<std::size_t>(context.kindIndex);
        context.landedItems[kind] = entry.landed;
        // A kind whose entry kept no digest (a journal of an earlier version) is digested from its entry's row on.
        if (SheetDigest& digest = context.sheetDigests[kind]; !digest.Started()) {
            digest.Start(KindWorksheet(workbook, context.KindName()), entry.row);
        }
        const std::optional<int> row = Settle(context, entry);
        if (!row) {
            return false;
        }
        context.startRows[kind] = *row;
        if (entry.state == KindState::InProgress) {
            context.resumeProbeRows[kind] = *row;
        }
        context.journal->Record(context.KindName(), KindEntry(context, *row, std::nullopt, entry.state),
                                &context.sheetDigests[kind].Digests());
        context.WriteStartRow();
    }
    return true;
}

} // namespace hz
