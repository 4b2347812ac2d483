#include "cli/run_command.h"

#include "cli/console/cli_observer.h"
#include "cli/console/exit_status.h"
#include "cli/console/usage.h"
#include "cli/import_arguments.h"
#include "cli/report_target.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/messages/run_error.h"
#include "engine/platform/console_interrupt.h"
#include "engine/report/run_report.h"
#include "engine/run/import_run.h"
#include "engine/run/importer_registry.h"
#include "engine/run/session.h"
#include "engine/run/stop_request.h"
#include "engine/settings/app_settings.h"
#include "importers/default_importers.h"

#include <QFile>
#include <QFileInfo>

#include <exception>
#include <optional>
#include <vector>

namespace hz::cli {

namespace {

int ExitStatus(RunOutcome outcome) {
    switch (outcome) {
    case RunOutcome::Completed:
    case RunOutcome::CheckPassed:
        return kExitCompleted;
    case RunOutcome::CompletedLeavingRowsOut:
        return kExitRowsLeftOut;
    case RunOutcome::Aborted:
    case RunOutcome::CheckFailed:
        return kExitAborted;
    case RunOutcome::NotConnected:
        return kExitFailed;
    case RunOutcome::Interrupted:
        return kExitInterrupted;
    }
    return kExitFailed;
}

// For the benchmarks: with HZ_ROUND_TRIPS_FILE set, the run's round trips to the database (as the SQL Server path
// would make them) are written into that file.
void WriteRoundTrips(const Connection& connection) {
    const QString path = qEnvironmentVariable("HZ_ROUND_TRIPS_FILE");
    if (path.isEmpty()) {
        return;
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(QByteArray::number(static_cast<qulonglong>(connection.RoundTrips())) + '\n');
    }
}

struct RunResult {
    int status;
    std::vector<RunMessage> messages; // what the run told the user, an error that ended it last
};

RunResult Run(const ImportRequest& request, const QString& settingsPath, QTextStream& out, QTextStream& err) {
    Session session(settingsPath);
    // Acts only on connections to an embedded ERP's file; a server connection is left as it is.
    InstallEmbeddedErp(session.Con);
    CliObserver observer(request, settingsPath, out, err);
    int status = kExitFailed;
    std::optional<QString> failure;
    try {
        session.settings = LoadAppSettings(settingsPath).connection;
        status = ExitStatus(RunImport(session, request, observer, DefaultImporters()));
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
        err << *failure << Qt::endl;
    }
    WriteRoundTrips(session.Con);
    // A check changes no start-row box, so it has no closing lines.
    if (request.mode == RunMode::Import) {
        observer.PrintStartRows();
    }
    RunResult result{status, observer.Messages()};
    if (failure) {
        result.messages.push_back(RunMessage(*failure));
    }
    return result;
}

} // namespace

int RunCommand(RunMode mode, const QStringList& arguments, const QString& defaultSettingsPath, QTextStream& out,
               QTextStream& err) {
    QString problem;
    std::optional<ImportArguments> parsed = ParseImportArguments(arguments, problem);
    if (!parsed) {
        err << problem << Qt::endl << (mode == RunMode::Check ? CheckUsage() : ImportUsage()) << Qt::endl;
        return kExitUsage;
    }
    if (mode == RunMode::Check && parsed->request.resume) {
        err << QStringLiteral("--resume 只用于 import：检查不改动运行记录") << Qt::endl << CheckUsage() << Qt::endl;
        return kExitUsage;
    }
    parsed->request.mode = mode;
    // Until the command returns: an interrupt after the run's last line must not end the program with a status that
    // contradicts what it printed. The first interrupt stops the run at the next row boundary, a second one ends the
    // program at once, which the run journal survives too.
    const ConsoleInterruptScope interrupts(RequestStop);
    const QString settingsPath =
        QFileInfo(parsed->settingsPath.isEmpty() ? defaultSettingsPath : parsed->settingsPath).absoluteFilePath();
    // The report replaces its file: a slip of the pen must not put it in place of what the run writes.
    if (!parsed->reportPath.isEmpty()) {
        problem = ReportTargetProblem(parsed->reportPath, parsed->request.workbookPath, settingsPath);
        if (!problem.isEmpty()) {
            err << problem << Qt::endl << (mode == RunMode::Check ? CheckUsage() : ImportUsage()) << Qt::endl;
            return kExitUsage;
        }
    }
    const RunResult result = Run(parsed->request, settingsPath, out, err);
    if (parsed->reportPath.isEmpty()) {
        return result.status;
    }
    try {
        WriteRunReport(parsed->reportPath, result.messages);
    } catch (const RunError& error) {
        err << QString::fromUtf8(error.what()) << Qt::endl;
        return kExitFailed;
    }
    return result.status;
}

} // namespace hz::cli
