#include "tests/support/recording_observer.h"

#include "engine/run/sheet_kinds.h"

namespace hz::test {

void RecordingObserver::ShowMessage(const RunMessage& message) {
    events.push_back("message: " + message.text.toStdString());
    messages.push_back(message);
    if (onMessage) {
        onMessage();
    }
}

void RecordingObserver::StartRowChanged(const SheetKind& kind, const QString& text) {
    events.push_back("start row: " + kind.caption.toString().toStdString() + " = " + text.toStdString());
}

void RecordingObserver::Progress(const QString& worksheet, int row) {
    ++progressCalls;
    lastWorksheet = worksheet;
    lastRow = row;
    if (onProgress) {
        onProgress(worksheet, row);
    }
}

void RecordingObserver::ShowSettingsDialog(const QString& reason) {
    events.push_back("settings dialog: " + reason.toStdString());
    if (onSettingsDialog) {
        onSettingsDialog();
    }
}

} // namespace hz::test
