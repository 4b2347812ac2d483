// The master-data row cycle (code check, name lookup, append, batch update in a transaction) through the
// database seam, against the same cycle written straight on SQLite's C API with prepared statements.
#include "engine/database/batch_dataset.h"
#include "engine/database/connection.h"
#include "engine/database/query.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <string>

namespace {

constexpr int kPrefilled = 10000;

const char* const kSchema = "PRAGMA journal_mode = WAL;"
                            "CREATE TABLE Department (cDepCode TEXT NOT NULL, cDepName TEXT NOT NULL,"
                            " iDepGrade INTEGER NOT NULL DEFAULT 1, bDepEnd INTEGER NOT NULL DEFAULT 1,"
                            " cDepPerson TEXT, cDepPhone TEXT, cDepMemo TEXT DEFAULT '', dDepBeginDate TEXT,"
                            " cDepProp TEXT);"
                            "CREATE UNIQUE INDEX Department_code ON Department (cDepCode);"
                            "CREATE INDEX Department_name ON Department (cDepName);";

void Check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
    }
}

std::string Code(int i) {
    char text[16];
    std::snprintf(text, sizeof text, "D%08d", i);
    return text;
}

std::string Name(int i) {
    return "Department " + std::to_string(i);
}

// A fresh file with the table and kPrefilled rows.
void CreateDatabase(const std::string& path) {
    sqlite3* db = nullptr;
    Check(sqlite3_open(path.c_str(), &db), db, "open");
    Check(sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr), db, "schema");
    Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt* insert = nullptr;
    Check(sqlite3_prepare_v2(db, "INSERT INTO Department (cDepCode, cDepName) VALUES (?, ?)", -1, &insert, nullptr), db,
          "prepare");
    for (int i = 0; i < kPrefilled; ++i) {
        const std::string code = Code(i);
        const std::string name = Name(i);
        sqlite3_bind_text(insert, 1, code.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        Check(sqlite3_step(insert), db, "prefill");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

// Time spent by this thread, and time on the wall clock. The first is what the loops cost; the second also
// holds the waits for a shared machine's processors and for the disk.
struct Seconds {
    double cpu = 0;
    double wall = 0;
};

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

template <typename Work> void Time(Seconds& total, Work work) {
    const double cpu = ThreadCpuSeconds();
    const auto wall = std::chrono::steady_clock::now();
    work();
    total.cpu += ThreadCpuSeconds() - cpu;
    total.wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
}

// The cycle through the seam, on its own connection, resumable block by block.
class SeamLoop {
public:
    explicit SeamLoop(const std::string& path) : check(connection), lookup(connection), dataset(connection) {
        connection.OpenSqliteFile(QString::fromStdString(path));
        hz::QueryValue(connection, QStringLiteral("PRAGMA synchronous = NORMAL"));
        dataset.Open(QStringLiteral("Select Top 0 * From Department"));
    }

    void Rows(int from, int to) {
        const QDateTime begin(QDate(2024, 1, 1), QTime(0, 0));
        for (int i = from; i < to; ++i) {
            const QString code = QString::fromStdString(Code(kPrefilled + i));
            check.SetText(QStringLiteral("Select 1 From Department Where cDepCode = :Value"));
            check.Bind(QStringLiteral("Value"), code);
            check.Exec();
            if (!check.IsEmpty()) {
                throw std::runtime_error("code exists");
            }
            lookup.SetText(QStringLiteral("Select cDepCode,cDepName From Department where cDepName = :Value"));
            lookup.Bind(QStringLiteral("Value"), QString::fromStdString(Name(i % kPrefilled)));
            lookup.Exec();
            if (!lookup.Next() || lookup.Text(QStringLiteral("cDepCode")).isEmpty()) {
                throw std::runtime_error("name not found");
            }
            dataset.Append();
            dataset.SetField(QStringLiteral("cDepCode"), code);
            dataset.SetField(QStringLiteral("cDepName"), QStringLiteral("New department %1").arg(i));
            dataset.SetField(QStringLiteral("iDepGrade"), 2);
            dataset.SetField(QStringLiteral("bDepEnd"), true);
            dataset.SetField(QStringLiteral("cDepPerson"), lookup.Text(QStringLiteral("cDepCode")));
            dataset.SetField(QStringLiteral("dDepBeginDate"), begin);
            connection.BeginTransaction();
            dataset.UpdateBatch();
            connection.Commit();
        }
    }

private:
    hz::Connection connection;
    hz::Query check;
    hz::Query lookup;
    hz::BatchDataset dataset;
};

// The same cycle on SQLite's C API with statements prepared once.
class RawLoop {
public:
    explicit RawLoop(const std::string& path) {
        Check(sqlite3_open(path.c_str(), &db), db, "open");
        sqlite3_busy_timeout(db, 5000);
        Check(sqlite3_exec(db, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr), db, "pragma");
        check = Prepare("SELECT 1 FROM Department WHERE cDepCode = ?");
        lookup = Prepare("SELECT cDepCode, cDepName FROM Department WHERE cDepName = ?");
        insert = Prepare("INSERT INTO Department (cDepCode, cDepName, iDepGrade, bDepEnd, cDepPerson, dDepBeginDate) "
                         "VALUES (?, ?, ?, ?, ?, ?)");
        begin = Prepare("BEGIN IMMEDIATE");
        commit = Prepare("COMMIT");
    }
    ~RawLoop() {
        for (sqlite3_stmt* statement : {check, lookup, insert, begin, commit}) {
            sqlite3_finalize(statement);
        }
        sqlite3_close(db);
    }
    RawLoop(const RawLoop&) = delete;
    RawLoop& operator=(const RawLoop&) = delete;

    void Rows(int from, int to) {
        for (int i = from; i < to; ++i) {
            const std::string code = Code(kPrefilled + i);
            sqlite3_bind_text(check, 1, code.c_str(), -1, SQLITE_STATIC);
            if (sqlite3_step(check) != SQLITE_DONE) {
                throw std::runtime_error("code exists");
            }
            sqlite3_reset(check);
            const std::string name = Name(i % kPrefilled);
            sqlite3_bind_text(lookup, 1, name.c_str(), -1, SQLITE_STATIC);
            if (sqlite3_step(lookup) != SQLITE_ROW) {
                throw std::runtime_error("name not found");
            }
            const std::string person = reinterpret_cast<const char*>(sqlite3_column_text(lookup, 0));
            sqlite3_reset(lookup);
            Step(begin);
            const std::string newName = "New department " + std::to_string(i);
            sqlite3_bind_text(insert, 1, code.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 2, newName.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_int(insert, 3, 2);
            sqlite3_bind_int(insert, 4, 1);
            sqlite3_bind_text(insert, 5, person.c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_text(insert, 6, "2024-01-01 00:00:00", -1, SQLITE_STATIC);
            Step(insert);
            Step(commit);
        }
    }

private:
    sqlite3_stmt* Prepare(const char* sql) {
        sqlite3_stmt* statement = nullptr;
        Check(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), db, sql);
        return statement;
    }
    void Step(sqlite3_stmt* statement) {
        Check(sqlite3_step(statement), db, sqlite3_sql(statement));
        sqlite3_reset(statement);
    }

    sqlite3* db = nullptr;
    sqlite3_stmt* check = nullptr;
    sqlite3_stmt* lookup = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_stmt* begin = nullptr;
    sqlite3_stmt* commit = nullptr;
};

struct Timing {
    Seconds seam;
    Seconds raw;
};

// Runs both loops on fresh files, alternating blocks of rows, so that both meet the same state of the machine's
// disk cache and write-back.
Timing Measure(const QTemporaryDir& folder, int rows, const std::string& only) {
    const std::string tag = std::to_string(rows);
    const std::string seamPath = folder.filePath(QString::fromStdString("seam" + tag + ".db")).toStdString();
    const std::string rawPath = folder.filePath(QString::fromStdString("raw" + tag + ".db")).toStdString();
    CreateDatabase(seamPath);
    CreateDatabase(rawPath);
    SeamLoop seam(seamPath);
    RawLoop raw(rawPath);
    Timing timing;
    constexpr int kBlock = 500;
    for (int from = 0; from < rows; from += kBlock) {
        const int to = std::min(rows, from + kBlock);
        if (only != "raw") {
            Time(timing.seam, [&] { seam.Rows(from, to); });
        }
        if (only != "seam") {
            Time(timing.raw, [&] { raw.Rows(from, to); });
        }
    }
    return timing;
}

} // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (rows < 10 || rows > 10000000) {
        std::fprintf(stderr, "usage: hz_bench_row_loop [rows, default 100000] [seam|raw]\n");
        return 64;
    }
    const QString base = qEnvironmentVariable("HZ_BENCH_DIR", QDir::tempPath());
    QTemporaryDir folder(base + QStringLiteral("/hz-bench-XXXXXX"));
    if (!folder.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    // "seam" or "raw" runs one side alone, for a profiler.
    const std::string only = argc > 2 ? argv[2] : "";
    try {
        const int small = rows / 10;
        const Timing first = Measure(folder, small, only);
        const Timing full = Measure(folder, rows, only);
        std::printf("folder: %s; journal: WAL, synchronous NORMAL; %d rows prefilled; one transaction per row\n",
                    qPrintable(base), kPrefilled);
        std::printf("times below are the thread's processor time; *_wall lines give the wall clock\n");
        std::printf("seam_%d_rows_s: %.3f (wall %.3f)\n", small, first.seam.cpu, first.seam.wall);
        std::printf("raw_%d_rows_s: %.3f (wall %.3f)\n", small, first.raw.cpu, first.raw.wall);
        std::printf("seam_%d_rows_s: %.3f (wall %.3f)\n", rows, full.seam.cpu, full.seam.wall);
        std::printf("raw_%d_rows_s: %.3f (wall %.3f)\n", rows, full.raw.cpu, full.raw.wall);
        std::printf("raw_growth: %.2f\n", full.raw.cpu / first.raw.cpu);
        std::printf("vs_raw_wall: %.2f\n", full.seam.wall / full.raw.wall);
        std::printf("growth_%dk_vs_%dk: %.2f\n", rows / 1000, small / 1000, full.seam.cpu / first.seam.cpu);
        std::printf("rows_per_s: %.0f\n", rows / full.seam.cpu);
        std::printf("raw_rows_per_s: %.0f\n", rows / full.raw.cpu);
        std::printf("vs_raw: %.2f\n", full.seam.cpu / full.raw.cpu);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "row_loop: %s\n", error.what());
        return 1;
    }
    return 0;
}
