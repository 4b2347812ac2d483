#include "engine/workbook/xls_date_text.h"

namespace hz {

namespace {

// Reads a fixed number of digits at text[at]; false when one is not a digit.
bool ReadDigits(std::string_view text, std::size_t at, std::size_t count, int& value) {
    if (at + count > text.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

bool ReadTime(std::string_view text, std::size_t at, double& fraction) {
    int hours, minutes, seconds;
    if (text.size() != at + 8 || !ReadDigits(text, at, 2, hours) || text[at + 2] != ':' ||
        !ReadDigits(text, at + 3, 2, minutes) || text[at + 5] != ':' || !ReadDigits(text, at + 6, 2, seconds))
        return false;
    // Rounding to the second can give 24:00:00, which is the next day's midnight.
    if (hours > 24 || minutes > 59 || seconds > 59)
        return false;
    fraction = (hours * 3600 + minutes * 60 + seconds) / 86400.0;
    return true;
}

bool ReadDate(std::string_view text, double& serial) {
    int year, month, day;
    if (text.size() != 10 || !ReadDigits(text, 0, 4, year) || text[4] != '-' || !ReadDigits(text, 5, 2, month) ||
        text[7] != '-' || !ReadDigits(text, 8, 2, day))
        return false;
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    static constexpr int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    bool leap = year % 4 == 0;
    // Days from 1900-01-01 to the first of the year, each year divisible by 4 having 366 days.
    long yearStart = 365L * (year - 1900) + (year - 1) / 4 - 1899 / 4;
    serial = static_cast<double>(yearStart + kDaysBefore[month - 1] + (leap && month > 2 ? 1 : 0) + day);
    return true;
}

} // namespace

bool SerialFromXlsDateText(std::string_view text, double& serial) {
    if (text.size() == 8)
        return ReadTime(text, 0, serial);
    if (text.size() == 10)
        return ReadDate(text, serial);
    double fraction;
    if (text.size() == 19 && text[10] == ' ' && ReadDate(text.substr(0, 10), serial) && ReadTime(text, 11, fraction)) {
        serial += fraction;
        return true;
    }
    return false;
}

} // namespace hz
