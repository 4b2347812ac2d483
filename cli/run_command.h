#pragma once

#include "engine/run/import_request.h"

#include <QStringList>
#include <QTextStream>

namespace hz::cli {

// huizhang-cli import|check --workbook FILE [--settings FILE] (--all | --kind NAME[=ROW] ...) [--report FILE].
// An import is the window's import run: every message on out, one per line, then one line per ticked kind with
// the text of its start-row box. A check runs the same import without keeping anything: one line per error found,
// "worksheet<TAB>row<TAB>message", then its summary. An error that ends the run, or why no connection was made,
// goes to err. With --report, the run's messages are then written to that file, whatever the outcome. Answers the
// exit status: 0 after "导入完成！" or a check without errors, 1 after "中止导入！" or a check with errors, 2 for an
// error, no connection or a report that could not be written, 64 for wrong arguments.
int RunCommand(RunMode mode, const QStringList& arguments, const QString& defaultSettingsPath, QTextStream& out,
               QTextStream& err);

} // namespace hz::cli
