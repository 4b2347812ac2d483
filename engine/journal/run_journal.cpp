#include "engine/journal/run_journal.h"

#include "engine/database/connection_settings.h"
#include "engine/database/sqlite_library.h"
#include "engine/journal/journal_row_slots.h"
#include "engine/messages/run_error.h"
#include "engine/workbook/little_endian.h"
#include "engine/workbook/workbook.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

#include <algorithm>
#include <memory>

#include <sqlite3.h>

namespace hz {

namespace {

// "hzjr": marks the file as a run journal, so that another SQLite file beside the settings is never taken for one.
constexpr int kJournalApplicationId = 0x687a6a72;
constexpr int kJournalVersion = 2;
// What version 2 added to a kind's entry; a journal of version 1 gains the columns, empty, when it is opened.
const char* const kVersion2Columns =
    "ALTER TABLE resume_rows ADD COLUMN landed TEXT; ALTER TABLE resume_rows ADD COLUMN rows_from INTEGER; "
    "ALTER TABLE resume_rows ADD COLUMN rows_to INTEGER; ALTER TABLE resume_rows ADD COLUMN rows_digest INTEGER; "
    "ALTER TABLE resume_rows ADD COLUMN state INTEGER; ALTER TABLE resume_rows ADD COLUMN row_digests BLOB;";
// A reader holds the file for a moment; a run of the same workbook holds it to its end, which is not waited for.
constexpr int kBusyMilliseconds = 1000;

const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS resume_rows (
    workbook TEXT NOT NULL,
    erp TEXT NOT NULL,
    kind TEXT NOT NULL,
    row INTEGER NOT NULL,
    step INTEGER,
    row_after INTEGER,
    target TEXT,
    field TEXT,
    value TEXT,
    detail_target TEXT,
    lines INTEGER,
    voucher_type TEXT,
    voucher_key TEXT,
    stock_before TEXT,
    stock_after TEXT,
    landed TEXT,
    rows_from INTEGER,
    rows_to INTEGER,
    rows_digest INTEGER,
    state INTEGER,
    row_digests BLOB,
    PRIMARY KEY (workbook, erp, kind)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS set_aside (
    workbook TEXT NOT NULL,
    erp TEXT NOT NULL,
    kind TEXT NOT NULL,
    first_row INTEGER NOT NULL,
    voucher_key TEXT NOT NULL,
    saved_unposted INTEGER NOT NULL,
    run TEXT NOT NULL,
    PRIMARY KEY (workbook, erp, kind, first_row)
) WITHOUT ROWID;
)";

const char* const kInsertSetAside = "INSERT OR REPLACE INTO set_aside (workbook, erp, kind, first_row, voucher_key, "
                                    "saved_unposted, run) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)";

const char* const kUpsert =
    "INSERT OR REPLACE INTO resume_rows (workbook, erp, kind, row, step, row_after, target, field, value, "
    "detail_target, lines, voucher_type, voucher_key, stock_before, stock_after, landed, rows_from, rows_to, "
    "rows_digest, state, row_digests) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21)";

const char* const kSelect =
    "SELECT kind, row, step, row_after, target, field, value, detail_target, lines, voucher_type, voucher_key, "
    "stock_before, stock_after, landed, rows_from, rows_to, rows_digest, state FROM resume_rows WHERE workbook = ?1 "
    "AND erp = ?2";

// Table and field names go into the ERP's statements as they stand: only plain identifiers are taken from the file.
bool IsIdentifier(const QString& name) {
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]{0,63}$"));
    return identifier.match(name).hasMatch();
}

bool IsRow(sqlite3_int64 row) {
    return row >= 1 && row <= kMaxRows;
}

QString Text(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char16_t*>(sqlite3_column_text16(statement, column));
    return text ? QString::fromUtf16(text, sqlite3_column_bytes16(statement, column) / 2) : QString();
}

void BindText(sqlite3_stmt* statement, int index, const QString& text) {
    sqlite3_bind_text16(statement, index, text.utf16(), static_cast<int>(text.size() * 2), SQLITE_TRANSIENT);
}

// Whether an item read back (from the file or the row slots) can be acted on: the names that go into the ERP's
// statements are plain identifiers, and every row and count lies on a sheet.
bool IsSound(const JournalItem& item) {
    if (!IsRow(item.rowAfter) || !IsIdentifier(item.table) || item.value.isEmpty() || item.value.size() > 4000 ||
        item.voucherKey.size() > 4000 || item.vouchType.size() > 50) {
        return false;
    }
    if (item.step == JournalItem::Step::MasterRow) {
        return IsIdentifier(item.field);
    }
    if (item.step != JournalItem::Step::VoucherSave && item.step != JournalItem::Step::VoucherPosting) {
        return false;
    }
    bool isId = false;
    item.value.toLongLong(&isId);
    return isId && IsIdentifier(item.detailTable) && item.lines >= 1 && item.lines <= kMaxRows;
}

// The fields of an item kept as one text: the last item that landed is only asked of the ERP, never acted on.
const QChar kFieldSeparator = QChar(0x1F);

// The item of a row read from the file, or nothing when its fields do not make a sound one.
std::optional<JournalItem> ReadItem(sqlite3_stmt* statement) {
    JournalItem item;
    const sqlite3_int64 step = sqlite3_column_int64(statement, 2);
    const sqlite3_int64 rowAfter = sqlite3_column_int64(statement, 3);
    const sqlite3_int64 lines = sqlite3_column_int64(statement, 8);
    if (step < 1 || step > 3 || !IsRow(rowAfter)) {
        return std::nullopt;
    }
    item.step = static_cast<JournalItem::Step>(step);
    item.rowAfter = static_cast<int>(rowAfter);
    item.table = Text(statement, 4);
    item.field = Text(statement, 5);
    item.value = Text(statement, 6);
    item.detailTable = Text(statement, 7);
    // A master row has no lines; a count off any sheet fails a voucher's check.
    item.lines = lines >= 0 && lines <= kMaxRows ? static_cast<int>(lines) : -1;
    item.vouchType = Text(statement, 9);
    item.voucherKey = Text(statement, 10);
    item.stockBefore = Text(statement, 11);
    item.stockAfter = Text(statement, 12);
    return IsSound(item) ? std::optional(item) : std::nullopt;
}

// Whether a step in flight in the slots is newer than the file's entry for its kind.
bool Counts(const JournalRowSlots::InFlight& inFlight, const std::map<QString, JournalEntry>& file) {
    if (!inFlight.supersededBy) {
        return true;
    }
    const auto entry = file.find(inFlight.kind);
    return entry == file.end() || EntryFingerprint(entry->second) != *inFlight.supersededBy;
}

// The first column of the statement's first row; -1 when it gives none, as a file that is no database does.
int PragmaValue(sqlite3* database, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    int value = -1;
    if (sqlite3_prepare_v2(database, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        value = sqlite3_column_int(statement, 0);
    }
    sqlite3_finalize(statement);
    return value;
}

} // namespace

QString ItemText(const JournalItem& item) {
    return QStringList{QString::number(static_cast<int>(item.step)),
                       item.table,
                       item.field,
                       item.value,
                       item.detailTable,
                       QString::number(item.lines),
                       item.vouchType,
                       item.voucherKey,
                       QString::number(item.rowAfter)}
        .join(kFieldSeparator);
}

std::optional<JournalItem> ItemFromText(const QString& text) {
    const QStringList fields = text.split(kFieldSeparator);
    if (fields.size() != 9) {
        return std::nullopt;
    }
    JournalItem item;
    bool numbers[3] = {};
    const int step = fields[0].toInt(&numbers[0]);
    item.lines = fields[5].toInt(&numbers[1]);
    item.rowAfter = fields[8].toInt(&numbers[2]);
    if (!numbers[0] || !numbers[1] || !numbers[2] || step < 1 || step > 3) {
        return std::nullopt;
    }
    item.step = static_cast<JournalItem::Step>(step);
    item.table = fields[1];
    item.field = fields[2];
    item.value = fields[3];
    item.detailTable = fields[4];
    item.vouchType = fields[6];
    item.voucherKey = fields[7];
    return IsSound(item) ? std::optional(item) : std::nullopt;
}

bool IsSoundEntry(const JournalEntry& entry) {
    if (!IsRow(entry.row) || (entry.item && !IsSound(*entry.item)) || (entry.landed && !IsSound(*entry.landed))) {
        return false;
    }
    const RowsTaken& rows = entry.rows;
    const int state = static_cast<int>(entry.state);
    return state >= 0 && state <= 2 &&
           (rows.from == 0 || (IsRow(rows.from) && rows.to >= rows.from && rows.to <= kMaxRows + 1));
}

RunJournal::RunJournal(QString path, QString workbook, QString erp, bool durableWrites)
    : path(std::move(path)), workbook(std::move(workbook)), erp(std::move(erp)), durableWrites(durableWrites),
      run(QUuid::createUuid().toString(QUuid::WithoutBraces)),
      rowSlots(std::make_unique<JournalRowSlots>(this->path + QStringLiteral("-row"), this->workbook, this->erp,
                                                 durableWrites)) {}

RunJournal::~RunJournal() {
    sqlite3_finalize(upsert);
    sqlite3_close(database);
}

void RunJournal::Fail(const QString& what) const {
    FailJournalFile(path, what);
}

void FailJournalFile(const QString& path, const QString& what) {
    throw RunError(
        QStringLiteral("运行记录文件 %1 无法使用：%2").arg(QDir::toNativeSeparators(path), what).toStdString());
}

bool RunJournal::Open(bool create) {
    if (database) {
        return true;
    }
    if (!create && !QFileInfo::exists(path)) {
        return false;
    }
    if (create && !QDir().mkpath(QFileInfo(path).absolutePath())) {
        Fail(QStringLiteral("无法创建文件夹"));
    }
    PrepareSqliteLibrary();
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path.toUtf8().constData(), &database, flags, nullptr) != SQLITE_OK) {
        const QString reason = database ? QString::fromUtf8(sqlite3_errmsg(database)) : QStringLiteral("内存不足");
        sqlite3_close(database);
        database = nullptr;
        Fail(reason);
    }
    sqlite3_busy_timeout(database, kBusyMilliseconds);
    // Before the first access, so that the write-ahead log keeps its index in memory instead of a shared file.
    sqlite3_exec(database, "PRAGMA locking_mode = EXCLUSIVE", nullptr, nullptr, nullptr);
    const int applicationId = PragmaValue(database, "PRAGMA application_id");
    const int version = PragmaValue(database, "PRAGMA user_version");
    const int objects = PragmaValue(database, "SELECT count(*) FROM sqlite_master");
    if (sqlite3_errcode(database) == SQLITE_BUSY) {
        Fail(QStringLiteral("另一个程序正在用它导入同一个工作簿"));
    }
    if (applicationId == 0 && version == 0 && objects == 0) {
        // A new file: WAL survives a kill at any instant; small pages, since each write appends one to the log.
        const QString setup =
            QStringLiteral(
                "PRAGMA page_size = 1024; PRAGMA journal_mode = WAL; BEGIN IMMEDIATE; %1 PRAGMA application_id = %2; "
                "PRAGMA user_version = %3; COMMIT;")
                .arg(QString::fromUtf8(kSchema))
                .arg(kJournalApplicationId)
                .arg(kJournalVersion);
        char* error = nullptr;
        if (sqlite3_exec(database, setup.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const QString reason = QString::fromUtf8(error ? error : sqlite3_errmsg(database));
            sqlite3_free(error);
            sqlite3_exec(database, "ROLLBACK", nullptr, nullptr, nullptr);
            Fail(reason);
        }
    } else if (applicationId != kJournalApplicationId || version < 1 || version > kJournalVersion) {
        Fail(QStringLiteral("它不是本程序的运行记录"));
    }
    if (version == 1 && sqlite3_exec(database, kVersion2Columns, nullptr, nullptr, nullptr) == SQLITE_OK) {
        sqlite3_exec(database, "PRAGMA user_version = 2", nullptr, nullptr, nullptr);
    }
    // Each entry of the file is on the disk before the ERP's commit that follows it, whatever the ERP: a power loss
    // may take back the ERP's last commits but never the file's. The file is written a few times a kind; the steps
    // in flight between go to the row slots, which sync only where the ERP is durable itself.
    sqlite3_exec(database, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
    return true;
}

void RunJournal::Select(const char* sql, const std::function<void(sqlite3_stmt*)>& onRow,
                        const std::function<void(sqlite3_stmt*)>& bind) {
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(nullptr, sqlite3_finalize);
    sqlite3_stmt* prepared = nullptr;
    const int prepare = sqlite3_prepare_v2(database, sql, -1, &prepared, nullptr);
    statement.reset(prepared);
    if (prepare != SQLITE_OK) {
        Fail(QString::fromUtf8(sqlite3_errmsg(database)));
    }
    BindText(prepared, 1, workbook);
    BindText(prepared, 2, erp);
    if (bind) {
        bind(prepared);
    }
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(prepared)) == SQLITE_ROW) {
        onRow(prepared);
    }
    if (result != SQLITE_DONE) {
        Fail(QString::fromUtf8(sqlite3_errmsg(database)));
    }
}

