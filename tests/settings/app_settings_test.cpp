#include "engine/settings/app_settings.h"

#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

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

} // namespace
} // namespace hz
