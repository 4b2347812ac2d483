#include "engine/database/connection.h"

#include "engine/database/database_error.h"
#include "engine/database/odbc_drivers.h"
#include "engine/database/sqlite_library.h"
#include "engine/database/statement_cache.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <sqlite3.h>

#include <atomic>

namespace hz {
namespace {

QString NewConnectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("hz_connection_%1").arg(++counter);
}

} // namespace

Connection::Connection() : name(NewConnectionName()), statements(std::make_unique<StatementCache>()) {}

Connection::~Connection() {
    Close();
}

void Connection::SetOpenHook(OpenHook hook) {
    openHook = std::move(hook);
}

void Connection::RegisterProcedure(const QString& procedureName, EmbeddedProcedure procedure) {
    procedures[procedureName] = std::move(procedure);
}

const EmbeddedProcedure* Connection::FindProcedure(const QString& procedureName) const {
    const auto found = procedures.find(procedureName);
    return found == procedures.end() ? nullptr : &found->second;
}

void Connection::SetBusyTimeout(int milliseconds) {
    busyTimeout = milliseconds;
}

void Connection::Open(const ConnectionSettings& settings) {
    if (IsEmbedded(settings)) {
        OpenSqliteFile(EmbeddedDatabasePath(settings));
    } else {
        ConnectionSettings server = settings;
        if (server.odbcDriver.isEmpty()) {
            server.odbcDriver = ChooseOdbcDriver(InstalledOdbcDrivers());
        }
        OpenOdbc(OdbcConnectionString(server), SqlDialect::SqlServer);
    }
}

void Connection::OpenSqliteFile(const QString& path) {
    Close();
    // Qt's driver would create a missing file; an empty database must never pass for the ERP.
    if (!QFileInfo(path).isFile()) {
        throw ConnectionError(QStringLiteral("unable to open database file: ") + path +
                              QStringLiteral(" does not exist"));
    }
    OpenSqlite(path, QStringLiteral("rw"));
}

void Connection::CreateSqliteFile(const QString& path) {
    Close();
    if (QFileInfo::exists(path)) {
        throw ConnectionError(QStringLiteral("database file already exists: ") + path);
    }
    OpenSqlite(path, QStringLiteral("rwc"));
}

void Connection::OpenSqlite(const QString& path, const QString& mode) {
    // The mode in the URI keeps "rw" from creating a file that vanished after the check.
    QUrl uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    uri.setQuery(QStringLiteral("mode=") + mode);
    PrepareSqliteLibrary();
    OpenDatabase(QStringLiteral("QSQLITE"), uri.toString(QUrl::FullyEncoded),
                 QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout), SqlDialect::Sqlite);
    try {
        ExecControl(QStringLiteral("PRAGMA foreign_keys = ON"));
        if (openHook) {
            openHook(*this);
        }
        // What the embedded ERP's file needs at its opening has no counterpart on a server.
        roundTrips = 0;
    } catch (...) {
        Close();
        throw;
    }
}

void Connection::OpenOdbc(const QString& odbcConnectionString, SqlDialect newDialect) {
    Close();
    OpenDatabase(QStringLiteral("QODBC"), odbcConnectionString, QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=15"),
                 newDialect);
    if (newDialect != SqlDialect::SqlServer) {
        return;
    }
    QSqlQuery query(database);
    if (!query.exec(QStringLiteral("select @@spid")) || !query.next()) {
        const QString text = DriverText(query.lastError());
        query = QSqlQuery();
        Close();
        throw ConnectionError(text);
    }
    SetSpid(query.value(0).toInt());
}

void Connection::OpenDatabase(const QString& driver, const QString& databaseName, const QString& options,
                              SqlDialect newDialect) {
    database = QSqlDatabase::addDatabase(driver, name);
    database.setDatabaseName(databaseName);
    database.setConnectOptions(options);
    if (!database.open()) {
        const QString text = DriverText(database.lastError());
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
        throw ConnectionError(text);
    }
    dialect = newDialect;
    nativeSqlite = nullptr;
    const QVariant handle = database.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
        nativeSqlite = *static_cast<sqlite3* const*>(handle.constData());
    }
    spid = 0;
    inTransaction = false;
    statements->Reset(database, nativeSqlite, dialect, spid);
}