std::map<QString, JournalEntry> RunJournal::ReadFile() {
    std::map<QString, JournalEntry> entries;
    if (!Open(false)) {
        return entries;
    }
    Select(kSelect, [&](sqlite3_stmt* statement) {
        const QString kind = Text(statement, 0);
        JournalEntry entry;
        const sqlite3_int64 row = sqlite3_column_int64(statement, 1);
        const bool hasItem = sqlite3_column_type(statement, 2) != SQLITE_NULL;
        if (hasItem) {
            entry.item = ReadItem(statement);
        }
        if (!IsRow(row) || (hasItem && !entry.item)) {
            Fail(QStringLiteral("“%1”的记录已损坏").arg(kind));
        }
        entry.row = static_cast<int>(row);
        const QString landed = Text(statement, 13);
        if (!landed.isEmpty()) {
            entry.landed = ItemFromText(landed);
            if (!entry.landed) {
                Fail(QStringLiteral("“%1”的记录已损坏").arg(kind));
            }
        }
        if (sqlite3_column_type(statement, 14) != SQLITE_NULL) {
            entry.rows = {
                static_cast<int>(std::clamp<sqlite3_int64>(sqlite3_column_int64(statement, 14), -1, kMaxRows + 1)),
                static_cast<int>(std::clamp<sqlite3_int64>(sqlite3_column_int64(statement, 15), -1, kMaxRows + 1)),
                static_cast<std::uint64_t>(sqlite3_column_int64(statement, 16))};
        }
        entry.state = static_cast<KindState>(std::clamp(sqlite3_column_int(statement, 17), -1, 3));
        if (!IsSoundEntry(entry)) {
            Fail(QStringLiteral("“%1”的记录已损坏").arg(kind));
        }
        entries[kind] = entry;
    });
    return entries;
}

