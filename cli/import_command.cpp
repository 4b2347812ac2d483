#include "cli/import_command.h"

#include "cli/cli_observer.h"
#include "cli/exit_status.h"
#include "cli/import_arguments.h"
#include "cli/usage.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/import_run.h"
#include "engine/importer_registry.h"
#include "engine/session.h"
#include "engine/settings/app_settings.h"

#include <QFileInfo>

#include <exception>

namespace hz::cli {

namespace {

int ExitStatus(RunOutcome outcome) {
    switch (outcome) {
    case RunOutcome::Completed:
    case RunOutcome::CheckPassed:
        return kExitCompleted;
    case RunOutcome::Aborted:
    case RunOutcome::CheckFailed:
        return kExitAborted;
    case RunOutcome::NotConnected:
        return kExitFailed;
    }
    return kExitFailed;
}

} // namespace

int ImportCommand(const QStringList& arguments, const QString& defaultSettingsPath, QTextStream& out,
                  QTextStream& err) {
    QString problem;
    const std::optional<ImportArguments> parsed = ParseImportArguments(arguments, problem);
    if (!parsed) {
        err << problem << Qt::endl << ImportUsage() << Qt::endl;
        return kExitUsage;
    }
    const QString settingsPath =
        QFileInfo(parsed->settingsPath.isEmpty() ? defaultSettingsPath : parsed->settingsPath).absoluteFilePath();
    Session session(settingsPath);
    // Acts only on connections to an embedded ERP's file; a server connection is left as it is.
    InstallEmbeddedErp(session.Con);
    CliObserver observer(parsed->request, settingsPath, out, err);
    int status = kExitFailed;
    try {
        session.settings = LoadAppSettings(settingsPath).connection;
        status = ExitStatus(RunImport(session, parsed->request, observer, DefaultImporters()));
    } catch (const std::exception& error) {
        err << QString::fromUtf8(error.what()) << Qt::endl;
    }
    observer.PrintStartRows();
    return status;
}

} // namespace hz::cli
