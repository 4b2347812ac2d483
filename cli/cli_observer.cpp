#include "cli/cli_observer.h"

#include <QDir>

#include <utility>

namespace hz::cli {

CliObserver::CliObserver(const ImportRequest& request, QString settingsPath, QTextStream& out, QTextStream& err)
    : boxes(request.selection), settingsPath(std::move(settingsPath)), out(out), err(err) {}

void CliObserver::ShowMessage(const RunMessage& message) {
    out << message.text << Qt::endl;
}

void CliObserver::StartRowChanged(const SheetKind& kind, const QString& text) {
    for (KindSelection& box : boxes) {
        if (box.kind == &kind) {
            box.startRowText = text;
        }
    }
}

void CliObserver::Progress(const QString&, int) {}

void CliObserver::ShowSettingsDialog(const QString& reason) {
    // The window would open the server settings dialog here; a terminal can only say why and stop.
    err << reason << Qt::endl
        << QStringLiteral("请检查设置文件：") << QDir::toNativeSeparators(settingsPath) << Qt::endl;
}

void CliObserver::PrintStartRows() {
    for (const KindSelection& box : boxes) {
        out << box.kind->caption << u'\t' << box.startRowText << Qt::endl;
    }
}

} // namespace hz::cli
