#pragma once

#include "engine/sheet_kinds.h"

#include <QString>

#include <vector>

namespace hz {

// A ticked kind with the text of its start-row box as the user left it (converted by the run).
struct KindSelection {
    const SheetKind* kind;
    QString startRowText;
};

// What the user asks of one import run: the workbook and the ticked kinds in selection order.
struct ImportRequest {
    QString workbookPath;
    std::vector<KindSelection> selection;
};

} // namespace hz
