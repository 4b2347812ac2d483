#include "cli/usage.h"

namespace hz::cli {

QString ImportUsage() {
    return QStringLiteral(
        "用法：huizhang-cli import --workbook FILE [--settings FILE] (--all | --kind NAME[=ROW] ...)");
}

QString InitDemoUsage() {
    return QStringLiteral("用法：huizhang-cli init-demo [--settings FILE]");
}

QString TemplateUsage() {
    return QStringLiteral("用法：huizhang-cli template FILE.xlsx");
}

QString SampleUsage() {
    return QStringLiteral("用法：huizhang-cli sample FILE.xlsx [--rows N] [--lines N] [--settings FILE]");
}

QString Usage() {
    return ImportUsage() + u'\n' + InitDemoUsage() + u'\n' + TemplateUsage() + u'\n' + SampleUsage() + u'\n';
}

} // namespace hz::cli
