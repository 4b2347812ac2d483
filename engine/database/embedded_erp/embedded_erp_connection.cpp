#include "engine/database/connection.h"
#include "engine/database/database_error.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/database/embedded_erp/erp_collation.h"
#include "engine/database/embedded_erp/erp_procedure_set.h"
#include "engine/database/embedded_erp/erp_schema.h"
#include "engine/database/query.h"

#include <sqlite3.h>

namespace hz {

namespace {

// Qt's SQLite driver and this library use the one shared libsqlite3 of the system, so the driver's handle
// takes the collation directly.
void RegisterCollation(sqlite3* db) {
    if (HzRegisterErpCollation(db) != SQLITE_OK)
        throw DatabaseError(QStringLiteral("无法注册排序规则 " HZ_ERP_COLLATION "：") +
                            QString::fromUtf8(sqlite3_errmsg(db)));
}

void CheckIsEmbeddedErp(Connection& connection) {
    Query query(connection);
    query.SetText(QStringLiteral("PRAGMA application_id"));
    query.Exec();
    if (!query.First() || query.Value(QStringLiteral("application_id")).toInt() != kEmbeddedErpApplicationId)
        throw DatabaseError(
            QStringLiteral("数据库文件“%1”不是内置 ERP 数据库").arg(connection.Database().databaseName()));
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

} // namespace

void PrepareEmbeddedErpConnection(Connection& connection) {
    if (sqlite3* db = connection.NativeSqlite())
        RegisterCollation(db);
    CheckIsEmbeddedErp(connection);
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
