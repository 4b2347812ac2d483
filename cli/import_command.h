#pragma once

#include <QStringList>
#include <QTextStream>

namespace hz::cli {

// huizhang-cli import --workbook FILE [--settings FILE] (--all | --kind NAME[=ROW] ...): the window's import run.
// Prints every message on out, one per line, then one line per ticked kind with the text of its start-row box;
// an error that ends the run, or why no connection was made, goes to err. Answers the exit status: 0 after
// "导入完成！", 1 after "中止导入！", 2 for an error or no connection, 64 for wrong arguments.
int ImportCommand(const QStringList& arguments, const QString& defaultSettingsPath, QTextStream& out, QTextStream& err);

} // namespace hz::cli
