#pragma once

#include <QStringList>
#include <QTextStream>

namespace hz::cli {

// huizhang-cli sample FILE.xlsx [--rows N] [--lines N]: writes a consistent import workbook for the demo ERP:
// N records of each master-data kind, N rows of opening stock and N vouchers of each receipt kind (5 without
// --rows, at most 1000000), each voucher of --lines lines (1 to 100; without it, 2 and 3 in turn), as long as
// a receipt sheet fits into a worksheet. Answers the exit status: 0 when written, 2 when the file could not
// be written, 64 for wrong arguments.
int SampleCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace hz::cli
