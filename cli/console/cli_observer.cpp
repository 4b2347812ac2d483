#include "cli/console/cli_observer.h"

#include <QDir>

#include <utility>

namespace hz::cli {

namespace {

// A field of a tab-separated line: the line breaks and tabs of a database's or a sheet's text become blanks, so
// that a script splits each line into exactly its three fields.
QString Field(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar& character : text) {
        if (character == u'\n' || character == u'\r' || character == u'\t') {
            character = u' ';
        }
    }
    return text;
}

} // namespace

CliObserver::CliObserver(const ImportRequest& request, QString settingsPath, QTextStream& out, QTextStream& err)
    : mode(request.mode), boxes(request.selection), settingsPath(std::move(settingsPath)), out(out), err(err) {}

void CliObserver::ShowMessage(const RunMessage& message) {
    messages.push_back(message);
    if (mode == RunMode::Check && message.HasRow()) {
        out << Field(message.worksheet) << u'\t' << message.row << u'\t' << Field(message.text) << Qt::endl;
    } else {
        out << message.text << Qt::endl;
    }
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
    // A failed connection has just been shown as a message with this very text; the report holds it once.
    if (messages.empty() || messages.back().text != reason) {
        messages.push_back(RunMessage(reason));
    }
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
