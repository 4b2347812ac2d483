#pragma once

#include "engine/database/connection_settings.h"

#include <QString>

namespace hz::cli {

// The connection settings of the settings file at settingsPath, which must exist and name the embedded ERP with
// a database name. Throws RunError: "设置文件“<path>”不存在", "设置文件“<path>”的服务器（GServer）不是 sqlite，"
// followed by refusal, or "设置文件“<path>”没有数据库名（GDBName）".
ConnectionSettings LoadEmbeddedErpSettings(const QString& settingsPath, const QString& refusal);

} // namespace hz::cli
