// The run journal through the real run on a fresh embedded ERP: where each kind resumes, what a resumed run settles
// first, and a run stopped at a row boundary.
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/database/query.h"
#include "engine/run/stop_request.h"
#include "engine/run/voucher_posting.h"
#include "importers/vouchers/stock_voucher_saving.h"
#include "tests/importers/outgoing_voucher_fixture.h"
#include "tests/support/import_fixture.h"
#include "tests/support/run_error_text.h"

#include <QFileInfo>

#include <map>
#include <string>
#include <vector>

namespace hz {
namespace {

using namespace std::string_literals;
using test::ExecuteAll;
using test::FailProcedure;
using test::ImportFixture;
using test::RunErrorText;
using test::Scalar;
using test::TypedSheet;
using Texts = std::vector<std::string>;

const char* const kDepartments = "部门";
const char* const kOpeningStock = "存货期初";

// Departments D1 to D<count> on rows 2 and below.
TypedSheet Departments(int count) {
    TypedSheet sheet{kDepartments, {{"header"s}}};
    for (int i = 1; i <= count; ++i) {
        sheet.rows.push_back({{}, "D" + std::to_string(i), "部" + std::to_string(i)});
    }
    return sheet;
}

// One opening stock row per quantity, item A001 in warehouse W1, each a voucher of its own.
TypedSheet OpeningStock(const std::vector<double>& quantities) {
    TypedSheet sheet{kOpeningStock, {{"header"s}}};
    for (double quantity : quantities) {
        sheet.rows.push_back({{},
                              "原料库"s,
                              "W1"s,
                              "A001"s,
                              "钢板"s,
                              "吨"s,
                              quantity,
                              2.0,
                              quantity * 2,
                              test::DateCell{2023, 1, 31},
                              "1"s,
                              "采购部"s});
    }
    return sheet;
}

class ResumeTest : public ImportFixture {
protected:
    void SetUp() override {
        ExecuteAll(Con(), {
                              "Insert Into Warehouse (cWhCode, cWhName) Values ('W1', '原料库')",
                              "Insert Into Inventory (cInvCode, cInvName) Values ('A001', '钢板')",
                              "Insert Into Department (cDepCode, cDepName) Values ('1', '采购部')",
                          });
    }
    void TearDown() override { ClearStopRequest(); }

    const std::vector<TypedSheet> book = {Departments(3), OpeningStock({10, 20, 30})};
    const Texts kinds = {kDepartments, kOpeningStock};

