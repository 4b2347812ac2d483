// libFuzzer entry: the input becomes the settings file, read as the program starts, then given new connection
// settings as the settings dialog writes them, and read again.
#include "engine/messages/run_error.h"
#include "engine/settings/app_settings.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("hz-fuzz-" + std::to_string(getpid()) + ".ini")).string();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!file)
            return 0;
    }
    const QString file = QString::fromStdString(path);
    try {
        const hz::AppSettings read = hz::LoadAppSettings(file);
        hz::ConnectionSettings written = read.connection;
        written.server = QStringLiteral("sqlite");
        written.password = QStringLiteral("口令;=#");
        hz::SaveConnectionSettings(file, written);
        const hz::AppSettings again = hz::LoadAppSettings(file);
        // What the dialog wrote must be what the program reads next.
        if (again.connection.server != written.server || again.connection.password != written.password)
            std::abort();
    } catch (const hz::RunError&) {
        // A clean refusal (not a settings file, not writable in its code page) is a good outcome.
    }
    return 0;
}
