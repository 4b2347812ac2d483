#pragma once

#include "engine/run_journal.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <utility>

namespace hz {

// The master row in flight of the run that holds a journal, kept in a small file beside it: one write per row
// instead of a database transaction, which costs several times as much. Two slots take the writes in turn, each
// with a sequence number and a checksum, so that a torn write leaves the other slot, the row before, whole; the ERP
// is then asked about that row, which landed. The latest slot is newer than the journal's entry for its kind: every
// other entry of that kind clears the slots once it is written.
class JournalRowSlots {
public:
    // The slots of the journal of workbook and erp; durableWrites: each write reaches the disk before it returns.
    JournalRowSlots(QString path, QString workbook, QString erp, bool durableWrites);
    ~JournalRowSlots();
    JournalRowSlots(const JournalRowSlots&) = delete;
    JournalRowSlots& operator=(const JournalRowSlots&) = delete;

    // The kind and entry of the latest slot; nothing when the file is missing or cleared, no slot is whole, or the
    // latest is another journal's.
    std::optional<std::pair<QString, JournalEntry>> Latest();
    // false, with nothing written, when the entry does not fit a slot. Throws RunError naming the file when it cannot
    // be written.
    bool Write(const QString& kind, const JournalEntry& entry);
    // Leaves the slots holding nothing when they hold a row of kind.
    void Clear(const QString& kind);

private:
    struct Slot {
        std::uint64_t sequence = 0;
        QString workbook;
        QString erp;
        QString kind;
        JournalEntry entry;
    };
    bool OpenFile(bool create);
    std::optional<Slot> ReadSlot(int index);
    void Load();
    void Put(const QString& kind, const JournalEntry& entry);

    QString path;
    QString workbook;
    QString erp;
    bool durableWrites;
    int file = -1;
    bool loaded = false;
    std::optional<Slot> latest;
    int latestIndex = 1; // the next write goes to the other slot
};

} // namespace hz
