#include "engine/rows/row_primitives.h"

#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/database/query.h"
#include "engine/run/erp_components.h"
#include "engine/run/import_run_context.h"
#include "engine/run/session.h"
#include "engine/run/sheet_kinds.h"
#include "engine/workbook/workbook.h"
#include "tests/support/fresh_erp.h"
#include "tests/support/recording_observer.h"
#include "tests/support/run_error_text.h"
#include "tests/support/text_workbook.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace hz {
namespace {

using test::RecordingObserver;
using test::RunErrorText;
using Events = std::vector<std::string>;
using Rows = std::vector<std::vector<std::string>>;
using Texts = std::vector<std::string>;

// The primitives on a real import run context: the embedded ERP through the session's Con, and a workbook of one
// sheet named after the kind being imported, bound as the run binds it.
class RowPrimitivesTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallEmbeddedErp(session.Con);
        session.Con.OpenSqliteFile(erp.Path());
    }

    // Makes caption the kind being imported, at row, over a fresh workbook holding rows from row 1.
    void Use(const char* caption, int row, const Rows& rows = {}) {
        workbook.reset();
        const std::string path = erp.Folder().File("book.xlsx");
        test::WriteTextWorkbook(path, {{caption, rows}});
        workbook = OpenWorkbook(path);
        context.ExcelWorksheet1 = &workbook->WorksheetAt(1);
        context.worksheetName = QString::fromUtf8(caption);
        const SheetKind* kind = FindSheetKind(context.worksheetName);
        ASSERT_NE(kind, nullptr) << caption;
        context.selectedKinds = {kind};
        context.kindIndex = 0;
        context.row = row;
    }

    void Seed(const char* sql) { test::Execute(session.Con, QString::fromUtf8(sql)); }

    // What another connection sees: only committed rows.
    Texts Committed(const char* sql) const {
        const auto other = erp.Connect();
        return test::Column(*other, QString::fromUtf8(sql));
    }
    Texts Departments() const {
        return Committed("Select cDepCode || '=' || cDepName As Value From Department Order By cDepCode");
    }

    // A new department row on QMain, left in state Insert as an importer leaves it before saving.
    void AppendDepartment(const char* code, const char* name) {
        BatchDataset& main = components.QMain;
        if (!main.IsOpen())
            main.Open(QStringLiteral("Select Top 0 * From Department"));
        main.Append();
        main.SetField(QStringLiteral("cDepCode"), QString::fromUtf8(code));
        main.SetField(QStringLiteral("cDepName"), QString::fromUtf8(name));
    }

    test::FreshErp erp;
    Session session{QString::fromStdString(erp.Folder().File("ZirurUzavarUriz.ini"))};
    ErpComponents components{session.Con};
    RecordingObserver observer;
    ImportRunContext context{session, components, observer};
    std::unique_ptr<Workbook> workbook;
};

Events MessageOrNone(const char* message) {
    return message ? Events{std::string("message: ") + message} : Events{};
}

TEST_F(RowPrimitivesTest, ReadsCellsOfTheBoundWorksheetAsTextNumberOrInteger) {
    Use("部门", 2, {{"A1", "B1"}, {"12.5", " 7 ", "2.5", "", "abc"}});
    EXPECT_EQ(ReadCell(context, 1, 2), QStringLiteral("B1")); // row first, then column
    EXPECT_EQ(ReadCell(context, 2, 2), QStringLiteral(" 7 "));
    EXPECT_EQ(ReadCell(context, 2, 4), QString());
    EXPECT_EQ(ReadCellNumber(context, 2, 1), 12.5);
    EXPECT_EQ(ReadCellNumber(context, 2, 4), 0);
    EXPECT_EQ(ReadCellInteger(context, 2, 2), 7);
    EXPECT_EQ(ReadCellInteger(context, 2, 3), 2);
    EXPECT_EQ(RunErrorText([&] { ReadCellNumber(context, 2, 5); }), "'abc' is not a valid floating point value");
    EXPECT_EQ(RunErrorText([&] { ReadCellInteger(context, 2, 5); }), "'abc' is not a valid integer value");
}

