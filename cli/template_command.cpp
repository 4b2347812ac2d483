#include "cli/template_command.h"

#include "cli/console/exit_status.h"
#include "cli/console/usage.h"
#include "cli/template/template_workbook.h"
#include "engine/messages/run_error.h"

#include <QDir>
#include <QFileInfo>

namespace hz::cli {

int TemplateCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.size() != 1 || arguments[0].isEmpty() || arguments[0].startsWith(QLatin1String("--"))) {
        err << TemplateUsage() << Qt::endl;
        return kExitUsage;
    }
    const QString path = QFileInfo(arguments[0]).absoluteFilePath();
    try {
        WriteTemplateWorkbook(path);
    } catch (const RunError& error) {
        err << QString::fromUtf8(error.what()) << Qt::endl;
        return kExitFailed;
    }
    out << QStringLiteral("已写入模板工作簿：") << QDir::toNativeSeparators(path) << Qt::endl;
    return kExitCompleted;
}

} // namespace hz::cli
