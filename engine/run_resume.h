#pragma once

#include "engine/run_journal.h"

#include <QString>

#include <map>

namespace hz {

struct ImportRunContext;

// A resumed run's start: each ticked kind with a journal entry starts at the entry's row. What the entry left open is
// asked of the ERP first: a master row or a voucher that landed moves the kind below it, and a stock voucher that was
// saved and not posted is posted now, under the journal as in a run. False when such a posting failed: its message
// has been shown, runOk is false, and the journal still holds the voucher. Throws RunError when the ERP cannot tell
// whether a posting landed.
bool ResumeFromJournal(ImportRunContext& context, const std::map<QString, JournalEntry>& entries);

} // namespace hz