bool Connection::IsOpen() const {
    return database.isOpen();
}

void Connection::Close() {
    if (!database.isValid()) {
        return;
    }
    try {
        Rollback();
    } catch (const DatabaseError&) {
        // Closing ends the transaction anyway.
    }
    companion.reset();
    statements->Release();
    if (dryRun == DryRun::Active) {
        dryRun = DryRun::Lost;
    }
    database.close();
    database = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
    nativeSqlite = nullptr;
    spid = 0;
    inTransaction = false;
}

void Connection::KeepUntilClose(std::shared_ptr<void> held) {
    companion = std::move(held);
}

void Connection::SetSpid(int value) {
    spid = value;
    // "@@spid" is translated into the number, so statements prepared before are stale.
    statements->Reset(database, nativeSqlite, dialect, spid);
}

void Connection::ExecControl(const QString& statement) {
    CountRoundTrip();
    // Prepared once: transactions begin and end for every saved row.
    DriverStatement& query = statements->Prepared(*statements->Find(statement));
    const bool ok = query.Exec();
    const QString driverText = ok ? QString() : query.ErrorText();
    query.Finish();
    if (!ok) {
        throw StatementError(driverText, statement);
    }
}

namespace {

const QString kDryRunLost = QStringLiteral("检查所用的数据库事务已被数据库结束，检查无法继续；检查写入的内容不会保留");
// One name serves every row: a row's savepoint is released (SQLite) or superseded (SQL Server) before the next is set.
const QString kRowSavepoint = QStringLiteral("hz_row");

} // namespace

bool Connection::DryRunAlive() const {
    if (dryRun != DryRun::Active || !IsOpen()) {
        return false;
    }
    return nativeSqlite == nullptr || sqlite3_get_autocommit(nativeSqlite) == 0;
}

void Connection::LoseDryRun(const QString& driverText) {
    dryRun = DryRun::Lost;
    inTransaction = false;
    // Whatever the database still holds of the dry run goes with the connection.
    Close();
    throw DatabaseError(driverText.isEmpty() ? kDryRunLost : kDryRunLost + u'\n' + driverText);
}

void Connection::BeginDryRun() {
    if (dryRun != DryRun::Off) {
        throw DatabaseError(QStringLiteral("检查已经开始，不能再次开始"));
    }
    BeginTransaction();
    inTransaction = false;
    dryRun = DryRun::Active;
}

void Connection::EndDryRun() {
    const bool alive = DryRunAlive();
    dryRun = DryRun::Off;
    inTransaction = alive;
    try {
        Rollback();
    } catch (const DatabaseError&) {
        Close();
    }
}

