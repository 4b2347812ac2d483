#include "engine/text/cell_conversions.h"

#include "engine/messages/run_error.h"
#include "engine/text/fixed_decimals.h"
#include "engine/text/regional_date.h"
#include "engine/text/regional_number.h"

#include <limits>
#include <optional>
#include <string>

namespace hz {

namespace {

// Empty, not null: the database seam binds a null text as NULL, and a cell read as text is written as text.
QString EmptyText() {
    return QStringLiteral("");
}

QString TextOf(const CellValue& cell) {
    if (cell.text.empty()) {
        return EmptyText();
    }
    return QString::fromUtf8(cell.text.data(), static_cast<qsizetype>(cell.text.size()));
}

// The cell's number, or nothing for text that is no number and for an error cell.
std::optional<double> NumberOf(const CellValue& cell) {
    switch (cell.kind) {
    case CellKind::Empty:
        return 0.0;
    case CellKind::Number:
    case CellKind::DateTime:
        return cell.number;
    case CellKind::Boolean:
        return cell.number != 0 ? 1.0 : 0.0;
    case CellKind::Text:
        return ParseRegionalNumber(TextOf(cell));
    case CellKind::Error:
    case CellKind::Uncalculated:
        return std::nullopt;
    }
    return std::nullopt;
}

std::string Quoted(const QString& text) {
    return "'" + text.toStdString() + "'";
}

std::string Quoted(const CellValue& cell) {
    return Quoted(CellToText(cell));
}

} // namespace

QString CellToText(const CellValue& cell) {
    switch (cell.kind) {
    case CellKind::Empty:
        return EmptyText();
    case CellKind::Number:
        return FormatGeneralNumber(cell.number);
    case CellKind::DateTime:
        return FormatDateSerial(cell.number);
    case CellKind::Boolean:
        return cell.number != 0 ? QStringLiteral("True") : QStringLiteral("False");
    case CellKind::Text:
    case CellKind::Error:
        return TextOf(cell);
    case CellKind::Uncalculated:
        return EmptyText();
    }
    return {};
}

double CellToNumber(const CellValue& cell) {
    const std::optional<double> number = NumberOf(cell);
    if (!number) {
        throw CellError(Quoted(cell) + " is not a valid floating point value");
    }
    return *number;
}

std::int32_t CellToInteger(const CellValue& cell) {
    const std::optional<double> number = NumberOf(cell);
    if (!number) {
        throw CellError(Quoted(cell) + " is not a valid integer value");
    }
    const double rounded = RoundHalfEven(*number);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() && rounded <= std::numeric_limits<std::int32_t>::max())) {
        throw CellError(Quoted(cell) + " is out of the range of a 32-bit integer");
    }
    return static_cast<std::int32_t>(rounded);
}

std::int32_t TextToInteger(const QString& text) {
    // Decimal digits only: "2.5" and "1e3" are no start rows, unlike cell texts read as numbers.
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok) {
        throw RunError(Quoted(text) + " is not a valid integer value");
    }
    return value;
}

} // namespace hz
