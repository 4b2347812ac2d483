#include "engine/database/database_error.h"
#include "engine/database/embedded_erp/erp_collation.h"
#include "engine/database/query.h"
#include "tests/support/fresh_erp.h"

#include <gtest/gtest.h>

#include <cstring>

namespace hz {
namespace {

using test::Execute;
using test::FreshErp;
using test::Scalar;

int Sign(int value) {
    return (value > 0) - (value < 0);
}

int Compare(const char* a, const char* b) {
    return Sign(HzCompareErpText(static_cast<int>(std::strlen(a)), a, static_cast<int>(std::strlen(b)), b));
}

struct CollationCase {
    const char* name;
    const char* a;
    const char* b;
    int expected;
};

TEST(ErpCollation, ComparesAsTheErpsCollation) {
    const CollationCase cases[] = {
        {"trailing blanks ignored", "01", "01  ", 0},
        {"letter case ignored", "Ab", "AB", 0},
        {"case and blanks together", "ab ", "AB", 0},
        {"empty equals blanks", "", "   ", 0},
        {"leading blanks count", " 01", "01", -1},
        {"trailing tab counts", "01\t", "01", 1},
        {"prefix sorts first", "01", "011", -1},
        {"digits order", "02", "10", -1},
        {"chinese equal", "仓库", "仓库 ", 0},
        {"chinese by code point", "仓库一", "仓库二", -1},
        {"fullwidth letters keep their case", "Ａ", "ａ", -1},
        {"letters sort without case", "a", "B", -1},
        {"long keys alike but for case", "包装箱A型100号 ", "包装箱a型100号", 0},
        {"long keys differ after a common prefix", "包装箱A型100号", "包装箱A型101号", -1},
        {"case beyond the eighth byte", "ABCDEFGHIJKLMNOPq", "abcdefghijklmnopR", -1},
    };
    for (const CollationCase& c : cases) {
        EXPECT_EQ(Compare(c.a, c.b), c.expected) << c.name;
        EXPECT_EQ(Compare(c.b, c.a), -c.expected) << c.name << " (reversed)";
    }
}

TEST(ErpCollation, CodesThatDifferInCaseOrTrailingBlanksCollideOnUniqueKeys) {
    FreshErp erp;
    auto connection = erp.Connect();
    Execute(*connection, QStringLiteral("INSERT INTO CustomerClass (cCCCode, cCCName) VALUES ('01', 'Ab')"));
    Execute(*connection, QStringLiteral("INSERT INTO Inventory (cInvCode) VALUES ('Ab')"));
    EXPECT_THROW(Execute(*connection, QStringLiteral("INSERT INTO CustomerClass (cCCCode) VALUES (:Value)"),
                         QStringLiteral("01  ")),
                 DatabaseError);
    EXPECT_THROW(
        Execute(*connection, QStringLiteral("INSERT INTO Inventory (cInvCode) VALUES (:Value)"), QStringLiteral("AB")),
        DatabaseError);
    EXPECT_NO_THROW(Execute(*connection, QStringLiteral("INSERT INTO Inventory (cInvCode) VALUES (:Value)"),
                            QStringLiteral(" AB")));
}

TEST(ErpCollation, LookupsMatchWithoutCaseAndTrailingBlanks) {
    FreshErp erp;
    auto connection = erp.Connect();
    Execute(*connection, QStringLiteral("INSERT INTO Department (cDepCode, cDepName) VALUES ('D01', 'Sales 部')"));
    const std::vector<std::pair<QString, bool>> codes = {
        {QStringLiteral("D01"), true},   {QStringLiteral("d01"), true},   {QStringLiteral("D01  "), true},
        {QStringLiteral(" D01"), false}, {QStringLiteral("D011"), false}, {QStringLiteral("D0"), false},
    };
    for (const auto& [code, found] : codes)
        EXPECT_EQ(Scalar(*connection, QStringLiteral("Select 1 AS Value From Department Where cDepCode = :Value"), code)
                      .isValid(),
                  found)
            << code.toStdString();
    EXPECT_EQ(Scalar(*connection, QStringLiteral("Select cDepCode AS Value From Department where cDepName = :Value"),
                     QStringLiteral("SALES 部 "))
                  .toString(),
              QStringLiteral("D01"));
}

} // namespace
} // namespace hz
