#include "engine/database/database_error.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/database/query.h"
#include "tests/support/fresh_erp.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <set>
#include <thread>

namespace hz {
namespace {

using test::Execute;
using test::FreshErp;
using test::ReadFileBytes;
using test::Scalar;
using test::ScratchFolder;
using test::WriteFileBytes;

TEST(EmbeddedErpConnection, EveryOpenGetsASpidOfItsOwn) {
    FreshErp erp;
    std::set<int> spids;
    auto first = erp.Connect();
    auto second = erp.Connect();
    spids.insert(first->Spid());
    spids.insert(second->Spid());
    first->Close();
    first->OpenSqliteFile(erp.Path());
    spids.insert(first->Spid());
    EXPECT_EQ(spids.size(), 3u);
    EXPECT_GT(*spids.begin(), 50);
    EXPECT_EQ(QueryValue(*first, QStringLiteral("select @@spid as value")), QString::number(first->Spid()));
}

// Commits leave the log to a thread of the connection, which copies it into the file while the connection stays
// open: without it nothing would reach the file before the log held 16,384 pages. After the close only the file is
// left.
TEST(EmbeddedErpConnection, AThreadCopiesTheLogIntoTheFileWhileTheConnectionSaves) {
    FreshErp erp;
    auto connection = erp.Connect();
    const qint64 before = QFileInfo(erp.Path()).size();
    // Each commit adds two or three pages to the log: several thousand in all, more than one step of the thread.
    for (int i = 0; i < 3000; ++i) {
        TransactionGuard row(*connection);
        Execute(*connection, QStringLiteral("insert into Department (cDepCode, cDepName) values (:Value, 'A')"),
                QStringLiteral("D%1").arg(i, 5, 10, QLatin1Char('0')));
        row.Commit();
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (QFileInfo(erp.Path()).size() == before && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GT(QFileInfo(erp.Path()).size(), before);
    EXPECT_TRUE(QFile::exists(erp.Path() + QStringLiteral("-wal")));

    connection->Close();
    EXPECT_FALSE(QFile::exists(erp.Path() + QStringLiteral("-wal")));
    auto reopened = erp.Connect();
    EXPECT_EQ(
        Scalar(*reopened, QStringLiteral("select count(*) as value from Department where cDepName = 'A'")).toInt(),
        3000);
}

TEST(EmbeddedErpConnection, RefusesAFileThatIsNoEmbeddedErp) {
    ScratchFolder folder;
    QString path = QString::fromStdString(folder.File("other.db"));
    {
        Connection plain;
        plain.CreateSqliteFile(path);
        Execute(plain, QStringLiteral("CREATE TABLE Inventory (cInvCode TEXT)"));
    }
    Connection connection;
    InstallEmbeddedErp(connection);
    try {
        connection.OpenSqliteFile(path);
        FAIL() << "a foreign file was opened";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.Text(), QStringLiteral("数据库文件“%1”不是内置 ERP 数据库").arg(path));
    }
    EXPECT_FALSE(connection.IsOpen());
}

TEST(EmbeddedErpCreation, RefusesToOverwriteAnExistingFile) {
    ScratchFolder folder;
    QString path = QString::fromStdString(folder.File("erp.db"));
    WriteFileBytes(folder.File("erp.db"), "keep me");
    try {
        CreateEmbeddedErp(path);
        FAIL() << "an existing file was overwritten";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.Text(), QStringLiteral("无法创建内置 ERP 数据库“%1”：文件已存在，不会覆盖它").arg(path));
    }
    EXPECT_EQ(ReadFileBytes(folder.File("erp.db")), "keep me");
    EXPECT_EQ(QDir(QString::fromStdString(folder.Path())).entryList(QDir::Files).size(), 1);

    FreshErp erp;
    EXPECT_THROW(CreateEmbeddedErp(erp.Path()), DatabaseError);
    auto connection = erp.Connect();
    EXPECT_EQ(Scalar(*connection, QStringLiteral("SELECT count(*) AS Value FROM VouchType")).toInt(), 8);
}

TEST(EmbeddedErpCreation, RefusesAMissingFolder) {
    ScratchFolder folder;
    QString path = QString::fromStdString(folder.File("missing/erp.db"));
    EXPECT_THROW(CreateEmbeddedErp(path), DatabaseError);
    EXPECT_FALSE(QFile::exists(path));
}

QString OdbcString(const QString& path, bool withCollation) {
    QString text = QStringLiteral("DRIVER=SQLite3;Database=%1;Timeout=5000").arg(path);
    if (withCollation)
        text += QStringLiteral(";LoadExt=") + QStringLiteral(HZ_ERP_COLLATION_EXTENSION);
    return text;
}

// The SQLite ODBC driver reaches the file with the collation from the loadable extension.
TEST(EmbeddedErpConnection, OdbcConnectionsLoadTheCollationExtension) {
    FreshErp erp;
    auto native = erp.Connect();
    Execute(*native, QStringLiteral("INSERT INTO Warehouse (cWhCode, cWhName) VALUES ('W01', 'Main 仓')"));

    Connection odbc;
    odbc.OpenOdbc(OdbcString(erp.Path(), true), SqlDialect::Sqlite);
    PrepareEmbeddedErpConnection(odbc);
    EXPECT_NE(odbc.Spid(), native->Spid());
    EXPECT_EQ(Scalar(odbc, QStringLiteral("Select cWhCode AS Value From Warehouse where cWhName = :Value"),
                     QStringLiteral("MAIN 仓  "))
                  .toString(),
              QStringLiteral("W01"));
    EXPECT_THROW(
        Execute(odbc, QStringLiteral("INSERT INTO Warehouse (cWhCode) VALUES (:Value)"), QStringLiteral("w01 ")),
        DatabaseError);

    Connection withoutExtension;
    withoutExtension.OpenOdbc(OdbcString(erp.Path(), false), SqlDialect::Sqlite);
    EXPECT_THROW(Scalar(withoutExtension, QStringLiteral("Select 1 AS Value From Warehouse Where cWhCode = :Value"),
                        QStringLiteral("W01")),
                 DatabaseError);
}

} // namespace
} // namespace hz
