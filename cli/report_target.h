#pragma once

#include <QString>

namespace hz::cli {

// Why the report cannot go to report: it names a file that the run itself writes or reads (the workbook, its error
// copies "<name>.errors.xlsx" and "<name>.errors-N.xlsx", the settings file, the embedded ERP's file, a file of the
// run journal's folder), which the report would replace. Empty when it can.
QString ReportTargetProblem(const QString& report, const QString& workbook, const QString& settingsPath);

} // namespace hz::cli
