#pragma once

#include "engine/database/connection_settings.h"

#include <QString>

namespace hz {

// The settings file's name; it lives beside the executable unless a path is given.
inline constexpr char SettingsFileName[] = "ZirurUzavarUriz.ini";

// What the settings file holds for the program: section "DB" (GServer, GDBName, GUser, GPassWord) and section
// "System" (ToolCaption, the caption of the main window; OdbcDriver, the ODBC driver for SQL Server).
struct AppSettings {
    ConnectionSettings connection;
    QString toolCaption;
};

// The settings file beside the executable (needs the application object).
QString DefaultSettingsPath();
// "汇账助手 批量导入，轻松实施"
QString DefaultToolCaption();

// Missing file or keys give empty settings and the default caption; connection.settingsFolder is the file's
// folder. Throws RunError when the file exists but cannot be read.
AppSettings LoadAppSettings(const QString& path);
// Writes GServer, GDBName, GUser and GPassWord (plain text) in that order into section "DB", leaving every other
// line of the file as it was, and leaves the file readable and writable by its owner only. Throws RunError; the
// file is then unchanged.
void SaveConnectionSettings(const QString& path, const ConnectionSettings& settings);

} // namespace hz
