#include "engine/text/regional_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace hz {

namespace {

constexpr int SignificantDigits = 15;

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

qsizetype SkipDigits(QStringView text, qsizetype pos) {
    while (pos < text.size() && IsDigit(text[pos])) {
        ++pos;
    }
    return pos;
}

// The power of ten just above a nonzero number (0.05 -> -1, 12 -> 2, 1e400 -> 401), the exponent saturated;
// tells an overflow from an underflow. Expects text that passed the grammar check, sign removed.
long long MagnitudeOf(std::string_view number) {
    const std::size_t exponentAt = std::min(number.find_first_of("eE"), number.size());
    const std::string_view mantissa = number.substr(0, exponentAt);
    long long exponent = 0;
    if (exponentAt < number.size()) {
        std::string_view digits = number.substr(exponentAt + 1);
        const bool negative = digits.front() == '-';
        if (digits.front() == '-' || digits.front() == '+') {
            digits.remove_prefix(1);
        }
        for (const char c : digits) {
            exponent = std::min(exponent * 10 + (c - '0'), 1'000'000'000LL);
        }
        exponent = negative ? -exponent : exponent;
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t firstSignificant = mantissa.find_first_of("123456789");
    const long long shift = firstSignificant < point ? static_cast<long long>(point - firstSignificant)
                                                     : -static_cast<long long>(firstSignificant - point - 1);
    return exponent + shift;
}

} // namespace

QString FormatGeneralNumber(double value) {
    if (std::isnan(value)) {
        return QStringLiteral("NAN");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    }
    if (value == 0) {
        return QStringLiteral("0");
    }
    // "d.dddddddddddddde[+-]x": the value rounded to 15 significant digits, locale-free.
    char buffer[40];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific,
                                       SignificantDigits - 1);
    const std::string_view scientific(buffer, static_cast<std::size_t>(written.ptr - buffer));
    const std::size_t e = scientific.find('e');
    std::string digits;
    digits += scientific[0];
    digits += scientific.substr(2, e - 2);
    digits.erase(digits.find_last_not_of('0') + 1);
    int exponent = 0;
    std::from_chars(scientific.data() + e + (scientific[e + 1] == '+' ? 2 : 1), scientific.data() + scientific.size(),
                    exponent);

    std::string text = value < 0 ? "-" : "";
    const int count = static_cast<int>(digits.size());
    if (exponent >= SignificantDigits || exponent < -5) {
        text += digits[0];
        if (count > 1) {
            text += '.';
            text += digits.substr(1);
        }
        text += 'E';
        text += std::to_string(exponent);
    } else if (exponent < 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
    } else {
        const int integerDigits = exponent + 1;
        text += digits.substr(0, static_cast<std::size_t>(std::min(count, integerDigits)));
        if (count > integerDigits) {
            text += '.';
            text += digits.substr(static_cast<std::size_t>(integerDigits));
        } else {
            text.append(static_cast<std::size_t>(integerDigits - count), '0');
        }
    }
    return QString::fromLatin1(text);
}

std::optional<double> ParseRegionalNumber(QStringView text) {
    const QStringView trimmed = text.trimmed();
    qsizetype pos = 0;
    const bool negative = !trimmed.isEmpty() && trimmed[0] == u'-';
    if (!trimmed.isEmpty() && (trimmed[0] == u'-' || trimmed[0] == u'+')) {
        ++pos;
    }
    const qsizetype numberStart = pos;
    pos = SkipDigits(trimmed, pos);
    qsizetype mantissaDigits = pos - numberStart;
    if (pos < trimmed.size() && trimmed[pos] == u'.') {
        const qsizetype fractionStart = pos + 1;
        pos = SkipDigits(trimmed, fractionStart);
        mantissaDigits += pos - fractionStart;
    }
    if (mantissaDigits == 0) {
        return std::nullopt;
    }
    if (pos < trimmed.size() && (trimmed[pos] == u'e' || trimmed[pos] == u'E')) {
        ++pos;
        if (pos < trimmed.size() && (trimmed[pos] == u'-' || trimmed[pos] == u'+')) {
            ++pos;
        }
        const qsizetype exponentStart = pos;
        pos = SkipDigits(trimmed, pos);
        if (pos == exponentStart) {
            return std::nullopt;
        }
    }
    if (pos != trimmed.size()) {
        return std::nullopt;
    }

    // Only ASCII is left; from_chars takes no "+" and no locale.
    const std::string number = trimmed.mid(numberStart).toLatin1().toStdString();
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (MagnitudeOf(number) > 0) {
            return std::nullopt;
        }
        value = 0;
    } else if (error != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

} // namespace hz
