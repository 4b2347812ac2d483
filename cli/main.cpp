// huizhang-cli: the import, its check and the helper commands from a terminal or a script.

#include "cli/console/exit_status.h"
#include "cli/console/help.h"
#include "cli/console/usage.h"
#include "cli/init_demo_command.h"
#include "cli/run_command.h"
#include "cli/sample_command.h"
#include "cli/status_command.h"
#include "cli/template_command.h"
#include "engine/platform/console_output.h"
#include "engine/settings/app_settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

// Qt's own diagnostics (the SQL drivers' warnings among them) never reach stdout, which carries the run's lines,
// nor stderr, which carries the reason a command failed; only Qt's critical and fatal messages are shown, in UTF-8
// as everything the program writes.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    }
}

bool IsOption(const QString& argument, QLatin1String shortName, QLatin1String longName) {
    return argument == shortName || argument == longName;
}

int WrongArgument(const QString& problem, QTextStream& err) {
    err << problem << Qt::endl
        << hz::cli::Usage() << QStringLiteral("“huizhang-cli --help”说明每个命令和选项。") << Qt::endl;
    return hz::cli::kExitUsage;
}

int RunNamedCommand(const QString& command, const QStringList& arguments, QTextStream& out, QTextStream& err) {
    using namespace hz::cli;
    if (command == QLatin1String("import"))
        return RunCommand(hz::RunMode::Import, arguments, hz::DefaultSettingsPath(), out, err);
    if (command == QLatin1String("check"))
        return RunCommand(hz::RunMode::Check, arguments, hz::DefaultSettingsPath(), out, err);
    if (command == QLatin1String("status"))
        return StatusCommand(arguments, hz::DefaultSettingsPath(), out, err);
    if (command == QLatin1String("init-demo"))
        return InitDemoCommand(arguments, hz::DefaultSettingsPath(), out, err);
    if (command == QLatin1String("template"))
        return TemplateCommand(arguments, out, err);
    if (command == QLatin1String("sample"))
        return SampleCommand(arguments, out, err);
    return WrongArgument(command.isEmpty()          ? QStringLiteral("缺少命令")
                         : command.startsWith(u'-') ? QStringLiteral("无法理解的参数“%1”").arg(command)
                                                    : QStringLiteral("没有名为“%1”的命令").arg(command),
                         err);
}

} // namespace

int main(int argc, char** argv) {
    hz::UseUtf8ConsoleOutput();
    qInstallMessageHandler(QtMessages);
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("huizhang-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HZ_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString command = arguments.isEmpty() ? QString() : arguments.takeFirst();
    const bool help = IsOption(command, QLatin1String("-h"), QLatin1String("--help"));
    if (help || IsOption(command, QLatin1String("-v"), QLatin1String("--version"))) {
        if (!arguments.isEmpty()) {
            return WrongArgument(QStringLiteral("无法理解的参数“%1”").arg(arguments.first()), err);
        }
        if (help) {
            out << hz::cli::ProgramHelp();
            return hz::cli::kExitCompleted;
        }
        // Prints "huizhang-cli <version>" and exits with status 0.
        QCommandLineParser().showVersion();
    }
    if (hz::cli::AsksForHelp(arguments)) {
        if (const std::optional<QString> commandHelp = hz::cli::CommandHelp(command)) {
            out << *commandHelp;
            return hz::cli::kExitCompleted;
        }
    }
    return RunNamedCommand(command, arguments, out, err);
}
