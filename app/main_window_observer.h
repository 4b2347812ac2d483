#pragma once

#include "app/widgets/check_result.h"
#include "engine/run/import_request.h"
#include "engine/run/import_run.h"
#include "engine/run/run_observer.h"

#include <optional>

namespace hz {

class TFMain;
class UserDialogs;

// How a run talks to the main window: message boxes over the window, the start-row boxes, the caption as
// progress, and the server settings dialog. A check run shows no box for the errors it finds: it lists them, and
// its final message, in one dialog at the end.
class MainWindowObserver final : public RunObserver {
public:
    MainWindowObserver(TFMain& window, UserDialogs& dialogs, RunMode mode)
        : window(window), dialogs(dialogs), mode(mode) {}

    void ShowMessage(const RunMessage& message) override;
    void StartRowChanged(const SheetKind& kind, const QString& text) override;
    void Progress(const QString& worksheet, int row) override;
    void ShowSettingsDialog(const QString& reason) override;

    // The run is over: it ended with outcome, or failure ended it. A check that finished gives what it found, its
    // final message as the summary, and so does a check that a failure ended after it had found errors, the failure
    // as the summary. Otherwise nothing is returned.
    std::optional<CheckResult> Finish(RunOutcome outcome, const std::optional<QString>& failure);

private:
    int ErrorsFound() const;

    TFMain& window;
    UserDialogs& dialogs;
    RunMode mode;
    CheckResult found;
};

} // namespace hz
