#include "engine/text/regional_date.h"

#include "engine/messages/run_error.h"
#include "engine/text/regional_number.h"

#include <cmath>
#include <optional>

namespace hz {

namespace {

constexpr long long MsPerDay = 86'400'000;
constexpr long long LastSerialDay = 2'958'465; // 9999-12-31

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Reads a run of digits at pos whose length lies in [minDigits, maxDigits]; advances pos past it.
std::optional<int> ReadNumber(QStringView text, qsizetype& pos, int minDigits, int maxDigits) {
    qsizetype end = pos;
    while (end < text.size() && IsDigit(text[end])) {
        ++end;
    }
    const qsizetype count = end - pos;
    if (count < minDigits || count > maxDigits) {
        return std::nullopt;
    }
    int value = 0;
    for (; pos < end; ++pos) {
        value = value * 10 + (text[pos].unicode() - u'0');
    }
    return value;
}

bool Consume(QStringView text, qsizetype& pos, QChar c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

// " H:mm" or " H:mm:ss" at pos, to the end of the text.
bool IsTimeSuffix(QStringView text, qsizetype pos) {
    const qsizetype blanksStart = pos;
    while (pos < text.size() && text[pos].isSpace()) {
        ++pos;
    }
    if (pos == blanksStart) {
        return false;
    }
    const auto hour = ReadNumber(text, pos, 1, 2);
    if (!hour || *hour > 23 || !Consume(text, pos, u':')) {
        return false;
    }
    const auto minute = ReadNumber(text, pos, 2, 2);
    if (!minute || *minute > 59) {
        return false;
    }
    if (Consume(text, pos, u':')) {
        const auto second = ReadNumber(text, pos, 2, 2);
        if (!second || *second > 59) {
            return false;
        }
    }
    return pos == text.size();
}

QDate ReadShortDate(QStringView text) {
    qsizetype pos = 0;
    const qsizetype yearStart = pos;
    auto year = ReadNumber(text, pos, 2, 4);
    if (!year || pos - yearStart == 3) {
        return {};
    }
    if (pos - yearStart == 2) {
        *year += *year < 30 ? 2000 : 1900;
    }
    if (pos >= text.size() || (text[pos] != u'/' && text[pos] != u'-' && text[pos] != u'.')) {
        return {};
    }
    const QChar separator = text[pos++];
    const auto month = ReadNumber(text, pos, 1, 2);
    if (!month || !Consume(text, pos, separator)) {
        return {};
    }
    const auto day = ReadNumber(text, pos, 1, 2);
    if (!day || (pos < text.size() && !IsTimeSuffix(text, pos))) {
        return {};
    }
    // QDate refuses month 13, 2023-02-29 and the year 0.
    return QDate(*year, *month, *day);
}

} // namespace

QString FormatDateSerial(double serial) {
    if (!(serial > -1 && serial < static_cast<double>(LastSerialDay + 1))) {
        return FormatGeneralNumber(serial);
    }
    const long long totalMs = std::llround(serial * MsPerDay);
    const long long day = totalMs / MsPerDay;
    if (totalMs < 0 || day > LastSerialDay) {
        return FormatGeneralNumber(serial);
    }
    // Excel counts the fictitious 1900-02-29 as day 60, so days 1 to 60 begin one day later.
    const QDate date = QDate(1899, 12, 30).addDays(day >= 1 && day <= 60 ? day + 1 : day);
    QString text = QStringLiteral("%1/%2/%3").arg(date.year()).arg(date.month()).arg(date.day());
    const long long seconds = (totalMs % MsPerDay) / 1000;
    if (seconds != 0) {
        text += QStringLiteral(" %1:%2:%3")
                    .arg(seconds / 3600)
                    .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                    .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }
    return text;
}

QDate ParseShortDate(QStringView text) {
    const QDate date = ReadShortDate(text.trimmed());
    if (!date.isValid()) {
        throw CellError("'" + text.toString().toStdString() + "' is not a valid date");
    }
    return date;
}

} // namespace hz
