#include "engine/run/session.h"

#include "tests/support/recording_observer.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

using test::RecordingObserver;
using test::ScratchFolder;

// A session whose settings name an embedded ERP file "erp.db" in a scratch folder; the file exists.
class SessionTest : public ::testing::Test {
protected:
    SessionTest() : session(QString::fromStdString(folder.File("ZirurUzavarUriz.ini"))) {
        Connection maker;
        maker.CreateSqliteFile(QString::fromStdString(folder.File("erp.db")));
        session.settings = Working();
    }

    ConnectionSettings Working() const {
        ConnectionSettings settings;
        settings.server = QStringLiteral("SQLite");
        settings.database = QStringLiteral("erp");
        settings.user = QStringLiteral("admin");
        settings.settingsFolder = QString::fromStdString(folder.Path());
        return settings;
    }

    ScratchFolder folder;
    Session session;
    RecordingObserver observer;
};

TEST_F(SessionTest, IncompleteSettingsOpenTheDialogWithoutAMessage) {
    for (QString ConnectionSettings::*field :
         {&ConnectionSettings::server, &ConnectionSettings::database, &ConnectionSettings::user}) {
        session.settings = Working();
        session.settings.*field = QString();
        observer.events.clear();
        ConnectDatabase(session, observer);
        EXPECT_EQ(observer.events, std::vector<std::string>{"settings dialog: 服务器，数据库或用户名不能为空！"});
        EXPECT_FALSE(session.connected);
        EXPECT_FALSE(session.Con.IsOpen());
    }
}

TEST_F(SessionTest, FailureShowsTheDriverTextThenTheDialog) {
    session.settings.database = QStringLiteral("missing");
    ConnectDatabase(session, observer);
    const std::string message =
        "数据库连接失败！ unable to open database file: " + folder.File("missing.db") + " does not exist";
    EXPECT_EQ(observer.events, (std::vector<std::string>{"message: " + message, "settings dialog: " + message}));
    EXPECT_FALSE(session.connected);
}

TEST_F(SessionTest, TheDialogDecidesTheOutcome) {
    session.settings.user.clear();
    observer.onSettingsDialog = [&] {
        session.settings = Working();
        EXPECT_FALSE(OpenConnection(session).has_value());
    };
    ConnectDatabase(session, observer);
    EXPECT_TRUE(session.connected);
    EXPECT_TRUE(session.Con.IsOpen());
}

TEST_F(SessionTest, AnOpenConnectionIsKept) {
    ConnectDatabase(session, observer);
    EXPECT_TRUE(observer.events.empty());
    ASSERT_TRUE(session.connected);

    // Settings changed after the open do not matter until the dialog reconnects.
    session.settings.database = QStringLiteral("missing");
    session.connected = false;
    ConnectDatabase(session, observer);
    EXPECT_TRUE(observer.events.empty());
    EXPECT_TRUE(session.connected);

    EXPECT_TRUE(OpenConnection(session).has_value());
    EXPECT_FALSE(session.connected);
    EXPECT_FALSE(session.Con.IsOpen());
}

} // namespace
} // namespace hz
