#include "engine/database/statement_cache.h"

#include "engine/database/database_error.h"
#include "engine/database/sql/sql_parameters.h"

namespace hz {

PreparedStatement::~PreparedStatement() = default;

StatementCache::StatementCache() = default;

StatementCache::~StatementCache() {
    Release();
}

std::shared_ptr<PreparedStatement> StatementCache::Find(const QString& sql) {
    auto found = entries.constFind(sql);
    if (found != entries.constEnd()) {
        return *found;
    }
    auto statement = std::make_shared<PreparedStatement>();
    statement->sql = sql;
    PositionalSql positional = ToPositional(sql);
    statement->positionalText = std::move(positional.text);
    for (const QString& name : positional.names) {
        qsizetype index = 0;
        while (index < statement->names.size() && statement->names[index].compare(name, Qt::CaseInsensitive) != 0) {
            ++index;
        }
        if (index == statement->names.size()) {
            statement->names.append(name);
        }
        statement->placeholders.push_back(static_cast<int>(index));
    }
    entries.insert(sql, statement);
    return statement;
}

DriverStatement& StatementCache::Prepared(PreparedStatement& statement) {
    if (statement.driver) {
        return *statement.driver;
    }
    statement.driverText =
        dialect == SqlDialect::Sqlite ? TranslateToSqlite(statement.positionalText, spid) : statement.positionalText;
    QString error;
    statement.driver = native != nullptr ? PrepareSqliteStatement(native, statement.driverText, &error)
                                         : PrepareQtStatement(database, statement.driverText, &error);
    if (!statement.driver) {
        // Named by the engine's text, which its reader wrote, not by the translation.
        throw StatementError(error, statement.sql);
    }
    statement.columns.reset();
    return *statement.driver;
}

void StatementCache::Reset(const QSqlDatabase& newDatabase, sqlite3* newNative, SqlDialect newDialect, int newSpid) {
    Release();
    database = newDatabase;
    native = newNative;
    dialect = newDialect;
    spid = newSpid;
}

void StatementCache::Release() {
    for (const auto& statement : std::as_const(entries)) {
        statement->driver.reset();
        statement->columns.reset();
    }
    database = QSqlDatabase();
    native = nullptr;
}

} // namespace hz
