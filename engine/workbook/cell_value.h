#pragma once

#include <cstdint>
#include <string_view>

namespace hz {

// Uncalculated: a formula whose result the file does not hold (written by a program that does not calculate, and
// never saved by Excel since); what it would show is unknown.
enum class CellKind : std::uint8_t { Empty, Number, Text, Boolean, Error, DateTime, Uncalculated };

// One cell as the workbook holds it. The text view stays valid until the workbook is changed or closed.
struct CellValue {
    CellKind kind = CellKind::Empty;
    // Number: the value; Boolean: 0 or 1; DateTime: the serial day in the 1900 date system
    // (1 is 1900-01-01, 61 is 1900-03-01; a 1904 workbook's serials are shifted on reading).
    double number = 0;
    // Text: the plain text in UTF-8; Error: the error literal, e.g. "#N/A".
    std::string_view text;
};

} // namespace hz
