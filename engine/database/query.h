#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace hz {

class Connection;
struct PreparedStatement;

// A statement with ":Name" parameters on the connection (QGongYong, QGetValue, ...). Exec reads every record
// at once, like a static cursor, so no statement stays open on the database afterwards. Values are always
// bound, never pasted into the text. Errors throw DatabaseError naming the statement.
class Query {
public:
    explicit Query(Connection& connection);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // Replaces the text; drops the records and the bound values.
    void SetText(const QString& sql);
    const QString& Text() const { return text; }
    // By name, with or without the ":", without regard to case; an unknown name is an error.
    void Bind(const QString& name, const QVariant& value);
    // By position among the distinct names, from 0.
    void Bind(int position, const QVariant& value);
    // Runs the statement with the bound values (unbound ones are NULL) and reads its records.
    void Exec();
    // Drops the records (the bound values stay).
    void Close();

    // Before the first record after Exec; Next moves on and tells whether there is a current record.
    bool Next();
    bool First();
    int RecordCount() const { return static_cast<int>(rows.size()); }
    bool IsEmpty() const { return rows.empty(); }
    int RowsAffected() const { return rowsAffected; }

    // The current record's field, by name without regard to case; an unknown name is an error.
    QVariant Value(const QString& field) const;
    // By position in the record, from 0.
    QVariant Value(int column) const;
    // As text: NULL gives "", a date-time 'yyyy-MM-dd HH:mm:ss', a number its shortest form ("12", "0.5"), a
    // boolean "True" or "False".
    QString Text(const QString& field) const;
    int Int(const QString& field) const;
    double Double(const QString& field) const;

private:
    void Prepare();
    int FieldIndex(const QString& field) const;

    Connection& connection;
    QString text;
    std::shared_ptr<PreparedStatement> statement;
    std::vector<QVariant> values; // by position among the distinct names
    std::vector<std::vector<QVariant>> rows;
    int current = -1;
    int rowsAffected = 0;
};

// Text of the field "Value" of the first record of sql, or "" when there is none (QueryValue).
QString QueryValue(Connection& connection, const QString& sql);
// The same on a query of the caller's (QGetValue), which keeps the text and the records afterwards.
QString QueryValue(Query& query, const QString& sql);

// How the seam reads a field as text (see Query::Text).
QString VariantText(const QVariant& value);

} // namespace hz
