#include "app/main_window_observer.h"

#include "app/login_dialog.h"
#include "app/main_window.h"
#include "app/user_dialogs.h"
#include "engine/session.h"

#include <QLineEdit>

namespace hz {

void MainWindowObserver::ShowMessage(const RunMessage& message) {
    if (mode == RunMode::Import) {
        dialogs.ShowMessage(&window, message.text);
        return;
    }
    ShowHeldMessage();
    if (!message.HasRow()) {
        held = message.text;
    } else if (found.errors.size() < static_cast<std::size_t>(CheckResult::MaxListedErrors)) {
        found.errors.push_back(message);
    } else {
        ++found.unlistedErrors;
    }
}

void MainWindowObserver::StartRowChanged(const SheetKind& kind, const QString& text) {
    ShowHeldMessage();
    // A check saves nothing, so the row from which an import resumes stays as the user left it.
    if (mode == RunMode::Import) {
        window.StartRowEdit(kind).setText(text);
    }
}

void MainWindowObserver::Progress(const QString& worksheet, int row) {
    ShowHeldMessage();
    window.ShowProgress(worksheet, row);
}

void MainWindowObserver::ShowSettingsDialog(const QString& reason) {
    // Why the connection failed was a message just before: the user reads it before the dialog opens.
    ShowHeldMessage();
    // The engine asks for the dialog for empty settings or after a failed connection; the dialog says which.
    window.Login().ExecFor(reason == EmptySettingsMessage() ? LoginReason::SettingsMissing
                                                            : LoginReason::ConnectionFailed);
}

std::optional<CheckResult> MainWindowObserver::Finish(RunOutcome outcome, const std::optional<QString>& failure) {
    const int errors = static_cast<int>(found.errors.size()) + found.unlistedErrors;
    if (failure && errors > 0) {
        ShowHeldMessage();
        // The errors found so far are worth as much as those of a finished check.
        found.summary = QStringLiteral("检查中止：") + *failure;
        return std::move(found);
    }
    if (failure || (outcome != RunOutcome::CheckPassed && outcome != RunOutcome::CheckFailed)) {
        ShowHeldMessage();
        return std::nullopt;
    }
    found.summary = held.value_or(CheckSummaryMessage(errors));
    held.reset();
    return std::move(found);
}

void MainWindowObserver::ShowHeldMessage() {
    if (held) {
        const QString text = std::move(*held);
        held.reset();
        dialogs.ShowMessage(&window, text);
    }
}

} // namespace hz
