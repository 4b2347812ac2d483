#pragma once

#include <QStringList>
#include <QTextStream>

namespace hz::cli {

// huizhang-cli template FILE.xlsx: writes the blank import workbook. Answers the exit status.
int TemplateCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace hz::cli
