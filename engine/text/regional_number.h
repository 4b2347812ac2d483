#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace hz {

// A number in the general format of cell texts: at most 15 significant digits, no trailing zeros, decimal
// point ".". Fixed notation while the integer digits are at most 15 and the value is at least 0.00001, else
// scientific with "E" and an exponent without leading zeros: 12, 0.5, 0.3 (for 0.1 + 0.2), 1.23456789012346E17,
// 1E-7. -0 gives "0"; non-finite values give "NAN", "INF" and "-INF".
QString FormatGeneralNumber(double value);

// Reads a number by the fixed regional rules: blanks at both ends, an optional sign, digits with "." as the
// decimal point (at least one digit), an optional exponent "E" or "e" with optional sign and digits. Nothing
// else: no thousands separators, no currency, no "INF". Empty when the text is not such a number or when it
// overflows a double; a value too small for a double reads as 0.
std::optional<double> ParseRegionalNumber(QStringView text);

} // namespace hz
