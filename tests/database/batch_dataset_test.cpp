#include "engine/database/batch_dataset.h"
#include "engine/database/database_error.h"
#include "tests/database/test_database.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace hz {
namespace {

using Rows = std::vector<std::vector<std::string>>;

const char* const kAll = "select cDepCode, cDepName, iDepGrade, bDepEnd, dDepBeginDate, cDepMemo, iRate "
                         "from Department order by rowid";

class BatchDatasetTest : public test::DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        dataset.Open(QStringLiteral("Select Top 0 * From Department"));
    }
    void AppendDepartment(const QString& code, const QString& name) {
        dataset.Append();
        dataset.SetField(QStringLiteral("cDepCode"), code);
        dataset.SetField(QStringLiteral("cDepName"), name);
    }
    Rows Stored() { return test::SelectSqlite(path, kAll); }
    std::string ErrorOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const DatabaseError& error) {
            return error.Text().toStdString();
        }
        return "no error";
    }

    BatchDataset dataset{connection};
};

TEST_P(BatchDatasetTest, LearnsTheTableAndItsColumns) {
    EXPECT_EQ(dataset.TableName(), QStringLiteral("Department"));
    EXPECT_EQ(dataset.ColumnNames(),
              QStringList({"cDepCode", "cDepName", "iDepGrade", "bDepEnd", "dDepBeginDate", "cDepMemo", "iRate"}));
    EXPECT_EQ(dataset.RecordCount(), 0);
    EXPECT_EQ(dataset.State(), DatasetState::Browse);
    EXPECT_EQ(Stored(), Rows{});
}

TEST_P(BatchDatasetTest, SendsOnlyTheFieldsThatWereSet) {
    AppendDepartment(QStringLiteral("01"), QStringLiteral("Finance"));
    dataset.Append();
    dataset.SetField(QStringLiteral("CDEPCODE"), QStringLiteral("02"));
    dataset.SetField(QStringLiteral("cdepname"), QStringLiteral("Sales"));
    dataset.SetField(QStringLiteral("bDepEnd"), false);
    dataset.SetField(QStringLiteral("dDepBeginDate"), QDateTime(QDate(2024, 3, 5), QTime(8, 9, 10)));
    dataset.SetField(QStringLiteral("cDepMemo"), QVariant());
    dataset.Append();
    dataset.SetField(QStringLiteral("dDepBeginDate"), QDate(2024, 12, 31));
    dataset.SetField(QStringLiteral("cDepName"), QStringLiteral("Stock"));
    dataset.SetField(QStringLiteral("cDepCode"), QStringLiteral("03"));
    dataset.SetField(QStringLiteral("iRate"), 0.25);
    dataset.SetField(QStringLiteral("bDepEnd"), true);
    EXPECT_EQ(Stored(), Rows{});

    connection.BeginTransaction();
    dataset.UpdateBatch();
    connection.Commit();
    EXPECT_EQ(Stored(), (Rows{
                            {"01", "Finance", "1", "1", "NULL", "none", "NULL"},
                            {"02", "Sales", "1", "0", "2024-03-05 08:09:10", "NULL", "NULL"},
                            {"03", "Stock", "1", "1", "2024-12-31 00:00:00", "none", "0.25"},
                        }));
    EXPECT_EQ(dataset.PendingCount(), 0);
    EXPECT_EQ(dataset.RecordCount(), 3);
    EXPECT_EQ(dataset.State(), DatasetState::Browse);

    // Sent rows are not sent again.
    AppendDepartment(QStringLiteral("04"), QStringLiteral("Plant"));
    dataset.UpdateBatch();
    EXPECT_EQ(Stored().size(), 4u);
}

TEST_P(BatchDatasetTest, NullTextIsNullAndEmptyTextIsEmpty) {
    AppendDepartment(QStringLiteral("01"), QStringLiteral(""));
    dataset.SetField(QStringLiteral("cDepMemo"), QString());
    dataset.UpdateBatch();
    EXPECT_EQ(test::SelectSqlite(path, "select quote(cDepName), quote(cDepMemo) from Department"),
              (Rows{{"''", "NULL"}}));
}

TEST_P(BatchDatasetTest, StatesAndNavigation) {
    AppendDepartment(QStringLiteral("01"), QStringLiteral("A"));
    EXPECT_EQ(dataset.State(), DatasetState::Insert);
    AppendDepartment(QStringLiteral("02"), QStringLiteral("B"));
    AppendDepartment(QStringLiteral("03"), QStringLiteral("C"));
    EXPECT_EQ(dataset.RecordCount(), 3);
    EXPECT_EQ(dataset.RecNo(), 2);

    // Walking back from the last row, as the voucher saving does with its detail rows.
    EXPECT_TRUE(dataset.Prior());
    EXPECT_EQ(dataset.State(), DatasetState::Browse);
    EXPECT_EQ(dataset.Field(QStringLiteral("cDepCode")), QVariant(QStringLiteral("02")));
    dataset.Edit();
    EXPECT_EQ(dataset.State(), DatasetState::Edit);
    dataset.SetField(QStringLiteral("cDepName"), QStringLiteral("B2"));
    EXPECT_TRUE(dataset.Prior());
    EXPECT_FALSE(dataset.Prior());
    EXPECT_EQ(dataset.RecNo(), 0);
    EXPECT_TRUE(dataset.Last());
    EXPECT_EQ(dataset.Field(QStringLiteral("cDepCode")), QVariant(QStringLiteral("03")));
    EXPECT_TRUE(dataset.First());
    EXPECT_TRUE(dataset.Next());
    EXPECT_EQ(dataset.Field(QStringLiteral("cDepName")), QVariant(QStringLiteral("B2")));
    EXPECT_EQ(dataset.Field(QStringLiteral("iRate")), QVariant());

    // Cancel drops an appended row, and restores an edited one.
    dataset.Edit();
    dataset.SetField(QStringLiteral("cDepName"), QStringLiteral("lost"));
    dataset.Cancel();
    EXPECT_EQ(dataset.Field(QStringLiteral("cDepName")), QVariant(QStringLiteral("B2")));
    AppendDepartment(QStringLiteral("04"), QStringLiteral("D"));
    dataset.Cancel();
    EXPECT_EQ(dataset.RecordCount(), 3);
    EXPECT_EQ(dataset.RecNo(), 2);

    dataset.UpdateBatch();
    EXPECT_EQ(test::SelectSqlite(path, "select cDepName from Department order by rowid"), (Rows{{"A"}, {"B2"}, {"C"}}));
}

