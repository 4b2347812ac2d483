#pragma once

#include "engine/database/case_insensitive.h"
#include "engine/database/connection_settings.h"
#include "engine/database/sql/sql_dialect.h"

#include <QSqlDatabase>
#include <QString>
#include <cstdint>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

struct sqlite3;

namespace hz {

class Connection;
class StatementCache;
class StoredProcedure;

// The embedded ERP's stand-in for one stored procedure: reads the call's inputs, works on the connection inside
// the caller's transaction, sets the outputs; throws DatabaseError to refuse.
using EmbeddedProcedure = std::function<void(Connection&, StoredProcedure&)>;

// What a transaction does: Read never writes. On SQLite a Read transaction takes no write lock and reads one
// state of the file from its first statement on; on SQL Server both kinds are the same transaction.
enum class TransactionKind { Write, Read };

// The one database connection (the main window's Con). Not copyable; Query, BatchDataset and StoredProcedure
// objects that use it must not outlive it.
class Connection {
public:
    // Runs after each open of an SQLite file through QSQLITE, before Open returns (collations, spid, ...).
    // An exception from it closes the connection and propagates.
    using OpenHook = std::function<void(Connection&)>;

    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void SetOpenHook(OpenHook hook);
    // Procedures of the embedded ERP, found by name without regard to case.
    void RegisterProcedure(const QString& name, EmbeddedProcedure procedure);
    const EmbeddedProcedure* FindProcedure(const QString& name) const;
    // How long a statement on an SQLite file waits for another program's lock before it fails (default 5000).
    void SetBusyTimeout(int milliseconds);

    // Opens the embedded ERP's file or SQL Server through ODBC, as the settings say (without a driver named, the
    // newest SQL Server driver that the driver manager lists); closes first when open. Throws ConnectionError with
    // the driver's text.
    void Open(const ConnectionSettings& settings);
    // Opens an existing SQLite file through QSQLITE; a missing file is an error and is never created.
    void OpenSqliteFile(const QString& path);
    // Creates a new SQLite file and opens it (the open hook runs); refuses a path that exists.
    void CreateSqliteFile(const QString& path);
    // Opens any ODBC data source through QODBC, speaking the given dialect (SQLite's ODBC driver in the tests).
    void OpenOdbc(const QString& odbcConnectionString, SqlDialect dialect);
    bool IsOpen() const;
    // Rolls back an open transaction, releases what KeepUntilClose holds and drops the prepared statements. Never
    // throws.
    void Close();
    // Holds something that works beside the open file (the embedded ERP's log copier) until the connection closes,
    // and releases it before the file closes.
    void KeepUntilClose(std::shared_ptr<void> companion);

    SqlDialect Dialect() const { return dialect; }
    // SQL Server's @@spid of this connection, read at open; on an SQLite file, what the open hook assigned
    // (0 without a hook).
    int Spid() const { return spid; }
    // The statements, fetches, procedure calls and transaction commands sent since the connection opened, each one
    // that the SQL Server path sends as a round trip over the network of its own; a stored procedure counts once,
    // whatever the embedded ERP's stand-in does inside it.
    std::uint64_t RoundTrips() const { return roundTrips; }
    void CountRoundTrip() { ++roundTrips; }
    // The count as it stands is kept while a procedure's stand-in runs its own statements.
    void SetRoundTrips(std::uint64_t count) { roundTrips = count; }
    void SetSpid(int value);

    // On SQLite a Write transaction is "BEGIN IMMEDIATE": the write lock is taken at once, so two programs never
    // deadlock upgrading a read lock; waits the busy timeout for it. A Read transaction is "BEGIN", which leaves
    // other programs free to write. Throws DatabaseError; a second Begin while one is open is an error. In a dry run
    // it sets a savepoint instead, Commit releases it and Rollback rolls back to it.
    void BeginTransaction(TransactionKind kind = TransactionKind::Write);
    void Commit();
    // Does nothing when no transaction is open (SQLite may have ended it after a failed statement).
    void Rollback();
    bool InTransaction() const;

    // A dry run: from here on everything happens inside one transaction that EndDryRun rolls back, and the
    // transactions of the work become savepoints in it, so that the work sees its own writes and a failed row
    // is undone alone. Should the database end that transaction by itself (or the connection close), the dry run
    // is lost: every later BeginTransaction throws, so that nothing can be written outside it. Throws
    // DatabaseError; a transaction must not be open.
    void BeginDryRun();
    // Rolls back everything since BeginDryRun and leaves dry-run mode. Never throws: a rollback that fails closes
    // the connection, which ends the transaction as well.
    void EndDryRun();
    // The dry run's transaction ended before EndDryRun: its work may be partly gone.
    bool DryRunLost() const { return dryRun == DryRun::Lost; }

    // The Qt connection, for the seam's own classes.
    QSqlDatabase Database() const;
    // SQLite's own handle while an SQLite file is open through QSQLITE (collations, functions), else null.
    sqlite3* NativeSqlite() const { return nativeSqlite; }
    // Prepared statements of this connection, keyed by the engine's SQL text.
    StatementCache& Statements() { return *statements; }

private:
    void OpenDatabase(const QString& driver, const QString& databaseName, const QString& options,
                      SqlDialect newDialect);
    void OpenSqlite(const QString& path, const QString& mode);
    void ExecControl(const QString& statement);
    bool DryRunAlive() const;
    void RollbackToSavepoint();
    [[noreturn]] void LoseDryRun(const QString& driverText);

    QString name;
    QSqlDatabase database;
    sqlite3* nativeSqlite = nullptr;
    SqlDialect dialect = SqlDialect::SqlServer;
    int spid = 0;
    int busyTimeout = 5000;
    bool inTransaction = false; // in a dry run: a savepoint is set
    enum class DryRun { Off, Active, Lost };
    DryRun dryRun = DryRun::Off;
    OpenHook openHook;
    std::uint64_t roundTrips = 0;
    std::shared_ptr<void> companion;
    std::unordered_map<QString, EmbeddedProcedure, CaseInsensitiveHash, CaseInsensitiveEqual> procedures;
    std::unique_ptr<StatementCache> statements;
};

// Rolls back unless Commit was called. Begins the transaction itself.
class TransactionGuard {
public:
    explicit TransactionGuard(Connection& connection, TransactionKind kind = TransactionKind::Write);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;
    void Commit();

private:
    Connection& connection;
    bool done = false;
};

// Reads that span several steps (a voucher's rows) in one read transaction, so that they take the database's locks
// once instead of once per statement. Enter begins it unless a transaction is open; Leave commits it, before the
// caller writes. A rollback by someone else (a row error's message) ends it too; the next Enter begins another.
class ReadScope {
public:
    explicit ReadScope(Connection& connection) : connection(connection) {}
    void Enter();
    void Leave();

private:
    Connection& connection;
    std::optional<TransactionGuard> guard; // rolls its own transaction back when the scope is left open
};

// A dry run for the life of the scope (BeginDryRun at construction, EndDryRun at destruction).
class DryRunScope {
public:
    explicit DryRunScope(Connection& connection);
    ~DryRunScope();
    DryRunScope(const DryRunScope&) = delete;
    DryRunScope& operator=(const DryRunScope&) = delete;
    // Ends the dry run; throws DatabaseError when it was lost, since what it did is then partly gone.
    void Finish();

private:
    Connection& connection;
    bool done = false;
};

} // namespace hz
