#include "engine/database/connection_settings.h"
#include "engine/database/odbc_drivers.h"

#include <gtest/gtest.h>

#include <QProcess>

namespace hz {
namespace {

// Without OdbcDriver in the settings, the newest SQL Server driver that is installed; the driver manager's names
// match in any case.
TEST(OdbcDrivers, TheNewestInstalledSqlServerDriverIsChosen) {
    const struct {
        const char* name;
        QStringList installed;
        QString chosen;
    } cases[] = {
        {"a fresh Windows", {"SQL Server", "Microsoft Access Driver (*.mdb, *.accdb)"}, "SQL Server"},
        {"Driver 18 beside older ones",
         {"SQL Server", "ODBC Driver 17 for SQL Server", "SQL Server Native Client 11.0",
          "ODBC Driver 18 for SQL Server"},
         "ODBC Driver 18 for SQL Server"},
        {"Driver 17 over 13",
         {"ODBC Driver 13 for SQL Server", "ODBC Driver 17 for SQL Server"},
         "ODBC Driver 17 for SQL Server"},
        {"the native client over the built-in one",
         {"SQL Server", "SQL Server Native Client 11.0"},
         "SQL Server Native Client 11.0"},
        {"names in another case", {"odbc driver 17 for sql server"}, "ODBC Driver 17 for SQL Server"},
        {"Debian with FreeTDS", {"FreeTDS", "SQLite", "SQLite3"}, "FreeTDS"},
        {"Microsoft's driver over FreeTDS",
         {"FreeTDS", "ODBC Driver 18 for SQL Server"},
         "ODBC Driver 18 for SQL Server"},
        {"an unknown driver is not guessed at", {"ODBC Driver 19 for SQL Server", "SQLite3"}, DefaultOdbcDriver()},
        {"nothing listed", {}, DefaultOdbcDriver()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseOdbcDriver(c.installed), c.chosen) << c.name;
    }
}

// The list comes from the driver manager itself: the same names, in the same order, as unixODBC's odbcinst lists.
TEST(OdbcDrivers, TheInstalledDriversAreThoseTheDriverManagerLists) {
    QProcess odbcinst;
    odbcinst.start(QStringLiteral("odbcinst"), {QStringLiteral("-q"), QStringLiteral("-d")});
    if (!odbcinst.waitForFinished() || odbcinst.exitCode() != 0) {
        GTEST_SKIP() << "no odbcinst to compare with";
    }
    QStringList listed;
    for (const QString& line : QString::fromUtf8(odbcinst.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        listed.append(line.trimmed().mid(1).chopped(1)); // "[name]"
    }
    ASSERT_FALSE(listed.isEmpty());
    EXPECT_EQ(InstalledOdbcDrivers(), listed);
}

} // namespace
} // namespace hz
