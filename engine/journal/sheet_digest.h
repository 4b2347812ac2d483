#pragma once

#include "engine/journal/run_journal.h"

#include <cstdint>
#include <vector>

namespace hz {

class Workbook;
class Worksheet;

// What a run read of a kind's worksheet, so that a resumed run can tell whether the rows above the one it resumes
// from are still the ones imported: each row's cells (columns A to Z: every column a sheet kind reads, and the mark
// beside an error area's copy) hashed and folded into the digest of the rows before it. Kept for every row taken,
// so that the first row that differs can be named.
class SheetDigest {
public:
    // Starts at row from of sheet (null: a sheet the workbook lacks, whose cells are all empty).
    void Start(Worksheet* sheet, int from);
    // Goes on from digests an earlier run kept and this run found again (DigestRows).
    void Continue(Worksheet* sheet, int from, std::vector<std::uint64_t> digests);
    bool Started() const { return from != 0; }

    // Rows [from, row) with their digest, read up to row first; row is at least from.
    RowsTaken Through(int row);
    // Element k is the digest of rows from to from + k - 1.
    const std::vector<std::uint64_t>& Digests() const { return digests; }

private:
    Worksheet* sheet = nullptr;
    int from = 0;
    std::vector<std::uint64_t> digests;
};

// The digests of rows [from, to) of sheet, as SheetDigest::Digests holds them.
std::vector<std::uint64_t> DigestRows(Worksheet* sheet, int from, int to);
// Whether the rows that an entry says were taken read the same in sheet now; true for an entry that kept none.
bool RowsUnchanged(Worksheet* sheet, const RowsTaken& rows);

// The worksheet of the workbook whose name is the kind's caption; null when it has none.
Worksheet* KindWorksheet(Workbook& workbook, const QString& caption);

} // namespace hz
