#include "engine/database/connection.h"
#include "engine/database/database_error.h"
#include "engine/database/embedded_erp/erp_procedure_set.h"
#include "engine/database/procedures/stored_procedure.h"
#include "engine/database/query.h"

#include <QtGlobal>

#include <algorithm>
#include <climits>
#include <optional>

namespace hz {

namespace {

struct IdTables {
    QString header;
    QString detail;
};

// The tables whose ids an id type hands out: a new id is above every id they hold.
std::optional<IdTables> TablesOf(const QString& idType) {
    if (idType.compare(QLatin1String("rd"), Qt::CaseInsensitive) == 0)
        return IdTables{QStringLiteral("RdRecord"), QStringLiteral("RdRecords")};
    if (idType.compare(QLatin1String("tr"), Qt::CaseInsensitive) == 0)
        return IdTables{QStringLiteral("TransVouch"), QStringLiteral("TransVouchs")};
    return std::nullopt;
}

qint64 ScalarOf(Connection& connection, const QString& sql) {
    Query query(connection);
    query.SetText(sql);
    query.Exec();
    return query.First() ? query.Value(QStringLiteral("Value")).toLongLong() : 0;
}

struct Counter {
    qint64 father = 0;
    qint64 child = 0;
    bool exists = false;
};

Counter ReadCounter(Connection& connection, const QString& account, const QString& idType) {
    Query query(connection);
    query.SetText(QStringLiteral("SELECT iFatherId, iChildId FROM hz_IdCounter "
                                 "WHERE cAcc_Id = :Account AND cVouchType = :IdType"));
    query.Bind(QStringLiteral("Account"), account);
    query.Bind(QStringLiteral("IdType"), idType);
    query.Exec();
    if (!query.First())
        return {};
    return {query.Value(QStringLiteral("iFatherId")).toLongLong(), query.Value(QStringLiteral("iChildId")).toLongLong(),
            true};
}

void WriteCounter(Connection& connection, const QString& account, const QString& idType, const Counter& counter) {
    Query query(connection);
    query.SetText(counter.exists ? QStringLiteral("UPDATE hz_IdCounter SET iFatherId = :Father, iChildId = :Child "
                                                  "WHERE cAcc_Id = :Account AND cVouchType = :IdType")
                                 : QStringLiteral("INSERT INTO hz_IdCounter (cAcc_Id, cVouchType, iFatherId, iChildId) "
                                                  "VALUES (:Account, :IdType, :Father, :Child)"));
    query.Bind(QStringLiteral("Account"), account);
    query.Bind(QStringLiteral("IdType"), idType);
    query.Bind(QStringLiteral("Father"), counter.father);
    query.Bind(QStringLiteral("Child"), counter.child);
    query.Exec();
}

void Allocate(Connection& connection, StoredProcedure& call, const IdTables& tables, int amount) {
    QString account = call.Value(QStringLiteral("@cAcc_Id")).toString();
    QString idType = call.Value(QStringLiteral("@cVouchType")).toString().toLower();
    Counter counter = ReadCounter(connection, account, idType);
    // Ids written by other means (an earlier import, a hand-made row, a detail without its header) are skipped.
    qint64 highestHeader =
        std::max(ScalarOf(connection, QStringLiteral("SELECT coalesce(max(ID), 0) AS Value FROM ") + tables.header),
                 ScalarOf(connection, QStringLiteral("SELECT coalesce(max(ID), 0) AS Value FROM ") + tables.detail));
    qint64 highestDetail =
        ScalarOf(connection, QStringLiteral("SELECT coalesce(max(AutoID), 0) AS Value FROM ") + tables.detail);
    counter.father = std::max(counter.father, highestHeader) + 1;
    counter.child = std::max(counter.child, highestDetail) + amount;
    if (counter.father > INT_MAX || counter.child > INT_MAX)
        throw DatabaseError(QStringLiteral("%1 的 id 已用尽").arg(idType));
    WriteCounter(connection, account, idType, counter);
    call.SetValue(QStringLiteral("@iFatherId"), static_cast<int>(counter.father));
    call.SetValue(QStringLiteral("@iChildId"), static_cast<int>(counter.child));
}

} // namespace

// Atomic across programs because the allocation runs under SQLite's write lock: the caller's transaction
// (BEGIN IMMEDIATE), or one of its own when the caller has none. It is undone with the caller's transaction.
void GetIdProcedure(Connection& connection, StoredProcedure& call) {
    QString idType = call.Value(QStringLiteral("@cVouchType")).toString();
    std::optional<IdTables> tables = TablesOf(idType);
    if (!tables)
        throw DatabaseError(QStringLiteral("未知的 id 类型“%1”").arg(idType));
    QVariant amountValue = call.Value(QStringLiteral("@iAmount"));
    int amount = amountValue.isNull() ? 0 : call.IntValue(QStringLiteral("@iAmount"));
    if (amount < 0)
        throw DatabaseError(QStringLiteral("@iAmount 不能为负数：%1").arg(amount));

    if (connection.InTransaction()) {
        Allocate(connection, call, *tables, amount);
        return;
    }
    TransactionGuard transaction(connection);
    Allocate(connection, call, *tables, amount);
    transaction.Commit();
}

} // namespace hz
