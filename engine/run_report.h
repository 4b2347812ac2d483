#pragma once

#include "engine/run_message.h"

#include <QString>

#include <optional>
#include <vector>

namespace hz {

enum class ReportFormat { Csv, Xlsx };

// The format a report path asks for by its extension (".csv" or ".xlsx", any letter case); nothing for any other.
std::optional<ReportFormat> ReportFormatOf(const QString& path);

// Writes messages as a table, one row per message under the header 工作表, 行, 消息 (the row cell empty for a
// message that belongs to no row). CSV: UTF-8 with a byte order mark, comma-separated, fields quoted as RFC 4180
// says, lines ended by CRLF. XLSX: one worksheet, the header row bold, column widths that fit the text. An existing
// file is replaced atomically; nothing is left behind when the write fails. Throws RunError with the reason (an
// extension of neither format, a folder that cannot be written, ...).
void WriteRunReport(const QString& path, const std::vector<RunMessage>& messages);

} // namespace hz
