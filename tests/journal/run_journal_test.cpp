#include "engine/database/connection_settings.h"
#include "engine/journal/run_journal.h"
#include "engine/messages/run_error.h"
#include "tests/support/run_error_text.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace hz {
namespace {

using test::RunErrorText;
using test::ScratchFolder;

JournalItem VoucherPosting() {
    JournalItem item;
    item.step = JournalItem::Step::VoucherPosting;
    item.rowAfter = 17;
    item.table = QStringLiteral("RdRecord");
    item.value = QStringLiteral("1000042");
    item.detailTable = QStringLiteral("RdRecords");
    item.lines = 5;
    item.vouchType = QStringLiteral("01");
    item.voucherKey = QStringLiteral("RK-0042");
    item.stockBefore = QStringLiteral("2/10");
    item.stockAfter = QStringLiteral("2/15.5");
    return item;
}

void Sql(const QString& path, const char* statement) {
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &database), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(database, statement, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(database);
    sqlite3_close(database);
}

class RunJournalTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    QString path = QString::fromStdString(folder.File("huizhang-journal.db"));
    RunJournal Journal(const char* workbook = "/data/book.xlsx", const char* erp = "sqlite:/data/erp.db") {
        return RunJournal(path, QString::fromUtf8(workbook), QString::fromUtf8(erp), false);
    }
};

// Entries come back as written, each workbook and ERP apart; a later write of a kind replaces its entry.
TEST_F(RunJournalTest, KeepsEachKindsRowAndItemPerWorkbookAndErp) {
    EXPECT_TRUE(Journal().Read().empty());
    EXPECT_FALSE(QFileInfo::exists(path)) << "reading creates nothing";

    Journal().Record(QStringLiteral("采购入库单"), {12, VoucherPosting()});
    Journal().Record(QStringLiteral("部门"), {3, std::nullopt});
    Journal().Record(QStringLiteral("部门"), {9, std::nullopt});
    Journal("/data/other.xlsx").Record(QStringLiteral("部门"), {100, std::nullopt});
    Journal("/data/book.xlsx", "mssql:server/db").Record(QStringLiteral("部门"), {200, std::nullopt});

    const std::map<QString, JournalEntry> entries = Journal().Read();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries.at(QStringLiteral("部门")).row, 9);
    EXPECT_FALSE(entries.at(QStringLiteral("部门")).item);
    const JournalEntry& voucher = entries.at(QStringLiteral("采购入库单"));
    EXPECT_EQ(voucher.row, 12);
    ASSERT_TRUE(voucher.item);
    const JournalItem expected = VoucherPosting();
    EXPECT_EQ(voucher.item->step, expected.step);
    EXPECT_EQ(voucher.item->rowAfter, expected.rowAfter);
    EXPECT_EQ(voucher.item->value, expected.value);
    EXPECT_EQ(voucher.item->lines, expected.lines);
    EXPECT_EQ(voucher.item->vouchType, expected.vouchType);
    EXPECT_EQ(voucher.item->voucherKey, expected.voucherKey);
    EXPECT_EQ(voucher.item->stockBefore, expected.stockBefore);
    EXPECT_EQ(voucher.item->stockAfter, expected.stockAfter);
    EXPECT_EQ(Journal("/data/other.xlsx").Read().at(QStringLiteral("部门")).row, 100);
}

// The file is untrusted: another SQLite file, or an entry whose names would go into the ERP's statements as they
// stand, ends the run with the file's name instead of being used.
JournalItem MasterRow(int row, const char* code, const char* table = "Department") {
    JournalItem item;
    item.step = JournalItem::Step::MasterRow;
    item.rowAfter = row + 1;
    item.table = QString::fromUtf8(table);
    item.field = QStringLiteral("cDepCode");
    item.value = QString::fromUtf8(code);
    return item;
}

void ExpectMasterRow(const JournalEntry& entry, int row, const char* code) {
    EXPECT_EQ(entry.row, row);
    ASSERT_TRUE(entry.item);
    EXPECT_EQ(entry.item->step, JournalItem::Step::MasterRow);
    EXPECT_EQ(entry.item->rowAfter, row + 1);
    EXPECT_EQ(entry.item->table, QStringLiteral("Department"));
    EXPECT_EQ(entry.item->field, QStringLiteral("cDepCode"));
    EXPECT_EQ(entry.item->value, QString::fromUtf8(code));
}

