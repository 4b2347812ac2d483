#pragma once

#include "engine/database/connection_settings.h"

#include <QString>

namespace hz {

// The settings file's name; it lives in the user files folder unless a path is given.
inline constexpr char SettingsFileName[] = "ZirurUzavarUriz.ini";

// What the settings file holds for the program: section "DB" (GServer, GDBName, GUser, GPassWord) and section
// "System" (ToolCaption, the caption of the main window; OdbcDriver, the ODBC driver for SQL Server;
// TrustServerCertificate, yes or no).
struct AppSettings {
    ConnectionSettings connection;
    QString toolCaption;
};

// Where the program keeps the files it makes by default: the settings file, and beside it the demo's embedded ERP
// and the run journal. The program's own folder when the program may create files there; otherwise (installed
// where only an administrator may write, as under Program Files) "huizhang" in the user's local application data
// folder, created when missing.
QString UserFilesFolder(const QString& programFolder);
// The same for the running program (needs the application object).
QString UserFilesFolder();
// The settings file in UserFilesFolder() (needs the application object).
QString DefaultSettingsPath();
// "汇账助手 批量导入，轻松实施"
QString DefaultToolCaption();

// Missing file or keys give empty settings and the default caption; connection.settingsFolder is the file's
// folder. Throws RunError when the file exists but cannot be read, or holds a TrustServerCertificate other than
// yes or no (also true, false, 1, 0, in any case).
AppSettings LoadAppSettings(const QString& path);
// Writes GServer, GDBName, GUser and GPassWord (plain text) in that order into section "DB", leaving every other
// line of the file as it was, and leaves the file readable and writable by its owner only. Throws RunError; the
// file is then unchanged.
void SaveConnectionSettings(const QString& path, const ConnectionSettings& settings);

} // namespace hz
