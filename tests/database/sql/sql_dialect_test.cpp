#include "engine/database/sql/sql_dialect.h"
#include "engine/database/sql/sql_parameters.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

const char* const kNow = "strftime('%Y-%m-%d %H:%M:%S','now','localtime')";

struct DialectCase {
    const char* name;
    QString sqlServer;
    QString sqlite;
};

// The ledger statement of the stock posting, as the engine sends it.
const QString kScmItem = QStringLiteral(
    "insert into SCM_Item(cInvCode,cfree1,cfree2,cfree3,cfree4,cfree5,cfree6,cfree7,cfree8,cfree9,cfree10)"
    " select distinct cInvCode,cfree1,cfree2,cfree3,cfree4,cfree5,cfree6,cfree7,cfree8,cfree9,cfree10  "
    "from SCM_EntryLedgerBuffer a with (nolock) "
    " where a.transactionid=:spid and not exists (select 1 from SCM_Item Item where "
    "Item.cInvCode=a.cInvCode and Item.cfree1=a.cfree1 ");
const QString kScmItemTail = QStringLiteral(
    " and Item.cfree2=a.cfree2 and Item.cfree3=a.cfree3 and Item.cfree4=a.cfree4 and Item.cfree5=a.cfree5 "
    " and Item.cfree6=a.cfree6 and Item.cfree7=a.cfree7 and Item.cfree8=a.cfree8 and "
    "Item.cfree9=a.cfree9 and Item.cfree10=a.cfree10  )");

const DialectCase kCases[] = {
    {"run date", "select getdate() as value", QStringLiteral("select ") + kNow + " as value"},
    {"server process id", "select @@spid as value", "select 57 as value"},
    {"empty dataset", "Select Top 0 * From Rd_Style", "Select * From Rd_Style LIMIT 0"},
    {"empty dataset of details", "Select Top 0 * From RdRecords", "Select * From RdRecords LIMIT 0"},
    {"cost price",
     "SELECT Top 1 (CASE WHEN isnull(iNum,0)=0 then 0 else  iMoney / iNum END) AS  iPrice  from IA_Summary  WHERE "
     "cWhCode=:cWhCode AND cInvCode=:cInvCode Order By iMonth Desc",
     "SELECT (CASE WHEN ifnull(iNum,0)=0 then 0 else  iMoney / iNum END) AS  iPrice  from IA_Summary  WHERE "
     "cWhCode=:cWhCode AND cInvCode=:cInvCode Order By iMonth Desc LIMIT 1"},
    {"ledger items", kScmItem + kScmItemTail, QString(kScmItem).replace(" with (nolock) ", "  ") + kScmItemTail},
    {"new code check", "Select 1 From Department WITH (UPDLOCK, HOLDLOCK) Where cDepCode = :Value",
     "Select 1 From Department  Where cDepCode = :Value"},
    {"name check", "Select cDepName From Department WITH (HOLDLOCK) Where cDepCode = :Value",
     "Select cDepName From Department  Where cDepCode = :Value"},
    {"code check", "Select 1 From Department Where cDepCode = :Value",
     "Select 1 From Department Where cDepCode = :Value"},
    {"name lookup", "Select cDepCode,cDepName From Department where cDepName = :Value",
     "Select cDepCode,cDepName From Department where cDepName = :Value"},
    {"group kind", "Select iGroupType From ComputationGroup Where cGroupCode = :Value",
     "Select iGroupType From ComputationGroup Where cGroupCode = :Value"},
    {"keywords in any case", "SELECT TOP 5 a FROM t WITH(NOLOCK) WHERE b = ISNULL (c, 0) AND d < GetDate ( ) + @@SPID",
     QStringLiteral("SELECT a FROM t  WHERE b = ifnull (c, 0) AND d < ") + kNow + " + 57 LIMIT 5"},
    {"lock hints in any case and spacing", "select a from t with(RowLock , ReadPast,nowait) where b = 1",
     "select a from t  where b = 1"},
    {"a hint that is no lock hint stays", "select a from t with (index(t_b)) where b = 1",
     "select a from t with (index(t_b)) where b = 1"},
    {"lock hints beside another hint stay", "select a from t with (updlock, index(t_b))",
     "select a from t with (updlock, index(t_b))"},
    {"unclosed hint stays", "select a from t with (updlock", "select a from t with (updlock"},
    {"common table expression stays", "with u as (select a from t) select a from u",
     "with u as (select a from t) select a from u"},
    {"distinct keeps its place", "select distinct top 3 a from t order by a",
     "select distinct a from t order by a LIMIT 3"},
    {"top in a subquery", "select a from t where b in (select top 1 b from u order by c) and e = 1",
     "select a from t where b in (select b from u order by c LIMIT 1) and e = 1"},
    {"limit before a semicolon", "select top 1 a from t; ", "select a from t LIMIT 1; "},
    {"limit before a trailing comment", "select top 2 a from t -- the first two\n",
     "select a from t LIMIT 2 -- the first two\n"},
    {"line breaks", "Select Top 0 *\r\nFrom T", "Select *\r\nFrom T LIMIT 0"},
    {"string literals untouched", "select 'Select Top 1 getdate() isnull( with (nolock) @@spid' as value",
     "select 'Select Top 1 getdate() isnull( with (nolock) @@spid' as value"},
    {"doubled quotes inside a literal", "select 'it''s top 1' from t where a = isnull(b, 'x''getdate()')",
     "select 'it''s top 1' from t where a = ifnull(b, 'x''getdate()')"},
    {"quoted names untouched", "select [top], \"isnull\" (a) from [with] (nolock)",
     "select [top], \"isnull\" (a) from [with] (nolock)"},
    {"parameters untouched", "select a from t where b = :isnull and c = :getdate and d = :top",
     "select a from t where b = :isnull and c = :getdate and d = :top"},
    {"names that only look like keywords", "select isnull, topic, getdate from t where x.isnull(1) = 1",
     "select isnull, topic, getdate from t where x.isnull(1) = 1"},
    {"top without a number stays", "select top (1) a from t", "select top (1) a from t"},
    {"comments untouched", "select a /* top 1 getdate() */ from t", "select a /* top 1 getdate() */ from t"},
};