// Once a run holds the file, its master rows in flight go into two slots beside it, in turn. The latest one wins
// over the file's entry, after the run ends too; a torn write leaves the row before; the kind's next entry in the
// file clears them; another journal's slots are not taken.
TEST_F(RunJournalTest, AMasterRowInFlightIsKeptBesideTheFileUntilTheKindsNextEntry) {
    const QString kind = QStringLiteral("部门");
    const QString slotFile = path + QStringLiteral("-row");
    {
        RunJournal run = Journal();
        run.Record(kind, {3, MasterRow(3, "D003")});
        EXPECT_FALSE(QFileInfo::exists(slotFile)) << "the run's first entry takes the file";
        run.Record(kind, {4, MasterRow(4, "D004")});
        run.Record(kind, {5, MasterRow(5, "D005")});
        ExpectMasterRow(run.Read().at(kind), 5, "D005");
    }
    ExpectMasterRow(Journal().Read().at(kind), 5, "D005");
    EXPECT_TRUE(Journal("/data/other.xlsx").Read().empty());

    // The write of D005, the second slot's, torn: the first slot's D004 is the latest whole one.
    QFile file(slotFile);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(16384 + 40));
    ASSERT_EQ(file.write("torn"), 4);
    file.close();
    ExpectMasterRow(Journal().Read().at(kind), 4, "D004");

    {
        RunJournal run = Journal();
        run.Record(kind, {6, std::nullopt});
    }
    const JournalEntry ended = Journal().Read().at(kind);
    EXPECT_EQ(ended.row, 6);
    EXPECT_FALSE(ended.item);
}

// A killed run's row in flight outlives other kinds' entries, and moves into the file before another kind's rows
// take the slots.
TEST_F(RunJournalTest, AnotherKindKeepsAKilledRunsRowInFlight) {
    const QString departments = QStringLiteral("部门");
    {
        RunJournal killed = Journal();
        killed.Record(departments, {3, MasterRow(3, "D003")});
        killed.Record(departments, {4, MasterRow(4, "D004")});
    }
    {
        RunJournal next = Journal();
        next.Record(QStringLiteral("采购入库单"), {12, VoucherPosting()});
        ExpectMasterRow(next.Read().at(departments), 4, "D004");
        next.Record(QStringLiteral("员工"), {7, MasterRow(7, "D007")});
        next.Record(QStringLiteral("员工"), {8, MasterRow(8, "D008")});
    }
    const std::map<QString, JournalEntry> entries = Journal().Read();
    ExpectMasterRow(entries.at(departments), 4, "D004");
    ExpectMasterRow(entries.at(QStringLiteral("员工")), 8, "D008");
}

