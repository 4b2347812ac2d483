#include "engine/database/statement_cache.h"

#include "engine/database/database_error.h"
#include "engine/database/sql_parameters.h"

#include <QSqlError>
#include <QSqlQuery>

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

QSqlQuery& StatementCache::Prepared(PreparedStatement& statement) {
    if (statement.query) {
        return *statement.query;
    }
    statement.driverText =
        dialect == SqlDialect::Sqlite ? TranslateToSqlite(statement.positionalText, spid) : statement.positionalText;
    auto query = std::make_unique<QSqlQuery>(database);
    query->setForwardOnly(true);
    if (!query->prepare(statement.driverText)) {
        throw StatementError(DriverText(query->lastError()), statement.sql);
    }
    statement.query = std::move(query);
    statement.columns.reset();
    return *statement.query;
}

void StatementCache::Reset(const QSqlDatabase& newDatabase, SqlDialect newDialect, int newSpid) {
    Release();
    database = newDatabase;
    dialect = newDialect;
    spid = newSpid;
}

void StatementCache::Release() {
    for (const auto& statement : std::as_const(entries)) {
        statement->query.reset();
        statement->columns.reset();
    }
    database = QSqlDatabase();
}

} // namespace hz
