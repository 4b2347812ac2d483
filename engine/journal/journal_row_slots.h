#pragma once

#include "engine/journal/run_journal.h"
#include "engine/platform/file_handle.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace hz {

// The row in flight of the run that holds a journal (a master row, a voucher's save or posting), kept in a small
// file beside it: one write per step instead of a database transaction, which costs several times as much. Two slots
// take the writes in turn, each with a sequence number and a checksum, so that a torn write leaves the other slot,
// the step before, whole; the ERP is then asked about that step, which landed. The latest slot is newer than the
// journal's entry for its kind, unless it says that an entry with a given fingerprint supersedes it: a kind's entry
// goes into the file only after the slots say so, and the slots are cleared once it is there.
class JournalRowSlots {
public:
    // The slots of the journal of workbook and erp; durableWrites: each write reaches the disk before it returns.
    JournalRowSlots(QString path, QString workbook, QString erp, bool durableWrites);
    JournalRowSlots(const JournalRowSlots&) = delete;
    JournalRowSlots& operator=(const JournalRowSlots&) = delete;

    struct InFlight {
        QString kind;
        JournalEntry entry;
        // The fingerprint of the file's entry that supersedes this one once the file holds it.
        std::optional<std::uint64_t> supersededBy;
    };
    // The latest slot; nothing when the file is missing or cleared, no slot is whole, or the latest is another
    // journal's.
    std::optional<InFlight> Latest();
    // false, with nothing written, when the entry does not fit a slot. Throws RunError naming the file when it cannot
    // be written.
    bool Write(const QString& kind, const JournalEntry& entry, std::optional<std::uint64_t> supersededBy = {});
    // Leaves the slots holding nothing when they hold a step of kind.
    void Clear(const QString& kind);

private:
    struct Slot {
        std::uint64_t sequence = 0;
        QString workbook;
        QString erp;
        InFlight inFlight;
    };
    bool OpenFile(bool create);
    std::optional<Slot> ReadSlot(int index);
    void Load();
    void Put(const InFlight& inFlight);

    QString path;
    QString workbook;
    QString erp;
    bool durableWrites;
    FileHandle file;
    bool loaded = false;
    std::optional<Slot> latest;
    int latestIndex = 1; // the next write goes to the other slot
};

// A checksum of everything an entry says, the same for the entry as written and as read back from the file.
std::uint64_t EntryFingerprint(const JournalEntry& entry);

} // namespace hz
