#pragma once

#include "engine/rows/sheet_row.h"

#include <QString>

#include <vector>

namespace hz {

class ImporterRegistry;
struct ImportRunContext;

// A master-data sheet kind described as data. ImportMasterSheet runs every kind through the one routine shape:
// prepare QMain on the target table, read the code, check it is new, read the other cells, run the checks in
// order, append, save, advance the row and the start-row box.
struct MasterSheet {
    QString caption; // the sheet kind
    QString table;
    QString codeField;
    int codeColumn;                 // an empty code cell ends the sheet
    int identifierColumn;           // the text naming the row in a failed save's message
    std::vector<CellRead> reads;    // after the code check, in this order
    std::vector<SheetCheck> checks; // in this order
    std::vector<FieldRule> fields;  // set in this order
};

void ImportMasterSheet(ImportRunContext& context, const MasterSheet& sheet);
// Registers ImportMasterSheet on sheet as the importer of its caption.
void AddMasterSheet(ImporterRegistry& registry, MasterSheet sheet);

} // namespace hz
