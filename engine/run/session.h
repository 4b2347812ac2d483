#pragma once

#include "engine/database/connection.h"
#include "engine/database/connection_settings.h"
#include "engine/run/run_observer.h"

#include <QString>

#include <optional>

namespace hz {

// The process-wide connection state: the settings file's path, the connection settings, the one connection Con
// and the connected flag. Created at start, lives until the program ends; only the thread that runs the window
// or the command touches it.
struct Session {
    // Empty settings whose settingsFolder is the settings file's folder.
    explicit Session(QString settingsPath);

    QString settingsPath;
    ConnectionSettings settings;
    Connection Con;
    bool connected = false;
};

// "服务器，数据库或用户名不能为空！"
QString EmptySettingsMessage();
// "数据库连接失败！ " followed directly by the database layer's text.
QString ConnectionFailedMessage(const QString& driverText);
// Server, database and user are all set (the password may be empty).
bool HasRequiredSettings(const ConnectionSettings& settings);

// Closes Con and opens it with session.settings; the connected flag follows the outcome. Returns the database
// layer's text when the open failed. Errors other than the database's propagate, with the flag false.
std::optional<QString> OpenConnection(Session& session);

// The connect operation of an import run: keeps an open connection; with incomplete settings asks the observer
// for the settings dialog without a message; otherwise opens Con, and on failure shows ConnectionFailedMessage
// and asks for the settings dialog. Its outcome is session.connected.
void ConnectDatabase(Session& session, RunObserver& observer);

} // namespace hz
