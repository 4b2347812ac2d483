#include "cli/demo/embedded_erp_settings.h"

#include "engine/messages/run_error.h"
#include "engine/settings/app_settings.h"

#include <QDir>
#include <QFileInfo>

namespace hz::cli {

namespace {

RunError SettingsError(const QString& settingsPath, const QString& problem) {
    return RunError(
        QStringLiteral("设置文件“%1”").arg(QDir::toNativeSeparators(settingsPath)).append(problem).toStdString());
}

} // namespace

ConnectionSettings LoadEmbeddedErpSettings(const QString& settingsPath, const QString& refusal) {
    if (!QFileInfo(settingsPath).isFile()) {
        throw SettingsError(settingsPath, QStringLiteral("不存在"));
    }
    const ConnectionSettings settings = LoadAppSettings(settingsPath).connection;
    if (!IsEmbedded(settings)) {
        throw SettingsError(settingsPath, QStringLiteral("的服务器（GServer）不是 sqlite，") + refusal);
    }
    if (settings.database.isEmpty()) {
        throw SettingsError(settingsPath, QStringLiteral("没有数据库名（GDBName）"));
    }
    return settings;
}

} // namespace hz::cli
