#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/rows/row_primitives.h"
#include "engine/run/import_run.h"
#include "engine/run/import_run_context.h"
#include "engine/run/importer_registry.h"
#include "engine/run/run_observer.h"
#include "engine/run/session.h"
#include "engine/run/sheet_kinds.h"
#include "engine/text/cell_conversions.h"
#include "engine/workbook/workbook.h"
#include "tests/support/fresh_erp.h"
#include "tests/support/recording_observer.h"
#include "tests/support/run_error_text.h"
#include "tests/support/text_workbook.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace hz {
namespace {

using test::ReadFileBytes;
using test::RecordingObserver;
using test::RunErrorText;
using test::TextSheet;
using Events = std::vector<std::string>;
using Rows = std::vector<std::vector<std::string>>;

// A master-data importer in miniature: reads the code in column B from the start row down to the first empty
// one, writes down each row, advances its start row after it, and reports the code "bad" as a row error.
void RecordingImporter(ImportRunContext& context, Events& visits) {
    visits.push_back("enter " + context.KindName().toStdString() + " at " + std::to_string(context.row) +
                     (context.voucherKey.isEmpty() ? "" : " with a voucher key"));
    for (;;) {
        context.ReportProgress();
        const std::string code = CellToText(context.ExcelWorksheet1->Cell(context.row, 2)).toStdString();
        if (code.empty())
            return;
        if (code == "bad") {
            context.ShowRowMessage(context.KindName() + QStringLiteral("第 %1 行 bad").arg(context.row));
            context.runOk = false;
            return;
        }
        visits.push_back(context.worksheetName.toStdString() + " " + code);
        context.voucherKey = QStringLiteral("left over");
        context.row = ++context.startRows[context.kindIndex];
        context.WriteStartRow();
    }
}

class ImportRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallEmbeddedErp(session.Con);
        session.settings.server = QStringLiteral("sqlite");
        session.settings.database = erp.Path();
        session.settings.user = QStringLiteral("demo");
    }

    // Registers the recording importer for each caption.
    void Register(std::initializer_list<const char*> captions) {
        for (const char* caption : captions)
            importers.Add(QString::fromUtf8(caption),
                          [this](ImportRunContext& context) { RecordingImporter(context, visits); });
    }

    std::string Workbook(const std::vector<TextSheet>& sheets) {
        const std::string path = erp.Folder().File("book.xlsx");
        test::WriteTextWorkbook(path, sheets);
        return path;
    }

    // Ticks the kinds with their start-row texts; the request keeps them in selection order.
    static ImportRequest Request(const std::string& path, std::vector<std::pair<const char*, const char*>> ticks) {
        ImportRequest request;
        request.workbookPath = QString::fromStdString(path);
        for (const SheetKind& kind : SheetKinds())
            for (const auto& [caption, startRow] : ticks)
                if (kind.caption == QString::fromUtf8(caption))
                    request.selection.push_back({&kind, QString::fromUtf8(startRow)});
        return request;
    }

    RunOutcome Run(const ImportRequest& request) { return RunImport(session, request, observer, importers); }

    test::FreshErp erp;
    Session session{QString::fromStdString(erp.Folder().File("ZirurUzavarUriz.ini"))};
    RecordingObserver observer;
    ImporterRegistry importers;
    Events visits;
};

TEST_F(ImportRunTest, WorksInTabOrderOnExactlyNamedSheetsOfTickedKinds) {
    Register({"部门", "计量单位", "存货档案", "员工", "客户分类"});
    const std::string path = Workbook({{"存货档案", {{}, {"", "i1"}, {"", "i2"}}},
                                       {"客户分类", {{}, {"", "c1"}}}, // not ticked
                                       {"部门 ", {{}, {"", "d1"}}},    // not the caption 部门
                                       {"计量单位", {{}, {}, {"", "u1"}}},
                                       {"供应商分类", {{}, {"", "v1"}}}}); // ticked, no importer
    const RunOutcome outcome =
        Run(Request(path, {{"部门", "2"}, {"计量单位", " 3 "}, {"存货档案", "2"}, {"员工", "2"}, {"供应商分类", "2"}}));

    EXPECT_EQ(outcome, RunOutcome::Completed);
    EXPECT_EQ(visits,
              (Events{"enter 存货档案 at 2", "存货档案 i1", "存货档案 i2", "enter 计量单位 at 3", "计量单位 u1"}));
    EXPECT_EQ(observer.events, (Events{"start row: 存货档案 = 3", "start row: 存货档案 = 4", "start row: 计量单位 = 4",
                                       "message: 导入完成！"}));
    EXPECT_EQ(observer.lastWorksheet, QStringLiteral("计量单位"));
    EXPECT_EQ(observer.lastRow, 4);
}