std::map<QString, JournalEntry> RunJournal::Read() {
    std::map<QString, JournalEntry> entries = ReadFile();
    // A step in flight kept beside the file is newer than the file's entry for its kind, unless that entry is the
    // one which the slots say supersedes it.
    if (std::optional<JournalRowSlots::InFlight> latest = rowSlots->Latest(); latest && Counts(*latest, entries)) {
        if (!latest->entry.item || !IsSoundEntry(latest->entry)) {
            Fail(QStringLiteral("“%1”的记录已损坏").arg(latest->kind));
        }
        entries[latest->kind] = latest->entry;
    }
    return entries;
}

void RunJournal::Record(const QString& kind, const JournalEntry& entry, const std::vector<std::uint64_t>* rowDigests) {
    // Once the file is held, a step in flight costs one write beside it instead of a transaction. The slots hold one
    // kind: another kind's step in flight there, left by a run that was killed, goes into the file first. A kind's
    // first step of the run goes into the file, which reaches the disk before the ERP's commit: whatever a power loss
    // takes back of the slots, the journal still knows that the kind was begun, and from where.
    if (holdsFile && entry.item && kindsInFile.contains(kind)) {
        if (std::optional<JournalRowSlots::InFlight> other = rowSlots->Latest(); other && other->kind != kind) {
            if (Counts(*other, ReadFile())) {
                Upsert(other->kind, other->entry);
            }
        }
        if (rowSlots->Write(kind, entry)) {
            return;
        }
    }
    Supersede(kind, entry);
    Upsert(kind, entry, rowDigests);
    if (sqlite3_get_autocommit(database) != 0) {
        EntryCommitted(kind);
    }
}

