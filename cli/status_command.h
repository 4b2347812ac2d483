#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace hz::cli {

// huizhang-cli status --workbook FILE [--settings FILE]: prints the run journal's rows of the workbook for the ERP
// that the settings name, "kind<TAB>row" in the window's order of kinds. Touches neither the ERP nor, when there
// is no journal, the folder. Returns the exit status.
int StatusCommand(const QStringList& arguments, const QString& defaultSettingsPath, QTextStream& out, QTextStream& err);

} // namespace hz::cli
