#include "engine/settings/app_settings.h"

#include "engine/settings/ini_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace hz {

QString DefaultSettingsPath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(SettingsFileName));
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
