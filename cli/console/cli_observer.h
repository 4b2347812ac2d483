#pragma once

#include "engine/run/import_request.h"
#include "engine/run/run_observer.h"

#include <QString>
#include <QTextStream>

#include <vector>

namespace hz::cli {

// How a run talks to a terminal: each message as one line on out (in a check, an error of a row as
// "worksheet<TAB>row<TAB>message"), the reason for a settings dialog on err, the start-row boxes of the ticked
// kinds kept for the closing lines, and every message kept for a report.
class CliObserver final : public RunObserver {
public:
    CliObserver(const ImportRequest& request, QString settingsPath, QTextStream& out, QTextStream& err);

    void ShowMessage(const RunMessage& message) override;
    void StartRowChanged(const SheetKind& kind, const QString& text) override;
    void Progress(const QString& worksheet, int row) override;
    void ShowSettingsDialog(const QString& reason) override;

    // One line per ticked kind, in selection order: its caption, a tab, the text of its start-row box.
    void PrintStartRows();
    // What the run told the user, in order: its messages and why it could not connect.
    const std::vector<RunMessage>& Messages() const { return messages; }

private:
    RunMode mode;
    std::vector<KindSelection> boxes; // the ticked kinds with the current text of their boxes
    std::vector<RunMessage> messages;
    QString settingsPath;
    QTextStream& out;
    QTextStream& err;
};

} // namespace hz::cli
