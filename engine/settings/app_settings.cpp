#include "engine/settings/app_settings.h"

#include "engine/messages/run_error.h"
#include "engine/settings/ini_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace hz {

namespace {

// Whether a file can be created in folder: a permission check alone would miss the access rules of Windows'
// Program Files and of network folders.
bool AcceptsNewFiles(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".huizhang-write-test-XXXXXX")));
    return probe.open();
}

std::optional<bool> TrustServerCertificate(const IniFile& ini, const QString& path) {
    const QString value = ini.Value(u"System", u"TrustServerCertificate");
    if (value.isEmpty()) {
        return std::nullopt;
    }
    for (const char* yes : {"yes", "true", "1"}) {
        if (value.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    for (const char* no : {"no", "false", "0"}) {
        if (value.compare(QLatin1String(no), Qt::CaseInsensitive) == 0) {
            return false;
        }
    }
    throw RunError(QStringLiteral("设置文件“%1”中 [System] 节的 TrustServerCertificate 只能是 yes 或 no，不能是“%2”")
                       .arg(QDir::toNativeSeparators(path), value)
                       .toStdString());
}

} // namespace

QString UserFilesFolder(const QString& programFolder) {
    if (AcceptsNewFiles(programFolder)) {
        return programFolder;
    }
    const QString folder = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                               .filePath(QStringLiteral("huizhang"));
    // A folder that cannot be made is reported by whatever writes there first.
    QDir().mkpath(folder);
    return folder;
}

QString UserFilesFolder() {
    return UserFilesFolder(QCoreApplication::applicationDirPath());
}

QString DefaultSettingsPath() {
    return QDir(UserFilesFolder()).filePath(QString::fromLatin1(SettingsFileName));
}

QString DefaultToolCaption() {
    return QStringLiteral("汇账助手 批量导入，轻松实施");
}

AppSettings LoadAppSettings(const QString& path) {
    const IniFile ini = IniFile::Load(path);
    AppSettings settings;
    settings.connection.server = ini.Value(u"DB", u"GServer");
    settings.connection.database = ini.Value(u"DB", u"GDBName");
    settings.connection.user = ini.Value(u"DB", u"GUser");
    settings.connection.password = ini.Value(u"DB", u"GPassWord");
    settings.connection.odbcDriver = ini.Value(u"System", u"OdbcDriver");
    settings.connection.trustServerCertificate = TrustServerCertificate(ini, path);
    settings.connection.settingsFolder = QFileInfo(path).absolutePath();
    settings.toolCaption = ini.Value(u"System", u"ToolCaption", DefaultToolCaption());
    return settings;
}

void SaveConnectionSettings(const QString& path, const ConnectionSettings& settings) {
    // Read afresh: the file may have been edited since the program started.
    IniFile ini = IniFile::Load(path);
    ini.SetValue(u"DB", u"GServer", settings.server);
    ini.SetValue(u"DB", u"GDBName", settings.database);
    ini.SetValue(u"DB", u"GUser", settings.user);
    ini.SetValue(u"DB", u"GPassWord", settings.password);
    // The password is written in plain text.
    ini.Save(path, IniFile::Access::OwnerOnly);
}

} // namespace hz
