// huizhang-cli: the import and its helper commands from a terminal or a script.

#include "cli/exit_status.h"
#include "cli/import_command.h"
#include "cli/init_demo_command.h"
#include "cli/sample_command.h"
#include "cli/template_command.h"
#include "cli/usage.h"
#include "engine/settings/app_settings.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

// Qt's own diagnostics (the SQL drivers' warnings among them) never reach stdout, which carries the run's lines,
// nor stderr, which carries the reason a command failed; only Qt's critical and fatal messages are shown.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(QtMessages);
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString command = arguments.isEmpty() ? QString() : arguments.takeFirst();
    if (command == QLatin1String("import"))
        return hz::cli::ImportCommand(arguments, hz::DefaultSettingsPath(), out, err);
    if (command == QLatin1String("init-demo"))
        return hz::cli::InitDemoCommand(arguments, hz::DefaultSettingsPath(), out, err);
    if (command == QLatin1String("template"))
        return hz::cli::TemplateCommand(arguments, out, err);
    if (command == QLatin1String("sample"))
        return hz::cli::SampleCommand(arguments, out, err);
    err << hz::cli::Usage();
    return hz::cli::kExitUsage;
}
