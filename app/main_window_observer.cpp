#include "app/main_window_observer.h"

#include "app/login_dialog.h"
#include "app/main_window.h"
#include "app/widgets/user_dialogs.h"
#include "engine/run/session.h"

#include <QLineEdit>

namespace hz {

int MainWindowObserver::ErrorsFound() const {
    return static_cast<int>(found.errors.size()) + found.unlistedErrors;
}

void MainWindowObserver::ShowMessage(const RunMessage& message) {
    if (mode == RunMode::Import) {
        dialogs.ShowMessage(&window, message.text);
    } else if (!message.HasRow()) {
        // The check's final word goes into the result dialog; any other message of no row (a failed connection)
        // is shown at once, before the settings dialog that follows it.
        if (message.text == CheckSummaryMessage(ErrorsFound())) {
            found.summary = message.text;
        } else {
            dialogs.ShowMessage(&window, message.text);
        }
    } else if (found.errors.size() < static_cast<std::size_t>(CheckResult::MaxListedErrors)) {
        found.errors.push_back(message);
    } else {
        ++found.unlistedErrors;
    }
}

void MainWindowObserver::StartRowChanged(const SheetKind& kind, const QString& text) {
    // A check saves nothing, so the row from which an import resumes stays as the user left it.
    if (mode == RunMode::Import) {
        window.StartRowEdit(kind).setText(text);
    }
}

void MainWindowObserver::Progress(const QString& worksheet, int row) {
    window.ShowProgress(worksheet, row);
}

void MainWindowObserver::ShowSettingsDialog(const QString& reason) {
    // The engine asks for the dialog for empty settings or after a failed connection; the dialog says which.
    window.Login().ExecFor(reason == EmptySettingsMessage() ? LoginReason::SettingsMissing
                                                            : LoginReason::ConnectionFailed);
}

std::optional<CheckResult> MainWindowObserver::Finish(RunOutcome outcome, const std::optional<QString>& failure) {
    if (failure && ErrorsFound() > 0) {
        // The errors found so far are worth as much as those of a finished check.
        found.summary = QStringLiteral("检查中止：") + *failure;
        return std::move(found);
    }
    if (failure || (outcome != RunOutcome::CheckPassed && outcome != RunOutcome::CheckFailed)) {
        return std::nullopt;
    }
    if (found.summary.isEmpty()) {
        found.summary = CheckSummaryMessage(ErrorsFound());
    }
    return std::move(found);
}

} // namespace hz
