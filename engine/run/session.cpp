#include "engine/run/session.h"

#include "engine/database/database_error.h"

#include <QFileInfo>

#include <utility>

namespace hz {

Session::Session(QString path) : settingsPath(std::move(path)) {
    settings.settingsFolder = QFileInfo(settingsPath).absolutePath();
}

QString EmptySettingsMessage() {
    return QStringLiteral("服务器，数据库或用户名不能为空！");
}

QString ConnectionFailedMessage(const QString& driverText) {
    return QStringLiteral("数据库连接失败！ ") + driverText;
}

bool HasRequiredSettings(const ConnectionSettings& settings) {
    return !settings.server.isEmpty() && !settings.database.isEmpty() && !settings.user.isEmpty();
}

std::optional<QString> OpenConnection(Session& session) {
    session.connected = false;
    session.Con.Close();
    try {
        session.Con.Open(session.settings);
    } catch (const DatabaseError& error) {
        return error.Text();
    }
    session.connected = true;
    return std::nullopt;
}

void ConnectDatabase(Session& session, RunObserver& observer) {
    if (session.Con.IsOpen()) {
        session.connected = true;
        return;
    }
    if (!HasRequiredSettings(session.settings)) {
        observer.ShowSettingsDialog(EmptySettingsMessage());
        return;
    }
    if (const auto failure = OpenConnection(session)) {
        const QString message = ConnectionFailedMessage(*failure);
        observer.ShowMessage({message});
        observer.ShowSettingsDialog(message);
    }
}

} // namespace hz
