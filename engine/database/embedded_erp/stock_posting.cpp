#include "engine/database/connection.h"
#include "engine/database/database_error.h"
#include "engine/database/embedded_erp/erp_procedure_set.h"
#include "engine/database/query.h"
#include "engine/database/stored_procedure.h"

namespace hz {

namespace {

// A ledger row's stock key: warehouse, item and its ten free attributes.
const QString kMatchesStockKey =
    QStringLiteral("s.cWhCode = b.cWhCode AND s.cInvCode = b.cInvCode AND s.cFree1 = b.cFree1 AND s.cFree2 = b.cFree2 "
                   "AND s.cFree3 = b.cFree3 AND s.cFree4 = b.cFree4 AND s.cFree5 = b.cFree5 AND s.cFree6 = b.cFree6 "
                   "AND s.cFree7 = b.cFree7 AND s.cFree8 = b.cFree8 AND s.cFree9 = b.cFree9 AND s.cFree10 = b.cFree10");
const QString kStockKeyColumns = QStringLiteral(
    "cWhCode, cInvCode, cFree1, cFree2, cFree3, cFree4, cFree5, cFree6, cFree7, cFree8, cFree9, cFree10");

struct VoucherHeader {
    QString vouchType;
    QString warehouse;
    int direction = 0; // +1 receipt, -1 issue
};

VoucherHeader ReadHeader(Connection& connection, const QString& voucherId) {
    Query query(connection);
    query.SetText(QStringLiteral("SELECT cVouchType, bRdFlag, cWhCode FROM RdRecord WHERE ID = :Id"));
    query.Bind(QStringLiteral("Id"), voucherId.toLongLong());
    query.Exec();
    if (!query.First())
        throw DatabaseError(QStringLiteral("单据 %1 不存在").arg(voucherId));
    QVariant flag = query.Value(QStringLiteral("bRdFlag"));
    if (flag.isNull())
        throw DatabaseError(QStringLiteral("单据 %1 没有收发标志").arg(voucherId));
    return {query.Text(QStringLiteral("cVouchType")), query.Text(QStringLiteral("cWhCode")),
            flag.toInt() != 0 ? 1 : -1};
}

void CheckDetails(Connection& connection, const QString& voucherId) {
    Query query(connection);
    query.SetText(QStringLiteral("SELECT count(*) AS Value FROM RdRecords "
                                 "WHERE ID = :Id AND (cInvCode IS NULL OR trim(cInvCode) = '')"));
    query.Bind(QStringLiteral("Id"), voucherId.toLongLong());
    query.Exec();
    if (query.First() && query.Int(QStringLiteral("Value")) > 0)
        throw DatabaseError(QStringLiteral("单据 %1 有记录没有存货编码").arg(voucherId));
}

} // namespace

QString LedgerTransactionId(const Connection& connection) {
    return QStringLiteral("spid_") + QString::number(connection.Spid());
}

// The voucher's movements, receipts in and issues out by the header's receive/issue flag, one ledger row per
// detail row under the connection's ledger transaction id.
void SaveForStockProcedure(Connection& connection, StoredProcedure& call) {
    QString voucherId = call.Value(QStringLiteral("@sID")).toString().trimmed();
    bool isNumber = false;
    voucherId.toLongLong(&isNumber);
    if (!isNumber)
        throw DatabaseError(QStringLiteral("单据 id“%1”不是整数").arg(voucherId));

    VoucherHeader header = ReadHeader(connection, voucherId);
    QString vouchType = call.Value(QStringLiteral("@sVouchtype")).toString();
    if (header.vouchType.trimmed().compare(vouchType.trimmed(), Qt::CaseInsensitive) != 0)
        throw DatabaseError(
            QStringLiteral("单据 %1 的类型是“%2”，不是“%3”").arg(voucherId, header.vouchType, vouchType));
    if (header.warehouse.trimmed().isEmpty())
        throw DatabaseError(QStringLiteral("单据 %1 没有仓库").arg(voucherId));
    CheckDetails(connection, voucherId);

    Query insert(connection);
    insert.SetText(QStringLiteral("INSERT INTO SCM_EntryLedgerBuffer (transactionid, %1, iQuantity) "
                                  "SELECT :TransactionId, h.cWhCode, d.cInvCode, d.cFree1, d.cFree2, d.cFree3, "
                                  "d.cFree4, d.cFree5, d.cFree6, d.cFree7, d.cFree8, d.cFree9, d.cFree10, "
                                  ":Direction * coalesce(d.iQuantity, 0) "
                                  "FROM RdRecords d JOIN RdRecord h ON h.ID = d.ID WHERE d.ID = :Id ORDER BY d.AutoID")
                       .arg(kStockKeyColumns));
    insert.Bind(QStringLiteral("TransactionId"), LedgerTransactionId(connection));
    insert.Bind(QStringLiteral("Direction"), header.direction);
    insert.Bind(QStringLiteral("Id"), voucherId.toLongLong());
    insert.Exec();
}

// Refuses, before anything changes, a posting that takes a stock below zero (unless @bCheck is 0); quantities
// are kept at six decimals, as the ERP's quantity columns are.
void CommitGeneralLedgerProcedure(Connection& connection, StoredProcedure& call) {
    QString transactionId = call.Value(QStringLiteral("@transactionid")).toString();
    if (transactionId.isEmpty())
        transactionId = LedgerTransactionId(connection);
    QVariant check = call.Value(QStringLiteral("@bCheck"));

    if (check.isNull() || check.toInt() != 0) {
        Query shortage(connection);
        shortage.SetText(QStringLiteral("SELECT b.cWhCode, b.cInvCode, coalesce(max(s.iQuantity), 0) AS iStock, "
                                        "round(coalesce(max(s.iQuantity), 0) + sum(b.iQuantity), 6) AS iAfter "
                                        "FROM SCM_EntryLedgerBuffer b LEFT JOIN CurrentStock s ON %1 "
                                        "WHERE b.transactionid = :TransactionId GROUP BY %2 "
                                        "HAVING sum(b.iQuantity) < 0 AND iAfter < 0")
                             .arg(kMatchesStockKey, QStringLiteral("b.cWhCode, b.cInvCode, b.cFree1, b.cFree2, "
                                                                   "b.cFree3, b.cFree4, b.cFree5, b.cFree6, "
                                                                   "b.cFree7, b.cFree8, b.cFree9, b.cFree10")));
        shortage.Bind(QStringLiteral("TransactionId"), transactionId);
        shortage.Exec();
        if (shortage.First())
            throw DatabaseError(
                QStringLiteral("仓库 %1 存货 %2 的现存量不足：现存 %3，过账后为 %4")
                    .arg(shortage.Text(QStringLiteral("cWhCode")), shortage.Text(QStringLiteral("cInvCode")),
                         shortage.Text(QStringLiteral("iStock")), shortage.Text(QStringLiteral("iAfter"))));
    }

    Query step(connection);
    step.SetText(QStringLiteral("INSERT INTO CurrentStock (%1, iQuantity) SELECT DISTINCT b.cWhCode, b.cInvCode, "
                                "b.cFree1, b.cFree2, b.cFree3, b.cFree4, b.cFree5, b.cFree6, b.cFree7, b.cFree8, "
                                "b.cFree9, b.cFree10, 0 FROM SCM_EntryLedgerBuffer b "
                                "WHERE b.transactionid = :TransactionId "
                                "AND NOT EXISTS (SELECT 1 FROM CurrentStock s WHERE %2)")
                     .arg(kStockKeyColumns, kMatchesStockKey));
    step.Bind(QStringLiteral("TransactionId"), transactionId);
    step.Exec();
    // Driven by the transaction's ledger rows, so that each posting seeks its stock rows by the stock key
    // instead of visiting every stock row.
    step.SetText(QStringLiteral("UPDATE CurrentStock AS s SET iQuantity = round(s.iQuantity + b.iQuantity, 6) "
                                "FROM (SELECT %1, sum(iQuantity) AS iQuantity FROM SCM_EntryLedgerBuffer "
                                "WHERE transactionid = :TransactionId GROUP BY %1) AS b WHERE %2")
                     .arg(kStockKeyColumns, kMatchesStockKey));
    step.Bind(QStringLiteral("TransactionId"), transactionId);
    step.Exec();
    step.SetText(QStringLiteral("DELETE FROM SCM_EntryLedgerBuffer WHERE transactionid = :TransactionId"));
    step.Bind(QStringLiteral("TransactionId"), transactionId);
    step.Exec();
}

} // namespace hz
