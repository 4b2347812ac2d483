#pragma once

#include "engine/run_observer.h"

namespace hz {

class TFMain;
class UserDialogs;

// How an import run talks to the main window: message boxes over the window, the start-row boxes, the caption
// as progress, and the server settings dialog.
class MainWindowObserver final : public RunObserver {
public:
    MainWindowObserver(TFMain& window, UserDialogs& dialogs) : window(window), dialogs(dialogs) {}

    void ShowMessage(const RunMessage& message) override;
    void StartRowChanged(const SheetKind& kind, const QString& text) override;
    void Progress(const QString& worksheet, int row) override;
    void ShowSettingsDialog(const QString& reason) override;

private:
    TFMain& window;
    UserDialogs& dialogs;
};

} // namespace hz
