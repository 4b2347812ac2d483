#include "app/main_window_observer.h"

#include "app/login_dialog.h"
#include "app/main_window.h"
#include "app/user_dialogs.h"

#include <QLineEdit>

namespace hz {

void MainWindowObserver::ShowMessage(const RunMessage& message) {
    dialogs.ShowMessage(&window, message.text);
}

void MainWindowObserver::StartRowChanged(const SheetKind& kind, const QString& text) {
    window.StartRowEdit(kind).setText(text);
}

void MainWindowObserver::Progress(const QString& worksheet, int row) {
    window.ShowProgress(worksheet, row);
}

void MainWindowObserver::ShowSettingsDialog(const QString&) {
    // The dialog explains nothing: the user sees the settings and corrects them.
    window.Login().exec();
}

} // namespace hz
