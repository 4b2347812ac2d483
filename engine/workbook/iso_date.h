#pragma once

#include <optional>
#include <string_view>

namespace hz {

// Reads an ISO 8601 date-time as Excel writes it in t="d" cells ("2024-01-05", "2024-01-05T10:30:00.5",
// an optional trailing "Z", or a bare time "10:30:00") as a serial day of the 1900 date system: 1 is 1900-01-01,
// 61 is 1900-03-01, and Excel's fictitious 1900-02-29 is 60. A bare time gives its fraction of a day.
// nullopt when the text is malformed or lies outside 1899-12-31 (serial 0) to 9999-12-31.
std::optional<double> ParseIsoDateSerial(std::string_view text);

} // namespace hz