void Connection::BeginTransaction(TransactionKind kind) {
    if (!IsOpen()) {
        throw DatabaseError(QStringLiteral("数据库未连接，无法开始事务"));
    }
    if (InTransaction()) {
        throw DatabaseError(QStringLiteral("事务已经开始，不能再次开始"));
    }
    if (dryRun != DryRun::Off) {
        if (!DryRunAlive()) {
            LoseDryRun(QString());
        }
        ExecControl(dialect == SqlDialect::Sqlite ? QStringLiteral("SAVEPOINT ") + kRowSavepoint
                                                  : QStringLiteral("SAVE TRANSACTION ") + kRowSavepoint);
        inTransaction = true;
        return;
    }
    if (dialect == SqlDialect::Sqlite) {
        ExecControl(kind == TransactionKind::Read ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
    } else if (CountRoundTrip(), !database.transaction()) {
        throw StatementError(DriverText(database.lastError()), QStringLiteral("BEGIN TRANSACTION"));
    }
    inTransaction = true;
}

void Connection::Commit() {
    if (!InTransaction()) {
        throw DatabaseError(QStringLiteral("没有开始的事务可以提交"));
    }
    if (dryRun != DryRun::Off) {
        // SQL Server keeps a savepoint until the transaction ends; the next one of the same name supersedes it.
        if (dialect == SqlDialect::Sqlite) {
            ExecControl(QStringLiteral("RELEASE SAVEPOINT ") + kRowSavepoint);
        }
        inTransaction = false;
        return;
    }
    if (dialect == SqlDialect::Sqlite) {
        ExecControl(QStringLiteral("COMMIT"));
    } else if (CountRoundTrip(), !database.commit()) {
        throw StatementError(DriverText(database.lastError()), QStringLiteral("COMMIT TRANSACTION"));
    }
    inTransaction = false;
}

void Connection::Rollback() {
    if (dryRun != DryRun::Off) {
        RollbackToSavepoint();
        return;
    }
    if (!InTransaction()) {
        inTransaction = false;
        return;
    }
    inTransaction = false;
    if (dialect == SqlDialect::Sqlite) {
        ExecControl(QStringLiteral("ROLLBACK"));
    } else if (CountRoundTrip(), !database.rollback()) {
        throw StatementError(DriverText(database.lastError()), QStringLiteral("ROLLBACK TRANSACTION"));
    }
}

void Connection::RollbackToSavepoint() {
    if (!inTransaction) {
        return;
    }
    inTransaction = false;
    if (!DryRunAlive()) {
        // The database ended the dry run's transaction by itself: nothing of it is left to undo, and nothing may be
        // written from here on.
        dryRun = DryRun::Lost;
        return;
    }
    try {
        if (dialect == SqlDialect::Sqlite) {
            ExecControl(QStringLiteral("ROLLBACK TO SAVEPOINT ") + kRowSavepoint);
            ExecControl(QStringLiteral("RELEASE SAVEPOINT ") + kRowSavepoint);
        } else {
            ExecControl(QStringLiteral("ROLLBACK TRANSACTION ") + kRowSavepoint);
        }
    } catch (const DatabaseError& error) {
        // A doomed or vanished transaction cannot go back to the savepoint: the dry run cannot go on.
        LoseDryRun(error.Text());
    }
}

bool Connection::InTransaction() const {
    if (dryRun != DryRun::Off) {
        return inTransaction && DryRunAlive();
    }
    // SQLite ends a transaction by itself after some failures (a full disk, a conflict clause); its own flag is
    // the truth when the handle is at hand.
    if (nativeSqlite != nullptr) {
        return sqlite3_get_autocommit(nativeSqlite) == 0;
    }
    return inTransaction;
}

QSqlDatabase Connection::Database() const {
    return database;
}

TransactionGuard::TransactionGuard(Connection& connection, TransactionKind kind) : connection(connection) {
    connection.BeginTransaction(kind);
}

TransactionGuard::~TransactionGuard() {
    if (done) {
        return;
    }
    try {
        connection.Rollback();
    } catch (const DatabaseError&) {
        // A destructor cannot report; the connection ends the transaction when it closes.
    }
}

void ReadScope::Enter() {
    if (!connection.InTransaction()) {
        // A guard whose transaction a message rolled back has nothing left to end.
        guard.reset();
        guard.emplace(connection, TransactionKind::Read);
    }
}

void ReadScope::Leave() {
    if (guard && connection.InTransaction()) {
        guard->Commit();
    }
    guard.reset();
}

DryRunScope::DryRunScope(Connection& connection) : connection(connection) {
    connection.BeginDryRun();
}

DryRunScope::~DryRunScope() {
    if (!done) {
        connection.EndDryRun();
    }
}

void DryRunScope::Finish() {
    const bool lost = connection.DryRunLost();
    connection.EndDryRun();
    done = true;
    if (lost) {
        throw DatabaseError(kDryRunLost);
    }
}

void TransactionGuard::Commit() {
    connection.Commit();
    done = true;
}

} // namespace hz
