#include "engine/database/query.h"
#include "tests/support/child_process.h"
#include "tests/support/fresh_erp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace hz {
namespace {

using test::ChildProcess;
using test::FreshErp;
using test::ProgramResult;
using test::Scalar;
using test::WriteFileBytes;

int Count(Connection& connection, const QString& sql) {
    return Scalar(connection, sql).toInt();
}

void WaitForFile(const std::string& path) {
    for (int i = 0; i < 30000 && !std::filesystem::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(std::filesystem::exists(path)) << "the worker did not get ready: " << path;
}

// How often the maker changes in the order of the header ids: how much the two programs' vouchers interleave.
int MakerChanges(Connection& connection) {
    Query query(connection);
    query.SetText(QStringLiteral("SELECT cMaker FROM RdRecord ORDER BY ID"));
    query.Exec();
    int changes = 0;
    QString previous;
    while (query.Next()) {
        QString maker = query.Text(QStringLiteral("cMaker"));
        changes += !previous.isEmpty() && maker != previous;
        previous = maker;
    }
    return changes;
}

// Two programs save and post vouchers into one file at the same time: no id is given twice, no row is lost,
// and the stock holds every posted line.
TEST(TwoPrograms, SaveAndPostIntoOneFileAtOnce) {
    constexpr int kVouchers = 40;
    constexpr int kLines = 3;
    FreshErp erp;
    const std::vector<std::string> makers = {"first", "second"};
    std::string start = erp.Folder().File("start");
    std::vector<std::unique_ptr<ChildProcess>> workers;
    for (const std::string& maker : makers)
        workers.push_back(std::make_unique<ChildProcess>(
            HZ_ERP_WORKER, std::vector<std::string>{erp.Path().toStdString(), maker, std::to_string(kVouchers),
                                                    std::to_string(kLines), start}));
    for (const std::string& maker : makers)
        WaitForFile(start + "." + maker);
    WriteFileBytes(start, "");
    for (auto& worker : workers) {
        ProgramResult result = worker->Wait();
        EXPECT_EQ(result.status, 0) << result.err;
    }

    auto connection = erp.Connect();
    EXPECT_GE(MakerChanges(*connection), 3);
    for (const std::string& maker : makers)
        EXPECT_EQ(Scalar(*connection, QStringLiteral("SELECT count(*) AS Value FROM RdRecord WHERE cMaker = :Value"),
                         QString::fromStdString(maker))
                      .toInt(),
                  kVouchers);
    EXPECT_EQ(Count(*connection, QStringLiteral("SELECT max(ID) AS Value FROM RdRecord")), 2 * kVouchers);
    EXPECT_EQ(Count(*connection, QStringLiteral("SELECT count(*) AS Value FROM RdRecords")), 2 * kVouchers * kLines);
    EXPECT_EQ(Count(*connection, QStringLiteral("SELECT count(*) AS Value FROM (SELECT ID FROM RdRecords GROUP BY ID "
                                                "HAVING count(*) <> 3 OR max(AutoID) - min(AutoID) <> 2)")),
              0);
    EXPECT_EQ(Count(*connection, QStringLiteral("SELECT count(*) AS Value FROM RdRecords d "
                                                "WHERE NOT EXISTS (SELECT 1 FROM RdRecord h WHERE h.ID = d.ID)")),
              0);
    EXPECT_EQ(Count(*connection, QStringLiteral("SELECT iQuantity AS Value FROM CurrentStock WHERE cInvCode = 'A001'")),
              2 * kVouchers * kLines);
    EXPECT_EQ(Count(*connection, QStringLiteral("SELECT count(*) AS Value FROM SCM_EntryLedgerBuffer")), 0);
}

} // namespace
} // namespace hz
