#include "engine/database/connection.h"
#include "engine/database/database_error.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/database/embedded_erp/erp_collation.h"
#include "engine/database/embedded_erp/erp_procedure_set.h"
#include "engine/database/embedded_erp/erp_schema.h"
#include "engine/database/embedded_erp/wal_checkpointer.h"
#include "engine/database/query.h"

#include <QDir>
#include <QUrl>

#include <sqlite3.h>

#include <cstdint>

namespace hz {

namespace {

// Qt's SQLite driver and this library use the one shared libsqlite3 of the system, so the driver's handle
// takes the collation directly.
void RegisterCollation(sqlite3* db) {
    if (HzRegisterErpCollation(db) != SQLITE_OK)
        throw DatabaseError(QStringLiteral("无法注册排序规则 " HZ_ERP_COLLATION "：") +
                            QString::fromUtf8(sqlite3_errmsg(db)));
}

// SQLite's own busy handler backs off to 100 ms between tries, so a program that saves vouchers back to back
// can starve another one past its busy timeout. This one tries again every millisecond, within the same budget.
int RetryEveryMillisecond(void* budget, int tries) {
    if (tries >= static_cast<int>(reinterpret_cast<intptr_t>(budget)))
        return 0;
    sqlite3_sleep(1);
    return 1;
}

void WaitForLocksFairly(Connection& connection, sqlite3* db) {
    Query query(connection);
    query.SetText(QStringLiteral("PRAGMA busy_timeout"));
    query.Exec();
    intptr_t budget = query.First() ? query.Value(QStringLiteral("timeout")).toInt() : 0;
    sqlite3_busy_handler(db, RetryEveryMillisecond, reinterpret_cast<void*>(budget));
}

void CheckIsEmbeddedErp(Connection& connection) {
    Query query(connection);
    query.SetText(QStringLiteral("PRAGMA application_id"));
    query.Exec();
    if (query.First() && query.Value(QStringLiteral("application_id")).toInt() == kEmbeddedErpApplicationId)
        return;
    QUrl uri(connection.Database().databaseName());
    throw DatabaseError(QStringLiteral("数据库文件“%1”不是内置 ERP 数据库")
                            .arg(QDir::toNativeSeparators(uri.isLocalFile() ? uri.toLocalFile() : uri.toString())));
}

// A number no other connection of the file has had, taken from its counter under the write lock.
void AssignSpid(Connection& connection) {
    TransactionGuard transaction(connection);
    Query query(connection);
    query.SetText(QStringLiteral("UPDATE hz_SpidCounter SET iLastSpid = iLastSpid + 1 WHERE Id = 1"));
    query.Exec();
    query.SetText(QStringLiteral("SELECT iLastSpid FROM hz_SpidCounter WHERE Id = 1"));
    query.Exec();
    if (!query.First())
        throw DatabaseError(QStringLiteral("内置 ERP 数据库缺少 spid 计数器"));
    int spid = query.Int(QStringLiteral("iLastSpid"));
    transaction.Commit();
    connection.SetSpid(spid);
}

// Every saved row and voucher is a transaction of its own. In WAL mode NORMAL syncs at checkpoints instead of
// at every commit: the file stays consistent after a crash, and a power loss can at most take back the last
// commits, where a sync per commit would make every import wait on the disk for each row.
void SyncAtCheckpoints(Connection& connection) {
    Query query(connection);
    query.SetText(QStringLiteral("PRAGMA synchronous = NORMAL"));
    query.Exec();
    // A checkpoint (two syncs) every 16,384 pages of log instead of every 1,000: every few thousand rows instead of
    // every few hundred; a WalCheckpointer, when one runs, copies most of the log on its thread before. The log is
    // cut back to its limit after each, and the last connection's close checkpoints and removes it, so the file is
    // whole and small after a run.
    query.SetText(QStringLiteral("PRAGMA wal_autocheckpoint = 16384"));
    query.Exec();
    query.SetText(QStringLiteral("PRAGMA journal_size_limit = 67108864"));
    query.Exec();
}

// The system's SQLite library may be built to overwrite deleted content with zeros, which every posting pays for
// when it empties its ledger rows; a server's deleted rows are not overwritten either.
void KeepDeletedContent(Connection& connection) {
    Query query(connection);
    query.SetText(QStringLiteral("PRAGMA secure_delete = OFF"));
    query.Exec();
}

} // namespace

void PrepareEmbeddedErpConnection(Connection& connection) {
    if (sqlite3* db = connection.NativeSqlite()) {
        RegisterCollation(db);
        WaitForLocksFairly(connection, db);
    }
    CheckIsEmbeddedErp(connection);
    SyncAtCheckpoints(connection);
    KeepDeletedContent(connection);
    if (sqlite3* db = connection.NativeSqlite()) {
        connection.KeepUntilClose(WalCheckpointer::Start(db));
    }
    AssignSpid(connection);
}

void InstallEmbeddedErp(Connection& connection) {
    connection.SetOpenHook(PrepareEmbeddedErpConnection);
    connection.RegisterProcedure(QStringLiteral("sp_GetId"), GetIdProcedure);
    connection.RegisterProcedure(QStringLiteral("ST_SaveForStock"), SaveForStockProcedure);
    connection.RegisterProcedure(QStringLiteral("ST_VerForStock"), SaveForStockProcedure);
    connection.RegisterProcedure(QStringLiteral("Usp_SCM_CommitGeneralLedgerWithCheck"), CommitGeneralLedgerProcedure);
}

} // namespace hz
