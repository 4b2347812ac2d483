#include "cli/console/exit_status.h"

#include "engine/platform/console_interrupt.h"

namespace hz::cli {

std::vector<ExitStatusMeaning> ExitStatusMeanings() {
    return {
        {kExitCompleted, QStringLiteral("导入完成，检查没有发现错误，或命令完成了它的工作")},
        {kExitAborted, QStringLiteral("中止导入，或检查发现了错误")},
        {kExitFailed, QStringLiteral("一个错误结束了运行（原因在标准错误上），没有连上数据库，或报告无法写入")},
        {kExitRowsLeftOut,
         QStringLiteral("导入完成，但有行或单据没有导入：保存失败、移到了出错区，或已保存未过账（各有消息）")},
        {kExitUsage, QStringLiteral("参数有误")},
        {kExitInterrupted,
         QStringLiteral("收到 %1：运行在行或单据的边界停止，“中止导入！”").arg(ConsoleInterruptNames())},
    };
}

} // namespace hz::cli
