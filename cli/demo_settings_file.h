#pragma once

#include "engine/database/connection_settings.h"

#include <QString>

namespace hz::cli {

// The settings file "ZirurUzavarUriz.ini", as far as init-demo needs it: section "DB" read, a new file for the
// embedded ERP written. A deliberately small INI handling (section and key names without regard to case,
// values trimmed, ";" and "#" comment lines, UTF-8); the full reader and writer of the settings file will
// replace it.

// The settings of section "DB", the settings folder being the file's folder. Throws RunError when the file
// cannot be read or is implausibly large.
ConnectionSettings ReadDatabaseSettings(const QString& path);

// Writes a new settings file, readable by its owner only, naming the demo's embedded ERP: server "sqlite",
// database "HZDEMO_001_2026" (characters 8 to 10 give the account "001"), user "demo", no password. Refuses a
// path that exists (RunError).
void WriteDemoSettingsFile(const QString& path);

} // namespace hz::cli