TEST_F(ImportRunTest, StopsAfterTheSheetWithARowError) {
    Register({"部门", "员工", "计量单位"});
    const std::string path = Workbook({{"部门", {{}, {"", "d1"}}},
                                       {"员工", {{}, {"", "p1"}, {"", "bad"}, {"", "p3"}}},
                                       {"计量单位", {{}, {"", "u1"}}}});
    EXPECT_EQ(Run(Request(path, {{"部门", "2"}, {"员工", "2"}, {"计量单位", "2"}})), RunOutcome::Aborted);
    // The voucher key an importer leaves behind is emptied before the next one begins.
    EXPECT_EQ(visits, (Events{"enter 部门 at 2", "部门 d1", "enter 员工 at 2", "员工 p1"}));
    EXPECT_EQ(observer.events, (Events{"start row: 部门 = 3", "start row: 员工 = 3", "message: 员工第 3 行 bad",
                                       "message: 中止导入！"}));
}

TEST_F(ImportRunTest, CompletesWithNothingTicked) {
    Register({"部门"});
    const std::string path = Workbook({{"部门", {{}, {"", "d1"}}}});
    EXPECT_EQ(Run(Request(path, {})), RunOutcome::Completed);
    EXPECT_TRUE(visits.empty());
    EXPECT_EQ(observer.events, (Events{"message: 导入完成！"}));
}

TEST_F(ImportRunTest, ConvertsTheStartRowsBeforeOpeningTheWorkbook) {
    Register({"部门"});
    // The workbook does not exist: an attempt to open it would be the error.
    const std::string missing = erp.Folder().File("missing.xlsx");
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"abc", "部门的起始行数 abc 不是工作表的行号（1 到 1048576）"},
        {"", "部门的起始行数  不是工作表的行号（1 到 1048576）"},
        {"2.5", "部门的起始行数 2.5 不是工作表的行号（1 到 1048576）"},
        {"99999999999", "部门的起始行数 99999999999 不是工作表的行号（1 到 1048576）"},
        {"0", "部门的起始行数 0 不是工作表的行号（1 到 1048576）"},
        {" 1048577 ", "部门的起始行数 1048577 不是工作表的行号（1 到 1048576）"},
    };
    for (const auto& [startRow, expected] : cases) {
        EXPECT_EQ(RunErrorText([&] { Run(Request(missing, {{"部门", startRow}})); }), expected) << startRow;
    }
    EXPECT_TRUE(observer.events.empty());
}

TEST_F(ImportRunTest, AWorkbookThatCannotBeOpenedEndsTheRunWithoutAFinalMessage) {
    const std::string missing = erp.Folder().File("missing.xlsx");
    EXPECT_EQ(RunErrorText([&] { Run(Request("", {{"部门", "2"}})); }), "没有选择要导入的 Excel 文件：文件路径为空");
    EXPECT_EQ(RunErrorText([&] {
                  Run(Request(missing, {{"部门", "2"}}));
              }),
              "无法读取工作簿“" + missing + "”：无法打开文件（No such file or directory）");
    EXPECT_TRUE(observer.events.empty());
}

TEST_F(ImportRunTest, WithIncompleteSettingsAsksForThemAndOpensNothing) {
    session.settings.user.clear();
    Register({"部门"});
    EXPECT_EQ(Run(Request(erp.Folder().File("missing.xlsx"), {{"部门", "abc"}})), RunOutcome::NotConnected);
    EXPECT_EQ(observer.events, (Events{"settings dialog: 服务器，数据库或用户名不能为空！"}));
    EXPECT_FALSE(session.Con.IsOpen());
}

TEST_F(ImportRunTest, TakesTheRunDateFromTheDatabase) {
    QDateTime runDate;
    importers.Add(u"部门", [&](ImportRunContext& context) { runDate = context.runDate; });
    Run(Request(Workbook({{"部门", {}}}), {{"部门", "2"}}));
    ASSERT_TRUE(runDate.isValid());
    EXPECT_LT(std::abs(runDate.secsTo(QDateTime::currentDateTime())), 120);
}

// Writes "Error:" into B10 of its sheet, as the importers with an error area do.
void MarkingImporter(ImportRunContext& context) {
    context.ExcelWorksheet1->WriteText(10, 2, "Error:");
}

