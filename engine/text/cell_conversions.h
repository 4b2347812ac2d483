#pragma once

#include "engine/workbook/cell_value.h"

#include <QString>

#include <cstdint>

namespace hz {

// A cell as text: empty gives ""; text unchanged, untrimmed; a number in the general format
// (FormatGeneralNumber); a date-time in the short date form (FormatDateSerial); a boolean "True" or "False";
// an error its literal, such as "#N/A"; a formula without a result "" (readers of a run's cells refuse it first).
QString CellToText(const CellValue& cell);

// A cell as a number: empty gives 0; a number or date-time its value; a boolean 1 or 0, as in the sheet's own
// arithmetic. Text is read by the regional rules (ParseRegionalNumber). Throws CellError
// "'<text>' is not a valid floating point value" for other text and for an error cell.
double CellToNumber(const CellValue& cell);

// A cell as a 32-bit integer: CellToNumber's value rounded half to even (2.5 -> 2, 3.5 -> 4). Throws CellError
// "'<text>' is not a valid integer value" for text that is no number and for an error cell, and
// "'<cell text>' is out of the range of a 32-bit integer" when the rounded value does not fit.
std::int32_t CellToInteger(const CellValue& cell);

// An edit box's text as a 32-bit integer: an optional sign and decimal digits, blanks at both ends ignored.
// Throws RunError "'<text>' is not a valid integer value" for anything else, a value out of range included.
std::int32_t TextToInteger(const QString& text);

} // namespace hz
