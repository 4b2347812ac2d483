#pragma once

#include <string_view>

namespace hz {

// The serial day in the 1900 date system of a date or time as the .xls library writes it: "YYYY-MM-DD",
// "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS" (a time alone is the fraction of a day). The library counts every fourth
// year as a leap year (1900 included, as Excel does), in both date systems, so its calendar is inverted exactly
// rather than read as a Gregorian date. False when the text has another form.
bool SerialFromXlsDateText(std::string_view text, double& serial);

} // namespace hz
