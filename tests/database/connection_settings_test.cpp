#include "engine/database/connection_settings.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace hz {
namespace {

ConnectionSettings Settings(const QString& password) {
    ConnectionSettings settings;
    settings.server = QStringLiteral("erp-host\\inst");
    settings.database = QStringLiteral("UFDATA_008_2024");
    settings.user = QStringLiteral("sa");
    settings.password = password;
    return settings;
}

TEST(ConnectionSettingsTest, AdoStringWithoutPasswordHasTwoSemicolonsAfterTheProvider) {
    EXPECT_EQ(AdoConnectionString(Settings("")).toStdString(),
              "Provider=SQLOLEDB.1;;Persist Security Info=True;User ID=sa;Initial Catalog=UFDATA_008_2024;"
              "Data Source=erp-host\\inst");
}

TEST(ConnectionSettingsTest, AdoStringInsertsThePasswordUnchanged) {
    EXPECT_EQ(AdoConnectionString(Settings("p;w=1 ")).toStdString(),
              "Provider=SQLOLEDB.1;Password=p;w=1 ;Persist Security Info=True;User ID=sa;"
              "Initial Catalog=UFDATA_008_2024;Data Source=erp-host\\inst");
}

TEST(ConnectionSettingsTest, OdbcStringQuotesValuesThatCouldEndTheirKey) {
    struct Case {
        const char* name;
        QString password;
        QString driver;
        std::string expected;
    };
    const std::string head = "SERVER=erp-host\\inst;DATABASE=UFDATA_008_2024;UID=sa;PWD=";
    const Case cases[] = {
        {"plain", "secret", "", "DRIVER={" + DefaultOdbcDriver().toStdString() + "};" + head + "secret"},
        {"empty password", "", "FreeTDS", "DRIVER={FreeTDS};" + head},
        {"semicolon cannot add a key", "a;UID=evil", "FreeTDS", "DRIVER={FreeTDS};" + head + "{a;UID=evil}"},
        {"closing brace doubled", "x}y;", "FreeTDS", "DRIVER={FreeTDS};" + head + "{x}}y;}"},
        {"opening brace", "{abc", "FreeTDS", "DRIVER={FreeTDS};" + head + "{{abc}"},
        {"blanks at the ends kept", " pw ", "FreeTDS", "DRIVER={FreeTDS};" + head + "{ pw }"},
        {"driver with blanks", "pw", "ODBC Driver 18 for SQL Server",
         "DRIVER={ODBC Driver 18 for SQL Server};" + head + "pw"},
        {"driver already braced", "pw", "{SQL Server}", "DRIVER={SQL Server};" + head + "pw"},
    };
    for (const Case& c : cases) {
        ConnectionSettings settings = Settings(c.password);
        settings.odbcDriver = c.driver;
        EXPECT_EQ(OdbcConnectionString(settings).toStdString(), c.expected) << c.name;
    }
}

// ODBC Driver 18 refuses a self-signed server certificate unless told to trust it; without the setting the string is
// as it always was.
TEST(ConnectionSettingsTest, OdbcStringEndsWithTheServerCertificateTrustWhenSet) {
    const std::string head = "DRIVER={ODBC Driver 18 for SQL Server};SERVER=erp-host\\inst;DATABASE=UFDATA_008_2024;"
                             "UID=sa;PWD=pw";
    const std::pair<std::optional<bool>, std::string> cases[] = {
        {std::nullopt, head},
        {true, head + ";TrustServerCertificate=yes"},
        {false, head + ";TrustServerCertificate=no"},
    };
    for (const auto& [trusted, expected] : cases) {
        ConnectionSettings settings = Settings("pw");
        settings.odbcDriver = QStringLiteral("ODBC Driver 18 for SQL Server");
        settings.trustServerCertificate = trusted;
        EXPECT_EQ(OdbcConnectionString(settings).toStdString(), expected);
    }
}

TEST(ConnectionSettingsTest, DefaultOdbcDriverFollowsThePlatform) {
#ifdef Q_OS_WIN
    EXPECT_EQ(DefaultOdbcDriver(), QStringLiteral("SQL Server"));
#else
    EXPECT_EQ(DefaultOdbcDriver(), QStringLiteral("FreeTDS"));
#endif
}

TEST(ConnectionSettingsTest, EmbeddedWhenTheServerIsSqliteInAnyCase) {
    const std::pair<QString, bool> cases[] = {
        {"sqlite", true}, {"SQLite", true}, {"SQLITE", true}, {"sqlite3", false}, {" sqlite", false}, {"", false},
    };
    for (const auto& [server, embedded] : cases) {
        ConnectionSettings settings;
        settings.server = server;
        EXPECT_EQ(IsEmbedded(settings), embedded) << server.toStdString();
    }
}

TEST(ConnectionSettingsTest, EmbeddedFileBesideTheSettingsUnlessAbsolute) {
    ConnectionSettings settings;
    settings.settingsFolder = QStringLiteral("/opt/huizhang");
    settings.database = QStringLiteral("demo");
    EXPECT_EQ(EmbeddedDatabasePath(settings), QStringLiteral("/opt/huizhang/demo.db"));
    settings.database = QStringLiteral("/data/erp.sqlite");
    EXPECT_EQ(EmbeddedDatabasePath(settings), QStringLiteral("/data/erp.sqlite"));
}

} // namespace
} // namespace hz
