#pragma once

#include "engine/run/run_observer.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace hz::test {

// A RunObserver that writes down, in order, everything the engine tells the user, one event per line:
// "message: <text>", "start row: <caption> = <text>", "settings dialog: <reason>". Progress is counted apart,
// since it comes once per row.
class RecordingObserver : public RunObserver {
public:
    void ShowMessage(const RunMessage& message) override;
    void StartRowChanged(const SheetKind& kind, const QString& text) override;
    void Progress(const QString& worksheet, int row) override;
    void ShowSettingsDialog(const QString& reason) override;

    std::vector<std::string> events;
    std::vector<RunMessage> messages; // every message with its place, in order
    int progressCalls = 0;
    QString lastWorksheet;
    int lastRow = 0;
    // What the user does in the settings dialog, when a test needs it to do something.
    std::function<void()> onSettingsDialog;
    // What happens while a message waits for the user, when a test needs to look at the database then.
    std::function<void()> onMessage;
    // What happens as a row is reported, when a test needs to act in the middle of a run.
    std::function<void(const QString& worksheet, int row)> onProgress;
};

} // namespace hz::test