TEST_F(RowPrimitivesTest, QueryValueGivesTheFirstRecordsValueOrEmptyText) {
    Use("部门", 2);
    Seed("INSERT INTO Department (cDepCode, cDepName) VALUES ('01', '财务部'), ('02', '仓储部')");
    EXPECT_EQ(QueryValue(context, QStringLiteral("Select cDepName As Value From Department Order By cDepCode Desc")),
              QStringLiteral("仓储部"));
    EXPECT_EQ(QueryValue(context, QStringLiteral("Select cDepName As Value From Department Where cDepCode = '09'")),
              QString());
}

TEST_F(RowPrimitivesTest, CheckCodeIsNewLeavesCaseAndTrailingBlanksToTheDatabase) {
    Use("客户分类", 5);
    Seed("INSERT INTO CustomerClass (cCCCode, cCCName) VALUES ('01', '批发'), ('AbC', '零售')");
    struct Case {
        const char* code;
        const char* message; // null: the code is new
    };
    const Case cases[] = {
        {"02", nullptr},
        {"01", "客户分类第 5 行 01 在库中已存在请核实！"},
        {"01  ", "客户分类第 5 行 01   在库中已存在请核实！"},
        {"abc", "客户分类第 5 行 abc 在库中已存在请核实！"},
        {" 01", nullptr},
        {"01' Or '1' = '1", nullptr},
        {"x'; Delete From CustomerClass; --", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        context.runOk = true;
        observer.events.clear();
        const bool isNew = c.message == nullptr;
        EXPECT_EQ(CheckCodeIsNew(context, QStringLiteral("CustomerClass"), QStringLiteral("cCCCode"),
                                 QString::fromUtf8(c.code)),
                  isNew);
        EXPECT_EQ(context.runOk, isNew);
        EXPECT_EQ(observer.events, MessageOrNone(c.message));
    }
    EXPECT_EQ(Committed("Select Count(*) As Value From CustomerClass"), Texts{"2"});
}

TEST_F(RowPrimitivesTest, CheckCodeAndNameTrimsTheSheetsNameButNotItsCase) {
    Use("计量单位", 7);
    Seed("INSERT INTO ComputationGroup (cGroupCode, cGroupName) VALUES ('01', '自然单位'), ('02', 'Box'), "
         "('03', '箱 ')");
    struct Case {
        const char* code;
        const char* name;
        const char* message; // null: accepted
    };
    const Case cases[] = {
        {"01", "自然单位", nullptr},
        {"01", " 自然单位\t ", nullptr},
        {"02", "Box", nullptr},
        {"02", "box", "计量单位 第 7 行单位组编码代码对应的名称与汇账中不一致！"},
        {"03", "箱", "计量单位 第 7 行单位组编码代码对应的名称与汇账中不一致！"}, // the stored name is not trimmed
        {"05", "自然单位", "计量单位 第 7 行单位组编码代码没维护！"},
        {"01' Or '1' = '1", "自然单位", "计量单位 第 7 行单位组编码代码没维护！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.code) + " / " + c.name);
        context.runOk = true;
        observer.events.clear();
        const bool accepted = c.message == nullptr;
        EXPECT_EQ(CheckCodeAndName(context, QStringLiteral("ComputationGroup"), QStringLiteral("cGroupCode"),
                                   QStringLiteral("cGroupName"), QString::fromUtf8(c.code), QString::fromUtf8(c.name),
                                   QStringLiteral("单位组编码")),
                  accepted);
        EXPECT_EQ(context.runOk, accepted);
        EXPECT_EQ(observer.events, MessageOrNone(c.message));
    }
}

TEST_F(RowPrimitivesTest, PassingChecksLeaveRunOkAsItWas) {
    Use("计量单位", 7);
    Seed("INSERT INTO ComputationGroup (cGroupCode, cGroupName) VALUES ('01', '自然单位')");
    context.runOk = false;
    EXPECT_TRUE(CheckCodeIsNew(context, QStringLiteral("ComputationGroup"), QStringLiteral("cGroupCode"),
                               QStringLiteral("02")));
    EXPECT_TRUE(CheckCodeAndName(context, QStringLiteral("ComputationGroup"), QStringLiteral("cGroupCode"),
                                 QStringLiteral("cGroupName"), QStringLiteral("01"), QStringLiteral("自然单位"),
                                 QStringLiteral("单位组编码")));
    EXPECT_FALSE(context.runOk);
    EXPECT_TRUE(observer.events.empty());
}

TEST_F(RowPrimitivesTest, LookupCodeByNameFindsTheCodeAndSetsRunOkEitherWay) {
    Use("员工", 4);
    Seed("INSERT INTO Department (cDepCode, cDepName) VALUES ('01', '财务部'), ('02', 'Sales'), ('03', '仓库  '), "
         "('04', 'O''Brien; Select 1')");
    struct Case {
        const char* name;
        bool required;
        const char* code;    // empty: not found
        const char* message; // null: none
    };
    const Case cases[] = {
        {"财务部", true, "01", nullptr},
        {"财务部 ", true, "01", nullptr}, // the database ignores the trailing blank, the comparison trims it
        {"SALES", true, "02", nullptr},
        {"O'Brien; Select 1", true, "04", nullptr},
        {" 财务部", true, "", "员工第 4 行 财务部没维护！"},
        {"人事部", true, "", "员工第 4 行人事部没维护！"},
        {"人事部", false, "", "员工第 4 行人事部没维护！"},
        {"x' Or '1' = '1", true, "", "员工第 4 行x' Or '1' = '1没维护！"},
        // The database finds the stored name despite its trailing blanks; the exact comparison does not.
        {"仓库", true, "", "员工 第 4 行仓库没维护！"},
        {"", true, "", "第 4 行部门名称不能为空！"},
        {"", false, "", nullptr},
    };
    for (const Case& c : cases) {
        for (const bool runOkBefore : {true, false}) {
            SCOPED_TRACE(std::string("'") + c.name + "' required " + std::to_string(c.required) + " runOk before " +
                         std::to_string(runOkBefore));
            context.runOk = runOkBefore;
            observer.events.clear();
            QString code = QStringLiteral("stale");
            const bool emptyAllowed = !*c.name && !c.required;
            const bool accepted = *c.code || emptyAllowed;
            EXPECT_EQ(LookupCodeByName(context, QStringLiteral("Department"), QStringLiteral("cDepCode"),
                                       QStringLiteral("cDepName"), QString::fromUtf8(c.name), code, c.required,
                                       QStringLiteral("部门名称")),
                      accepted);
            EXPECT_EQ(code.toStdString(), c.code);
            EXPECT_EQ(context.runOk, emptyAllowed ? runOkBefore : accepted);
            EXPECT_EQ(observer.events, MessageOrNone(c.message));
        }
    }
    EXPECT_EQ(Committed("Select Count(*) As Value From Department"), Texts{"4"});
}

TEST_F(RowPrimitivesTest, SaveMasterRowCommitsTheInsertedOrEditedRow) {
    Use("部门", 2);
    AppendDepartment("01", "财务部");
    SaveMasterRow(context, QStringLiteral("01"));
    AppendDepartment("02", "仓储");
    components.QMain.Post();
    components.QMain.Edit();
    components.QMain.SetField(QStringLiteral("cDepName"), QStringLiteral("仓储部"));
    SaveMasterRow(context, QStringLiteral("02"));

    EXPECT_EQ(Departments(), (Texts{"01=财务部", "02=仓储部"}));
    EXPECT_EQ(components.QMain.PendingCount(), 0);
    EXPECT_FALSE(session.Con.InTransaction());
    EXPECT_TRUE(context.runOk);
    EXPECT_TRUE(observer.events.empty());
}

TEST_F(RowPrimitivesTest, SaveMasterRowRollsARefusedRowBackAndReportsIt) {
    Use("部门", 2);
    test::FailInsertsInto(session.Con, QStringLiteral("Department"));
    AppendDepartment("01", "财务部");
    SaveMasterRow(context, QStringLiteral("01"));

    EXPECT_EQ(observer.events, Events{"message: 编号为 01 的部门保存失败！"});
    EXPECT_TRUE(Departments().empty());
    EXPECT_FALSE(session.Con.InTransaction());
    EXPECT_TRUE(context.runOk);
    EXPECT_EQ(components.QMain.State(), DatasetState::Browse);
}

// The refused row is dropped from QMain: otherwise it would go out again with the next row and take that one
// down with it, for every later row of the sheet.
TEST_F(RowPrimitivesTest, TheRowAfterARefusedOneIsSavedAlone) {
    Use("部门", 2);
    Seed("INSERT INTO Department (cDepCode, cDepName) VALUES ('01', '旧部门')");
    AppendDepartment("01", "财务部"); // duplicate key
    SaveMasterRow(context, QStringLiteral("01"));
    AppendDepartment("02", "仓储部");
    SaveMasterRow(context, QStringLiteral("02"));

    EXPECT_EQ(observer.events, Events{"message: 编号为 01 的部门保存失败！"});
    EXPECT_EQ(Departments(), (Texts{"01=旧部门", "02=仓储部"}));
    EXPECT_EQ(components.QMain.PendingCount(), 0);
    EXPECT_TRUE(context.runOk);
}

TEST_F(RowPrimitivesTest, SaveMasterRowDoesNothingWhileQMainBrowses) {
    Use("部门", 2);
    SaveMasterRow(context, QStringLiteral("01")); // QMain not even open
    AppendDepartment("01", "财务部");
    components.QMain.Post();
    SaveMasterRow(context, QStringLiteral("01"));

    EXPECT_EQ(components.QMain.PendingCount(), 1);
    EXPECT_TRUE(Departments().empty());
    EXPECT_FALSE(session.Con.InTransaction());
    EXPECT_TRUE(observer.events.empty());
}

// A sheet whose cell (r, c) reads "r<r>c<c>", except the key column B, which holds key in the given rows.
Rows VoucherSheet(const std::vector<std::pair<int, std::string>>& keys) {
    Rows rows(keys.back().first);
    for (const auto& [row, key] : keys) {
        for (int column = 1; column <= 25; ++column)
            rows[row - 1].push_back(column == 2 ? key : "r" + std::to_string(row) + "c" + std::to_string(column));
    }
    return rows;
}

TEST_F(RowPrimitivesTest, SetAsideFailedVoucherCopiesItsRowsToTheErrorAreaAndDropsItsPendingRows) {
    // Row 13's key has a trailing blank: the comparison is exact, so the voucher ends at row 12.
    Use("调拨单", 99, VoucherSheet({{10, "V1"}, {11, "V1"}, {12, "V1"}, {13, "V1 "}, {14, "V1"}}));
    context.voucherFirstRow = 10;
    context.errorAreaRow = 50;
    context.runOk = false;
    AppendDepartment("01", "财务部");
    components.QMain.Post();
    AppendDepartment("02", "仓储部");
    components.QDetail.Open(QStringLiteral("Select Top 0 * From Person"));
    components.QDetail.Append();
    components.QDetail.SetField(QStringLiteral("cPersonCode"), QStringLiteral("P1"));

    SetAsideFailedVoucher(context, 2, QStringLiteral("V1"));

    EXPECT_EQ(context.row, 13);
    EXPECT_EQ(context.errorAreaRow, 53);
    EXPECT_FALSE(context.runOk);
    for (int offset = 0; offset < 3; ++offset) {
        const int row = 10 + offset;
        for (int column = 1; column <= 25; ++column) {
            SCOPED_TRACE("row " + std::to_string(row) + " column " + std::to_string(column));
            const QString source = ReadCell(context, row, column);
            EXPECT_EQ(source.toStdString(),
                      column == 2 ? "V1" : "r" + std::to_string(row) + "c" + std::to_string(column));
            EXPECT_EQ(ReadCell(context, 50 + offset, column), column <= 24 ? source : QString());
        }
    }
    for (int column = 1; column <= 25; ++column)
        EXPECT_EQ(ReadCell(context, 53, column), QString()) << column;

    EXPECT_EQ(components.QMain.PendingCount(), 0);
    EXPECT_EQ(components.QDetail.PendingCount(), 0);
    components.QMain.UpdateBatch();
    components.QDetail.UpdateBatch();
    EXPECT_TRUE(Departments().empty());
    EXPECT_EQ(Committed("Select Count(*) As Value From Person"), Texts{"0"});
    EXPECT_TRUE(observer.events.empty());
}

// A voucher that reaches the worksheet's last row while it is being copied ends the run rather than be lost.
TEST_F(RowPrimitivesTest, SetAsideFailedVoucherEndsTheRunWhenTheErrorAreaIsFull) {
    Use("调拨单", 99, VoucherSheet({{10, "V1"}, {11, "V1"}}));
    context.voucherFirstRow = 10;
    context.errorAreaRow = kMaxRows;
    EXPECT_EQ(RunErrorText([&] { SetAsideFailedVoucher(context, 2, QStringLiteral("V1")); }),
              "工作表 调拨单 的出错区已到最后一行，第 11 行的单据 V1 无法复制到出错区");
    EXPECT_EQ(ReadCell(context, kMaxRows, 2), QStringLiteral("V1"));
}

} // namespace
} // namespace hz
