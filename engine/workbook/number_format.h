#pragma once

#include <string_view>

namespace hz {

// Which numbers a number format shows as a date or a time of day.
struct DateFormatUse {
    bool positive = false; // numbers above zero
    bool zero = false;     // zero itself, which may have a section of its own
};

// Reads a format code such as "yyyy/m/d;@" or "[Red]0.00": a section is a date when it holds a date or time
// token (y m d h s e, AM/PM, A/P, 上午/下午, [h] [mm] [ss]) outside quoted text, brackets and escapes.
DateFormatUse ClassifyNumberFormat(std::string_view code);

// Built-in formats that show dates or times, as the Chinese (PRC) locale defines them.
bool IsBuiltInDateFormat(unsigned id);

} // namespace hz
