#pragma once

#include "engine/run/import_request.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace hz::cli {

struct ImportArguments {
    ImportRequest request; // the ticked kinds in selection order, whatever the order of the options
    QString settingsPath;  // empty when --settings was not given
    QString reportPath;    // empty when --report was not given
};

// Reads "--workbook FILE [--settings FILE] (--all | --kind NAME[=ROW] ...) [--report FILE]", the arguments of
// import and check alike. --kind ticks the kind whose caption is NAME, with ROW as the text of its start-row box
// ("2" without it); --all ticks all 21 with "2"; the report must be a .csv or .xlsx file. Answers nothing and
// sets problem when the arguments are wrong. The request's mode is left as an import. "--resume" sets the request's
// resume.
std::optional<ImportArguments> ParseImportArguments(const QStringList& arguments, QString& problem);

} // namespace hz::cli
