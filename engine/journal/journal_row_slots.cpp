#include "engine/journal/journal_row_slots.h"

#include "engine/workbook/little_endian.h"
#include "engine/workbook/workbook.h"

#include <string>

namespace hz {

namespace {

constexpr std::uint32_t kMagic = 0x736a7a68; // "hzjs"
// Each slot's place in the file; a record is its header and fields, written in one piece.
constexpr std::size_t kSlotBytes = 16384;
constexpr std::size_t kHeaderBytes = 24; // magic, length, sequence, checksum

void PutText(std::string& out, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    AppendU32(out, static_cast<std::uint32_t>(utf8.size()));
    out.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

// FNV-1a: a torn or stray record fails it.
std::uint64_t Checksum(const char* data, std::size_t size) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(data[i]);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

// The fields of an item beyond a master row's: a record of the first version ends before them.
void PutVoucherFields(std::string& out, const JournalItem& item) {
    AppendU32(out, static_cast<std::uint32_t>(item.step));
    PutText(out, item.detailTable);
    AppendU32(out, static_cast<std::uint32_t>(item.lines));
    PutText(out, item.vouchType);
    PutText(out, item.voucherKey);
    PutText(out, item.stockBefore);
    PutText(out, item.stockAfter);
}

// What a record holds of an entry beyond its item: a record of an earlier version ends before them.
void PutEntryFields(std::string& out, const JournalEntry& entry) {
    PutText(out, entry.landed ? ItemText(*entry.landed) : QString());
    AppendU32(out, static_cast<std::uint32_t>(entry.rows.from));
    AppendU32(out, static_cast<std::uint32_t>(entry.rows.to));
    AppendU64(out, entry.rows.digest);
    AppendU32(out, static_cast<std::uint32_t>(entry.state));
}

// Reads fields from a record's body, each bounded by what is left of it.
class FieldReader {
public:
    explicit FieldReader(const std::string& body) : body(body) {}
    // A little-endian number as wide as value's type (4 or 8 bytes).
    template <typename Value> bool Number(Value& value) {
        if (body.size() - at < sizeof(Value))
            return false;
        if constexpr (sizeof(Value) == 8)
            value = ReadU64(body, at);
        else
            value = ReadU32(body, at);
        at += sizeof(Value);
        return true;
    }
    bool Text(QString& text) {
        std::uint32_t size = 0;
        if (!Number(size) || body.size() - at < size)
            return false;
        text = QString::fromUtf8(body.data() + at, static_cast<qsizetype>(size));
        at += size;
        return true;
    }
    bool AtEnd() const { return at == body.size(); }

private:
    const std::string& body;
    std::size_t at = 0;
};

} // namespace

JournalRowSlots::JournalRowSlots(QString path, QString workbook, QString erp, bool durableWrites)
    : path(std::move(path)), workbook(std::move(workbook)), erp(std::move(erp)), durableWrites(durableWrites) {}

bool JournalRowSlots::OpenFile(bool create) {
    if (file.IsOpen())
        return true;
    const SystemError error = file.Open(path.toStdString(), create ? FileOpen::ReadWriteOrCreate : FileOpen::ReadWrite,
                                        NewFileAccess::OwnerOnly);
    if (error && (create || error.fault != SystemFault::NotFound))
        FailJournalFile(path, QString::fromStdString(error.text));
    return file.IsOpen();
}

std::optional<JournalRowSlots::Slot> JournalRowSlots::ReadSlot(int index) {
    std::string bytes(kSlotBytes, '\0');
    const SystemResult<std::size_t> read =
        file.ReadAt(static_cast<std::uint64_t>(index) * kSlotBytes, bytes.data(), bytes.size());
    const std::size_t got = read.error ? 0 : read.value;
    if (got < kHeaderBytes || ReadU32(bytes, 0) != kMagic)
        return std::nullopt;
    const std::uint64_t length = ReadU32(bytes, 4);
    if (length > kSlotBytes - kHeaderBytes || got < kHeaderBytes + length ||
        Checksum(bytes.data() + kHeaderBytes, length) != ReadU64(bytes, 16))
        return std::nullopt;
    Slot slot;
    slot.sequence = ReadU64(bytes, 8);
    const std::string body = bytes.substr(kHeaderBytes, length);
    FieldReader fields(body);
    InFlight& inFlight = slot.inFlight;
    std::uint32_t row = 0;
    std::uint32_t rowAfter = 0;
    JournalItem item;
    if (!fields.Text(slot.workbook) || !fields.Text(slot.erp) || !fields.Text(inFlight.kind) || !fields.Number(row) ||
        !fields.Number(rowAfter) || !fields.Text(item.table) || !fields.Text(item.field) || !fields.Text(item.value))
        return std::nullopt;
    if (!fields.AtEnd()) {
        std::uint32_t step = 0;
        std::uint32_t lines = 0;
        std::uint32_t superseded = 0;
        if (!fields.Number(step) || !fields.Text(item.detailTable) || !fields.Number(lines) ||
            !fields.Text(item.vouchType) || !fields.Text(item.voucherKey) || !fields.Text(item.stockBefore) ||
            !fields.Text(item.stockAfter) || !fields.Number(superseded))
            return std::nullopt;
        // Out of range, they fail the entry's soundness check instead of passing for a whole record.
        item.step = static_cast<JournalItem::Step>(step);
        item.lines = lines <= static_cast<std::uint32_t>(kMaxRows) ? static_cast<int>(lines) : -1;
        if (superseded != 0) {
            std::uint64_t fingerprint = 0;
            if (!fields.Number(fingerprint))
                return std::nullopt;
            inFlight.supersededBy = fingerprint;
        }
        if (!fields.AtEnd()) {
            QString landed;
            std::uint32_t from = 0;
            std::uint32_t to = 0;
            std::uint32_t state = 0;
            if (!fields.Text(landed) || !fields.Number(from) || !fields.Number(to) ||
                !fields.Number(inFlight.entry.rows.digest) || !fields.Number(state) || !fields.AtEnd())
                return std::nullopt;
            // Out of range, they fail the entry's soundness check instead of passing for a whole record.
            const auto OnSheet = [](std::uint32_t value) {
                return value <= static_cast<std::uint32_t>(kMaxRows) + 1 ? static_cast<int>(value) : -1;
            };
            inFlight.entry.rows.from = OnSheet(from);
            inFlight.entry.rows.to = OnSheet(to);
            inFlight.entry.state = static_cast<KindState>(state <= 2 ? state : 3);
            if (!landed.isEmpty()) {
                inFlight.entry.landed = ItemFromText(landed);
                if (!inFlight.entry.landed)
                    inFlight.entry.rows.from = -1;
            }
        }
    }
    inFlight.entry.row = static_cast<int>(row);
    item.rowAfter = static_cast<int>(rowAfter);
    if (!inFlight.kind.isEmpty())
        inFlight.entry.item = item;
    return slot;
}

void JournalRowSlots::Load() {
    if (loaded)
        return;
    loaded = true;
    if (!file.IsOpen())
        return;
    std::optional<Slot> first = ReadSlot(0);
    std::optional<Slot> second = ReadSlot(1);
    if (first && (!second || first->sequence > second->sequence)) {
        latest = std::move(first);
        latestIndex = 0;
    } else if (second) {
        latest = std::move(second);
        latestIndex = 1;
    }
}

std::optional<JournalRowSlots::InFlight> JournalRowSlots::Latest() {
    if (!loaded)
        OpenFile(false);
    Load();
    if (!latest || latest->inFlight.kind.isEmpty() || latest->workbook != workbook || latest->erp != erp)
        return std::nullopt;
    return latest->inFlight;
}

void JournalRowSlots::Put(const InFlight& inFlight) {
    std::string body;
    PutText(body, workbook);
    PutText(body, erp);
    PutText(body, inFlight.kind);
    AppendU32(body, static_cast<std::uint32_t>(inFlight.entry.row));
    const JournalItem item = inFlight.entry.item.value_or(JournalItem{});
    AppendU32(body, static_cast<std::uint32_t>(item.rowAfter));
    PutText(body, item.table);
    PutText(body, item.field);
    PutText(body, item.value);
    PutVoucherFields(body, item);
    AppendU32(body, inFlight.supersededBy ? 1 : 0);
    if (inFlight.supersededBy)
        AppendU64(body, *inFlight.supersededBy);
    PutEntryFields(body, inFlight.entry);
    const std::uint64_t sequence = latest ? latest->sequence + 1 : 1;
    std::string record;
    AppendU32(record, kMagic);
    AppendU32(record, static_cast<std::uint32_t>(body.size()));
    AppendU64(record, sequence);
    AppendU64(record, Checksum(body.data(), body.size()));
    record += body;
    const int index = 1 - latestIndex;
    SystemError error = file.WriteAt(static_cast<std::uint64_t>(index) * kSlotBytes, record.data(), record.size());
    if (!error && durableWrites)
        error = file.SyncData();
    if (error)
        FailJournalFile(path, QString::fromStdString(error.text));
    latest = Slot{sequence, workbook, erp, inFlight};
    latestIndex = index;
}

bool JournalRowSlots::Write(const QString& kind, const JournalEntry& entry, std::optional<std::uint64_t> supersededBy) {
    const JournalItem& item = *entry.item;
    // Bytes of UTF-8 are at most three for each UTF-16 unit; the rest are a few numbers and lengths.
    const qsizetype units = workbook.size() + erp.size() + kind.size() + item.table.size() + item.field.size() +
                            item.value.size() + item.detailTable.size() + item.vouchType.size() +
                            item.voucherKey.size() + item.stockBefore.size() + item.stockAfter.size() +
                            (entry.landed ? ItemText(*entry.landed).size() : 0);
    if (kHeaderBytes + 160 + 3 * static_cast<std::size_t>(units) > kSlotBytes)
        return false;
    OpenFile(true);
    Load();
    Put({kind, entry, supersededBy});
    return true;
}

void JournalRowSlots::Clear(const QString& kind) {
    // The file is looked for once: no other program writes it while this run holds the journal.
    if (!loaded)
        OpenFile(false);
    Load();
    if (latest && !kind.isEmpty() && latest->inFlight.kind == kind && latest->workbook == workbook &&
        latest->erp == erp)
        Put({});
}

std::uint64_t EntryFingerprint(const JournalEntry& entry) {
    std::string bytes;
    AppendU32(bytes, static_cast<std::uint32_t>(entry.row));
    AppendU32(bytes, entry.item ? 1 : 0);
    if (const std::optional<JournalItem>& item = entry.item) {
        AppendU32(bytes, static_cast<std::uint32_t>(item->rowAfter));
        PutText(bytes, item->table);
        PutText(bytes, item->field);
        PutText(bytes, item->value);
        PutVoucherFields(bytes, *item);
    }
    PutEntryFields(bytes, entry);
    return Checksum(bytes.data(), bytes.size());
}

} // namespace hz
