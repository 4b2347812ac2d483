#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace hz::cli {

// huizhang-cli --help: every command's synopsis, the commands, the program's options and the exit statuses.
QString ProgramHelp();
// huizhang-cli COMMAND --help: the command's synopsis, what it does and its options; nothing for an unknown
// command.
std::optional<QString> CommandHelp(const QString& command);
// Whether the arguments after a command ask for its help (--help or -h among them).
bool AsksForHelp(const QStringList& arguments);

} // namespace hz::cli
