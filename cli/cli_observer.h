#pragma once

#include "engine/import_request.h"
#include "engine/run_observer.h"

#include <QString>
#include <QTextStream>

#include <vector>

namespace hz::cli {

// How a run talks to a terminal: each message as one line on out, the reason for a settings dialog on err, and
// the start-row boxes of the ticked kinds kept for the closing lines.
class CliObserver final : public RunObserver {
public:
    CliObserver(const ImportRequest& request, QString settingsPath, QTextStream& out, QTextStream& err);

    void ShowMessage(const RunMessage& message) override;
    void StartRowChanged(const SheetKind& kind, const QString& text) override;
    void Progress(const QString& worksheet, int row) override;
    void ShowSettingsDialog(const QString& reason) override;

    // One line per ticked kind, in selection order: its caption, a tab, the text of its start-row box.
    void PrintStartRows();

private:
    std::vector<KindSelection> boxes; // the ticked kinds with the current text of their boxes
    QString settingsPath;
    QTextStream& out;
    QTextStream& err;
};

} // namespace hz::cli
