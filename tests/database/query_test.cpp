#include "engine/database/database_error.h"
#include "engine/database/query.h"
#include "tests/database/test_database.h"

#include <QDateTime>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace hz {
namespace {

class QueryTest : public test::DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        test::ExecSqlite(path, "insert into Department (cDepCode, cDepName, iDepGrade, iRate) values "
                               "('01', 'Finance', 1, 0.5), ('02', 'O''Brien; drop table Ledger', 2, 12.0),"
                               "('03', 'Sales', 3, NULL)");
    }

    // The driver's words for an error, which the two drivers phrase differently.
    std::string DriverWords(const std::string& sqlite) const { return Odbc() ? "[SQLite]" + sqlite + " (1)" : sqlite; }
};

TEST_P(QueryTest, BindsValuesByNameWithoutPastingThem) {
    Query query(connection);
    query.SetText(QStringLiteral("Select cDepCode,cDepName From Department where cDepName = :Value"));
    query.Bind(QStringLiteral(":VALUE"), QStringLiteral("O'Brien; drop table Ledger"));
    query.Exec();
    ASSERT_EQ(query.RecordCount(), 1);
    ASSERT_TRUE(query.Next());
    EXPECT_EQ(query.Text(QStringLiteral("CDEPCODE")), QStringLiteral("02"));
    EXPECT_FALSE(query.Next());
    EXPECT_EQ(test::SelectSqlite(path, "select count(*) from Ledger"), (std::vector<std::vector<std::string>>{{"0"}}));

    // The same text again, with another value, on a new query object: the prepared statement is shared.
    Query again(connection);
    again.SetText(query.Text());
    again.Bind(QStringLiteral("Value"), QStringLiteral("Sales"));
    again.Exec();
    ASSERT_TRUE(again.First());
    EXPECT_EQ(again.Text(QStringLiteral("cDepCode")), QStringLiteral("03"));
}

TEST_P(QueryTest, BindsByPositionAmongDistinctNames) {
    Query query(connection);
    query.SetText(QStringLiteral("Select cDepCode From Department where iDepGrade >= :Low and iDepGrade <= :High "
                                 "and iDepGrade <> :low + 1 order by cDepCode"));
    query.Bind(0, 1);
    query.Bind(1, 3);
    query.Exec();
    QStringList codes;
    while (query.Next()) {
        codes.append(query.Text(QStringLiteral("cDepCode")));
    }
    EXPECT_EQ(codes, QStringList({"01", "03"}));
    EXPECT_THROW(query.Bind(2, 0), DatabaseError);
}

TEST_P(QueryTest, ReadsFieldsAsTextNumbersAndNull) {
    Query query(connection);
    query.SetText(QStringLiteral("Select iDepGrade, iRate, dDepBeginDate From Department order by cDepCode"));
    query.Exec();
    ASSERT_TRUE(query.Next());
    EXPECT_EQ(query.Int(QStringLiteral("iDepGrade")), 1);
    EXPECT_EQ(query.Text(QStringLiteral("iRate")), QStringLiteral("0.5"));
    EXPECT_EQ(query.Text(QStringLiteral("dDepBeginDate")), QString());
    ASSERT_TRUE(query.Next());
    EXPECT_EQ(query.Text(QStringLiteral("iRate")), QStringLiteral("12"));
    EXPECT_DOUBLE_EQ(query.Double(QStringLiteral("iRate")), 12.0);
    ASSERT_TRUE(query.Next());
    EXPECT_DOUBLE_EQ(query.Double(QStringLiteral("iRate")), 0.0);
}

