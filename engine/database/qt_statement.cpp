#include "engine/database/driver_statement.h"

#include "engine/database/database_error.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace hz {
namespace {

class QtStatement : public DriverStatement {
public:
    explicit QtStatement(const QSqlDatabase& database) : query(database) { query.setForwardOnly(true); }

    bool Prepare(const QString& sql) { return query.prepare(sql); }

    // Qt's ODBC driver gives a text no other SQL type than nvarchar, and a long text type past 126 characters. Compared
    // with a varchar column of the ERP, whose collations are Windows ones, that still seeks the column's index:
    // SQL Server turns the value into a range of the column's type instead of converting every row.
    void Bind(int position, const QVariant& value) override { query.bindValue(position, value); }

    bool Exec() override {
        failed = !query.exec();
        if (!failed && query.isSelect() && record.isEmpty()) {
            record = query.record();
        }
        return !failed;
    }

    int ColumnCount() const override { return query.isSelect() ? record.count() : 0; }
    QString ColumnName(int column) const override { return record.fieldName(column); }
    QMetaType ColumnType(int column) const override { return record.field(column).metaType(); }

    bool Next(std::vector<QVariant>& values) override {
        if (!query.next()) {
            failed = query.lastError().isValid();
            return false;
        }
        values.resize(record.count());
        for (int i = 0; i < record.count(); ++i) {
            values[i] = query.value(i);
        }
        return true;
    }

    int RowsAffected() const override { return query.numRowsAffected(); }
    bool HasError() const override { return failed; }
    QString ErrorText() const override { return DriverText(query.lastError()); }
    void Finish() override { query.finish(); }

private:
    QSqlQuery query;
    QSqlRecord record; // of the first run: a prepared text keeps its columns
    bool failed = false;
};

} // namespace

std::unique_ptr<DriverStatement> PrepareQtStatement(const QSqlDatabase& database, const QString& sql, QString* error) {
    auto statement = std::make_unique<QtStatement>(database);
    if (!statement->Prepare(sql)) {
        *error = statement->ErrorText();
        return nullptr;
    }
    return statement;
}

} // namespace hz
