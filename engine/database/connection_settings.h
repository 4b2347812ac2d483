#pragma once

#include <QString>

#include <optional>

namespace hz {

// The four settings of section "DB", the optional ODBC driver name and server certificate trust of section
// "System", and the folder of the settings file (where an embedded ERP named by a relative database setting lives).
struct ConnectionSettings {
    QString server;
    QString database;
    QString user;
    QString password;
    QString odbcDriver; // empty: the newest SQL Server driver installed (ChooseOdbcDriver)
    // Whether the driver accepts a server certificate that no authority signed (ODBC Driver 18 encrypts by default
    // and refuses a self-signed one); unset: the driver's default, and nothing in the connection string.
    std::optional<bool> trustServerCertificate;
    QString settingsFolder;
};

// The ADO connection string, with the values inserted unchanged (an empty password gives ";;" after the
// provider and no "Password=" key).
QString AdoConnectionString(const ConnectionSettings& settings);
// The ODBC connection string for SQL Server: DRIVER, SERVER, DATABASE, UID, PWD, then TrustServerCertificate=yes
// or no when the settings say. A value that could end its key early (";", braces, blanks at its ends) is quoted as
// {...} with "}" doubled. An empty driver is DefaultOdbcDriver().
QString OdbcConnectionString(const ConnectionSettings& settings);
// The ODBC driver used when the settings name none and the driver manager lists no driver the program knows:
// {FreeTDS} on Linux, {SQL Server} on Windows.
QString DefaultOdbcDriver();
// True when the server setting is "sqlite" in any case: the database is the embedded ERP's file.
bool IsEmbedded(const ConnectionSettings& settings);
// The embedded ERP's file: an absolute database setting as it is, else settingsFolder/<database>.db.
QString EmbeddedDatabasePath(const ConnectionSettings& settings);

} // namespace hz