void RunJournal::Supersede(const QString& kind, const JournalEntry& fileEntry) {
    std::optional<JournalRowSlots::InFlight> inFlight = rowSlots->Latest();
    if (!inFlight || inFlight->kind != kind) {
        return;
    }
    if (!Counts(*inFlight, ReadFile())) {
        // The file holds what superseded it already: a run was killed before it cleared the slots.
        rowSlots->Clear(kind);
        return;
    }
    // It fitted a slot before, and so it fits again.
    rowSlots->Write(kind, inFlight->entry, EntryFingerprint(fileEntry));
}

void RunJournal::Upsert(const QString& kind, const JournalEntry& entry, const std::vector<std::uint64_t>* rowDigests) {
    Open(true);
    if (!upsert && sqlite3_prepare_v2(database, kUpsert, -1, &upsert, nullptr) != SQLITE_OK) {
        Fail(QString::fromUtf8(sqlite3_errmsg(database)));
    }
    sqlite3_reset(upsert);
    sqlite3_clear_bindings(upsert);
    BindText(upsert, 1, workbook);
    BindText(upsert, 2, erp);
    BindText(upsert, 3, kind);
    sqlite3_bind_int64(upsert, 4, entry.row);
    if (const std::optional<JournalItem>& item = entry.item) {
        sqlite3_bind_int(upsert, 5, static_cast<int>(item->step));
        sqlite3_bind_int64(upsert, 6, item->rowAfter);
        BindText(upsert, 7, item->table);
        BindText(upsert, 8, item->field);
        BindText(upsert, 9, item->value);
        BindText(upsert, 10, item->detailTable);
        sqlite3_bind_int64(upsert, 11, item->lines);
        BindText(upsert, 12, item->vouchType);
        BindText(upsert, 13, item->voucherKey);
        BindText(upsert, 14, item->stockBefore);
        BindText(upsert, 15, item->stockAfter);
    }
    if (entry.landed) {
        BindText(upsert, 16, ItemText(*entry.landed));
    }
    if (entry.rows.from != 0) {
        sqlite3_bind_int64(upsert, 17, entry.rows.from);
        sqlite3_bind_int64(upsert, 18, entry.rows.to);
        sqlite3_bind_int64(upsert, 19, static_cast<sqlite3_int64>(entry.rows.digest));
    }
    sqlite3_bind_int(upsert, 20, static_cast<int>(entry.state));
    std::string digests;
    if (rowDigests && entry.rows.from != 0) {
        // The digests through the entry's row: element k covers rows from to from + k - 1.
        const std::size_t count =
            std::min(rowDigests->size(), static_cast<std::size_t>(entry.rows.to - entry.rows.from) + 1);
        digests.reserve(count * 8);
        for (std::size_t k = 0; k < count; ++k) {
            AppendU64(digests, (*rowDigests)[k]);
        }
        sqlite3_bind_blob(upsert, 21, digests.data(), static_cast<int>(digests.size()), SQLITE_STATIC);
    }
    // One statement outside BEGIN is one transaction of its own.
    if (sqlite3_step(upsert) != SQLITE_DONE) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(database));
        sqlite3_reset(upsert);
        Fail(reason);
    }
    sqlite3_reset(upsert);
}

