#pragma once

#include <QStringList>
#include <QTextStream>

namespace hz::cli {

// huizhang-cli sample FILE.xlsx [--rows N] [--lines N] [--settings FILE]: writes a consistent import workbook
// for the demo ERP: N records of each master-data kind, N rows of opening stock and N vouchers of each voucher
// kind (5 without --rows, at most 1000000), each voucher of --lines lines (1 to 100; without it, 2 and 3 in
// turn), as long as a voucher sheet fits into a worksheet. With --settings, the embedded ERP that the settings
// file names (it must exist) also receives the cost prices that the sales deliveries and transfers are priced
// at. Answers the exit status: 0 when written, 2 when the file or the ERP could not be written (nothing is
// then left written), 64 for wrong arguments.
int SampleCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace hz::cli
