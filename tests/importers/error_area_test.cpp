// The error area of the transfer and sales delivery sheets and the workbook a run leaves: the marker at every
// import, failed vouchers copied whole with their cell types, later runs below earlier areas; an .xlsx saved in
// place with only the changed worksheets rewritten, an .xls copied beside itself, a workbook that cannot be saved.
#include "engine/workbook/workbook.h"
#include "tests/importers/outgoing_voucher_fixture.h"
#include "tests/support/held_file.h"
#include "tests/support/python_script.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/typed_workbook_xls.h"
#include "tests/support/xls_fixture.h"
#include "tests/support/zip_entries.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace hz {
namespace {

using namespace std::string_literals;
using test::CellInput;
using test::DateCell;
using test::Execute;
using test::IssueLine;
using test::kSales;
using test::kTransfer;
using test::SheetRows;
using test::Texts;
using test::Ticks;
using test::TransferLine;
using test::TypedSheet;

// Takes every write permission off the file (on Windows it gets the read-only attribute).
void ReadOnly(const std::string& path) {
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

// One row of a voucher sheet: its key, and whether the accounting summary prices its item. beyond fills the
// columns from T on.
struct AreaRow {
    std::string key;
    bool priced = true;
    std::vector<CellInput> beyond = {};
};

// The rows as lines of a kind's sheet, an unpriced one naming an item that the summary has no price for.
template <typename Line> std::vector<Line> AreaLines(const std::vector<AreaRow>& rows) {
    std::vector<Line> lines;
    for (const AreaRow& row : rows) {
        lines.push_back({.key = row.key,
                         .item = row.priced ? "A001" : "A003",
                         .itemName = row.priced ? "钢板" : "垫圈",
                         .beyond = row.beyond});
    }
    return lines;
}

TypedSheet TransferRows(const std::vector<AreaRow>& rows) {
    return test::TransferSheet(AreaLines<TransferLine>(rows));
}

TypedSheet SalesRows(const std::vector<AreaRow>& rows) {
    return test::IssueSheet(kSales, AreaLines<IssueLine>(rows));
}

// The two kinds whose failed vouchers go to an error area.
struct AreaKind {
    const char* caption;
    std::string key; // the key column's letter
    TypedSheet (*sheet)(const std::vector<AreaRow>&);
    const char* table; // where its vouchers' headers go
};

void PrintTo(const AreaKind& kind, std::ostream* out) {
    *out << kind.caption;
}

const AreaKind kTransferKind{kTransfer, "B", TransferRows, "TransVouch"};
const AreaKind kSalesKind{kSales, "A", SalesRows, "RdRecord"};

void DeleteVouchers(Connection& con) {
    for (const char* table : {"TransVouch", "TransVouchs", "RdRecord", "RdRecords"}) {
        Execute(con, QStringLiteral("Delete From ") + QString::fromLatin1(table));
    }
}

// The rows without their cells of column Y, which the error area does not copy.
Texts WithoutColumnY(Texts rows) {
    for (std::string& row : rows) {
        if (const size_t y = row.find(" Y="); y != std::string::npos) {
            row.erase(y);
        }
    }
    return rows;
}

class ErrorAreaTest : public test::OutgoingVoucherFixture, public testing::WithParamInterface<AreaKind> {
protected:
    const AreaKind& Kind() const { return GetParam(); }
    std::string Marker() const { return Kind().key + "=text 'Error:'"; }

    RunOutcome ImportRows(const std::vector<AreaRow>& rows, const std::string& startRow = "2") {
        return Import({Kind().sheet(rows)}, Ticks{{Kind().caption, startRow}});
    }
    RunOutcome ImportAgain(const std::string& startRow) {
        observer.events.clear();
        return ImportBook(workbookPath, Ticks{{Kind().caption, startRow}});
    }

    Texts Rows(int first, int last) { return SheetRows(workbookPath, Kind().caption, first, last); }
    int Vouchers() { return Count(QString::fromLatin1(Kind().table)); }
};

// The marker goes into the key column of the second of the first two rows below the start row whose key cells
// are both empty, at every import, whether a voucher fails or not.
TEST_P(ErrorAreaTest, MarksTheAreaOneEmptyRowBelowTheData) {
    const struct {
        const char* name;
        Texts keys;
        const char* startRow;
        int marker;
    } cases[] = {
        {"BelowTheData", {"V1", "V2"}, "2", 5},
        {"OnAnEmptySheet", {}, "2", 3},
        {"PastASingleEmptyKey", {"V1", "", "V2"}, "2", 6},
        {"BelowTheStartRow", {"V1"}, "10", 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteVouchers(Con());
        observer.events.clear();
        std::vector<AreaRow> rows;
        for (const std::string& key : c.keys) {
            rows.push_back({key});
        }
        ASSERT_EQ(ImportRows(rows, c.startRow), RunOutcome::Completed);
        EXPECT_EQ(Messages(), Texts{"导入完成！"});
        EXPECT_EQ(Rows(c.marker - 1, c.marker + 1), (Texts{"", Marker(), ""}));
    }
}

// The voucher fails on its third row and is copied from its first, columns A to X with their types: dates stay
// dates, numbers numbers, logical values logical. Column Y stays behind.
TEST_P(ErrorAreaTest, CopiesAFailedVoucherWholeWithItsCellTypes) {
    const std::vector<CellInput> beyond{7.5, true, DateCell{2023, 12, 31}, "备注"s, "X列"s, "Y列"s};
    ASSERT_EQ(ImportRows({{"V1"}, {"V2", true, beyond}, {"V2", true, beyond}, {"V2", false, beyond}, {"V3"}}),
              RunOutcome::CompletedLeavingRowsOut);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    EXPECT_EQ(Vouchers(), 2);
    EXPECT_EQ(Rows(7, 8), (Texts{"", Marker()}));
    const Texts copies = Rows(9, 11);
    EXPECT_EQ(copies, WithoutColumnY(Rows(3, 5)));
    EXPECT_NE(copies[0].find("date 2024/3/5"), std::string::npos) << copies[0];
    EXPECT_NE(copies[0].find("T=number 7.5 U=bool True V=date 2023/12/31 W=text '备注' X=text 'X列'"),
              std::string::npos)
        << copies[0];
    EXPECT_EQ(Rows(12, 12), Texts{""});
}

// A run from the error area's copy, still unpriced, appends a second area below the first; once priced, a run
// from its newest copy imports the voucher.
TEST_P(ErrorAreaTest, ALaterRunAppendsBelowTheEarlierArea) {
    ASSERT_EQ(ImportRows({{"V1", false}, {"V2"}}), RunOutcome::CompletedLeavingRowsOut);
    EXPECT_EQ(StartRowBox(Kind().caption), "4");
    const std::string copy = Rows(2, 2)[0];

    ASSERT_EQ(ImportAgain("6"), RunOutcome::CompletedLeavingRowsOut);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    EXPECT_EQ(StartRowBox(Kind().caption), "7");

    test::ExecuteAll(Con(), {"Insert Into IA_Summary (cWhCode, cInvCode, iMonth, iNum, iMoney) "
                             "Values ('W1', 'A003', 1, 2, 3)",
                             "Insert Into CurrentStock (cWhCode, cInvCode, iQuantity) Values ('W1', 'A003', 10)"});
    ASSERT_EQ(ImportAgain("9"), RunOutcome::Completed);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    EXPECT_EQ(Rows(4, 12), (Texts{"", Marker(), copy, "", Marker(), copy, "", Marker(), ""}));
    EXPECT_EQ(Vouchers(), 2);
}

// A voucher set aside lives in the error area only once the workbook is saved: until then the run journal holds it,
// and a resumed run copies it into its own area. One the workbook already holds is not copied twice.
TEST_P(ErrorAreaTest, AVoucherSetAsideBeforeAnUnsavedEndIsCopiedByTheResumedRun) {
    ASSERT_EQ(ImportRows({{"V1"}}), RunOutcome::Completed);
    const std::vector<AreaRow> rows = {{"V1"}, {"V2", false}, {"V3"}};
    test::WriteTypedWorkbook(workbookPath, {Kind().sheet(rows)});
    const Texts data = Rows(1, 5);
    // Read-only once the run has begun: from its start the run would refuse it before importing anything.
    observer.onProgress = [&](const QString&, int) { ReadOnly(workbookPath); };
    EXPECT_EQ(ImportAgain("3"), RunOutcome::CompletedLeavingRowsOut);
    observer.onProgress = nullptr;
    std::filesystem::permissions(workbookPath, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    EXPECT_EQ(Rows(1, 5), data) << "not saved";
    EXPECT_EQ(Journal().ReadSetAsides().at(QString::fromUtf8(Kind().caption)).size(), 1u);

    resume = true;
    EXPECT_EQ(ImportAgain("2"), RunOutcome::CompletedLeavingRowsOut);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    EXPECT_EQ(Rows(5, 8), (Texts{"", Marker(), WithoutColumnY(Rows(3, 3))[0], ""}));
    EXPECT_TRUE(Journal().ReadSetAsides().empty());
    EXPECT_EQ(Vouchers(), 2);

    // Saved, but the journal was not told: the copy in the workbook's area counts.
    Journal().KeepSetAside(QString::fromUtf8(Kind().caption), {3, QStringLiteral("V2"), false});
    EXPECT_EQ(ImportAgain("2"), RunOutcome::CompletedLeavingRowsOut);
    EXPECT_EQ(Rows(8, 10), (Texts{"", Marker(), ""}));
    EXPECT_TRUE(Journal().ReadSetAsides().empty());
}

INSTANTIATE_TEST_SUITE_P(VoucherSheets, ErrorAreaTest, testing::Values(kTransferKind, kSalesKind),
                         [](const auto& info) { return std::string(info.index == 0 ? "Transfer" : "Sales"); });

// The workbooks of the file tests, in a folder of their own beside the ERP's.
class ErrorAreaFileTest : public test::OutgoingVoucherFixture {
protected:
    void SetUp() override {
        OutgoingVoucherFixture::SetUp();
        std::filesystem::create_directory(books);
    }

    // A sheet before and after the voucher sheets; T2 and S2 have no cost price unless all priced.
    static std::vector<TypedSheet> Sheets(bool allPriced = false) {
        return {{"说明", {{"导入说明"s}, {DateCell{2024, 1, 1}, 12.5}}},
                TransferRows({{"T1"}, {"T2", allPriced}}),
                SalesRows({{"S1"}, {"S2", allPriced}}),
                {"备注", {{true, "末页"s}}}};
    }

    // The cells of one row of a sheet as openpyxl reads them, with the row number taken out of each reference:
    // "A d '2024-03-05T00:00:00' yyyy/m/d".
    static std::set<std::string> OpenpyxlRow(const std::string& dump, const std::string& sheet, int row) {
        std::set<std::string> cells;
        std::istringstream lines(dump);
        std::string line;
        bool inSheet = false;
        while (std::getline(lines, line)) {
            if (line.starts_with("sheet ")) {
                inSheet = line.starts_with("sheet " + sheet + " ");
                continue;
            }
            const size_t blank = line.find(' ');
            const size_t digits = line.find_first_of("0123456789");
            if (inSheet && digits < blank && line.substr(digits, blank - digits) == std::to_string(row)) {
                cells.insert(line.substr(0, digits) + line.substr(blank));
            }
        }
        return cells;
    }

    // The sheet lines of an openpyxl dump: "sheet <name> <state>".
    static Texts OpenpyxlSheets(const std::string& dump) {
        Texts sheets;
        std::istringstream lines(dump);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.starts_with("sheet ")) {
                sheets.push_back(line);
            }
        }
        return sheets;
    }

    test::ScratchFolder scratch;
    std::string books = scratch.File("books");
};

// Only the worksheets that received an error area are rewritten: every other part keeps its stored bytes. Our
// reader and openpyxl both read the copied rows as the data rows they came from.
TEST_F(ErrorAreaFileTest, AnXlsxIsSavedInPlaceWithOnlyTheChangedWorksheetsRewritten) {
    const struct {
        const char* name;
        Ticks ticks;
        std::set<std::string> changed;
    } cases[] = {
        {"Transfers", {{kTransfer, "2"}}, {"xl/worksheets/sheet2.xml"}},
        {"TransfersAndSales",
         {{kTransfer, "2"}, {kSales, "2"}},
         {"xl/worksheets/sheet2.xml", "xl/worksheets/sheet3.xml"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteVouchers(Con());
        observer.events.clear();
        const std::string path = books + "/" + c.name + ".xlsx";
        test::WriteTypedWorkbook(path, Sheets());
        const std::vector<test::ZipEntry> before = test::ReadZipEntries(path);
        ASSERT_EQ(ImportBook(path, c.ticks), RunOutcome::CompletedLeavingRowsOut);
        EXPECT_EQ(Messages(), Texts{"导入完成！"});

        const std::vector<test::ZipEntry> after = test::ReadZipEntries(path);
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < before.size(); ++i) {
            SCOPED_TRACE(before[i].name);
            EXPECT_EQ(after[i].name, before[i].name);
            if (c.changed.contains(before[i].name)) {
                EXPECT_NE(after[i].content, before[i].content);
            } else {
                EXPECT_TRUE(after[i] == before[i]);
            }
        }
        EXPECT_EQ(SheetRows(path, kTransfer, 4, 6),
                  (Texts{"", "B=text 'Error:'", SheetRows(path, kTransfer, 3, 3)[0]}));
        if (test::PythonRuns()) {
            const std::string dump = test::DumpXlsxWithOpenpyxl(path);
            EXPECT_EQ(OpenpyxlRow(dump, kTransfer, 5), std::set<std::string>{"B s 'Error:' General"});
            const std::set<std::string> copy = OpenpyxlRow(dump, kTransfer, 6);
            EXPECT_EQ(copy, OpenpyxlRow(dump, kTransfer, 3));
            EXPECT_TRUE(copy.contains("A d '2024-03-05T00:00:00' yyyy/m/d")) << dump;
            EXPECT_TRUE(copy.contains("S n 4 General")) << dump;
        }
    }
    HZ_SKIP_WITHOUT_PYTHON();
}

// A legacy workbook stays as it was; when a voucher went into an error area, the whole workbook is written beside
// it as an .xlsx, and the run says where. Without one nothing is written.
TEST_F(ErrorAreaFileTest, AnXlsIsCopiedBesideItselfWhenAVoucherWasSetAside) {
    const std::string path = books + "/book.xls";
    const std::string copyPath = books + "/book.errors.xlsx";
    const Ticks ticks{{kTransfer, "2"}, {kSales, "2"}};

    test::WriteTypedWorkbookXls(path, Sheets(true));
    const std::string allPriced = test::ReadFileBytes(path);
    ASSERT_EQ(ImportBook(path, ticks), RunOutcome::Completed);
    EXPECT_EQ(Messages(), Texts{"导入完成！"});
    EXPECT_FALSE(std::filesystem::exists(copyPath));
    EXPECT_EQ(test::ReadFileBytes(path), allPriced);

    DeleteVouchers(Con());
    observer.events.clear();
    test::WriteTypedWorkbookXls(path, Sheets());
    const std::string original = test::ReadFileBytes(path);
    ASSERT_EQ(ImportBook(path, ticks), RunOutcome::CompletedLeavingRowsOut);
    EXPECT_EQ(Messages(), (Texts{"出错的单据已另存到 " + copyPath, "导入完成！"}));
    EXPECT_EQ(test::ReadFileBytes(path), original);
    EXPECT_EQ(Values(QStringLiteral("Select cTVCode As Value From TransVouch")), Texts{"T1"});

    for (const auto& [sheet, key] : {std::pair{kTransfer, "B"s}, std::pair{kSales, "A"s}}) {
        SCOPED_TRACE(sheet);
        EXPECT_EQ(SheetRows(copyPath, sheet, 1, 3), SheetRows(path, sheet, 1, 3));
        EXPECT_EQ(SheetRows(copyPath, sheet, 4, 7),
                  (Texts{"", key + "=text 'Error:'", SheetRows(path, sheet, 3, 3)[0], ""}));
    }
    HZ_SKIP_WITHOUT_PYTHON();
    const std::string dump = test::DumpXlsxWithOpenpyxl(copyPath);
    EXPECT_EQ(OpenpyxlSheets(dump),
              (Texts{"sheet 说明 visible", "sheet 调拨单 visible", "sheet 销售出库单 visible", "sheet 备注 visible"}));
    EXPECT_EQ(OpenpyxlRow(dump, kTransfer, 6), OpenpyxlRow(dump, kTransfer, 3));
    EXPECT_TRUE(OpenpyxlRow(dump, kTransfer, 6).contains("A d '2024-03-05T00:00:00' yyyy/m/d")) << dump;
    EXPECT_TRUE(OpenpyxlRow(dump, kSales, 6).contains("B d '2024-03-05T00:00:00' yyyy/m/d")) << dump;
    EXPECT_EQ(OpenpyxlRow(dump, "说明", 2),
              (std::set<std::string>{"A d '2024-01-01T00:00:00' yyyy/m/d", "B n 12.5 General"}));
}

// The copy is the .xls workbook's error side: each run adds its set-aside vouchers below what the copy holds, and
// whatever the user changed in it stays, on any sheet.
TEST_F(ErrorAreaFileTest, RunsOfAnXlsAddTheirVouchersToOneCopy) {
    const std::string path = books + "/book.xls";
    const std::string copyPath = books + "/book.errors.xlsx";
    test::WriteTypedWorkbookXls(path, Sheets());
    ASSERT_EQ(ImportBook(path, Ticks{{kTransfer, "2"}}), RunOutcome::CompletedLeavingRowsOut);
    EXPECT_EQ(Messages(), (Texts{"出错的单据已另存到 " + copyPath, "导入完成！"}));
    {
        auto copy = OpenWorkbook(copyPath);
        copy->WorksheetAt(1).WriteText(1, 3, "已核对");
        copy->SaveChanges();
    }

    observer.events.clear();
    ASSERT_EQ(ImportBook(path, Ticks{{kSales, "2"}}), RunOutcome::CompletedLeavingRowsOut);
    EXPECT_EQ(Messages(), (Texts{"出错的单据已另存到 " + copyPath, "导入完成！"}));

    // The user mends the workbook and adds a voucher that fails too.
    observer.events.clear();
    test::WriteTypedWorkbookXls(path, {TransferRows({{"T3", false}})});
    ASSERT_EQ(ImportBook(path, Ticks{{kTransfer, "2"}}), RunOutcome::CompletedLeavingRowsOut);
    EXPECT_EQ(Messages(), (Texts{"出错的单据已另存到 " + copyPath, "导入完成！"}));

    const Texts transfers = SheetRows(copyPath, kTransfer, 1, 10);
    EXPECT_EQ(transfers[4], "B=text 'Error:'");
    EXPECT_EQ(transfers[5], transfers[2]);
    EXPECT_NE(transfers[5].find("B=text 'T2'"), std::string::npos) << transfers[5];
    EXPECT_EQ((Texts{transfers[6], transfers[7]}), (Texts{"", "B=text 'Error:'"}));
    EXPECT_NE(transfers[8].find("B=text 'T3'"), std::string::npos) << transfers[8];
    EXPECT_EQ(transfers[9], "");
    const Texts sales = SheetRows(copyPath, kSales, 4, 7);
    EXPECT_EQ((Texts{sales[0], sales[1], sales[3]}), (Texts{"", "A=text 'Error:'", ""}));
    EXPECT_EQ(sales[2], SheetRows(copyPath, kSales, 3, 3)[0]);
    EXPECT_NE(sales[2].find("A=text 'S2'"), std::string::npos) << sales[2];
    EXPECT_EQ(SheetRows(copyPath, "说明", 1, 1), Texts{"A=text '导入说明' C=text '已核对'"});
    EXPECT_EQ(test::FileNames(books), (std::vector<std::string>{"book.errors.xlsx", "book.xls"}));
    HZ_SKIP_WITHOUT_PYTHON();
    // The dates of the later vouchers are dates in the copy too.
    EXPECT_TRUE(
        OpenpyxlRow(test::DumpXlsxWithOpenpyxl(copyPath), kTransfer, 9).contains("A d '2024-03-05T00:00:00' yyyy/m/d"));
}

// The user saved the workbook while the run went on (a row inserted above the vouchers): the error area would land on
// rows of content the run never read, so it goes into the copy, with the rows as the run read them.
TEST_F(ErrorAreaFileTest, AWorkbookChangedDuringTheRunKeepsItsContentAndTheAreaGoesToTheCopy) {
    const std::string path = books + "/book.xlsx";
    const std::string copyPath = books + "/book.errors.xlsx";
    const TypedSheet failing = test::TransferSheet({{}, {.key = "T2", .inDepartmentCode = "9"}});
    test::WriteTypedWorkbook(path, {failing});
    const Texts read = SheetRows(path, kTransfer, 1, 3);
    const std::string saved = books + "/saved.xlsx";
    test::WriteTypedWorkbook(saved, {test::TransferSheet({{.key = "T0"}, {}, {.key = "T2", .inDepartmentCode = "9"}})});
    const std::string edited = test::ReadFileBytes(saved);
    std::filesystem::remove(saved);
    observer.onMessage = [&] {
        if (test::ReadFileBytes(path) != edited) {
            test::WriteFileBytes(path, edited);
        }
    };
    ASSERT_EQ(ImportBook(path, Ticks{{kTransfer, "2"}}), RunOutcome::Aborted);
    observer.onMessage = nullptr;
    EXPECT_EQ(Messages(), (Texts{"调拨单 第 3 行转入部门代码没维护！",
                                 "工作簿在导入期间被修改，出错的单据已另存到 " + copyPath, "中止导入！"}));
    EXPECT_EQ(test::ReadFileBytes(path), edited);
    EXPECT_EQ(SheetRows(copyPath, kTransfer, 1, 7),
              (Texts{read[0], read[1], read[2], "", "B=text 'Error:'", read[2], ""}));
    EXPECT_EQ(test::FileNames(books), (std::vector<std::string>{"book.errors.xlsx", "book.xlsx"}));
}

// A workbook that cannot be saved is reported; the original keeps every byte, nothing is left beside it, and the
// vouchers the run committed stay. T2 fails its department check, so the run has a message to act on.
TEST_F(ErrorAreaFileTest, AWorkbookThatCannotBeSavedIsReportedAndLeftAsItWas) {
    const std::string moved = scratch.File("moved");
    std::unique_ptr<test::HeldFile> holder;
    const struct {
        const char* name;
        const char* file;
        std::function<void(const std::string& path)> before; // prepares the file at the run's first message
        bool moveFolder;                                     // the folder goes away at the run's first message
        std::string problem;                                 // after "无法保存工作簿“<written>”："
    } cases[] = {
        {"ReadOnly", "book.xlsx", ReadOnly, false, "文件是只读的"},
        {"LockedByAnotherProgram", "book.xlsx",
         [&](const std::string& path) { holder = std::make_unique<test::HeldFile>(path); }, false,
         "文件正被其他程序使用（已被锁定）"},
        {"FolderGoneXlsx", "book.xlsx", nullptr, true, "文件不存在"},
        {"FolderGoneXls", "book.xls", nullptr, true,
         "无法写入文件，文件夹可能不可写或磁盘已满（Error creating output xlsx file. Usually a permissions error.）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(books);
        std::filesystem::remove_all(moved);
        std::filesystem::create_directory(books);
        DeleteVouchers(Con());
        observer.events.clear();
        const std::string path = books + "/" + c.file;
        const TypedSheet sheet = test::TransferSheet({{}, {.key = "T2", .inDepartmentCode = "9"}});
        if (std::string(c.file).ends_with(".xls")) {
            test::WriteTypedWorkbookXls(path, {sheet});
        } else {
            test::WriteTypedWorkbook(path, {sheet});
        }
        const std::string original = test::ReadFileBytes(path);
        // At the run's first message: a workbook that cannot be written from the run's start is refused before the
        // first row.
        bool prepared = false;
        observer.onMessage = [&] {
            if (c.before && !prepared) {
                prepared = true;
                c.before(path);
            }
            if (c.moveFolder && std::filesystem::exists(books)) {
                std::filesystem::rename(books, moved);
            }
        };
        ASSERT_EQ(ImportBook(path, Ticks{{kTransfer, "2"}}), RunOutcome::Aborted);
        observer.onMessage = nullptr;
        holder.reset();

        const std::string written = std::string(c.file).ends_with(".xls") ? books + "/book.errors.xlsx" : path;
        EXPECT_EQ(Messages(), (Texts{"调拨单 第 3 行转入部门代码没维护！",
                                     "无法保存工作簿“" + written + "”：" + c.problem, "中止导入！"}));
        const std::string folder = c.moveFolder ? moved : books;
        EXPECT_EQ(test::ReadFileBytes(folder + "/" + c.file), original);
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            left.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(left, std::vector<std::string>{c.file});
        EXPECT_EQ(Values(QStringLiteral("Select cTVCode As Value From TransVouch")), Texts{"T1"});
    }
}

} // namespace
} // namespace hz
