#pragma once

#include "engine/run/sheet_kinds.h"

#include <QString>

#include <vector>

namespace hz {

// A ticked kind with the text of its start-row box as the user left it (converted by the run).
struct KindSelection {
    const SheetKind* kind;
    QString startRowText;
};

enum class RunMode {
    Import, // the rows go into the ERP; a row error stops the run
    // Every row is imported inside one transaction that is rolled back at the end, and the workbook is not written:
    // each row error is reported, and the check reads on with the next row or voucher and the next sheet.
    Check,
};

// What the user asks of one import run: the workbook and the ticked kinds in selection order.
struct ImportRequest {
    QString workbookPath;
    std::vector<KindSelection> selection;
    RunMode mode = RunMode::Import;
    // An import that starts each ticked kind where the run journal says, after settling what it left open; a kind
    // without a journal entry starts at its start-row text.
    bool resume = false;
};

} // namespace hz
