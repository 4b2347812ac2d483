#include "importers/vouchers/stock_voucher_saving.h"

#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/database/embedded_erp/erp_procedure_set.h"
#include "engine/database/procedures/stored_procedure.h"
#include "engine/database/query.h"
#include "engine/messages/run_error.h"
#include "engine/run/erp_components.h"
#include "engine/run/import_run_context.h"
#include "engine/run/session.h"
#include "engine/run/sheet_kinds.h"
#include "tests/support/fresh_erp.h"
#include "tests/support/recording_observer.h"

#include <gtest/gtest.h>

#include <QDate>

#include <functional>
#include <string>
#include <vector>

namespace hz {
namespace {

using Texts = std::vector<std::string>;

struct Line {
    const char* item;
    double quantity;
    const char* free1 = "";
};

// A voucher as an importer appends it: header and detail rows, every other column left to the database.
struct Voucher {
    const char* vouchType;
    int rdFlag; // 1 receipt, 0 issue
    std::vector<Line> lines;
    const char* code = ""; // what the importer wrote into cCode, replaced by the saving
};

const Voucher kReceipt{"01", 1, {{"A", 3}, {"B", 4}}, "0001"};

// A second connection on the file, as another program opens it: it sees only committed rows.
class Observer {
public:
    explicit Observer(const test::FreshErp& erp) {
        InstallEmbeddedErp(connection);
        connection.SetBusyTimeout(200);
        connection.OpenSqliteFile(erp.Path());
    }

    Texts Values(const char* sql) { return test::Column(connection, QString::fromUtf8(sql)); }

    std::string Count(const char* table) {
        return Values((std::string("Select count(*) As Value From ") + table).c_str()).at(0);
    }

    // False while another connection holds the write lock, as an open transaction does.
    bool CanWrite() {
        try {
            connection.BeginTransaction();
            connection.Rollback();
            return true;
        } catch (const RunError&) {
            return false;
        }
    }

private:
    Connection connection;
};

// SaveStockVoucher on a run context of its own over the file, its datasets opened as a voucher sheet opens them.
class Bench {
public:
    explicit Bench(const test::FreshErp& erp, const char* kind = "采购入库单", const char* key = "0001")
        : session(QString::fromStdString(erp.Folder().File("hz.ini"))) {
        // The account is characters 8 to 10 of the database name.
        session.settings.database = QStringLiteral("ZZDATA_001_2024");
        InstallEmbeddedErp(session.Con);
        session.Con.OpenSqliteFile(erp.Path());
        context.selectedKinds = {FindSheetKind(QString::fromUtf8(kind))};
        context.voucherKey = QString::fromUtf8(key);
    }

    void OpenDatasets() {
        components.QMain.Open(QStringLiteral("Select Top 0 * From RdRecord"));
        components.QDetail.Open(QStringLiteral("Select Top 0 * From RdRecords"));
    }

    void Append(const Voucher& voucher) {
        BatchDataset& main = components.QMain;
        main.Append();
        main.SetField(QStringLiteral("ID"), context.headerId);
        main.SetField(QStringLiteral("cVouchType"), QString::fromUtf8(voucher.vouchType));
        main.SetField(QStringLiteral("bRdFlag"), voucher.rdFlag);
        main.SetField(QStringLiteral("cWhCode"), QStringLiteral("01"));
        main.SetField(QStringLiteral("dDate"), QDate(2024, 1, 1));
        main.SetField(QStringLiteral("cCode"), QString::fromUtf8(voucher.code));
        for (const Line& line : voucher.lines) {
            BatchDataset& detail = components.QDetail;
            detail.Append();
            detail.SetField(QStringLiteral("cInvCode"), QString::fromUtf8(line.item));
            detail.SetField(QStringLiteral("cFree1"), QString::fromUtf8(line.free1));
            detail.SetField(QStringLiteral("iQuantity"), line.quantity);
            ++context.detailCount;
        }
    }

    bool Save(const Voucher& voucher) {
        Append(voucher);
        return SaveStockVoucher(context);
    }

