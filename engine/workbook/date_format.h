#pragma once

#include <string_view>

namespace hz {

// Whether a number format shows its number as a date or a time: the built-in ids 14-22 and 45-47, the
// built-in ids of the Chinese, Japanese and Korean editions (27-36, 50-58), or a format code whose first
// section has a year, month, day, hour or second outside quotes, escapes and colour or locale brackets.
bool IsDateFormatId(int id);
bool IsDateFormatCode(std::string_view code);

} // namespace hz
