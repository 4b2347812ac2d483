#include "engine/database/connection.h"
#include "engine/database/database_error.h"
#include "engine/database/embedded_erp/erp_procedure_set.h"
#include "engine/database/procedures/stored_procedure.h"
#include "engine/database/query.h"

namespace hz {

namespace {

// A ledger row's stock key: warehouse, item and its ten free attributes.
const QStringList kStockKey = {QStringLiteral("cWhCode"), QStringLiteral("cInvCode"), QStringLiteral("cFree1"),
                               QStringLiteral("cFree2"),  QStringLiteral("cFree3"),   QStringLiteral("cFree4"),
                               QStringLiteral("cFree5"),  QStringLiteral("cFree6"),   QStringLiteral("cFree7"),
                               QStringLiteral("cFree8"),  QStringLiteral("cFree9"),   QStringLiteral("cFree10")};
const QString kStockKeyColumns = kStockKey.join(QStringLiteral(", "));
const QString kStockKeyParameters = QStringLiteral(":") + kStockKey.join(QStringLiteral(", :"));
// The stock row of the key bound to the parameters named as its columns.
const QString kIsStockKey = [] {
    QStringList terms;
    for (const QString& column : kStockKey)
        terms.append(column + QStringLiteral(" = :") + column);
    return terms.join(QStringLiteral(" AND "));
}();

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
// are kept at six decimals, as the ERP's quantity columns are. The ledger rows are summed once per stock key, and
// each key's stock row is then found by its key alone: a posting costs a few point reads and writes, whatever the
// size of the stock.
void CommitGeneralLedgerProcedure(Connection& connection, StoredProcedure& call) {
    QString transactionId = call.Value(QStringLiteral("@transactionid")).toString();
    if (transactionId.isEmpty())
        transactionId = LedgerTransactionId(connection);
    QVariant check = call.Value(QStringLiteral("@bCheck"));

    // Its columns: the stock key, then the sum. A key's text is its first ledger row's, so that a new stock row
    // reads as the voucher's first line.
    static const QString kLedgerSums = QStringLiteral("SELECT %1, sum(iQuantity) AS iQuantity FROM "
                                                      "SCM_EntryLedgerBuffer WHERE transactionid = :TransactionId "
                                                      "GROUP BY %1")
                                           .arg(kStockKeyColumns);
    // Parameters: the sum, then the key.
    static const QString kStockAfter = QStringLiteral("SELECT coalesce(max(iQuantity), 0) AS iStock, "
                                                      "round(coalesce(max(iQuantity), 0) + :Quantity, 6) AS iAfter "
                                                      "FROM CurrentStock WHERE %1")
                                           .arg(kIsStockKey);
    // Parameters: the key, then the sum.
    static const QString kAddToStock =
        QStringLiteral("INSERT INTO CurrentStock (%1, iQuantity) VALUES (%2, round(:Quantity, 6)) "
                       "ON CONFLICT (%1) DO UPDATE SET iQuantity = round(iQuantity + :Quantity, 6)")
            .arg(kStockKeyColumns, kStockKeyParameters);
    const int sumColumn = static_cast<int>(kStockKey.size());
    const auto bindKey = [sumColumn](Query& query, const Query& ledger, int firstKey) {
        for (int column = 0; column < sumColumn; ++column)
            query.Bind(firstKey + column, ledger.Value(column));
    };

    Query ledger(connection);
    ledger.SetText(kLedgerSums);
    ledger.Bind(0, transactionId);
    ledger.Exec();

    if (check.isNull() || check.toInt() != 0) {
        Query stock(connection);
        stock.SetText(kStockAfter);
        while (ledger.Next()) {
            const QVariant sum = ledger.Value(sumColumn);
            if (sum.toDouble() >= 0)
                continue;
            stock.Bind(0, sum);
            bindKey(stock, ledger, 1);
            stock.Exec();
            if (stock.First() && stock.Double(QStringLiteral("iAfter")) < 0)
                throw DatabaseError(
                    QStringLiteral("仓库 %1 存货 %2 的现存量不足：现存 %3，过账后为 %4")
                        .arg(ledger.Text(QStringLiteral("cWhCode")), ledger.Text(QStringLiteral("cInvCode")),
                             stock.Text(QStringLiteral("iStock")), stock.Text(QStringLiteral("iAfter"))));
        }
    }

    Query post(connection);
    post.SetText(kAddToStock);
    for (bool more = ledger.First(); more; more = ledger.Next()) {
        bindKey(post, ledger, 0);
        post.Bind(sumColumn, ledger.Value(sumColumn));
        post.Exec();
    }
    post.SetText(QStringLiteral("DELETE FROM SCM_EntryLedgerBuffer WHERE transactionid = :TransactionId"));
    post.Bind(0, transactionId);
    post.Exec();
}

} // namespace hz