TEST_P(QueryTest, QueryValueGivesTheFirstRecordOrEmptyText) {
    EXPECT_EQ(QueryValue(connection, QStringLiteral("select cDepName as Value from Department order by cDepCode")),
              QStringLiteral("Finance"));
    EXPECT_EQ(QueryValue(connection, QStringLiteral("select cDepName as value from Department where 1 = 0")),
              QString());
    const QString now = QueryValue(connection, QStringLiteral("select getdate() as value"));
    const QDateTime read = QDateTime::fromString(now, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    ASSERT_TRUE(read.isValid()) << now.toStdString();
    EXPECT_LE(qAbs(read.secsTo(QDateTime::currentDateTime())), 60);
}

TEST_P(QueryTest, TopOneWithOrderGivesTheLatestRow) {
    Query query(connection);
    query.SetText(QStringLiteral("SELECT Top 1 (CASE WHEN isnull(iRate,0)=0 then 0 else  iDepGrade / iRate END) AS  "
                                 "iPrice  from Department  WHERE cDepCode <> :Code Order By cDepCode Desc"));
    query.Bind(QStringLiteral("code"), QStringLiteral("01"));
    query.Exec();
    ASSERT_EQ(query.RecordCount(), 1);
    query.First();
    EXPECT_EQ(query.Text(QStringLiteral("iPrice")), QStringLiteral("0"));
}

TEST_P(QueryTest, ErrorsNameWhatIsWrongAndTheStatement) {
    const QString missingTable = QStringLiteral("Select 1 From Nowhere Where cCode = :Value");
    const QString missingColumn = QStringLiteral("Select cNope From Department");
    struct Case {
        const char* name;
        std::function<void()> action;
        std::string expected;
    };
    const Case cases[] = {
        {"missing table",
         [&] {
             Query query(connection);
             query.SetText(missingTable);
             query.Exec();
         },
         DriverWords("no such table: Nowhere") + "\n语句：" + missingTable.toStdString()},
        {"missing column",
         [&] {
             Query query(connection);
             query.SetText(missingColumn);
             query.Exec();
         },
         DriverWords("no such column: cNope") + "\n语句：" + missingColumn.toStdString()},
        {"unknown parameter",
         [&] {
             Query query(connection);
             query.SetText(QStringLiteral("Select 1 From Department Where cDepCode = :Value"));
             query.Bind(QStringLiteral("Code"), 1);
         },
         "语句中没有参数 Code\n语句：Select 1 From Department Where cDepCode = :Value"},
        {"unknown field",
         [&] {
             Query query(connection);
             query.SetText(QStringLiteral("Select cDepName From Department"));
             query.Exec();
             query.Next();
             query.Text(QStringLiteral("cDepCode"));
         },
         "查询结果中没有字段 cDepCode\n语句：Select cDepName From Department"},
        {"no current record",
         [&] {
             Query query(connection);
             query.SetText(QStringLiteral("Select cDepName From Department where 1 = 0"));
             query.Exec();
             query.Text(QStringLiteral("cDepName"));
         },
         "查询没有当前记录，无法读取字段 cDepName\n语句：Select cDepName From Department where 1 = 0"},
        {"text that is no integer",
         [&] {
             Query query(connection);
             query.SetText(QStringLiteral("Select cDepName From Department order by cDepCode"));
             query.Exec();
             query.Next();
             query.Int(QStringLiteral("cDepName"));
         },
         "字段 cDepName 的值 Finance 不是整数\n语句：Select cDepName From Department order by cDepCode"},
    };
    for (const Case& c : cases) {
        try {
            c.action();
            ADD_FAILURE() << c.name << ": no error";
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.Text().toStdString(), c.expected) << c.name;
        }
    }
}

TEST_P(QueryTest, StatementsWithoutRecordsReportRowsAffected) {
    Query query(connection);
    query.SetText(QStringLiteral("update Department set cDepMemo = :Memo where iDepGrade >= 2"));
    query.Bind(QStringLiteral("Memo"), QStringLiteral("moved"));
    query.Exec();
    EXPECT_EQ(query.RowsAffected(), 2);
    EXPECT_TRUE(query.IsEmpty());
}

TEST_P(QueryTest, BoundTextsAndDatesArriveAsGivenOnOneStatement) {
    // In turn on one prepared statement, so that a longer text follows a shorter one and the other way round.
    const struct {
        const char* name;
        QVariant value;
        const char* text;
        const char* kind;
    } cases[] = {
        {"chinese with a trailing blank", QStringLiteral("仓库一 "), "仓库一 ", "text"},
        {"empty text", QStringLiteral(""), "", "text"},
        {"longer text after an empty one", QStringLiteral("包装箱A型100号/Ａｂ"), "包装箱A型100号/Ａｂ", "text"},
        {"null text", QString(), "", "null"},
        {"date", QDate(2024, 3, 5), "2024-03-05 00:00:00", "text"},
        {"earliest date-time", QDateTime(QDate(1753, 1, 1), QTime(8, 9, 10)), "1753-01-01 08:09:10", "text"},
        {"latest date-time", QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59)), "9999-12-31 23:59:59", "text"},
    };
    Query query(connection);
    for (const auto& c : cases) {
        query.SetText(QStringLiteral("Select :Value as Given, typeof(:Value) as Kind"));
        query.Bind(QStringLiteral("Value"), c.value);
        query.Exec();
        ASSERT_TRUE(query.First()) << c.name;
        EXPECT_EQ(query.Text(QStringLiteral("Given")).toStdString(), c.text) << c.name;
        EXPECT_EQ(query.Text(QStringLiteral("Kind")).toStdString(), c.kind) << c.name;
    }

    query.SetText(QStringLiteral("Select :Value as Given"));
    query.Bind(QStringLiteral("Value"), QDate(1752, 12, 31));
    try {
        query.Exec();
        FAIL() << "a date before 1753 was bound";
    } catch (const DatabaseError& error) {
        EXPECT_TRUE(error.Text().contains(QStringLiteral("1752-12-31 超出数据库 datetime 的范围")))
            << error.Text().toStdString();
    }
}

HZ_INSTANTIATE_FOR_DRIVERS(QueryTest);

TEST(VariantTextTest, FieldsReadAsText) {
    const std::pair<QVariant, QString> cases[] = {
        {QVariant(), ""},
        {QVariant(QMetaType::fromType<int>()), ""},
        {QString(" a "), " a "},
        {qlonglong(1001), "1001"},
        {12.0, "12"},
        {0.1 + 0.2, "0.3"},
        {123456789012.5, "123456789012.5"},
        {true, "True"},
        {QDateTime(QDate(2024, 3, 5), QTime(8, 9, 10, 500)), "2024-03-05 08:09:10"},
        {QDate(2024, 12, 31), "2024-12-31"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(VariantText(value), text) << value.typeName();
    }
}

} // namespace
} // namespace hz
