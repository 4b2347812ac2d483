#include "engine/database/embedded_erp/embedded_erp.h"
#include "tests/support/child_process.h"
#include "tests/support/fresh_erp.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace hz {
namespace {

using test::ProgramResult;
using test::ReadFileBytes;
using test::RunProgram;
using test::Scalar;
using test::ScratchFolder;
using test::WriteFileBytes;

const char kDemoSettings[] = "[DB]\nGServer=sqlite\nGDBName=HZDEMO_001_2026\nGUser=demo\nGPassWord=\n";

ProgramResult InitDemo(const std::vector<std::string>& arguments) {
    std::vector<std::string> all = {"init-demo"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProgram(HZ_CLI, all);
}

std::filesystem::perms Permissions(const std::string& path) {
    return std::filesystem::status(path).permissions() & std::filesystem::perms::all;
}

int VoucherTypes(const std::string& path) {
    Connection connection;
    InstallEmbeddedErp(connection);
    connection.OpenSqliteFile(QString::fromStdString(path));
    return Scalar(connection, QStringLiteral("SELECT count(*) AS Value FROM VouchType")).toInt();
}

TEST(InitDemo, WritesTheSettingsAndCreatesTheErpTheyName) {
    ScratchFolder folder;
    std::string settings = folder.File("ZirurUzavarUriz.ini");
    ProgramResult result = InitDemo({"--settings", settings});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "已写入设置文件：" + settings + "\n已创建内置 ERP 数据库：" + folder.File("HZDEMO_001_2026.db") + "\n");
    EXPECT_EQ(ReadFileBytes(settings), kDemoSettings);
    EXPECT_EQ(Permissions(settings), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(VoucherTypes(folder.File("HZDEMO_001_2026.db")), 8);

    // A second run finds both: the settings stay, the database is not overwritten.
    result = InitDemo({"--settings", settings});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "无法创建内置 ERP 数据库“" + folder.File("HZDEMO_001_2026.db") + "”：文件已存在，不会覆盖它\n");
    EXPECT_EQ(ReadFileBytes(settings), kDemoSettings);
}

TEST(InitDemo, KeepsItsSettingsBesideTheProgramByDefault) {
    ScratchFolder folder;
    // The program's own file name: huizhang-cli, or huizhang-cli.exe on Windows.
    std::string program = folder.File(std::filesystem::path(HZ_CLI).filename().string());
    std::filesystem::copy_file(HZ_CLI, program);
    ProgramResult result = RunProgram(program, {"init-demo"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFileBytes(folder.File("ZirurUzavarUriz.ini")), kDemoSettings);
    EXPECT_EQ(VoucherTypes(folder.File("HZDEMO_001_2026.db")), 8);
}

TEST(InitDemo, UsesExistingSettings) {
    ScratchFolder folder;
    std::string settings = folder.File("my.ini");
    std::string database = folder.File("elsewhere.db");
    WriteFileBytes(settings, "[System]\nToolCaption=x\n[db]\n gserver = SQLite \nGDBName=" + database +
                                 "\nGUser=u\nGDBName=ignored\n");
    ProgramResult result = InitDemo({"--settings", settings});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "已创建内置 ERP 数据库：" + database + "\n");
    EXPECT_EQ(VoucherTypes(database), 8);
}

TEST(InitDemo, RefusesSettingsForAServerAndWrongArguments) {
    ScratchFolder folder;
    std::string settings = folder.File("server.ini");
    WriteFileBytes(settings, "[DB]\nGServer=erp-host\nGDBName=ERPDATA_001\nGUser=sa\n");
    ProgramResult result = InitDemo({"--settings", settings});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "设置文件“" + settings + "”的服务器（GServer）不是 sqlite，不能为它创建内置 ERP\n");
    EXPECT_FALSE(std::filesystem::exists(folder.File("ERPDATA_001.db")));

    for (const std::vector<std::string>& wrong :
         std::vector<std::vector<std::string>>{{"--settings"}, {"--bogus", "x"}, {"--settings", ""}}) {
        result = InitDemo(wrong);
        EXPECT_EQ(result.status, 64);
        EXPECT_EQ(result.err, "用法：huizhang-cli init-demo [--settings FILE]\n");
    }
    EXPECT_EQ(RunProgram(HZ_CLI, {"no-such-command"}).status, 64);
}

} // namespace
} // namespace hz
