#include "tests/support/fresh_erp.h"

#include "engine/database/database_error.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/database/procedures/stored_procedure.h"
#include "engine/database/query.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <stdexcept>

namespace hz::test {

namespace {

void Prepare(Query& query, const QString& sql, const QVariant& value) {
    query.SetText(sql);
    if (sql.contains(QLatin1String(":Value")))
        query.Bind(QStringLiteral("Value"), value);
    query.Exec();
}

} // namespace

std::string DatabaseContents(Connection& connection) {
    QSqlQuery tables(connection.Database());
    tables.exec(QStringLiteral("SELECT name FROM main.sqlite_master WHERE type = 'table' ORDER BY name"));
    std::string contents;
    while (tables.next()) {
        const QString table = tables.value(0).toString();
        contents += "table " + table.toStdString() + "\n";
        QSqlQuery rows(connection.Database());
        // A whole-table scan runs in storage order: rowid, or the key of a table without one.
        if (!rows.exec(QStringLiteral("SELECT * FROM main.\"%1\"").arg(table))) {
            throw std::runtime_error("cannot read table " + table.toStdString());
        }
        while (rows.next()) {
            for (int i = 0; i < rows.record().count(); ++i) {
                const QVariant value = rows.value(i);
                contents += value.isNull() ? "NULL|" : value.toString().toStdString() + "|";
            }
            contents += "\n";
        }
    }
    return contents;
}

FreshErp::FreshErp() : path(QString::fromStdString(folder.File("erp.db"))) {
    CreateEmbeddedErp(path);
}

std::unique_ptr<Connection> FreshErp::Connect() const {
    auto connection = std::make_unique<Connection>();
    InstallEmbeddedErp(*connection);
    connection->OpenSqliteFile(path);
    return connection;
}

void FailProcedure(Connection& connection, const QString& procedure) {
    connection.RegisterProcedure(
        procedure, [](Connection&, StoredProcedure&) { throw DatabaseError(QStringLiteral("injected failure")); });
}

void FailInsertsInto(Connection& connection, const QString& table) {
    Execute(connection, QStringLiteral("CREATE TEMP TRIGGER hz_fail_insert_%1 BEFORE INSERT ON main.%1 "
                                       "BEGIN SELECT RAISE(ABORT, 'injected failure'); END")
                            .arg(table));
}

void FailInsertOf(Connection& connection, const QString& table, const QString& field, const QString& value) {
    QString literal = value;
    literal.replace(QLatin1Char('\''), QStringLiteral("''"));
    Execute(connection, QStringLiteral("CREATE TEMP TRIGGER hz_fail_insert_of_%1 BEFORE INSERT ON main.%1 "
                                       "WHEN NEW.%2 = '%3' BEGIN SELECT RAISE(ABORT, 'injected failure'); END")
                            .arg(table, field, literal));
}

QVariant Scalar(Connection& connection, const QString& sql, const QVariant& value) {
    Query query(connection);
    Prepare(query, sql, value);
    if (!query.First())
        return {};
    return query.Value(QStringLiteral("Value"));
}

void Execute(Connection& connection, const QString& sql, const QVariant& value) {
    Query query(connection);
    Prepare(query, sql, value);
}

std::vector<std::string> Column(Connection& connection, const QString& sql) {
    Query query(connection);
    Prepare(query, sql, {});
    std::vector<std::string> values;
    while (query.Next())
        values.push_back(query.Text(QStringLiteral("Value")).toStdString());
    return values;
}

void ExecuteAll(Connection& connection, std::initializer_list<const char*> statements) {
    for (const char* sql : statements)
        Execute(connection, QString::fromUtf8(sql));
}

} // namespace hz::test
