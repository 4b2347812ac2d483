#include "engine/database/connection.h"
#include "engine/messages/run_error.h"
#include "tests/support/fresh_erp.h"
#include "tests/support/import_fixture.h"

#include <memory>
#include <string>
#include <vector>

namespace hz {
namespace {

using test::ImportFixture;
using test::TypedSheet;

class MasterRowTransactionTest : public ImportFixture {
protected:
    // While each message waits for the user, another program takes the write lock at once and writes down what
    // it sees of the class table.
    void WatchFromAnotherProgram() {
        other = erp.Connect();
        other->SetBusyTimeout(0);
        observer.onMessage = [this] {
            other->BeginTransaction();
            seen.push_back(test::Scalar(*other, QStringLiteral("Select group_concat(cInvCCode) as Value From "
                                                               "(Select cInvCCode From InventoryClass Order By 1)"))
                               .toString()
                               .toStdString());
            other->Rollback();
        };
    }

    std::unique_ptr<Connection> other;
    std::vector<std::string> seen;
};

// Each row's check and save share one transaction; it is over before any message, whether the row was refused
// by a check, by the database, or the run ended.
TEST_F(MasterRowTransactionTest, NoLockIsHeldWhileAMessageWaits) {
    WatchFromAnotherProgram();
    test::FailInsertOf(Con(), QStringLiteral("InventoryClass"), QStringLiteral("cInvCCode"), QStringLiteral("02"));
    const std::vector<TypedSheet> sheets = {{"存货分类",
                                             {{},
                                              {{}, std::string("01"), std::string("原材料")},
                                              {{}, std::string("02"), std::string("辅料")},
                                              {{}, std::string("03"), std::string("成品")},
                                              {{}, std::string("01"), std::string("重复")}}}};
    EXPECT_EQ(Import(sheets, {"存货分类"}), RunOutcome::Aborted);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"编号为 辅料 的存货分类保存失败！",
                                                    "存货分类第 5 行 01 在库中已存在请核实！", "中止导入！"}));
    EXPECT_EQ(seen, (std::vector<std::string>{"01", "01,03", "01,03"}));
    EXPECT_FALSE(Con().InTransaction());
}

TEST_F(MasterRowTransactionTest, AConversionErrorRollsTheRowBack) {
    const std::vector<TypedSheet> sheets = {{"收发类别",
                                             {{},
                                              {{}, std::string("1"), std::string("入库"), 1.0},
                                              {{}, std::string("2"), std::string("出库"), std::string("x")}}}};
    EXPECT_THROW(Import(sheets, {"收发类别"}), RunError);
    EXPECT_FALSE(Con().InTransaction());
    EXPECT_EQ(Count(QStringLiteral("Rd_Style")), 1);
}

} // namespace
} // namespace hz
