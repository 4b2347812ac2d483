#pragma once

namespace hz::cli {

// The exit statuses of huizhang-cli.
constexpr int kExitCompleted = 0;
constexpr int kExitAborted = 1;
constexpr int kExitFailed = 2;
constexpr int kExitRowsLeftOut = 3;
constexpr int kExitUsage = 64;
// 128 + SIGINT, as a shell reports a program that an interrupt ended.
constexpr int kExitInterrupted = 130;

struct ExitStatusMeaning {
    int status;
    const char16_t* meaning;
};

// What each status tells a script, as --help lists them.
inline constexpr ExitStatusMeaning kExitStatusMeanings[] = {
    {kExitCompleted, u"导入完成，检查没有发现错误，或命令完成了它的工作"},
    {kExitAborted, u"中止导入，或检查发现了错误"},
    {kExitFailed, u"一个错误结束了运行（原因在标准错误上），没有连上数据库，或报告无法写入"},
    {kExitRowsLeftOut, u"导入完成，但有行或单据没有导入：保存失败、移到了出错区，或已保存未过账（各有消息）"},
    {kExitUsage, u"参数有误"},
    {kExitInterrupted, u"收到 SIGINT 或 SIGTERM：运行在行或单据的边界停止，“中止导入！”"},
};

} // namespace hz::cli
