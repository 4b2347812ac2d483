#pragma once

#include "engine/workbook/workbook.h"

#include <string>

namespace hz::fuzz {

inline constexpr int kReadRows = 100;
inline constexpr int kReadColumns = 40;

// Reads every byte of a cell's text, so that a dangling view shows under the sanitizers.
inline unsigned Touch(const CellValue& value) {
    unsigned sum = static_cast<unsigned>(value.kind);
    for (char c : value.text)
        sum += static_cast<unsigned char>(c);
    return sum;
}

// Reads every cell of the first rows and columns of every worksheet of an open workbook and at its far corner, and
// edits a few cells, as an import run would. Returns normally or throws WorkbookError; anything else is a fault of
// the reader.
inline void ReadWholeWorkbook(Workbook& workbook) {
    unsigned sum = 0;
    for (int index = 1; index <= workbook.WorksheetCount(); ++index) {
        Worksheet& sheet = workbook.WorksheetAt(index);
        for (char c : sheet.Name())
            sum += static_cast<unsigned char>(c);
        for (int row = 1; row <= kReadRows; ++row)
            for (int column = 1; column <= kReadColumns; ++column)
                sum += Touch(sheet.Cell(row, column));
        sum += Touch(sheet.Cell(kMaxRows, kMaxColumns));
        sheet.CopyCell(1, 1, kReadRows + 1, 1);
        sheet.CopyCell(2, 2, kReadRows + 1, 2);
        sheet.WriteText(kReadRows + 2, 1, "Error:");
        sheet.CopyCell(kReadRows + 2, 1, kReadRows + 3, 1);
        sum += Touch(sheet.Cell(kReadRows + 1, 1)) + Touch(sheet.Cell(kReadRows + 1, 2)) +
               Touch(sheet.Cell(kReadRows + 3, 1));
    }
    volatile unsigned sink = sum;
    (void)sink;
}

} // namespace hz::fuzz
