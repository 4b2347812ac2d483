#include "importers/vouchers/stock_voucher_saving.h"

#include "engine/database/procedures/erp_procedures.h"
#include "engine/messages/run_error.h"
#include "engine/run/import_run_context.h"
#include "engine/run/journal_steps.h"
#include "engine/run/session.h"
#include "engine/run/voucher_posting.h"

namespace hz {

namespace {

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

QString StockVoucherNumber(int headerId, const QString& vouchType) {
    const QString digits = (QStringLiteral("00000000") + QString::number(headerId)).right(9);
    return IsOpeningStockType(vouchType) ? QStringLiteral("-") + digits : digits;
}

QString AccountNumber(const QString& databaseName) {
    return databaseName.mid(7, 3);
}

} // namespace hz