    Session session;
    ErpComponents components{session.Con};
    test::RecordingObserver observer;
    ImportRunContext context{session, components, observer};
};

const char* const kStock = "Select cInvCode || '/' || cFree1 || '=' || iQuantity As Value From CurrentStock "
                           "Order By cInvCode, cFree1";

TEST(StockVoucherSavingTest, VoucherNumberIsTheHeaderIdInNineDigits) {
    struct Case {
        int headerId;
        const char* vouchType;
        const char* number;
    };
    for (const Case& c : {Case{7, "01", "000000007"}, Case{7, "34", "-000000007"}, Case{1234567890, "32", "234567890"},
                          Case{1234567890, "34", "-234567890"}, Case{123456789, "10", "123456789"}}) {
        EXPECT_EQ(StockVoucherNumber(c.headerId, QString::fromUtf8(c.vouchType)).toStdString(), c.number)
            << c.headerId << " " << c.vouchType;
    }
}

TEST(StockVoucherSavingTest, AccountIsCharactersEightToTenOfTheDatabaseName) {
    struct Case {
        const char* database;
        const char* account;
    };
    for (const Case& c : {Case{"ZZDATA_001_2024", "001"}, Case{"ZZDATA_00", "00"}, Case{"ZZDATA_", ""}, Case{"", ""}}) {
        EXPECT_EQ(AccountNumber(QString::fromUtf8(c.database)).toStdString(), c.account) << c.database;
    }
}

// The importers call it at the first row of a sheet and once more after the last voucher has been saved.
TEST(StockVoucherSavingTest, NothingPendingSendsNothing) {
    struct Case {
        const char* name;
        std::function<void(Bench&)> before;
    };
    const std::vector<Case> cases = {
        {"datasets not open", [](Bench&) {}},
        {"datasets open, no header", [](Bench& bench) { bench.OpenDatasets(); }},
        {"voucher already saved",
         [](Bench& bench) {
             bench.OpenDatasets();
             ASSERT_TRUE(bench.Save(kReceipt));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::FreshErp erp;
        Bench bench(erp);
        bench.context.headerId = 41;
        bench.context.lastDetailId = 97;
        c.before(bench);
        Observer other(erp);
        const Texts counter = other.Values("Select iFatherId || '/' || iChildId As Value From hz_IdCounter");
        const std::string headers = other.Count("RdRecord");
        const std::string details = other.Count("RdRecords");
        const int headerId = bench.context.headerId;
        const int lastDetailId = bench.context.lastDetailId;
        const size_t events = bench.observer.events.size();
        bench.context.detailCount = 3;

        EXPECT_TRUE(SaveStockVoucher(bench.context));
        EXPECT_EQ(bench.context.detailCount, 0);
        EXPECT_EQ(bench.context.headerId, headerId);
        EXPECT_EQ(bench.context.lastDetailId, lastDetailId);
        EXPECT_TRUE(bench.context.runOk);
        EXPECT_EQ(bench.observer.events.size(), events);
        EXPECT_EQ(other.Values("Select iFatherId || '/' || iChildId As Value From hz_IdCounter"), counter);
        EXPECT_EQ(other.Count("RdRecord"), headers);
        EXPECT_EQ(other.Count("RdRecords"), details);
    }
}

// One allocator call per voucher reserves its detail ids as a block: the next voucher's ids follow it.
TEST(StockVoucherSavingTest, ConsecutiveVouchersTakeIdsNumbersAndDetailIdsInSheetOrder) {
    test::FreshErp erp;
    Bench bench(erp);
    bench.OpenDatasets();
    struct Case {
        Voucher voucher;
        int headerId;
        int lastDetailId;
    };
    for (const Case& c :
         {Case{{"01", 1, {{"A", 1}, {"B", 2}}, "0001"}, 1, 2},
          Case{{"01", 1, {{"C", 3}, {"A", 4}, {"B", 5}}, "0002"}, 2, 5}, Case{{"01", 1, {{"D", 6}}, "0003"}, 3, 6}}) {
        EXPECT_TRUE(bench.Save(c.voucher)) << c.voucher.code;
        EXPECT_EQ(bench.context.headerId, c.headerId);
        EXPECT_EQ(bench.context.lastDetailId, c.lastDetailId);
        EXPECT_EQ(bench.context.detailCount, 0);
    }
    EXPECT_TRUE(bench.observer.events.empty());

    Observer other(erp);
    EXPECT_EQ(other.Values("Select ID || ' ' || cCode As Value From RdRecord Order By ID"),
              (Texts{"1 000000001", "2 000000002", "3 000000003"}));
    EXPECT_EQ(other.Values("Select AutoID || ' ' || ID || ' ' || cInvCode || ' ' || iQuantity As Value "
                           "From RdRecords Order By AutoID"),
              (Texts{"1 1 A 1.0", "2 1 B 2.0", "3 2 C 3.0", "4 2 A 4.0", "5 2 B 5.0", "6 3 D 6.0"}));
    EXPECT_EQ(other.Values("Select cAcc_Id || ' ' || cVouchType As Value From hz_IdCounter"), (Texts{"001 rd"}));
}

// The posting raises or lowers current stock by the quantities, and lists in SCM_Item every item and free-item
// combination it touched, which it finds under the connection's ledger id "spid_<spid>".
TEST(StockVoucherSavingTest, PostingMovesCurrentStockAndListsTheItems) {
    test::FreshErp erp;
    Bench bench(erp);
    bench.OpenDatasets();
    Observer other(erp);

    ASSERT_TRUE(bench.Save({"01", 1, {{"A", 3}, {"A", 2, "红"}, {"B", 4}, {"A", 1.5}}, "0001"}));
    EXPECT_EQ(other.Values(kStock), (Texts{"A/=4.5", "A/红=2.0", "B/=4.0"}));
    const Texts items{"A/", "A/红", "B/"};
    const char* const itemsSql = "Select cInvCode || '/' || cFree1 As Value From SCM_Item Order By cInvCode, cFree1";
    EXPECT_EQ(other.Values(itemsSql), items);

    ASSERT_TRUE(bench.Save({"11", 0, {{"A", 4}, {"B", 4}}, "0002"}));
    EXPECT_EQ(other.Values(kStock), (Texts{"A/=0.5", "A/红=2.0", "B/=0.0"}));
    EXPECT_EQ(other.Values(itemsSql), items);
    EXPECT_EQ(other.Count("SCM_EntryLedgerBuffer"), "0");
}

// Opening stock is numbered with a "-" and posted as verified; every other voucher type is posted as saved.
TEST(StockVoucherSavingTest, OpeningStockIsNumberedAndPostedApart) {
    struct Case {
        const char* vouchType;
        int rdFlag;
        const char* number;
        const char* procedure;
        const char* stock;
    };
    for (const Case& c : {Case{"34", 1, "-000000007", "ST_VerForStock", "A/=14.0"},
                          Case{"01", 1, "000000007", "ST_SaveForStock", "A/=14.0"},
                          Case{"32", 0, "000000007", "ST_SaveForStock", "A/=6.0"}}) {
        SCOPED_TRACE(c.vouchType);
        test::FreshErp erp;
        Bench bench(erp);
        Texts calls;
        // Both stand in for the ERP's procedures with the same movements; the record tells which one ran.
        for (const QString& procedure : {QStringLiteral("ST_SaveForStock"), QStringLiteral("ST_VerForStock")}) {
            bench.session.Con.RegisterProcedure(procedure, [&calls, procedure](Connection& con, StoredProcedure& call) {
                calls.push_back((procedure + u' ' + call.Value(QStringLiteral("@sVouchtype")).toString() + u' ' +
                                 call.Value(QStringLiteral("@sID")).toString())
                                    .toStdString());
                SaveForStockProcedure(con, call);
            });
        }
        test::Execute(bench.session.Con, QStringLiteral("INSERT INTO RdRecord (ID, cVouchType, cCode) "
                                                        "VALUES (6, '01', '000000006')"));
        test::Execute(bench.session.Con,
                      QStringLiteral("INSERT INTO CurrentStock (cWhCode, cInvCode, iQuantity) VALUES ('01', 'A', 10)"));
        bench.OpenDatasets();

        ASSERT_TRUE(bench.Save({c.vouchType, c.rdFlag, {{"A", 4}}, "X"}));
        EXPECT_EQ(calls, (Texts{std::string(c.procedure) + " " + c.vouchType + " 7"}));
        Observer other(erp);
        EXPECT_EQ(other.Values("Select cCode As Value From RdRecord Where ID = 7"), (Texts{c.number}));
        EXPECT_EQ(other.Values(kStock), (Texts{c.stock}));
    }
}

// Before the first commit nothing of the voucher survives, not even its ids; a failing posting leaves it saved
// and unposted. Either way the user is told, the run stops and no transaction stays open.
TEST(StockVoucherSavingTest, FailuresAreReportedAndLeaveTheVoucherWhole) {
    const auto failProcedure = [](const char* name) {
        return [name](Connection& con) { test::FailProcedure(con, QString::fromUtf8(name)); };
    };
    const auto failInserts = [](const char* table) {
        return [table](Connection& con) { test::FailInsertsInto(con, QString::fromUtf8(table)); };
    };
    const Voucher openingStock{"34", 1, {{"A", 3}, {"B", 4}}};
    const Voucher issue{"11", 0, {{"A", 3}, {"B", 4}}, "0007"};
    struct Case {
        const char* name;
        std::function<void(Connection&)> inject;
        const Voucher& voucher;
        const char* kind;
        const char* key;
        bool saved;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"allocator", failProcedure("sp_GetId"), kReceipt, "采购入库单", "0001", false,
         "单据号为 0001 的 采购入库单 保存失败！"},
        {"detail rows", failInserts("RdRecords"), kReceipt, "采购入库单", "0001", false,
         "单据号为 0001 的 采购入库单 保存失败！"},
        {"stock posting", failProcedure("ST_SaveForStock"), kReceipt, "采购入库单", "0001", true,
         "单据号为 0001 的 采购入库单 保存失败！"},
        {"opening stock posting", failProcedure("ST_VerForStock"), openingStock, "存货期初", "", true,
         "单据号为  的 存货期初 保存失败！"},
        {"ledger items", failInserts("SCM_Item"), kReceipt, "采购入库单", "0001", true,
         "单据号为 0001 的 采购入库单 保存失败！"},
        {"ledger commit", failProcedure("Usp_SCM_CommitGeneralLedgerWithCheck"), kReceipt, "采购入库单", "0001", true,
         "单据号为 0001 的 采购入库单 保存失败！"},
        {"stock shortage", [](Connection&) {}, issue, "材料出库单", "0007", true,
         "单据号为 0007 的 材料出库单 保存失败！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::FreshErp erp;
        Bench bench(erp, c.kind, c.key);
        bench.OpenDatasets();
        c.inject(bench.session.Con);

        EXPECT_FALSE(bench.Save(c.voucher));
        EXPECT_FALSE(bench.context.runOk);
        EXPECT_EQ(bench.context.detailCount, 0);
        EXPECT_EQ(bench.observer.events, (Texts{std::string("message: ") + c.message}));
        EXPECT_FALSE(bench.session.Con.InTransaction());

        Observer other(erp);
        EXPECT_TRUE(other.CanWrite());
        EXPECT_EQ(other.Count("RdRecord"), c.saved ? "1" : "0");
        EXPECT_EQ(other.Count("RdRecords"), c.saved ? "2" : "0");
        EXPECT_EQ(other.Count("CurrentStock"), "0");
        EXPECT_EQ(other.Count("SCM_Item"), "0");
        EXPECT_EQ(other.Count("SCM_EntryLedgerBuffer"), "0");

        // The next voucher, saved by a run that works: ids taken by a rolled-back allocation come round again.
        Bench next(erp);
        next.OpenDatasets();
        EXPECT_TRUE(next.Save({"01", 1, {{"C", 1}}, "0002"}));
        EXPECT_EQ(next.context.headerId, c.saved ? 2 : 1);
        EXPECT_EQ(next.context.lastDetailId, c.saved ? 3 : 1);
    }
}

} // namespace
} // namespace hz
