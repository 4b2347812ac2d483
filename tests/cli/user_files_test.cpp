#include "tests/cli/cli_fixture.h"

#include <gtest/gtest.h>

#include <QtGlobal>

#include <filesystem>
#include <string>
#include <vector>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace hz {
namespace {

using test::ProgramResult;
using test::RunProgram;
using test::ScratchFolder;

namespace fs = std::filesystem;

// A program installed where its user may not write (as under Program Files): a copy of huizhang-cli in a read-only
// folder, run with the user's data folder in the scratch folder. Root writes into a read-only folder all the same,
// so a test run by root runs the program as nobody.
class ReadOnlyInstall {
public:
    ReadOnlyInstall() {
        fs::create_directory(program);
        fs::copy_file(HZ_CLI, program + "/huizhang-cli");
        fs::create_directory(data);
        // Whoever runs the program reaches it and keeps files in the data folder.
        fs::permissions(folder.Path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        fs::permissions(data, fs::perms::all);
        fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    }
    ~ReadOnlyInstall() { fs::permissions(program, fs::perms::owner_all); }

    ProgramResult Run(const std::vector<std::string>& arguments) const {
        std::vector<std::string> command = {"XDG_DATA_HOME=" + data, "HOME=" + data, program + "/huizhang-cli"};
        command.insert(command.end(), arguments.begin(), arguments.end());
#ifndef Q_OS_WIN
        if (geteuid() == 0) {
            command.insert(command.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", "/usr/bin/env"});
            return RunProgram("/usr/bin/setpriv", command);
        }
#endif
        return RunProgram("/usr/bin/env", command);
    }

    ScratchFolder folder;
    std::string program = folder.File("bin");
    std::string data = folder.File("data");
    std::string userFiles = data + "/huizhang";
};

// The settings file, the demo's ERP and the run journal go where the user's data lives, and the help says so; the
// program's folder keeps only the program.
TEST(UserFiles, AProgramInAReadOnlyFolderKeepsItsFilesInTheUsersDataFolder) {
#ifdef Q_OS_WIN
    GTEST_SKIP() << "a folder's read-only mark does not keep files out on Windows";
#endif
    const ReadOnlyInstall install;
    ProgramResult result = install.Run({"init-demo"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "已写入设置文件：" + install.userFiles + "/ZirurUzavarUriz.ini\n已创建内置 ERP 数据库：" +
                              install.userFiles + "/HZDEMO_001_2026.db\n");

    result = install.Run({"--help"});
    EXPECT_NE(result.out.find("\n文件位置：\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\n  " + install.userFiles + "\n"), std::string::npos) << result.out;

    const std::string workbook = install.data + "/sample.xlsx";
    result = install.Run({"sample", workbook, "--rows", "2", "--settings", install.userFiles + "/ZirurUzavarUriz.ini"});
    ASSERT_EQ(result.status, 0) << result.err;
    result = install.Run({"import", "--workbook", workbook, "--kind", "部门"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(fs::is_directory(install.userFiles + "/huizhang-journal"));
    EXPECT_EQ(test::FileNames(install.program), std::vector<std::string>{"huizhang-cli"});
}

} // namespace
} // namespace hz
