#pragma once

#include "engine/database/connection.h"
#include "tests/support/scratch_folder.h"

#include <QString>
#include <QVariant>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace hz::test {

// A new embedded ERP file in a scratch folder of its own, for one test.
class FreshErp {
public:
    FreshErp();

    const QString& Path() const { return path; }
    const ScratchFolder& Folder() const { return folder; }
    // A connection open on the file through QSQLITE, with the embedded ERP installed (collation, spid,
    // procedures), as the program opens it.
    std::unique_ptr<Connection> Connect() const;

private:
    ScratchFolder folder;
    QString path;
};

// From now on the named procedure refuses every call on this connection with a DatabaseError.
void FailProcedure(Connection& connection, const QString& procedure);
// From now on every insert into the table through this connection fails, as a refused batch update does.
void FailInsertsInto(Connection& connection, const QString& table);
// From now on an insert into the table through this connection fails when its field equals value; other rows
// are written.
void FailInsertOf(Connection& connection, const QString& table, const QString& field, const QString& value);

// The field "Value" of the first record of sql (its ":Value" parameter, if any, bound to value), or NULL.
QVariant Scalar(Connection& connection, const QString& sql, const QVariant& value = {});
// The field "Value" of every record of sql, as text, in order.
std::vector<std::string> Column(Connection& connection, const QString& sql);
// Runs a statement whose ":Value" parameter, when it has one, takes value.
void Execute(Connection& connection, const QString& sql, const QVariant& value = {});
// Every row of every table of the connection's main database, tables by name and rows in storage order, as text: two
// equal answers mean that nothing was added, changed or removed in between.
std::string DatabaseContents(Connection& connection);
// Runs statements (UTF-8, without parameters) in order.
void ExecuteAll(Connection& connection, std::initializer_list<const char*> statements);

} // namespace hz::test
