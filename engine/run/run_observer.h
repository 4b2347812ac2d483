#pragma once

#include "engine/messages/run_message.h"

#include <QString>

namespace hz {

struct SheetKind;

// How the engine talks to the user. The engine never shows a widget; the window, the command line and the tests
// each plug in their own. Every call comes on the thread that runs the import.
class RunObserver {
public:
    virtual ~RunObserver() = default;

    // One message for the user (a row error, a connection failure, the final word of a run); returns once the
    // user has acknowledged it. The window shows a modal box with an OK button; the command line prints a line.
    // In a check run every message with a row is one error found; the check goes on after it.
    virtual void ShowMessage(const RunMessage& message) = 0;
    // The run wrote text into the start-row box of kind: the row from which a further run resumes.
    virtual void StartRowChanged(const SheetKind& kind, const QString& text) = 0;
    // The run reads row of worksheet. Comes once per row: must be cheap.
    virtual void Progress(const QString& worksheet, int row) = 0;
    // The connection settings are incomplete or did not connect. The window shows the server settings dialog
    // modally (which may change the settings and connect); the command line prints reason and gives up. reason
    // is for a reader who has no dialog: the window does not show it.
    virtual void ShowSettingsDialog(const QString& reason) = 0;
};

} // namespace hz