TEST_F(ImportRunTest, SavesTheWorkbookWhenAnImporterChangedIt) {
    importers.Add(u"调拨单", MarkingImporter);
    const std::string path = Workbook({{"调拨单", {{"head"}}}, {"部门", {}}});
    const std::string before = ReadFileBytes(path);

    EXPECT_EQ(Run(Request(path, {{"部门", "2"}})), RunOutcome::Completed);
    EXPECT_EQ(ReadFileBytes(path), before); // nothing changed, nothing written

    EXPECT_EQ(Run(Request(path, {{"调拨单", "2"}})), RunOutcome::Completed);
    EXPECT_EQ(observer.events, (Events{"message: 导入完成！", "message: 导入完成！"}));
    const auto saved = OpenWorkbook(path);
    EXPECT_EQ(CellToText(saved->WorksheetAt(1).Cell(10, 2)), QStringLiteral("Error:"));
    EXPECT_EQ(CellToText(saved->WorksheetAt(1).Cell(1, 1)), QStringLiteral("head"));
}

TEST_F(ImportRunTest, SavesTheChangesAndRethrowsWhenAnErrorEndsTheWalk) {
    importers.Add(u"调拨单", [](ImportRunContext& context) {
        MarkingImporter(context);
        throw std::runtime_error("'x' is not a valid floating point value");
    });
    Register({"部门"});
    const std::string path = Workbook({{"调拨单", {}}, {"部门", {{}, {"", "d1"}}}});
    try {
        Run(Request(path, {{"部门", "2"}, {"调拨单", "2"}}));
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "'x' is not a valid floating point value");
    }
    EXPECT_TRUE(visits.empty());
    EXPECT_TRUE(observer.events.empty());
    EXPECT_EQ(CellToText(OpenWorkbook(path)->WorksheetAt(1).Cell(10, 2)), QStringLiteral("Error:"));
}

// A legacy workbook is copied for the vouchers set aside into its error area, not for a bare marker.
TEST_F(ImportRunTest, TellsWhereTheCopyOfALegacyWorkbookWent) {
    const std::string path = erp.Folder().File("book.xls");
    test::WriteTextWorkbookXls(path, {{"调拨单", {{"head"}}}});
    const std::string before = ReadFileBytes(path);
    const std::string copy = erp.Folder().File("book.errors.xlsx");

    importers.Add(u"调拨单", MarkingImporter);
    EXPECT_EQ(Run(Request(path, {{"调拨单", "2"}})), RunOutcome::Completed);
    EXPECT_EQ(observer.events, (Events{"message: 导入完成！"}));
    EXPECT_FALSE(std::filesystem::exists(copy));

    // Row 1 set aside into the error area below the marker.
    importers = ImporterRegistry();
    importers.Add(u"调拨单", [](ImportRunContext& context) {
        MarkingImporter(context);
        context.voucherFirstRow = 1;
        context.errorAreaRow = 11;
        SetAsideFailedVoucher(context, 1, QStringLiteral("head"));
    });
    observer.events.clear();
    EXPECT_EQ(Run(Request(path, {{"调拨单", "2"}})), RunOutcome::Completed);
    EXPECT_EQ(observer.events, (Events{"message: 出错的单据已另存到 " + copy, "message: 导入完成！"}));
    EXPECT_EQ(ReadFileBytes(path), before);
    const auto saved = OpenWorkbook(copy);
    EXPECT_EQ(CellToText(saved->WorksheetAt(1).Cell(10, 2)), QStringLiteral("Error:"));
    EXPECT_EQ(CellToText(saved->WorksheetAt(1).Cell(11, 1)), QStringLiteral("head"));
}

TEST_F(ImportRunTest, AWorkbookThatCannotBeSavedIsReportedAndTheRunStillEnds) {
    const std::string folder = erp.Folder().File("gone");
    std::filesystem::create_directory(folder);
    const std::string path = folder + "/book.xlsx";
    test::WriteTextWorkbook(path, {{"调拨单", {}}});
    // The folder disappears while the sheet is imported: no new file can be made beside the workbook.
    importers.Add(u"调拨单", [&](ImportRunContext& context) {
        MarkingImporter(context);
        std::filesystem::remove_all(folder);
    });

    EXPECT_EQ(Run(Request(path, {{"调拨单", "2"}})), RunOutcome::Completed);
    ASSERT_EQ(observer.events.size(), 2u);
    EXPECT_EQ(observer.events[0].rfind("message: 无法保存工作簿“" + path + "”：", 0), 0u) << observer.events[0];
    EXPECT_EQ(observer.events[1], "message: 导入完成！");
}

} // namespace
} // namespace hz
