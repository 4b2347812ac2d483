#include "cli/status_command.h"

#include "cli/console/exit_status.h"
#include "cli/console/usage.h"
#include "engine/journal/run_journal.h"
#include "engine/journal/sheet_digest.h"
#include "engine/messages/run_error.h"
#include "engine/run/sheet_kinds.h"
#include "engine/settings/app_settings.h"
#include "engine/workbook/workbook.h"

#include <QFileInfo>

#include <memory>
#include <optional>

namespace hz::cli {

namespace {

struct StatusArguments {
    QString workbook;
    QString settings;
};

std::optional<StatusArguments> Parse(const QStringList& arguments) {
    StatusArguments parsed;
    for (qsizetype i = 0; i + 1 < arguments.size(); i += 2) {
        QString* target = arguments[i] == QLatin1String("--workbook")   ? &parsed.workbook
                          : arguments[i] == QLatin1String("--settings") ? &parsed.settings
                                                                        : nullptr;
        if (!target || !target->isEmpty() || arguments[i + 1].isEmpty()) {
            return std::nullopt;
        }
        *target = arguments[i + 1];
    }
    if (arguments.size() % 2 != 0 || parsed.workbook.isEmpty()) {
        return std::nullopt;
    }
    return parsed;
}

} // namespace

int StatusCommand(const QStringList& arguments, const QString& defaultSettingsPath, QTextStream& out,
                  QTextStream& err) {
    const std::optional<StatusArguments> parsed = Parse(arguments);
    if (!parsed) {
        err << StatusUsage() << Qt::endl;
        return kExitUsage;
    }
    const QString settingsPath =
        QFileInfo(parsed->settings.isEmpty() ? defaultSettingsPath : parsed->settings).absoluteFilePath();
    try {
        const QString workbook = JournalWorkbookName(parsed->workbook);
        const QString erp = JournalErpName(LoadAppSettings(settingsPath).connection);
        RunJournal journal(JournalPath(settingsPath, workbook, erp), workbook, erp, false);
        const std::map<QString, JournalEntry> entries = journal.Read();
        // Whether each kind's rows above its resume row are still those imported: a workbook that is gone or
        // cannot be read is changed for every kind.
        std::unique_ptr<Workbook> book;
        if (!entries.empty()) {
            try {
                book = OpenWorkbook(parsed->workbook.toStdString());
            } catch (const RunError&) {
            }
        }
        for (const SheetKind& kind : SheetKinds()) {
            const auto found = entries.find(kind.caption.toString());
            if (found != entries.end()) {
                const bool unchanged =
                    book && RowsUnchanged(KindWorksheet(*book, kind.caption.toString()), found->second.rows);
                out << kind.caption << u'\t' << found->second.row << u'\t'
                    << (unchanged ? QStringLiteral("ok") : QStringLiteral("changed")) << Qt::endl;
            }
        }
    } catch (const RunError& error) {
        err << QString::fromUtf8(error.what()) << Qt::endl;
        return kExitFailed;
    }
    return kExitCompleted;
}

} // namespace hz::cli
