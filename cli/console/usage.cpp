#include "cli/console/usage.h"

namespace hz::cli {

QString ImportUsage() {
    return QStringLiteral("用法：huizhang-cli import --workbook FILE [--settings FILE] (--all | --kind NAME[=ROW] ...) "
                          "[--report FILE] [--resume]");
}

QString CheckUsage() {
    return QStringLiteral("用法：huizhang-cli check --workbook FILE [--settings FILE] (--all | --kind NAME[=ROW] ...) "
                          "[--report FILE]");
}

QString StatusUsage() {
    return QStringLiteral("用法：huizhang-cli status --workbook FILE [--settings FILE]");
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
    QString lines;
    for (const QString& usage :
         {ImportUsage(), CheckUsage(), StatusUsage(), InitDemoUsage(), TemplateUsage(), SampleUsage()}) {
        lines += usage + u'\n';
    }
    return lines;
}

} // namespace hz::cli
