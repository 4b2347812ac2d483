#pragma once

#include "engine/messages/run_message.h"

#include <QString>

#include <string>
#include <vector>

namespace hz::test {

inline QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// A small run: a row error whose text holds a comma and quotes, a message of the whole run, a message of two
// lines, a worksheet name with a comma.
std::vector<RunMessage> SmallRun();

// The message of a report that cannot be written.
std::string ReportError(const std::string& path, const std::string& problem);

// The cells of a report read back with openpyxl, one line per row: "value/type|value/type|...", then the header's
// bold flags, the data cells' bold flags, and the widths of columns A to C. Only where python3 runs.
std::string DumpWithOpenpyxl(const std::string& path);

} // namespace hz::test
