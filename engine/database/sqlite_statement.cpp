#include "engine/database/driver_statement.h"

#include <sqlite3.h>

namespace hz {
namespace {

// The type of a column as Qt's SQLite driver reports it, from the declared type.
QMetaType DeclaredType(const char* declared) {
    const QString type = QString::fromUtf8(declared ? declared : "").toLower();
    if (type.contains(u"int")) {
        return QMetaType::fromType<qlonglong>();
    }
    if (type.contains(u"real") || type.contains(u"floa") || type.contains(u"doub") || type.contains(u"numeric") ||
        type.contains(u"decimal")) {
        return QMetaType::fromType<double>();
    }
    if (type.contains(u"blob")) {
        return QMetaType::fromType<QByteArray>();
    }
    if (type.startsWith(u"bool")) {
        return QMetaType::fromType<bool>();
    }
    return QMetaType::fromType<QString>();
}

class SqliteStatement : public DriverStatement {
public:
    SqliteStatement(sqlite3* database, sqlite3_stmt* statement) : database(database), statement(statement) {}
    ~SqliteStatement() override { sqlite3_finalize(statement); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    void Bind(int position, const QVariant& value) override {
        const int index = position + 1;
        // A null text is NULL, as Qt's drivers bind it.
        if (value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isNull())) {
            sqlite3_bind_null(statement, index);
            return;
        }
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
            sqlite3_bind_int64(statement, index, value.toLongLong());
            return;
        case QMetaType::Float:
        case QMetaType::Double:
            sqlite3_bind_double(statement, index, value.toDouble());
            return;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            sqlite3_bind_blob(statement, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
            return;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            sqlite3_bind_text(statement, index, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            return;
        }
        }
    }

    bool Exec() override {
        sqlite3_reset(statement);
        step = sqlite3_step(statement);
        if (step != SQLITE_ROW && step != SQLITE_DONE) {
            error = QString::fromUtf8(sqlite3_errmsg(database));
            sqlite3_reset(statement);
            return false;
        }
        error.clear();
        changes = step == SQLITE_DONE && ColumnCount() == 0 ? sqlite3_changes(database) : 0;
        return true;
    }

    int ColumnCount() const override { return sqlite3_column_count(statement); }
    QString ColumnName(int column) const override { return QString::fromUtf8(sqlite3_column_name(statement, column)); }
    QMetaType ColumnType(int column) const override { return DeclaredType(sqlite3_column_decltype(statement, column)); }

    bool Next(std::vector<QVariant>& values) override {
        if (step != SQLITE_ROW) {
            return false;
        }
        const int count = sqlite3_column_count(statement);
        values.resize(count);
        for (int i = 0; i < count; ++i) {
            values[i] = Column(i);
        }
        step = sqlite3_step(statement);
        if (step != SQLITE_ROW && step != SQLITE_DONE) {
            error = QString::fromUtf8(sqlite3_errmsg(database));
        }
        return true;
    }

    int RowsAffected() const override { return changes; }
    bool HasError() const override { return !error.isEmpty(); }
    QString ErrorText() const override { return error; }
    void Finish() override { sqlite3_reset(statement); }

private:
    QVariant Column(int i) const {
        switch (sqlite3_column_type(statement, i)) {
        case SQLITE_INTEGER:
            return QVariant(static_cast<qlonglong>(sqlite3_column_int64(statement, i)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(statement, i));
        case SQLITE_NULL:
            return QVariant();
        case SQLITE_BLOB: {
            // The pointer first, then its size: SQLite's rule for the two calls.
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, i));
            return QByteArray(bytes, sqlite3_column_bytes(statement, i));
        }
        default: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
            return QString::fromUtf8(text, sqlite3_column_bytes(statement, i));
        }
        }
    }

    sqlite3* database;
    sqlite3_stmt* statement;
    int step = SQLITE_DONE;
    int changes = 0;
    QString error;
};

} // namespace

std::unique_ptr<DriverStatement> PrepareSqliteStatement(sqlite3* database, const QString& sql, QString* error) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(database, text.constData(), static_cast<int>(text.size()), &statement, nullptr) !=
        SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(database));
        sqlite3_finalize(statement);
        return nullptr;
    }
    if (statement == nullptr) {
        *error = QStringLiteral("empty statement");
        return nullptr;
    }
    return std::make_unique<SqliteStatement>(database, statement);
}

} // namespace hz