class SqlDialectTest : public ::testing::TestWithParam<DialectCase> {};

TEST_P(SqlDialectTest, TranslatesToSqlite) {
    EXPECT_EQ(TranslateToSqlite(GetParam().sqlServer, 57).toStdString(), GetParam().sqlite.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Cases, SqlDialectTest, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return name;
});

struct ParameterCase {
    const char* name;
    QString sql;
    QString positional;
    QStringList names;
};

TEST(SqlParametersTest, ReplacesNamedParametersByPositions) {
    const ParameterCase cases[] = {
        {"one", "Select 1 From T Where c = :Value", "Select 1 From T Where c = ?", {"Value"}},
        {"two in text order",
         "WHERE cWhCode=:cWhCode AND cInvCode=:cInvCode",
         "WHERE cWhCode=? AND cInvCode=?",
         {"cWhCode", "cInvCode"}},
        {"repeated name", "a = :x or b = :X", "a = ? or b = ?", {"x", "X"}},
        {"inside literals",
         "a = ':Value' and b = '10:30' and c = [:d]",
         "a = ':Value' and b = '10:30' and c = [:d]",
         {}},
        {"not a name", "a = : b and c = :1", "a = : b and c = :1", {}},
        {"next to symbols", "f(:a,:b_2)", "f(?,?)", {"a", "b_2"}},
    };
    for (const ParameterCase& c : cases) {
        const PositionalSql result = ToPositional(c.sql);
        EXPECT_EQ(result.text.toStdString(), c.positional.toStdString()) << c.name;
        EXPECT_EQ(result.names, c.names) << c.name;
    }
}

} // namespace
} // namespace hz