    std::map<QString, int> JournalRows() {
        std::map<QString, int> rows;
        for (const auto& [kind, entry] : Journal().Read()) {
            rows[kind] = entry.row;
        }
        return rows;
    }
    QVariant Stock() {
        return Scalar(Con(), QStringLiteral("Select iQuantity As Value From CurrentStock Where cInvCode = 'A001'"));
    }
    int OpeningVouchers() {
        return Scalar(Con(), QStringLiteral("Select count(*) As Value From RdRecord Where cVouchType = '34'")).toInt();
    }
    // The first opening stock voucher's id and its stock text, as a posting journals it.
    // The last voucher's, which a run killed in its posting would have journaled: none is saved after it.
    std::pair<QString, QString> LastVoucherStock() {
        const QString id = Scalar(Con(), QStringLiteral("Select max(ID) As Value From RdRecord")).toString();
        Query query(Con());
        return {id, VoucherStock(query, id)};
    }
    // Writes the opening stock entry as a run killed inside the posting of voucher id would have left it.
    void JournalPosting(const QString& id, const QString& before, const QString& after, int rowAfter) {
        JournalItem item;
        item.step = JournalItem::Step::VoucherPosting;
        item.rowAfter = rowAfter;
        item.table = QStringLiteral("RdRecord");
        item.value = id;
        item.detailTable = QStringLiteral("RdRecords");
        item.lines = 1;
        item.vouchType = QStringLiteral("34");
        item.voucherKey = QStringLiteral("A001");
        item.stockBefore = before;
        item.stockAfter = after;
        Journal().Record(QString::fromUtf8(kOpeningStock), {rowAfter, item});
    }
};

// Every kind's entry follows its committed rows, and a resumed run starts there: nothing twice, nothing missing.
TEST_F(ResumeTest, AResumedRunStartsEachKindWhereTheJournalSays) {
    ASSERT_EQ(Import(book, kinds), RunOutcome::Completed);
    EXPECT_EQ(JournalRows(), (std::map<QString, int>{{QStringLiteral("部门"), 5}, {QStringLiteral("存货期初"), 5}}));

    // Two more rows of each; a plain run from row 2 would stop at the first department code.
    resume = true;
    observer = {};
    const std::vector<TypedSheet> longer = {Departments(5), OpeningStock({10, 20, 30, 40, 50})};
    EXPECT_EQ(Import(longer, kinds), RunOutcome::Completed);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    EXPECT_EQ(Count(QStringLiteral("Department")), 6);
    EXPECT_EQ(OpeningVouchers(), 5);
    EXPECT_EQ(Stock().toDouble(), 150.0);
    EXPECT_EQ(StartRowBox(kDepartments), "7");
    EXPECT_EQ(JournalRows(), (std::map<QString, int>{{QStringLiteral("部门"), 7}, {QStringLiteral("存货期初"), 7}}));
}

// The journal names the row a run was committing; the ERP tells whether it landed before the kill.
TEST_F(ResumeTest, AMasterRowInFlightIsAskedOfTheErp) {
    for (const bool landed : {true, false}) {
        SCOPED_TRACE(landed ? "landed" : "lost");
        ExecuteAll(Con(), {"Delete From Department Where cDepCode Like 'D%'"});
        if (landed) {
            ExecuteAll(Con(), {"Insert Into Department (cDepCode, cDepName) Values ('D1', '部1')",
                               "Insert Into Department (cDepCode, cDepName) Values ('D2', '部2')"});
        } else {
            ExecuteAll(Con(), {"Insert Into Department (cDepCode, cDepName) Values ('D1', '部1')"});
        }
        JournalItem item;
        item.step = JournalItem::Step::MasterRow;
        item.rowAfter = 4;
        item.table = QStringLiteral("Department");
        item.field = QStringLiteral("cDepCode");
        item.value = QStringLiteral("D2");
        Journal().Record(QString::fromUtf8(kDepartments), {3, item});

        resume = true;
        observer = {};
        EXPECT_EQ(Import({Departments(3)}, Texts{kDepartments}), RunOutcome::Completed);
        EXPECT_EQ(Messages(), Texts{"导入完成！"});
        EXPECT_EQ(Count(QStringLiteral("Department")), 4);
        EXPECT_EQ(JournalRows()[QStringLiteral("部门")], 5);
    }
}

// A posting that failed leaves the voucher saved; the resumed run posts it before it goes on, so that the ERP ends as
// one uninterrupted run leaves it.
TEST_F(ResumeTest, AVoucherSavedAndNotPostedIsPostedFirst) {
    FailProcedure(Con(), QStringLiteral("ST_VerForStock"));
    EXPECT_EQ(Import(book, kinds), RunOutcome::Aborted);
    EXPECT_EQ(OpeningVouchers(), 1);
    EXPECT_TRUE(Stock().isNull());
    EXPECT_EQ(JournalRows()[QStringLiteral("存货期初")], 3);

    InstallEmbeddedErp(Con()); // the ERP's own procedures again
    resume = true;
    observer = {};
    EXPECT_EQ(Import(book, kinds), RunOutcome::Completed);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    EXPECT_EQ(OpeningVouchers(), 3);
    EXPECT_EQ(Stock().toDouble(), 60.0);
    EXPECT_EQ(Count(QStringLiteral("Department")), 4);
}

// A kill inside a posting: the stock journaled before and after it tells whether its commit landed. When the stock
// is neither, another program moved it, and the run refuses to guess.
TEST_F(ResumeTest, APostingInFlightIsJudgedByTheStockItMoved) {
    ASSERT_EQ(Import({OpeningStock({10, 20})}, Texts{kOpeningStock}), RunOutcome::Completed);
    const auto [id, stock] = LastVoucherStock();
    resume = true;

    JournalPosting(id, QStringLiteral("1/0"), stock, 4);
    EXPECT_EQ(Import({OpeningStock({10, 20})}, Texts{kOpeningStock}), RunOutcome::Completed);
    EXPECT_EQ(Stock().toDouble(), 30.0) << "landed: not posted again";

    JournalPosting(id, stock, QStringLiteral("1/999"), 4);
    EXPECT_EQ(Import({OpeningStock({10, 20})}, Texts{kOpeningStock}), RunOutcome::Completed);
    EXPECT_EQ(Stock().toDouble(), 50.0) << "not landed: posted now";
    EXPECT_EQ(OpeningVouchers(), 2);

    JournalPosting(id, QStringLiteral("1/1"), QStringLiteral("1/2"), 4);
    const std::string error = RunErrorText([&] { Import({OpeningStock({10, 20})}, Texts{kOpeningStock}); });
    EXPECT_NE(error.find("存货期初单据号为 A001 的单据已保存，但其存货的现存量在中断后被其他单据改变"),
              std::string::npos)
        << error;
    EXPECT_EQ(Stock().toDouble(), 50.0);
}

// A stop ends the run at a row boundary: the row in hand is finished, "中止导入！" shown, the journal and the box at
// the next row; a resumed run completes what one run would have done.
TEST_F(ResumeTest, AStopEndsTheRunAtARowBoundary) {
    observer.onProgress = [](const QString& worksheet, int row) {
        if (worksheet == QStringLiteral("部门") && row == 3) {
            RequestStop();
        }
    };
    EXPECT_EQ(Import(book, kinds), RunOutcome::Interrupted);
    EXPECT_EQ(Messages(), Texts{"中止导入！"});
    EXPECT_EQ(Count(QStringLiteral("Department")), 2) << "采购部 and D1";
    EXPECT_EQ(StartRowBox(kDepartments), "3");
    EXPECT_EQ(JournalRows(), (std::map<QString, int>{{QStringLiteral("部门"), 3}}));

    ClearStopRequest();
    observer = {};
    resume = true;
    EXPECT_EQ(Import(book, kinds), RunOutcome::Completed);
    EXPECT_EQ(Count(QStringLiteral("Department")), 4);
    EXPECT_EQ(OpeningVouchers(), 3);
}

class StopInAVoucherTest : public test::OutgoingVoucherFixture {
protected:
    void TearDown() override { ClearStopRequest(); }
};

// A stop asked for inside a voucher waits for its last line: the voucher is saved whole, the next one is not begun,
// and the box and the journal show its first row.
TEST_F(StopInAVoucherTest, TheVoucherInHandIsSavedWhole) {
    observer.onProgress = [](const QString&, int row) {
        if (row == 3) {
            RequestStop();
        }
    };
    const TypedSheet sheet = test::TransferSheet(
        {{.key = "T1"}, {.key = "T1", .item = "A002", .itemName = "螺钉"}, {.key = "T1"}, {.key = "T2"}});
    EXPECT_EQ(Import({sheet}, Texts{test::kTransfer}), RunOutcome::Interrupted);
    EXPECT_EQ(Messages(), Texts{"中止导入！"});
    EXPECT_EQ(Count(QStringLiteral("TransVouch")), 1);
    EXPECT_EQ(Count(QStringLiteral("TransVouchs")), 3);
    EXPECT_EQ(StartRowBox(test::kTransfer), "5");
    EXPECT_EQ(Journal().Read().at(QString::fromUtf8(test::kTransfer)).row, 5);
}

// Nothing to keep, nothing journaled: a check and a run that never connected leave the folder as it was.
TEST_F(ResumeTest, ACheckAndARunWithoutConnectionWriteNoJournal) {
    const QString journal = JournalFolderBeside(session.settingsPath);
    mode = RunMode::Check;
    EXPECT_EQ(Import(book, kinds), RunOutcome::CheckPassed);
    EXPECT_FALSE(QFileInfo::exists(journal));

    mode = RunMode::Import;
    Con().Close();
    session.connected = false;
    session.settings.user.clear();
    EXPECT_EQ(Import(book, kinds), RunOutcome::NotConnected);
    EXPECT_FALSE(QFileInfo::exists(journal));
}

} // namespace
} // namespace hz