void RunJournal::EntryCommitted(const QString& kind) {
    holdsFile = true;
    kindsInFile.insert(kind);
    rowSlots->Clear(kind);
}

void RunJournal::Exec(const char* sql, const std::function<void(sqlite3_stmt*)>& bind) {
    Select(
        sql, [](sqlite3_stmt*) {}, bind);
}

std::map<QString, std::vector<SetAsideVoucher>> RunJournal::ReadSetAsides() {
    std::map<QString, std::vector<SetAsideVoucher>> vouchers;
    if (!Open(false)) {
        return vouchers;
    }
    Select(
        "SELECT kind, first_row, voucher_key, saved_unposted FROM set_aside WHERE workbook = ?1 AND erp = ?2 "
        "ORDER BY kind, first_row",
        [&](sqlite3_stmt* statement) {
            const QString kind = Text(statement, 0);
            const sqlite3_int64 row = sqlite3_column_int64(statement, 1);
            SetAsideVoucher voucher{static_cast<int>(row), Text(statement, 2), sqlite3_column_int(statement, 3) != 0};
            if (!IsRow(row) || voucher.key.isEmpty() || voucher.key.size() > 4000) {
                Fail(QStringLiteral("“%1”的出错单据记录已损坏").arg(kind));
            }
            vouchers[kind].push_back(voucher);
        });
    return vouchers;
}

