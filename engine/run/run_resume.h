#pragma once

#include "engine/journal/run_journal.h"

#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace hz {

class RunJournal;
class Workbook;
struct ImportRunContext;

// A resumed run's start: each ticked kind with a journal entry starts at the entry's row. What the entry left open is
// asked of the ERP first: a master row or a voucher that landed moves the kind below it, and a stock voucher that was
// saved and not posted is posted now, under the journal as in a run. False when such a posting failed: its message
// has been shown, runOk is false, and the journal still holds the voucher. Throws RunError when the ERP cannot tell
// whether a posting landed.
// Before that, each kind's entry must fit the workbook and the ERP as they are now, else RunError, with nothing
// written: the rows above the resume row read as the journal's runs read them, the last item the journal saw
// committed is in the ERP, and no voucher of a kind still being imported is in the ERP that the journal lacks.
bool ResumeFromJournal(ImportRunContext& context, const std::map<QString, JournalEntry>& entries, Workbook& workbook);

// The first of the rows an entry says were taken that reads otherwise now (now: DigestRows of the same rows), or
// nothing when they all read the same.
std::optional<int> FirstChangedRow(RunJournal& journal, const QString& kind, const RowsTaken& rows,
                                   const std::vector<std::uint64_t>& now);
// "<kind> 第 <row> 行与上次导入时不同：…"
QString WorkbookChangedMessage(const QString& kind, int row);

} // namespace hz
