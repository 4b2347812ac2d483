#include "engine/settings/app_settings.h"

#include "tests/support/run_error_text.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>

#include <filesystem>
#include <optional>

namespace hz {
namespace {

using test::ReadFileBytes;
using test::ScratchFolder;
using test::WriteFileBytes;

TEST(AppSettings, MissingFileGivesEmptySettingsAndTheDefaultCaption) {
    ScratchFolder folder;
    const AppSettings settings = LoadAppSettings(QString::fromStdString(folder.File("ZirurUzavarUriz.ini")));
    EXPECT_TRUE(settings.connection.server.isEmpty());
    EXPECT_TRUE(settings.connection.database.isEmpty());
    EXPECT_TRUE(settings.connection.user.isEmpty());
    EXPECT_TRUE(settings.connection.password.isEmpty());
    EXPECT_TRUE(settings.connection.odbcDriver.isEmpty());
    EXPECT_EQ(settings.connection.settingsFolder.toStdString(), folder.Path());
    EXPECT_EQ(settings.toolCaption.toStdString(), "汇账助手 批量导入，轻松实施");
    EXPECT_FALSE(std::filesystem::exists(folder.File("ZirurUzavarUriz.ini")));
}

TEST(AppSettings, ReadsBothSections) {
    ScratchFolder folder;
    WriteFileBytes(folder.File("s.ini"),
                   "[System]\nToolCaption=某公司 期初导入\nOdbcDriver=ODBC Driver 18 for SQL Server\n"
                   "[DB]\nGServer=10.0.0.5,1433\nGDBName=UFDATA_001_2024\nGUser=sa\n"
                   "GPassWord=p;w=1\n");
    const AppSettings settings = LoadAppSettings(QString::fromStdString(folder.File("s.ini")));
    EXPECT_EQ(settings.toolCaption.toStdString(), "某公司 期初导入");
    EXPECT_EQ(settings.connection.odbcDriver.toStdString(), "ODBC Driver 18 for SQL Server");
    EXPECT_EQ(settings.connection.server.toStdString(), "10.0.0.5,1433");
    EXPECT_EQ(settings.connection.database.toStdString(), "UFDATA_001_2024");
    EXPECT_EQ(settings.connection.user.toStdString(), "sa");
    EXPECT_EQ(settings.connection.password.toStdString(), "p;w=1");
}

TEST(AppSettings, SavingTheConnectionWritesTheFourKeysAndNothingElse) {
    ScratchFolder folder;
    const std::string path = folder.File("s.ini");
    WriteFileBytes(path, "; written by hand\n[System]\nToolCaption=我的标题\n\n[DB]\nGUser=old\nTimeout=30\n");
    ConnectionSettings settings;
    settings.server = QStringLiteral("sqlite");
    settings.database = QStringLiteral("demo");
    settings.user = QStringLiteral("admin");
    settings.password = QStringLiteral("p;w");
    settings.odbcDriver = QStringLiteral("never written");
    SaveConnectionSettings(QString::fromStdString(path), settings);
    EXPECT_EQ(ReadFileBytes(path),
              "; written by hand\n[System]\nToolCaption=我的标题\n\n[DB]\nGUser=admin\nTimeout=30\n"
              "GServer=sqlite\nGDBName=demo\nGPassWord=p;w\n");

    SaveConnectionSettings(QString::fromStdString(folder.File("new.ini")), settings);
    EXPECT_EQ(ReadFileBytes(folder.File("new.ini")),
              "[DB]\nGServer=sqlite\nGDBName=demo\nGUser=admin\nGPassWord=p;w\n");
}

// The password is in plain text: a file that others could read before is the owner's alone afterwards.
TEST(AppSettings, SavingTheConnectionMakesASharedFilePrivate) {
    namespace fs = std::filesystem;
    ScratchFolder folder;
    const std::string path = folder.File("s.ini");
    WriteFileBytes(path, "[System]\nToolCaption=共享\n");
    fs::permissions(path,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    ConnectionSettings settings;
    settings.server = QStringLiteral("sqlite");
    settings.database = QStringLiteral("demo");
    settings.user = QStringLiteral("admin");
    settings.password = QStringLiteral("secret");
    SaveConnectionSettings(QString::fromStdString(path), settings);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(LoadAppSettings(QString::fromStdString(path)).connection.password.toStdString(), "secret");
}

// Section "System" may say whether the driver trusts a self-signed server certificate; anything but yes or no is
// refused with the file and the value, since a mistyped word would otherwise be sent to the driver or dropped.
TEST(AppSettings, ReadsWhetherTheServerCertificateIsTrusted) {
    ScratchFolder folder;
    const QString path = QString::fromStdString(folder.File("s.ini"));
    const std::pair<std::string, std::optional<bool>> cases[] = {
        {"", std::nullopt},
        {"TrustServerCertificate=\n", std::nullopt},
        {"TrustServerCertificate=yes\n", true},
        {"trustservercertificate = YES \n", true},
        {"TrustServerCertificate=True\n", true},
        {"TrustServerCertificate=1\n", true},
        {"TrustServerCertificate=no\n", false},
        {"TrustServerCertificate=FALSE\n", false},
        {"TrustServerCertificate=0\n", false},
    };
    for (const auto& [line, trusted] : cases) {
        WriteFileBytes(path.toStdString(), "[System]\n" + line + "[DB]\nGServer=erp\n");
        EXPECT_EQ(LoadAppSettings(path).connection.trustServerCertificate, trusted) << line;
    }
    WriteFileBytes(path.toStdString(), "[System]\nTrustServerCertificate=是\n");
    EXPECT_EQ(test::RunErrorText([&] { LoadAppSettings(path); }),
              "设置文件“" + QDir::toNativeSeparators(path).toStdString() +
                  "”中 [System] 节的 TrustServerCertificate 只能是 yes 或 no，不能是“是”");
}

// The program's folder keeps the files while new files can be made there; otherwise they go into "huizhang" in the
// user's data folder, made for them.
TEST(AppSettings, UserFilesGoBesideTheProgramUnlessItsFolderTakesNoNewFile) {
    ScratchFolder folder;
    const QString program = QString::fromStdString(folder.File("bin"));
    std::filesystem::create_directory(program.toStdString());
    EXPECT_EQ(UserFilesFolder(program), program);
    EXPECT_EQ(test::FileNames(program.toStdString()), std::vector<std::string>{}) << "the probe is gone";

    // On Linux, the user's data folder inside the scratch folder.
    const std::optional<QByteArray> dataHome =
        qEnvironmentVariableIsSet("XDG_DATA_HOME") ? std::optional(qgetenv("XDG_DATA_HOME")) : std::nullopt;
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folder.File("data")));
    const QString userData = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                                 .filePath(QStringLiteral("huizhang"));
    // A folder that is gone takes no file, whoever the user is (a read-only one takes root's).
    std::filesystem::remove(program.toStdString());
    EXPECT_EQ(UserFilesFolder(program), userData);
    EXPECT_TRUE(QDir(userData).exists());
    if (dataHome) {
        qputenv("XDG_DATA_HOME", *dataHome);
    } else {
        qunsetenv("XDG_DATA_HOME");
    }
}

} // namespace
} // namespace hz
