#pragma once

#include <QStringList>
#include <QTextStream>

namespace hz::cli {

// huizhang-cli sample FILE.xlsx [--rows N]: writes a consistent import workbook for the demo ERP, N records
// of each kind (5 without --rows, at most 1000000). Answers the exit status: 0 when written, 2 when the file
// could not be written, 64 for wrong arguments.
int SampleCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace hz::cli