// A voucher's save and posting after the run's first entry go into the slots too, whole. An entry of the kind that
// goes into the file (a voucher set aside, the kind's end) supersedes them only once it is there: a run killed after
// the slots said so and before the file held it resumes from the step in flight, one killed after the file held it
// and before the slots were cleared from the file's entry.
TEST_F(RunJournalTest, AVoucherStepInFlightCountsUntilTheFileHoldsWhatSupersedesIt) {
    const QString kind = QStringLiteral("采购入库单");
    JournalItem save = VoucherPosting();
    save.step = JournalItem::Step::VoucherSave;
    save.stockBefore.clear();
    save.stockAfter.clear();
    {
        RunJournal run = Journal();
        run.Record(kind, {12, save});
        run.Record(kind, {17, VoucherPosting()}); // slot 0
        const JournalEntry posting = run.Read().at(kind);
        ASSERT_TRUE(posting.item);
        EXPECT_EQ(posting.row, 17);
        EXPECT_EQ(posting.item->step, JournalItem::Step::VoucherPosting);
        EXPECT_EQ(posting.item->lines, 5);
        EXPECT_EQ(posting.item->voucherKey, QStringLiteral("RK-0042"));
        EXPECT_EQ(posting.item->stockAfter, QStringLiteral("2/15.5"));
        // Slot 1 says that the entry below supersedes the posting; slot 0 is cleared once the file holds it.
        run.Record(kind, {22, std::nullopt});
    }
    EXPECT_EQ(Journal().Read().at(kind).row, 22);

    // Killed before the slots were cleared: the clearing write torn, the file holds the entry.
    QFile slotFile(path + QStringLiteral("-row"));
    ASSERT_TRUE(slotFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(slotFile.seek(40));
    ASSERT_EQ(slotFile.write("torn"), 4);
    slotFile.close();
    const JournalEntry superseded = Journal().Read().at(kind);
    EXPECT_EQ(superseded.row, 22);
    EXPECT_FALSE(superseded.item);

    // Killed before the file held it: the file still has the voucher's save, and the posting in flight counts.
    Sql(path, "UPDATE resume_rows SET row = 12, step = 2, row_after = 17, target = 'RdRecord', value = '1000042', "
              "detail_target = 'RdRecords', lines = 5, voucher_type = '01', voucher_key = 'RK-0042', "
              "stock_before = '', stock_after = ''");
    const JournalEntry inFlight = Journal().Read().at(kind);
    EXPECT_EQ(inFlight.row, 17);
    ASSERT_TRUE(inFlight.item);
    EXPECT_EQ(inFlight.item->step, JournalItem::Step::VoucherPosting);

    // The next run's first entry of the kind finds it so, and makes the file's entry the latest.
    {
        RunJournal run = Journal();
        run.Record(kind, {30, std::nullopt});
    }
    EXPECT_EQ(Journal().Read().at(kind).row, 30);
}

// The slots are checked as the file's entries are: a table name that is no identifier ends the run.
TEST_F(RunJournalTest, ADamagedMasterRowInFlightIsRefused) {
    {
        RunJournal run = Journal();
        run.Record(QStringLiteral("部门"), {3, std::nullopt});
        run.Record(QStringLiteral("部门"), {4, MasterRow(4, "D004", "Department; drop table x")});
    }
    EXPECT_EQ(RunErrorText([&] { Journal().Read(); }),
              "运行记录文件 " + path.toStdString() + " 无法使用：“部门”的记录已损坏");
}

TEST_F(RunJournalTest, RefusesAFileThatIsNoJournalAndADamagedEntry) {
    Sql(path, "CREATE TABLE t (x)");
    EXPECT_NE(RunErrorText([&] { Journal().Read(); }).find("它不是本程序的运行记录"), std::string::npos);
    EXPECT_NE(RunErrorText([&] {
                  Journal().Record(QStringLiteral("部门"), {2, std::nullopt});
              }).find(path.toStdString()),
              std::string::npos);
    QFile::remove(path);

    struct Damage {
        const char* name;
        const char* statement;
    };
    for (const Damage& damage : {
             Damage{"a table name with SQL in it", "UPDATE resume_rows SET target = 'RdRecord; DROP TABLE RdRecord'"},
             Damage{"a row outside the sheet", "UPDATE resume_rows SET row = 0"},
             Damage{"a voucher id that is no number", "UPDATE resume_rows SET value = '1 or 1=1'"},
             Damage{"an unknown step", "UPDATE resume_rows SET step = 9"},
         }) {
        SCOPED_TRACE(damage.name);
        QFile::remove(path);
        Journal().Record(QStringLiteral("采购入库单"), {12, VoucherPosting()});
        Sql(path, damage.statement);
        EXPECT_NE(RunErrorText([&] { Journal().Read(); }).find("“采购入库单”的记录已损坏"), std::string::npos);
    }
}

// The run that writes a journal holds it to its end: a second run of the same workbook and ERP is turned away,
// another workbook's run is not.
TEST_F(RunJournalTest, ASecondWriterOfTheSameJournalIsTurnedAway) {
    RunJournal running = Journal();
    running.Record(QStringLiteral("部门"), {3, std::nullopt});
    EXPECT_NE(RunErrorText([&] {
                  Journal().Record(QStringLiteral("部门"), {4, std::nullopt});
              }).find("另一个程序正在用它导入同一个工作簿"),
              std::string::npos);
    running.Record(QStringLiteral("部门"), {5, std::nullopt});
}

TEST(RunJournalNamesTest, NameTheFileBesideTheSettingsAndTheErpByItsFileOrServer) {
    const QString path = JournalPath(QStringLiteral("/etc/hz/ZirurUzavarUriz.ini"), QStringLiteral("/data/book.xlsx"),
                                     QStringLiteral("sqlite:/data/erp.db"));
    EXPECT_TRUE(path.startsWith(QStringLiteral("/etc/hz/huizhang-journal/"))) << path.toStdString();
    EXPECT_NE(path, JournalPath(QStringLiteral("/etc/hz/ZirurUzavarUriz.ini"), QStringLiteral("/data/book2.xlsx"),
                                QStringLiteral("sqlite:/data/erp.db")));
    ConnectionSettings embedded;
    embedded.server = QStringLiteral("SQLite");
    embedded.database = QStringLiteral("HZDEMO_001_2026");
    embedded.settingsFolder = QStringLiteral("/no/such/folder");
    EXPECT_EQ(JournalErpName(embedded), QStringLiteral("sqlite:/no/such/folder/HZDEMO_001_2026.db"));
    ConnectionSettings server;
    server.server = QStringLiteral(" ERP-Server\\SQL ");
    server.database = QStringLiteral("ERP_001_2026");
    EXPECT_EQ(JournalErpName(server), QStringLiteral("mssql:erp-server\\sql/erp_001_2026"));
}

} // namespace
} // namespace hz
