#include "tests/support/import_fixture.h"

namespace hz {
namespace {

using test::DateCell;
using test::ImportFixture;

class ImportFixtureTest : public ImportFixture {};

TEST_F(ImportFixtureTest, ImportsAClassAndReadsItBack) {
    EXPECT_EQ(Import({{"存货分类", {{}, {{}, std::string("01"), std::string("原材料")}}}}, {"存货分类"}),
              RunOutcome::Completed);
    const QVariantMap row = Row(QStringLiteral("InventoryClass"), QStringLiteral("cInvCCode"), QStringLiteral("01"));
    EXPECT_EQ(row.value(QStringLiteral("cInvCName")).toString(), QStringLiteral("原材料"));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"导入完成！"}));
    EXPECT_EQ(StartRowBox("存货分类"), "3");
    EXPECT_EQ(Count(QStringLiteral("InventoryClass")), 1);
}

} // namespace
} // namespace hz
