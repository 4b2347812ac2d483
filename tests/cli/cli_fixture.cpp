#include "tests/cli/cli_fixture.h"

#include "engine/database/embedded_erp/embedded_erp.h"

#include <gtest/gtest.h>

namespace hz::test {

DemoErp::DemoErp() {
    const ProgramResult result = Cli("init-demo", {"--settings", settings});
    EXPECT_EQ(result.status, 0) << result.err;
}

std::unique_ptr<Connection> OpenErp(const std::string& path) {
    auto erp = std::make_unique<Connection>();
    InstallEmbeddedErp(*erp);
    erp->OpenSqliteFile(QString::fromStdString(path));
    return erp;
}

ProgramResult Cli(const std::string& command, const std::vector<std::string>& arguments) {
    std::vector<std::string> all = {command};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProgram(HZ_CLI, all);
}

std::string CsvReport(const std::vector<std::string>& lines) {
    std::string bytes = "\xEF\xBB\xBF工作表,行,消息\r\n";
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

} // namespace hz::test