void RunJournal::KeepSetAside(const QString& kind, const SetAsideVoucher& voucher) {
    Open(true);
    Exec(kInsertSetAside, [&](sqlite3_stmt* statement) {
        BindText(statement, 3, kind);
        sqlite3_bind_int64(statement, 4, voucher.firstRow);
        BindText(statement, 5, voucher.key);
        sqlite3_bind_int(statement, 6, voucher.savedUnposted ? 1 : 0);
        BindText(statement, 7, run);
    });
}

void RunJournal::RecordSetAside(const QString& kind, const JournalEntry& entry, const SetAsideVoucher& voucher,
                                const std::vector<std::uint64_t>* rowDigests) {
    Open(true);
    if (sqlite3_exec(database, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        Fail(QString::fromUtf8(sqlite3_errmsg(database)));
    }
    try {
        KeepSetAside(kind, voucher);
        Record(kind, entry, rowDigests);
    } catch (const RunError&) {
        sqlite3_exec(database, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    if (sqlite3_exec(database, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(database));
        sqlite3_exec(database, "ROLLBACK", nullptr, nullptr, nullptr);
        Fail(reason);
    }
    EntryCommitted(kind);
}

std::vector<std::uint64_t> RunJournal::ReadRowDigests(const QString& kind, int from) {
    std::vector<std::uint64_t> digests;
    if (!Open(false)) {
        return digests;
    }
    Select(
        "SELECT row_digests FROM resume_rows WHERE workbook = ?1 AND erp = ?2 AND kind = ?3 AND rows_from = ?4",
        [&](sqlite3_stmt* statement) {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, 0));
            const std::size_t size = static_cast<std::size_t>(sqlite3_column_bytes(statement, 0));
            const std::string blob = bytes ? std::string(bytes, size) : std::string();
            for (std::size_t at = 0; at + 8 <= blob.size(); at += 8) {
                digests.push_back(ReadU64(blob, at));
            }
        },
        [&](sqlite3_stmt* statement) {
            BindText(statement, 3, kind);
            sqlite3_bind_int64(statement, 4, from);
        });
    return digests;
}

void RunJournal::ForgetSavedSetAsides() {
    if (!Open(false)) {
        return;
    }
    Exec("DELETE FROM set_aside WHERE workbook = ?1 AND erp = ?2 AND run = ?3",
         [&](sqlite3_stmt* statement) { BindText(statement, 3, run); });
}

QString JournalFolderBeside(const QString& settingsPath) {
    return QFileInfo(settingsPath).absoluteDir().filePath(QStringLiteral("huizhang-journal"));
}

QString JournalPath(const QString& settingsPath, const QString& workbook, const QString& erp) {
    const QByteArray digest =
        QCryptographicHash::hash((workbook + u'\n' + erp).toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return JournalFolderBeside(settingsPath) + u'/' + QString::fromLatin1(digest) + QStringLiteral(".db");
}

QString JournalWorkbookName(const QString& workbookPath) {
    const QFileInfo file(workbookPath);
    const QString canonical = file.canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? file.absoluteFilePath() : canonical);
}

QString JournalErpName(const ConnectionSettings& settings) {
    if (IsEmbedded(settings)) {
        return QStringLiteral("sqlite:") + JournalWorkbookName(EmbeddedDatabasePath(settings));
    }
    return (QStringLiteral("mssql:") + settings.server.trimmed() + u'/' + settings.database.trimmed()).toCaseFolded();
}

} // namespace hz
