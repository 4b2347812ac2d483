#include "cli/init_demo_command.h"

#include "cli/console/exit_status.h"
#include "cli/console/usage.h"
#include "cli/demo/embedded_erp_settings.h"
#include "engine/database/connection_settings.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/messages/run_error.h"
#include "engine/settings/app_settings.h"

#include <QDir>
#include <QFileInfo>

namespace hz::cli {

namespace {

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The demo's embedded ERP: database "HZDEMO_001_2026" (characters 8 to 10 give the account "001") beside the
// settings file, user "demo", no password.
ConnectionSettings DemoSettings() {
    ConnectionSettings settings;
    settings.server = QStringLiteral("sqlite");
    settings.database = QStringLiteral("HZDEMO_001_2026");
    settings.user = QStringLiteral("demo");
    return settings;
}

void InitDemo(const QString& settingsPath, QTextStream& out) {
    if (!QFileInfo::exists(settingsPath)) {
        // A new settings file is readable by its owner only: it may later hold a password.
        SaveConnectionSettings(settingsPath, DemoSettings());
        out << QStringLiteral("已写入设置文件：") << Native(settingsPath) << Qt::endl;
    }
    const ConnectionSettings settings = LoadEmbeddedErpSettings(settingsPath, QStringLiteral("不能为它创建内置 ERP"));
    const QString databasePath = EmbeddedDatabasePath(settings);
    CreateEmbeddedErp(databasePath);
    out << QStringLiteral("已创建内置 ERP 数据库：") << Native(databasePath) << Qt::endl;
}

} // namespace

int InitDemoCommand(const QStringList& arguments, const QString& defaultSettingsPath, QTextStream& out,
                    QTextStream& err) {
    QString settingsPath = defaultSettingsPath;
    if (arguments.size() == 2 && arguments[0] == QLatin1String("--settings") && !arguments[1].isEmpty()) {
        settingsPath = arguments[1];
    } else if (!arguments.isEmpty()) {
        err << InitDemoUsage() << Qt::endl;
        return kExitUsage;
    }
    try {
        InitDemo(QFileInfo(settingsPath).absoluteFilePath(), out);
    } catch (const RunError& error) {
        err << QString::fromUtf8(error.what()) << Qt::endl;
        return kExitFailed;
    }
    return kExitCompleted;
}

} // namespace hz::cli
