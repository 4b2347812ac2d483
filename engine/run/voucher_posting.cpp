#include "engine/run/voucher_posting.h"

#include "engine/database/procedures/erp_procedures.h"
#include "engine/database/query.h"
#include "engine/run/import_run_context.h"
#include "engine/run/journal_steps.h"
#include "engine/run/session.h"

namespace hz {

namespace {

// Adds to SCM_Item every item and free-item combination that the posting left in the ledger buffer.
const QString kItemStatement = QStringLiteral(
    "insert into SCM_Item(cInvCode,cfree1,cfree2,cfree3,cfree4,cfree5,cfree6,cfree7,cfree8,cfree9,cfree10)\n"
    " select distinct cInvCode,cfree1,cfree2,cfree3,cfree4,cfree5,cfree6,cfree7,cfree8,cfree9,cfree10  from "
    "SCM_EntryLedgerBuffer a with (nolock) \n"
    " where a.transactionid=:spid and not exists (select 1 from SCM_Item Item where Item.cInvCode=a.cInvCode and "
    "Item.cfree1=a.cfree1 \n"
    " and Item.cfree2=a.cfree2 and Item.cfree3=a.cfree3 and Item.cfree4=a.cfree4 and Item.cfree5=a.cfree5 \n"
    " and Item.cfree6=a.cfree6 and Item.cfree7=a.cfree7 and Item.cfree8=a.cfree8 and Item.cfree9=a.cfree9 and "
    "Item.cfree10=a.cfree10  )");

// The stock of the voucher's warehouses and items (with their free attributes) summed, as text: a posting moves it
// by the voucher's quantities, so that the journal can tell afterwards whether a posting landed.
const QString kVoucherStockStatement = QStringLiteral(
    "select count(*) as Keys, round(coalesce(sum(s.iQuantity), 0), 6) as Value from (select distinct h.cWhCode, "
    "d.cInvCode, d.cFree1, d.cFree2, d.cFree3, d.cFree4, d.cFree5, d.cFree6, d.cFree7, d.cFree8, d.cFree9, d.cFree10 "
    "from RdRecords d join RdRecord h on h.ID = d.ID where d.ID = :Id) k left join CurrentStock s on "
    "s.cWhCode = k.cWhCode and s.cInvCode = k.cInvCode and s.cFree1 = k.cFree1 and s.cFree2 = k.cFree2 and "
    "s.cFree3 = k.cFree3 and s.cFree4 = k.cFree4 and s.cFree5 = k.cFree5 and s.cFree6 = k.cFree6 and "
    "s.cFree7 = k.cFree7 and s.cFree8 = k.cFree8 and s.cFree9 = k.cFree9 and s.cFree10 = k.cFree10");

} // namespace

bool IsOpeningStockType(const QString& vouchType) {
    // Opening stock is numbered with a "-" in front and posted as verified.
    return vouchType == QStringLiteral("34");
}

void PostVoucherToStock(ImportRunContext& context, const QString& vouchType, const QString& voucherId,
                        const QString& ledgerId) {
    ConnectDatabase(context.session, context.observer);
    Connection& Con = context.erp.Con;
    Con.BeginTransaction();
    StoredProcedure posting = IsOpeningStockType(vouchType) ? MakeVerForStockCall(vouchType, voucherId)
                                                            : MakeSaveForStockCall(vouchType, voucherId);
    const QString stockBefore = context.journal ? VoucherStock(context.erp.QStock, voucherId) : QString();
    posting.Execute(Con);
    Query& QCommand = context.erp.QCommand;
    QCommand.SetText(kItemStatement);
    QCommand.Bind(QStringLiteral("spid"), ledgerId);
    QCommand.Exec();
    StoredProcedure commit = MakeCommitGeneralLedgerCall();
    commit.Execute(Con);
    if (context.journal) {
        JournalVoucherPosting(context, stockBefore, VoucherStock(context.erp.QStock, voucherId));
    }
    Con.Commit();
    JournalLanded(context);
}

void PostStockVoucher(ImportRunContext& context, const QString& vouchType, const QString& voucherId) {
    const QString ledgerId =
        QStringLiteral("spid_") + QueryValue(context.erp.QGetValue, QStringLiteral("select @@spid as value"));
    PostVoucherToStock(context, vouchType, voucherId, ledgerId);
}

QString VoucherStock(Query& QStock, const QString& voucherId) {
    QStock.SetText(kVoucherStockStatement);
    QStock.Bind(QStringLiteral("Id"), voucherId.toLongLong());
    QStock.Exec();
    if (!QStock.First()) {
        return QString();
    }
    return QStock.Text(QStringLiteral("Keys")) + u'/' + QStock.Text(QStringLiteral("Value"));
}

} // namespace hz
