#pragma once

#include <QStringList>
#include <QTextStream>

namespace hz::cli {

// huizhang-cli init-demo [--settings FILE]: writes a settings file for the embedded ERP when FILE does not exist,
// then creates the embedded ERP that the settings name, refusing an existing database file. Reports what it
// made on out and a failure on err; answers the exit status.
int InitDemoCommand(const QStringList& arguments, const QString& defaultSettingsPath, QTextStream& out,
                    QTextStream& err);

} // namespace hz::cli
