#include "engine/workbook/iso_date.h"

#include <cstdint>

namespace hz {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Reads exactly count digits at text[at].
bool ReadDigits(std::string_view text, std::size_t& at, std::size_t count, int& value) {
    if (text.size() - at < count)
        return false;
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        char c = text[at + i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    at += count;
    return true;
}

bool ReadLiteral(std::string_view text, std::size_t& at, char literal) {
    if (at >= text.size() || text[at] != literal)
        return false;
    ++at;
    return true;
}

// Reads hh:mm[:ss[.fff]] as a fraction of a day.
bool ReadTime(std::string_view text, std::size_t& at, double& fraction) {
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!ReadDigits(text, at, 2, hour) || !ReadLiteral(text, at, ':') || !ReadDigits(text, at, 2, minute))
        return false;
    double subsecond = 0;
    if (ReadLiteral(text, at, ':')) {
        if (!ReadDigits(text, at, 2, second))
            return false;
        if (ReadLiteral(text, at, '.')) {
            double scale = 0.1;
            std::size_t digitsStart = at;
            while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
                subsecond += (text[at] - '0') * scale;
                scale /= 10;
                ++at;
            }
            if (at == digitsStart)
                return false;
        }
    }
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    fraction = ((hour * 60 + minute) * 60 + second + subsecond) / 86400.0;
    return true;
}

} // namespace

std::optional<double> ParseIsoDateSerial(std::string_view text) {
    if (!text.empty() && text.back() == 'Z')
        text.remove_suffix(1);
    std::size_t at = 0;
    double fraction = 0;
    if (text.size() > 2 && text[2] == ':') {
        if (!ReadTime(text, at, fraction) || at != text.size())
            return std::nullopt;
        return fraction;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    if (!ReadDigits(text, at, 4, year) || !ReadLiteral(text, at, '-') || !ReadDigits(text, at, 2, month) ||
        !ReadLiteral(text, at, '-') || !ReadDigits(text, at, 2, day))
        return std::nullopt;
    if (ReadLiteral(text, at, 'T') && !ReadTime(text, at, fraction))
        return std::nullopt;
    if (at != text.size() || month < 1 || month > 12 || day < 1)
        return std::nullopt;

    double serial;
    if (year == 1900 && month == 2 && day == 29) {
        serial = 60; // the day Excel believes in
    } else if (day > DaysInMonth(year, month)) {
        return std::nullopt;
    } else if (year < 1900 || (year == 1900 && month <= 2)) {
        serial = static_cast<double>(DaysFromCivil(year, month, day) - DaysFromCivil(1899, 12, 31));
    } else {
        serial = static_cast<double>(DaysFromCivil(year, month, day) - DaysFromCivil(1899, 12, 30));
    }
    if (serial < 0)
        return std::nullopt;
    return serial + fraction;
}

} // namespace hz
