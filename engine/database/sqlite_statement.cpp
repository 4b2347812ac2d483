#include "engine/database/driver_statement.h"

#include <QStringEncoder>

#include <sqlite3.h>

#include <vector>

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
        const auto* text =
            value.typeId() == QMetaType::QString ? static_cast<const QString*>(value.constData()) : nullptr;
        // A null text is NULL, as Qt's drivers bind it.
        if (value.isNull() || (text != nullptr && text->isNull())) {
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
            const QByteArray& utf8 =
                text != nullptr ? EncodeText(position, *text) : EncodeText(position, value.toString());
            sqlite3_bind_text(statement, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_STATIC);
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
    // The parameter's UTF-8 in a buffer of its own that lives until the parameter is bound again or the statement
    // goes, so that SQLite may use it in place (SQLITE_STATIC) and a row's texts are bound without an allocation.
    const QByteArray& EncodeText(int position, QStringView text) {
        if (static_cast<size_t>(position) >= texts.size()) {
            texts.resize(position + 1);
        }
        QByteArray& utf8 = texts[position];
        utf8.resize(text.size() * 3); // a UTF-16 unit never takes more than 3 bytes of UTF-8
        QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
        utf8.truncate(encoder.appendToBuffer(utf8.data(), text) - utf8.constData());
        return utf8;
    }

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
    std::vector<QByteArray> texts; // by parameter position
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
