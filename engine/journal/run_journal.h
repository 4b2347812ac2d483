#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace hz {

struct ConnectionSettings;
class JournalRowSlots;

// What a kind was committing when its journal entry last moved. The journal is written before the ERP's commit,
// so after a crash the ERP is asked whether the item landed; nothing of ours is written into the ERP's database.
struct JournalItem {
    enum class Step {
        MasterRow = 1,      // a master row: its code in table.field
        VoucherSave = 2,    // a voucher's save: header id value in table, lines rows in detailTable
        VoucherPosting = 3, // a saved stock voucher's posting
    };
    Step step = Step::MasterRow;
    int rowAfter = 0;    // the kind resumes here once the item is in the ERP (and, for a stock voucher, posted)
    QString table;       // the master table, or the voucher's header table
    QString field;       // the master table's code field
    QString value;       // the code, or the voucher's header id
    QString detailTable; // a voucher's detail table
    int lines = 0;       // a voucher's detail rows
    QString vouchType;   // a stock voucher's type, posted after its save; empty for one that is never posted
    QString voucherKey;  // the workbook's voucher key, for messages
    // A posting: the stock of the voucher's warehouse and items before and after it, read inside its transaction;
    // both empty when the posting is known to have failed.
    QString stockBefore;
    QString stockAfter;
};

// A voucher of a sheet with an error area that a run set aside: its rows are copied into the error area, which only
// the workbook's save at the end of the run keeps. Until that save it is in the journal, so that a run killed before
// it loses nothing: a resumed run copies it again.
struct SetAsideVoucher {
    int firstRow = 0;
    QString key;
    bool savedUnposted = false; // in the ERP, saved and not posted: its copy is marked so
};

// What a run read of a kind's worksheet: rows [from, to) and a digest of their cells (see sheet_digest.h); from is
// 0 in an entry that holds none.
struct RowsTaken {
    int from = 0;
    int to = 0;
    std::uint64_t digest = 0;
};

// Where a kind stands: still being imported (or stopped by an interruption), through to the end of its sheet, or
// stopped by a row error at the entry's row.
enum class KindState { InProgress = 0, Completed = 1, Stopped = 2 };

// The row from which a kind resumes when item, if any, did not land in the ERP.
struct JournalEntry {
    JournalEntry() = default;
    JournalEntry(int row, std::optional<JournalItem> item, std::optional<JournalItem> landed = {}, RowsTaken rows = {},
                 KindState state = KindState::InProgress)
        : row(row), item(std::move(item)), landed(std::move(landed)), rows(rows), state(state) {}

    int row = 0;
    std::optional<JournalItem> item;
    // The last item of the kind that the run saw committed: a resumed run asks the ERP for it, so that a journal
    // is never applied to an ERP that is not the one it was written against.
    std::optional<JournalItem> landed;
    RowsTaken rows;
    KindState state = KindState::InProgress;
};

// The run journal of one workbook and one ERP: for each kind, the row from which a further run resumes. An SQLite
// file of its own (JournalPath); each write is one transaction, so a kill at any instant leaves the previous or the
// new state. The run that writes it holds it alone until it ends, which spares the file locks of every write and
// keeps a second run of the same workbook and ERP out; runs of other workbooks have other files. The file and its
// folder are created at the first write only. A file that is not a journal, or an entry that is not sound, ends the
// run with RunError naming the file.
class RunJournal {
public:
    // durableWrites: each write reaches the disk before it returns (for an ERP that keeps its own commits so).
    RunJournal(QString path, QString workbook, QString erp, bool durableWrites);
    ~RunJournal();
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    // The entries of this workbook and ERP by kind caption; none when the file does not exist.
    std::map<QString, JournalEntry> Read();
    // rowDigests: the kind's digests from entry.rows.from on (SheetDigest::Prefix), kept with an entry that goes into
    // the file, so that a resumed run can tell the first row that differs.
    void Record(const QString& kind, const JournalEntry& entry, const std::vector<std::uint64_t>* rowDigests = nullptr);
    // The digests kept with the kind's entry in the file, from row from on; empty when there are none.
    std::vector<std::uint64_t> ReadRowDigests(const QString& kind, int from);

    // The vouchers set aside and not yet saved into the workbook, by kind caption, in sheet order.
    std::map<QString, std::vector<SetAsideVoucher>> ReadSetAsides();
    // In one transaction: the voucher set aside, and the kind's entry resuming below it.
    void RecordSetAside(const QString& kind, const JournalEntry& entry, const SetAsideVoucher& voucher,
                        const std::vector<std::uint64_t>* rowDigests);
    // A voucher set aside by an earlier run that this run copied again.
    void KeepSetAside(const QString& kind, const SetAsideVoucher& voucher);
    // The workbook was saved: the vouchers this run set aside or copied again are in it.
    void ForgetSavedSetAsides();

private:
    bool Open(bool create);
    // Runs sql with ?1 and ?2 bound to the workbook and the ERP and the rest by bind, calling onRow for each row.
    void Select(const char* sql, const std::function<void(sqlite3_stmt*)>& onRow,
                const std::function<void(sqlite3_stmt*)>& bind = {});
    void Exec(const char* sql, const std::function<void(sqlite3_stmt*)>& bind);
    // The entries of the file alone.
    std::map<QString, JournalEntry> ReadFile();
    // Before an entry of kind goes into the file: a step of kind in flight in the slots is marked as superseded by
    // it, so that it counts until the file holds the entry.
    void Supersede(const QString& kind, const JournalEntry& fileEntry);
    // The entry into the file, inside the caller's transaction when one is open.
    void Upsert(const QString& kind, const JournalEntry& entry, const std::vector<std::uint64_t>* rowDigests = nullptr);
    // An entry of kind was committed: the file is this run's, and a row of kind in flight in the slots is older.
    void EntryCommitted(const QString& kind);
    [[noreturn]] void Fail(const QString& what) const;

    QString path;
    QString workbook;
    QString erp;
    bool durableWrites;
    QString run; // this run's id, on the set-aside vouchers it holds
    sqlite3* database = nullptr;
    sqlite3_stmt* upsert = nullptr;
    // The step in flight (a master row, a voucher's save or posting), once this run holds the file through a write
    // of its own.
    std::unique_ptr<JournalRowSlots> rowSlots;
    bool holdsFile = false;
    std::set<QString> kindsInFile; // kinds with an entry this run put into the file
};

// An item as one text and back; nothing when the text is not a sound item.
QString ItemText(const JournalItem& item);
std::optional<JournalItem> ItemFromText(const QString& text);
// Whether an entry read back (from the file or the row slots) can be acted on: the names that go into the ERP's
// statements are plain identifiers, and every row and count lies on a sheet.
bool IsSoundEntry(const JournalEntry& entry);

// Ends the run: the journal file at path (or the row slots beside it) cannot be used, for the reason what.
[[noreturn]] void FailJournalFile(const QString& path, const QString& what);

// The folder of the journals beside a settings file: "huizhang-journal" in its folder.
QString JournalFolderBeside(const QString& settingsPath);
// The journal of a workbook and an ERP (as named below) in that folder, named by a digest of the two.
QString JournalPath(const QString& settingsPath, const QString& workbook, const QString& erp);
// How the journal names a workbook: its absolute path, through links when it exists.
QString JournalWorkbookName(const QString& workbookPath);
// How the journal names an ERP: the embedded ERP's file, or the server and database, case folded.
QString JournalErpName(const ConnectionSettings& settings);

} // namespace hz
