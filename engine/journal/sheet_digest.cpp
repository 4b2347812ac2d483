#include "engine/journal/sheet_digest.h"

#include "engine/workbook/workbook.h"

#include <QtGlobal>

#include <algorithm>
#include <bit>
#include <cstring>

namespace hz {

namespace {

constexpr int kDigestColumns = 26;
constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ull;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;

void Mix(std::uint64_t& hash, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= kFnvPrime;
    }
}

// FNV-1a over each cell's kind, value and length, so that no two different rows run together into the same bytes.
std::uint64_t RowHash(Worksheet* sheet, int row) {
    std::uint64_t hash = kFnvOffset;
    for (int column = 1; column <= kDigestColumns; ++column) {
        const CellValue cell = sheet ? sheet->Cell(row, column) : CellValue{};
        const auto kind = static_cast<std::uint8_t>(cell.kind);
        Mix(hash, &kind, 1);
        if (cell.kind == CellKind::Empty) {
            continue;
        }
        const std::uint64_t number = std::bit_cast<std::uint64_t>(cell.number);
        const std::uint64_t length = cell.text.size();
        Mix(hash, &number, sizeof number);
        Mix(hash, &length, sizeof length);
        Mix(hash, cell.text.data(), cell.text.size());
    }
    return hash;
}

std::uint64_t Fold(std::uint64_t before, std::uint64_t row) {
    std::uint64_t hash = kFnvOffset;
    Mix(hash, &before, sizeof before);
    Mix(hash, &row, sizeof row);
    return hash;
}

void Extend(Worksheet* sheet, int from, std::vector<std::uint64_t>& digests, int to) {
    for (int row = from + static_cast<int>(digests.size()) - 1; row < to; ++row) {
        digests.push_back(Fold(digests.back(), RowHash(sheet, row)));
    }
}

} // namespace

void SheetDigest::Start(Worksheet* worksheet, int first) {
    sheet = worksheet;
    from = first;
    digests.assign(1, kFnvOffset);
}

void SheetDigest::Continue(Worksheet* worksheet, int first, std::vector<std::uint64_t> kept) {
    sheet = worksheet;
    from = first;
    digests = std::move(kept);
    if (digests.empty()) {
        digests.assign(1, kFnvOffset);
    }
}

RowsTaken SheetDigest::Through(int row) {
    Q_ASSERT(Started());
    row = std::max(row, from);
    Extend(sheet, from, digests, row);
    return {from, row, digests[static_cast<std::size_t>(row - from)]};
}

std::vector<std::uint64_t> DigestRows(Worksheet* sheet, int from, int to) {
    std::vector<std::uint64_t> digests(1, kFnvOffset);
    digests.reserve(static_cast<std::size_t>(std::max(to - from, 0)) + 1);
    Extend(sheet, from, digests, to);
    return digests;
}

} // namespace hz

namespace hz {

bool RowsUnchanged(Worksheet* sheet, const RowsTaken& rows) {
    return rows.from == 0 || DigestRows(sheet, rows.from, rows.to).back() == rows.digest;
}

Worksheet* KindWorksheet(Workbook& workbook, const QString& caption) {
    const std::string name = caption.toStdString();
    for (int i = 1; i <= workbook.WorksheetCount(); ++i) {
        if (workbook.WorksheetAt(i).Name() == name) {
            return &workbook.WorksheetAt(i);
        }
    }
    return nullptr;
}

} // namespace hz
