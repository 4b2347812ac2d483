#include "importers/vouchers/stock_voucher_saving.h"

#include "engine/database/erp_procedures.h"
#include "engine/import_run_context.h"
#include "engine/journal_steps.h"
#include "engine/row_primitives.h"
#include "engine/run_error.h"
#include "engine/run_observer.h"
#include "engine/session.h"

namespace hz {

namespace {

// The voucher type of opening stock, numbered with a "-" in front and posted as verified.
const QString kOpeningStockType = QStringLiteral("34");

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

// Allocates the ids of idType for the pending voucher and gives them to its header and detail rows, inside the
// caller's transaction.
void AllocateIds(ImportRunContext& context, const QString& idType) {
    ErpComponents& erp = context.erp;
    StoredProcedure& CGetId = erp.CGetId;
    SetGetIdInputs(CGetId, AccountNumber(context.session.settings.database), idType, context.detailCount);
    CGetId.Execute(erp.Con);
    context.headerId = CGetId.IntValue(QStringLiteral("@iFatherId"));
    context.lastDetailId = CGetId.IntValue(QStringLiteral("@iChildId"));

    erp.QMain.Edit();
    erp.QMain.SetField(QStringLiteral("ID"), context.headerId);
    // The cursor stands on the voucher's last detail row: ids are given backwards, so they rise in sheet order.
    for (int i = 0; i < context.detailCount; ++i) {
        erp.QDetail.Edit();
        erp.QDetail.SetField(QStringLiteral("AutoID"), context.lastDetailId - i);
        erp.QDetail.SetField(QStringLiteral("ID"), context.headerId);
        erp.QDetail.Prior();
    }
}

// The stock of the voucher's warehouses and items (with their free attributes) summed, as text: a posting moves it
// by the voucher's quantities, so that the journal can tell afterwards whether a posting landed.
const QString kVoucherStockStatement = QStringLiteral(
    "select count(*) as Keys, round(coalesce(sum(s.iQuantity), 0), 6) as Value from (select distinct h.cWhCode, "
    "d.cInvCode, d.cFree1, d.cFree2, d.cFree3, d.cFree4, d.cFree5, d.cFree6, d.cFree7, d.cFree8, d.cFree9, d.cFree10 "
    "from RdRecords d join RdRecord h on h.ID = d.ID where d.ID = :Id) k left join CurrentStock s on "
    "s.cWhCode = k.cWhCode and s.cInvCode = k.cInvCode and s.cFree1 = k.cFree1 and s.cFree2 = k.cFree2 and "
    "s.cFree3 = k.cFree3 and s.cFree4 = k.cFree4 and s.cFree5 = k.cFree5 and s.cFree6 = k.cFree6 and "
    "s.cFree7 = k.cFree7 and s.cFree8 = k.cFree8 and s.cFree9 = k.cFree9 and s.cFree10 = k.cFree10");

void SendVoucher(ImportRunContext& context) {
    context.erp.QMain.UpdateBatch();
    context.erp.QDetail.UpdateBatch();
}

QString SaveFailedMessage(const ImportRunContext& context) {
    return QStringLiteral("单据号为 ") + context.voucherKey + QStringLiteral(" 的 ") + context.KindName() +
           QStringLiteral(" 保存失败！");
}

} // namespace

void OpenVoucherDatasets(ImportRunContext& context, const QString& headerTable, const QString& detailTable) {
    context.erp.QMain.Close();
    context.erp.QMain.Open(QStringLiteral("Select Top 0 * From ") + headerTable);
    context.erp.QDetail.Close();
    context.erp.QDetail.Open(QStringLiteral("Select Top 0 * From ") + detailTable);
}

void OpenStockVoucherDatasets(ImportRunContext& context) {
    OpenVoucherDatasets(context, QStringLiteral("RdRecord"), QStringLiteral("RdRecords"));
}

bool SaveStockVoucher(ImportRunContext& context) {
    bool committed = false;
    return SaveStockVoucher(context, committed);
}

bool SaveStockVoucher(ImportRunContext& context, bool& committed, const QString& unpostedNote) {
    ErpComponents& erp = context.erp;
    bool saved = true;
    committed = false;
    if (erp.QMain.State() != DatasetState::Browse) {
        try {
            const QString vouchType = erp.QMain.Field(QStringLiteral("cVouchType")).toString();
            erp.Con.BeginTransaction();
            AllocateIds(context, QStringLiteral("rd"));
            erp.QMain.SetField(QStringLiteral("ccode"), StockVoucherNumber(context.headerId, vouchType));
            SendVoucher(context);
            JournalVoucherSave(context, QStringLiteral("RdRecord"), QStringLiteral("RdRecords"), vouchType);
            erp.Con.Commit();
            JournalLanded(context);
            committed = true;
            PostStockVoucher(context, vouchType, QString::number(context.headerId));
        } catch (const RunError&) {
            erp.Con.Rollback();
            if (committed) {
                KeepUnpostedVoucher(context);
            }
            context.runOk = false;
            saved = false;
            context.ShowMessageAt(context.voucherFirstRow,
                                  committed ? SaveFailedMessage(context) + unpostedNote : SaveFailedMessage(context));
        }
    }
    context.detailCount = 0;
    return saved;
}

bool SaveTransferVoucher(ImportRunContext& context) {
    ErpComponents& erp = context.erp;
    bool saved = true;
    if (erp.QMain.State() != DatasetState::Browse) {
        try {
            erp.Con.BeginTransaction();
            AllocateIds(context, QStringLiteral("tr"));
            SendVoucher(context);
            JournalVoucherSave(context, QStringLiteral("TransVouch"), QStringLiteral("TransVouchs"), QString());
            erp.Con.Commit();
            JournalLanded(context);
        } catch (const RunError&) {
            erp.Con.Rollback();
            saved = false;
            context.ShowMessageAt(context.voucherFirstRow, SaveFailedMessage(context));
        }
    }
    context.detailCount = 0;
    return saved;
}

void PostVoucherToStock(ImportRunContext& context, const QString& vouchType, const QString& voucherId,
                        const QString& ledgerId) {
    ConnectDatabase(context.session, context.observer);
    Connection& Con = context.erp.Con;
    Con.BeginTransaction();
    StoredProcedure posting = vouchType == kOpeningStockType ? MakeVerForStockCall(vouchType, voucherId)
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
    const QString ledgerId = QStringLiteral("spid_") + QueryValue(context, QStringLiteral("select @@spid as value"));
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

QString StockVoucherNumber(int headerId, const QString& vouchType) {
    const QString digits = (QStringLiteral("00000000") + QString::number(headerId)).right(9);
    return vouchType == kOpeningStockType ? QStringLiteral("-") + digits : digits;
}

QString AccountNumber(const QString& databaseName) {
    return databaseName.mid(7, 3);
}

} // namespace hz
