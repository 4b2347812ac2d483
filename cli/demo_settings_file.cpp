#include "cli/demo_settings_file.h"

#include "engine/run_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace hz::cli {

namespace {

constexpr qint64 kMaxSettingsBytes = 1 << 20;

const char kDemoSettings[] = "[DB]\r\n"
                             "GServer=sqlite\r\n"
                             "GDBName=HZDEMO_001_2026\r\n"
                             "GUser=demo\r\n"
                             "GPassWord=\r\n";

RunError SettingsError(const QString& path, const QString& problem) {
    return RunError(QStringLiteral("设置文件“%1”：%2").arg(QDir::toNativeSeparators(path), problem).toStdString());
}

// Keys of one section, by lower-case name.
QHash<QString, QString> ReadSection(const QString& path, const QString& section) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SettingsError(path, file.errorString());
    if (file.size() > kMaxSettingsBytes)
        throw SettingsError(path, QStringLiteral("文件过大"));
    QHash<QString, QString> keys;
    bool inSection = false;
    for (const QByteArray& rawLine : file.read(kMaxSettingsBytes + 1).split('\n')) {
        QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inSection = line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        int equals = line.indexOf(QLatin1Char('='));
        if (inSection && equals > 0) {
            QString key = line.left(equals).trimmed().toLower();
            // The first occurrence counts, as for Windows' own reader.
            if (!keys.contains(key))
                keys.insert(key, line.mid(equals + 1).trimmed());
        }
    }
    return keys;
}

} // namespace

ConnectionSettings ReadDatabaseSettings(const QString& path) {
    QHash<QString, QString> keys = ReadSection(path, QStringLiteral("DB"));
    ConnectionSettings settings;
    settings.server = keys.value(QStringLiteral("gserver"));
    settings.database = keys.value(QStringLiteral("gdbname"));
    settings.user = keys.value(QStringLiteral("guser"));
    settings.password = keys.value(QStringLiteral("gpassword"));
    settings.settingsFolder = QFileInfo(path).absolutePath();
    return settings;
}

void WriteDemoSettingsFile(const QString& path) {
    QFile file(path);
    // Created with the owner's permissions from the start: the file may later hold a password.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw SettingsError(path, file.errorString());
    if (file.write(kDemoSettings) != qint64(sizeof kDemoSettings - 1) || !file.flush()) {
        QString problem = file.errorString();
        file.close();
        file.remove();
        throw SettingsError(path, problem);
    }
}

} // namespace hz::cli
