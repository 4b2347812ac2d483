#pragma once

#include "tests/support/child_process.h"

#include "engine/database/connection.h"

#include <memory>
#include <string>
#include <vector>

namespace hz::test {

// A demo ERP made by init-demo and its settings file, in a scratch folder of their own.
class DemoErp {
public:
    DemoErp();

    ScratchFolder folder;
    std::string settings = folder.File("ZirurUzavarUriz.ini");
    std::string database = folder.File("HZDEMO_001_2026.db");
};

// A connection to the embedded ERP file at path, as the program opens it.
std::unique_ptr<Connection> OpenErp(const std::string& path);

// Runs huizhang-cli command with its arguments.
ProgramResult Cli(const std::string& command, const std::vector<std::string>& arguments);

// The report's CSV bytes for lines of worksheet, row and message: a byte order mark, the header, CRLF line ends.
std::string CsvReport(const std::vector<std::string>& lines);

} // namespace hz::test