TEST_P(BatchDatasetTest, CancelBatchDropsPendingRowsAndKeepsSentOnes) {
    AppendDepartment(QStringLiteral("01"), QStringLiteral("Sent"));
    dataset.UpdateBatch();
    AppendDepartment(QStringLiteral("02"), QStringLiteral("Pending"));
    AppendDepartment(QStringLiteral("03"), QStringLiteral("Pending too"));
    dataset.CancelBatch();
    EXPECT_EQ(dataset.RecordCount(), 1);
    EXPECT_EQ(dataset.PendingCount(), 0);
    EXPECT_EQ(dataset.State(), DatasetState::Browse);
    EXPECT_EQ(dataset.Field(QStringLiteral("cDepName")), QVariant(QStringLiteral("Sent")));
    dataset.UpdateBatch();
    EXPECT_EQ(test::SelectSqlite(path, "select cDepCode from Department"), Rows{{"01"}});
}

TEST_P(BatchDatasetTest, RefusedRowLeavesTheWholeBatchPending) {
    test::ExecSqlite(path, "insert into Department (cDepCode, cDepName) values ('02', 'Existing')");
    AppendDepartment(QStringLiteral("01"), QStringLiteral("New"));
    AppendDepartment(QStringLiteral("02"), QStringLiteral("Duplicate"));
    connection.BeginTransaction();
    const std::string driverWords = Odbc() ? "[SQLite]UNIQUE constraint failed: Department.cDepCode (19)"
                                           : "UNIQUE constraint failed: Department.cDepCode";
    EXPECT_EQ(ErrorOf([&] { dataset.UpdateBatch(); }),
              driverWords + "\n语句：INSERT INTO Department ([cDepCode],[cDepName]) VALUES (?,?)");
    EXPECT_EQ(dataset.PendingCount(), 2);
    connection.Rollback();
    EXPECT_EQ(test::SelectSqlite(path, "select cDepCode from Department"), Rows{{"02"}});

    // The caller cancels the refused batch; the next row goes through on its own.
    dataset.CancelBatch();
    AppendDepartment(QStringLiteral("03"), QStringLiteral("Next"));
    dataset.UpdateBatch();
    EXPECT_EQ(test::SelectSqlite(path, "select cDepCode from Department order by cDepCode"), (Rows{{"02"}, {"03"}}));
}

TEST_P(BatchDatasetTest, WithoutACallerTransactionTheBatchIsAllOrNothing) {
    AppendDepartment(QStringLiteral("01"), QStringLiteral("New"));
    AppendDepartment(QStringLiteral("01"), QStringLiteral("Twice"));
    EXPECT_THROW(dataset.UpdateBatch(), DatabaseError);
    EXPECT_FALSE(connection.InTransaction());
    EXPECT_EQ(Stored(), Rows{});
}

TEST_P(BatchDatasetTest, MisuseNamesTheFieldAndTheTable) {
    EXPECT_EQ(ErrorOf([&] {
                  dataset.Append();
                  dataset.SetField(QStringLiteral("cNope"), 1);
              }),
              "表 Department 中没有字段 cNope");
    EXPECT_EQ(ErrorOf([&] { dataset.Field(QStringLiteral("cNope")); }), "表 Department 中没有字段 cNope");
    dataset.Post();
    EXPECT_EQ(ErrorOf([&] { dataset.SetField(QStringLiteral("cDepCode"), 1); }),
              "表 Department 的数据集不在编辑或插入状态，不能设置字段 cDepCode");
    dataset.CancelBatch();
    AppendDepartment(QStringLiteral("01"), QStringLiteral("Sent"));
    dataset.UpdateBatch();
    EXPECT_EQ(ErrorOf([&] { dataset.Edit(); }), "表 Department 的记录已经保存，不能再修改");

    BatchDataset missing(connection);
    const std::string driverWords = Odbc() ? "[SQLite]no such table: Nowhere (1)" : "no such table: Nowhere";
    EXPECT_EQ(ErrorOf([&] { missing.Open(QStringLiteral("Select Top 0 * From Nowhere")); }),
              driverWords + "\n语句：Select Top 0 * From Nowhere");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(ErrorOf([&] { missing.Append(); }), "数据集没有打开");
}

HZ_INSTANTIATE_FOR_DRIVERS(BatchDatasetTest);

} // namespace
} // namespace hz
