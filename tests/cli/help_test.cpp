#include "engine/platform/console_interrupt.h"
#include "tests/cli/cli_fixture.h"

#include <gtest/gtest.h>

#include <QDir>

#include <filesystem>
#include <string>
#include <vector>

namespace hz {
namespace {

using test::Cli;
using test::ProgramResult;
using test::RunProgram;

const char kUsage[] =
    "用法：huizhang-cli import --workbook FILE [--settings FILE] (--all | --kind NAME[=ROW] ...) [--report FILE] "
    "[--resume]\n"
    "用法：huizhang-cli check --workbook FILE [--settings FILE] (--all | --kind NAME[=ROW] ...) [--report FILE]\n"
    "用法：huizhang-cli status --workbook FILE [--settings FILE]\n"
    "用法：huizhang-cli init-demo [--settings FILE]\n"
    "用法：huizhang-cli template FILE.xlsx\n"
    "用法：huizhang-cli sample FILE.xlsx [--rows N] [--lines N] [--settings FILE]\n";

// Whether help has a line listing item (an option with its value, a command, an exit status) in Qt's layout: two
// blanks, the item, then at least two blanks before its description.
bool Lists(const std::string& help, const std::string& item) {
    return help.find("\n  " + item + "  ") != std::string::npos;
}

TEST(Help, DescribesEveryCommandTheProgramOptionsAndTheExitStatuses) {
    for (const char* option : {"--help", "-h"}) {
        const ProgramResult result = RunProgram(HZ_CLI, {option});
        EXPECT_EQ(result.status, 0) << option;
        EXPECT_EQ(result.err, "");
        EXPECT_TRUE(result.out.starts_with(std::string(kUsage) + "用法：huizhang-cli --help | --version\n"))
            << result.out;
        for (const char* item : {"import", "check", "status", "init-demo", "template", "sample", "-h, --help",
                                 "-v, --version", "0  ", "1  ", "2  ", "3  ", "64 ", "130"})
            EXPECT_TRUE(Lists(result.out, item)) << item << "\n" << result.out;
        EXPECT_NE(result.out.find("\n选项：\n"), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("\n退出状态：\n"), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find("Options:"), std::string::npos) << result.out;
    }
}

TEST(Help, EachCommandListsItsOptions) {
    struct Case {
        std::string command;
        std::string usage;
        std::vector<std::string> items;
    };
    const std::vector<std::string> runOptions = {"--workbook <FILE>",   "--settings <FILE>", "--all",
                                                 "--kind <NAME[=ROW]>", "--report <FILE>",   "-h, --help"};
    std::vector<std::string> importOptions = runOptions;
    importOptions.push_back("--resume");
    const std::vector<Case> cases = {
        {"import",
         "用法：huizhang-cli import --workbook FILE [--settings FILE] (--all | --kind NAME[=ROW] ...) [--report FILE] "
         "[--resume]",
         importOptions},
        {"check",
         "用法：huizhang-cli check --workbook FILE [--settings FILE] (--all | --kind NAME[=ROW] ...) [--report FILE]",
         runOptions},
        {"status",
         "用法：huizhang-cli status --workbook FILE [--settings FILE]",
         {"--workbook <FILE>", "--settings <FILE>", "-h, --help"}},
        {"init-demo", "用法：huizhang-cli init-demo [--settings FILE]", {"--settings <FILE>", "-h, --help"}},
        {"template", "用法：huizhang-cli template FILE.xlsx", {"-h, --help", "FILE.xlsx"}},
        {"sample",
         "用法：huizhang-cli sample FILE.xlsx [--rows N] [--lines N] [--settings FILE]",
         {"--rows <N>", "--lines <N>", "--settings <FILE>", "-h, --help", "FILE.xlsx"}},
    };
    for (const Case& c : cases) {
        // --help wherever it stands among the command's arguments, which are then not read.
        for (const std::vector<std::string>& arguments :
             std::vector<std::vector<std::string>>{{"--help"}, {"-h"}, {"--workbook", "x.xlsx", "--help"}}) {
            const ProgramResult result = Cli(c.command, arguments);
            EXPECT_EQ(result.status, 0) << c.command;
            EXPECT_EQ(result.err, "");
            EXPECT_TRUE(result.out.starts_with(c.usage + "\n")) << result.out;
            for (const std::string& item : c.items)
                EXPECT_TRUE(Lists(result.out, item)) << c.command << ": " << item << "\n" << result.out;
        }
    }
}

// The help speaks of the interrupts as the system names them, and says where the files go: beside the program, whose
// folder is writable here.
TEST(Help, SaysHowToStopARunAndWhereTheFilesGo) {
    const std::string interrupts = ConsoleInterruptNames().toStdString();
    const std::string folder =
        QDir::toNativeSeparators(QString::fromStdString(std::filesystem::path(HZ_CLI).parent_path().string()))
            .toStdString();
    const ProgramResult program = RunProgram(HZ_CLI, {"--help"});
    EXPECT_NE(program.out.find("\n  130  收到 " + interrupts + "：运行在行或单据的边界停止，“中止导入！”\n"),
              std::string::npos)
        << program.out;
    EXPECT_TRUE(
        program.out.ends_with("\n文件位置：\n  设置文件 ZirurUzavarUriz.ini、init-demo 创建的内置 ERP 和运行记录"
                              "文件夹 huizhang-journal 默认都在\n  " +
                              folder + "\n  程序所在的文件夹可以写入时就是它，否则是用户的应用数据文件夹。\n"))
        << program.out;

    const ProgramResult import = Cli("import", {"--help"});
    EXPECT_NE(import.out.find(interrupts + " 让导入在当前行或单据之后停止。"), std::string::npos) << import.out;
    EXPECT_NE(import.out.find("设置文件，默认为 " + folder), std::string::npos) << import.out;
}

TEST(Help, VersionIsTheProjects) {
    for (const char* option : {"--version", "-v"}) {
        const ProgramResult result = RunProgram(HZ_CLI, {option});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, "huizhang-cli 0.1\n");
        EXPECT_EQ(result.err, "");
    }
}

TEST(Help, ANameThatIsNoCommandIsAWrongArgument) {
    const std::string hint = "“huizhang-cli --help”说明每个命令和选项。\n";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "缺少命令\n"},
        {{"imports"}, "没有名为“imports”的命令\n"},
        {{"--verbose"}, "无法理解的参数“--verbose”\n"},
        {{"--help", "import"}, "无法理解的参数“import”\n"},
        {{"--version", "0.1"}, "无法理解的参数“0.1”\n"},
    };
    for (const auto& [arguments, problem] : cases) {
        const ProgramResult result = RunProgram(HZ_CLI, arguments);
        EXPECT_EQ(result.status, 64) << problem;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, problem + kUsage + hint);
    }
}

} // namespace
} // namespace hz
