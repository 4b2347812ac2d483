#pragma once

#include "engine/messages/run_message.h"

#include <QString>

#include <optional>
#include <vector>

namespace hz {

enum class ReportFormat { Csv, Xlsx };

// The format a report path asks for by its extension (".csv" or ".xlsx", any letter case); nothing for any other.
std::optional<ReportFormat> ReportFormatOf(const QString& path);

// Writes messages as a table, one row per message under the header 工作表, 行, 消息 (the row cell empty for a
// message that belongs to no row, the worksheet cell for one that belongs to no worksheet); the text as given.
// CSV: UTF-8 with a byte order mark, comma-separated, fields quoted as RFC 4180 says, lines ended by CRLF, the row
// a plain number. XLSX: one worksheet 消息, the header row bold, the row a number cell, column widths that fit the
// text (East Asian wide characters count two, at most 100); a message longer than a cell holds (32767 characters)
// is cut there with a note of how much is missing. The file is written under a temporary name in the same folder,
// flushed and renamed over the path: an existing file is replaced atomically and keeps its permissions, a new one
// gets those of any new file; nothing is left behind and an existing file stays as it was when the write fails.
// Throws RunError naming the path and the reason (an extension of neither format, a missing folder, a folder that
// cannot be written, a folder at the path, a full disk, ...).
void WriteRunReport(const QString& path, const std::vector<RunMessage>& messages);

} // namespace hz
