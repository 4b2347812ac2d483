#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/database/query.h"
#include "engine/messages/run_error.h"
#include "engine/run/sheet_kinds.h"
#include "engine/text/cell_conversions.h"
#include "engine/text/regional_date.h"
#include "engine/workbook/workbook.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/fresh_erp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace hz {
namespace {

using test::ProgramResult;
using test::RunProgram;
using test::ScratchFolder;

const char kSampleUsage[] = "用法：huizhang-cli sample FILE.xlsx [--rows N] [--lines N] [--settings FILE]\n";
const char kDemoSettings[] = "[DB]\nGServer=sqlite\nGDBName=HZDEMO_001_2026\nGUser=demo\n";

ProgramResult Sample(const std::vector<std::string>& arguments) {
    std::vector<std::string> all = {"sample"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProgram(HZ_CLI, all);
}

// A sample's path and size: rows records or vouchers of lines lines each (0: without --lines).
std::vector<std::string> SizeArguments(const std::string& path, int rows, int lines) {
    std::vector<std::string> arguments = {path, "--rows", std::to_string(rows)};
    if (lines > 0) {
        arguments.insert(arguments.end(), {"--lines", std::to_string(lines)});
    }
    return arguments;
}

// The column whose first empty cell ends each sheet: a record's code, opening stock's item, a voucher's key.
const std::map<std::string, int> kEndColumns = {
    {"客户分类", 2},   {"供应商分类", 2}, {"存货分类", 2},   {"地区分类", 2},     {"部门", 2},       {"员工", 2},
    {"收发类别", 2},   {"计量单位组", 1}, {"计量单位", 2},   {"供应商档案", 2},   {"客户档案", 2},   {"仓库档案", 3},
    {"存货档案", 2},   {"存货期初", 4},   {"采购入库单", 3}, {"产成品入库单", 4}, {"其他入库单", 6}, {"调拨单", 2},
    {"销售出库单", 1}, {"材料出库单", 4}, {"其他出库单", 6},
};

// What posting a sheet's vouchers does to the stock of their warehouses and items.
enum class Move { In, Out, None };

// A voucher sheet: its key column, the columns of the voucher's header (the same on all its lines), its columns
// of date and quantity (unit cost and amount follow when it is priced), of item code and of the warehouse code
// or name whose stock its lines move (the sending warehouse of a transfer, whose cost price it takes), what its
// posting does, and the flag (1 receipt, 0 issue) of the category named in each of its category columns.
struct VoucherLayout {
    int key;
    std::vector<int> header;
    int date;
    int quantity;
    bool priced;
    int item;
    int warehouse;
    bool warehouseByName;
    Move move;
    std::map<int, std::string> categoryFlags;
};

const std::map<std::string, VoucherLayout> kVouchers = {
    {"采购入库单", {3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 4, 17, true, 14, 2, false, Move::In, {{10, "1"}}}},
    {"产成品入库单", {4, {2, 3, 4, 5, 6, 7, 8, 9}, 3, 16, true, 12, 2, true, Move::In, {{6, "1"}}}},
    {"其他入库单", {6, {2, 4, 5, 6, 7, 8, 10}, 5, 17, true, 13, 4, true, Move::In, {{7, "1"}}}},
    {"调拨单",
     {2,
      {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
      1,
      19,
      false,
      16,
      12,
      false,
      Move::None,
      {{7, "1"}, {9, "0"}}}},
    {"销售出库单", {1, {1, 2, 3, 4, 6, 8, 9, 10, 11, 12}, 2, 19, false, 15, 4, false, Move::Out, {{6, "0"}}}},
    {"材料出库单", {4, {2, 3, 4, 5}, 3, 11, true, 7, 2, true, Move::Out, {}}},
    {"其他出库单", {6, {2, 4, 5, 6, 7, 8, 10}, 5, 17, true, 13, 4, true, Move::Out, {{7, "0"}}}},
};

// One worksheet of a sample as texts: its place in tab order and its data rows, each from column A to T, with
// the kinds of their cells.
struct SampleSheet {
    int tab = 0;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::vector<CellKind>> kinds;

    const std::string& At(std::size_t row, int column) const { return rows[row][column - 1]; }
    // The texts of columns joined by tabs, for every row.
    std::vector<std::string> Keys(const std::vector<int>& columns) const {
        std::vector<std::string> keys;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            std::string key;
            for (const int column : columns)
                key += At(row, column) + '\t';
            keys.push_back(key);
        }
        return keys;
    }
    // The first row of every voucher: where the key differs from the row above.
    std::vector<std::size_t> VoucherStarts(int keyColumn) const {
        std::vector<std::size_t> starts;
        for (std::size_t row = 0; row < rows.size(); ++row)
            if (row == 0 || At(row, keyColumn) != At(row - 1, keyColumn))
                starts.push_back(row);
        return starts;
    }
};

using SampleSheets = std::map<std::string, SampleSheet>;

SampleSheets ReadSample(const std::string& path) {
    const auto workbook = OpenWorkbook(path);
    SampleSheets sheets;
    for (int tab = 1; tab <= workbook->WorksheetCount(); ++tab) {
        Worksheet& worksheet = workbook->WorksheetAt(tab);
        SampleSheet& sheet = sheets[worksheet.Name()];
        sheet.tab = tab;
        const auto end = kEndColumns.find(worksheet.Name());
        if (end == kEndColumns.end())
            continue;
        for (int row = 2; worksheet.Cell(row, end->second).kind != CellKind::Empty; ++row) {
            std::vector<std::string> texts;
            std::vector<CellKind> kinds;
            for (int column = 1; column <= 20; ++column) {
                const CellValue cell = worksheet.Cell(row, column);
                texts.push_back(CellToText(cell).toStdString());
                kinds.push_back(cell.kind);
            }
            sheet.rows.push_back(texts);
            sheet.kinds.push_back(kinds);
        }
    }
    return sheets;
}

// The lines of each voucher without --lines: 2 and 3 in turn.
std::size_t DefaultLines(std::size_t vouchers) {
    return vouchers * 2 + vouchers / 2;
}

TEST(SampleCommand, RefusesWrongArguments) {
    ScratchFolder folder;
    const std::string path = folder.File("sample.xlsx");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "缺少工作簿文件名"},
        {{"--rows", "3"}, "缺少工作簿文件名"},
        {{path, "--rows"}, "--rows 后面缺少值"},
        {{path, "--rows", ""}, "--rows 后面缺少值"},
        {{path, "--rows", "0"}, "行数“0”不是 1 到 1000000 之间的整数"},
        {{path, "--rows", "1000001"}, "行数“1000001”不是 1 到 1000000 之间的整数"},
        {{path, "--rows", "99999999999"}, "行数“99999999999”不是 1 到 1000000 之间的整数"},
        {{path, "--rows", "-3"}, "行数“-3”不是 1 到 1000000 之间的整数"},
        {{path, "--rows", "2.5"}, "行数“2.5”不是 1 到 1000000 之间的整数"},
        {{path, "--rows", " 5"}, "行数“ 5”不是 1 到 1000000 之间的整数"},
        {{path, "--rows", "abc"}, "行数“abc”不是 1 到 1000000 之间的整数"},
        {{path, "--rows", "3", "--rows", "4"}, "--rows 给了两次"},
        {{path, "--lines"}, "--lines 后面缺少值"},
        {{path, "--lines", "0"}, "每张单据的行数“0”不是 1 到 100 之间的整数"},
        {{path, "--lines", "101"}, "每张单据的行数“101”不是 1 到 100 之间的整数"},
        {{path, "--lines", "2", "--lines", "2"}, "--lines 给了两次"},
        {{path, "--settings"}, "--settings 后面缺少值"},
        {{path, "--settings", ""}, "--settings 后面缺少值"},
        {{path, "--settings", "a.ini", "--settings", "b.ini"}, "--settings 给了两次"},
        // A voucher sheet must fit into the 1048575 rows below its header: 2 and 3 lines in turn take 2.5 rows
        // a voucher.
        {{path, "--rows", "419431"}, "每个单据工作表要写 1048577 行，超过工作表的 1048575 行"},
        {{path, "--rows", "349526", "--lines", "3"}, "每个单据工作表要写 1048578 行，超过工作表的 1048575 行"},
        {{path, folder.File("other.xlsx")}, "无法理解的参数“" + folder.File("other.xlsx") + "”"},
        {{path, "--all"}, "无法理解的参数“--all”"},
    };
    for (const auto& [arguments, problem] : cases) {
        const ProgramResult result = Sample(arguments);
        EXPECT_EQ(result.status, 64) << problem;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, problem + "\n" + kSampleUsage);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_NE(RunProgram(HZ_CLI, {}).err.find(kSampleUsage), std::string::npos);
}

TEST(SampleCommand, WritesEverySheetInImportOrderUnderTheTemplateHeaders) {
    ScratchFolder folder;
    const std::string path = folder.File("sample.xlsx");
    ProgramResult result = Sample({path});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "已写入示例工作簿：" + path + "（每个档案工作表 5 行，存货期初 5 行，每种单据 5 张）\n");
    ASSERT_EQ(RunProgram(HZ_CLI, {"template", folder.File("template.xlsx")}).status, 0);

    const std::vector<std::string> order = {
        "客户分类",   "供应商分类",   "存货分类",   "地区分类", "部门",       "员工",       "收发类别",
        "计量单位组", "计量单位",     "供应商档案", "客户档案", "仓库档案",   "存货档案",   "存货期初",
        "采购入库单", "产成品入库单", "其他入库单", "调拨单",   "销售出库单", "材料出库单", "其他出库单"};
    const auto sample = OpenWorkbook(path);
    const auto blank = OpenWorkbook(folder.File("template.xlsx"));
    ASSERT_EQ(sample->WorksheetCount(), static_cast<int>(order.size()));
    for (int tab = 1; tab <= sample->WorksheetCount(); ++tab) {
        Worksheet& sheet = sample->WorksheetAt(tab);
        ASSERT_EQ(sheet.Name(), order[tab - 1]);
        Worksheet* header = nullptr;
        for (int other = 1; other <= blank->WorksheetCount(); ++other)
            if (blank->WorksheetAt(other).Name() == sheet.Name())
                header = &blank->WorksheetAt(other);
        ASSERT_NE(header, nullptr) << sheet.Name();
        for (int column = 1; column <= 26; ++column) {
            EXPECT_EQ(CellToText(sheet.Cell(1, column)), CellToText(header->Cell(1, column)))
                << sheet.Name() << " " << column;
            // No data under a column that no importer reads.
            if (header->Cell(1, column).kind == CellKind::Empty) {
                EXPECT_EQ(sheet.Cell(2, column).kind, CellKind::Empty) << sheet.Name() << " " << column;
            }
        }
        // Five records, or five vouchers of 2, 3, 2, 3 and 2 lines.
        const int last = kVouchers.contains(sheet.Name()) ? 13 : 6;
        const int end = kEndColumns.at(sheet.Name());
        EXPECT_NE(sheet.Cell(last, end).kind, CellKind::Empty) << sheet.Name();
        EXPECT_EQ(sheet.Cell(last + 1, end).kind, CellKind::Empty) << sheet.Name();
    }

    result = Sample({"--rows", "1", path});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "无法写入示例工作簿“" + path + "”：文件已存在，不会覆盖它\n");
}

// A reference from columns of one sheet to the record holding the same texts in columns of another.
struct Reference {
    std::string sheet;
    std::vector<int> columns;
    std::string target;
    std::vector<int> targetColumns;
};

const std::vector<Reference> kReferences = {
    {"员工", {4}, "部门", {3}},
    {"计量单位", {4, 5}, "计量单位组", {1, 2}},
    {"供应商档案", {4}, "地区分类", {3}},
    {"供应商档案", {8}, "员工", {3}},
    {"供应商档案", {9}, "部门", {3}},
    {"供应商档案", {10}, "供应商分类", {2}},
    {"客户档案", {4}, "地区分类", {3}},
    {"客户档案", {8}, "员工", {3}},
    {"客户档案", {9}, "部门", {3}},
    {"客户档案", {10}, "客户分类", {2}},
    {"仓库档案", {5, 4}, "部门", {2, 3}},
    {"存货档案", {4}, "存货分类", {3}},
    {"存货档案", {8, 7}, "计量单位组", {1, 2}},
    {"存货档案", {10, 9}, "计量单位", {2, 3}},
    {"存货期初", {3, 2}, "仓库档案", {3, 2}},
    {"存货期初", {4, 5}, "存货档案", {2, 3}},
    {"存货期初", {11, 12}, "部门", {2, 3}},
    {"采购入库单", {2, 1}, "仓库档案", {3, 2}},
    {"采购入库单", {6, 5}, "供应商档案", {2, 3}},
    {"采购入库单", {8, 7}, "部门", {2, 3}},
    {"采购入库单", {10}, "收发类别", {3}},
    {"采购入库单", {14, 15}, "存货档案", {2, 3}},
    {"产成品入库单", {2}, "仓库档案", {2}},
    {"产成品入库单", {5}, "部门", {3}},
    {"产成品入库单", {6}, "收发类别", {3}},
    {"产成品入库单", {12, 13}, "存货档案", {2, 3}},
    {"其他入库单", {4}, "仓库档案", {2}},
    {"其他入库单", {7}, "收发类别", {3}},
    {"其他入库单", {8}, "部门", {3}},
    {"其他入库单", {13, 14}, "存货档案", {2, 3}},
    {"调拨单", {4, 3}, "部门", {2, 3}},
    {"调拨单", {6, 5}, "部门", {2, 3}},
    {"调拨单", {8, 7}, "收发类别", {2, 3}},
    {"调拨单", {10, 9}, "收发类别", {2, 3}},
    {"调拨单", {12, 11}, "仓库档案", {3, 2}},
    {"调拨单", {14, 13}, "仓库档案", {3, 2}},
    {"调拨单", {16, 17}, "存货档案", {2, 3}},
    // The code in D names the warehouse of C: the import prices a voucher's later lines in it.
    {"销售出库单", {4, 3}, "仓库档案", {3, 2}},
    {"销售出库单", {6}, "收发类别", {3}},
    {"销售出库单", {9, 8}, "部门", {2, 3}},
    {"销售出库单", {11, 10}, "客户档案", {2, 3}},
    {"销售出库单", {15, 16}, "存货档案", {2, 3}},
    {"材料出库单", {2}, "仓库档案", {2}},
    {"材料出库单", {5}, "部门", {3}},
    {"材料出库单", {7, 8}, "存货档案", {2, 3}},
    {"其他出库单", {4}, "仓库档案", {2}},
    {"其他出库单", {7}, "收发类别", {3}},
    {"其他出库单", {8}, "部门", {3}},
    {"其他出库单", {13, 14}, "存货档案", {2, 3}},
};

void ExpectUnique(const std::vector<std::string>& keys, const std::string& what) {
    const std::set<std::string> distinct(keys.begin(), keys.end());
    EXPECT_EQ(distinct.size(), keys.size()) << what;
}

// Digits after the decimal point of a number cell's text.
std::size_t Decimals(const std::string& text) {
    const std::size_t point = text.find('.');
    return point == std::string::npos ? 0 : text.size() - point - 1;
}

// A quantity column, and when priced the unit cost and amount after it: at most 4, 4 and 2 decimals, the amount
// the product of the other two.
void ExpectQuantities(const SampleSheet& sheet, int first, bool priced, const std::string& name) {
    for (std::size_t row = 0; row < sheet.rows.size(); ++row) {
        const std::string& quantity = sheet.At(row, first);
        ASSERT_EQ(sheet.kinds[row][first - 1], CellKind::Number) << name;
        EXPECT_LE(Decimals(quantity), 4u) << name << " " << quantity;
        EXPECT_GT(std::stod(quantity), 0) << name;
        if (!priced) {
            continue;
        }
        const std::string& cost = sheet.At(row, first + 1);
        const std::string& amount = sheet.At(row, first + 2);
        EXPECT_LE(Decimals(cost), 4u) << name << " " << cost;
        EXPECT_LE(Decimals(amount), 2u) << name << " " << amount;
        EXPECT_NEAR(std::stod(amount), std::stod(quantity) * std::stod(cost), 0.005 + 1e-9) << name;
    }
}

// A date column: every cell reads as a short date, and both date cells and date texts occur when there are
// several records or vouchers.
void ExpectDates(const SampleSheet& sheet, int column, std::size_t records, const std::string& name) {
    std::set<CellKind> kinds;
    for (std::size_t row = 0; row < sheet.rows.size(); ++row) {
        EXPECT_NO_THROW(ParseShortDate(QString::fromStdString(sheet.At(row, column)))) << name;
        kinds.insert(sheet.kinds[row][column - 1]);
    }
    if (records > 1) {
        EXPECT_EQ(kinds, (std::set<CellKind>{CellKind::DateTime, CellKind::Text})) << name;
    }
}

// What the importers check row by row, and what makes one run import the whole sample: rows records of each
// master-data sheet and of opening stock, rows vouchers of each voucher sheet, of lines lines each (0 for 2
// and 3 in turn).
void ExpectConsistent(const SampleSheets& sheets, std::size_t rows, std::size_t lines) {
    ASSERT_EQ(sheets.size(), kEndColumns.size());
    for (const auto& [name, column] : kEndColumns) {
        if (!kVouchers.contains(name)) {
            EXPECT_EQ(sheets.at(name).rows.size(), rows) << name;
            ExpectUnique(sheets.at(name).Keys({column}), name + " codes");
        }
    }
    for (const Reference& reference : kReferences) {
        const SampleSheet& sheet = sheets.at(reference.sheet);
        const SampleSheet& target = sheets.at(reference.target);
        const std::string what = reference.sheet + " -> " + reference.target;
        // A name or a code and name that a row looks up names one record, imported before the row.
        EXPECT_LT(target.tab, sheet.tab) << what;
        const std::vector<std::string> keys = target.Keys(reference.targetColumns);
        ExpectUnique(keys, what);
        const std::set<std::string> known(keys.begin(), keys.end());
        for (const std::string& key : sheet.Keys(reference.columns))
            ASSERT_TRUE(known.contains(key)) << what << ": " << key;
    }
    for (const char* name : {"客户分类", "供应商分类", "存货分类", "地区分类"}) {
        std::set<std::string> earlier;
        for (const std::string& code : sheets.at(name).Keys({2})) {
            const std::string text = code.substr(0, code.size() - 1);
            ASSERT_TRUE(text.size() == 2 || text.size() == 5 || text.size() == 9) << name << " " << text;
            if (text.size() > 2) {
                EXPECT_TRUE(earlier.contains(text.substr(0, text.size() == 5 ? 2 : 5))) << name << " " << text;
            }
            earlier.insert(text);
        }
    }
    std::map<std::string, std::string> categoryFlags;
    for (const auto& row : sheets.at("收发类别").rows) {
        // A child category receives or issues as its parent does: "1..." receipts, "2..." issues.
        const std::string& code = row[1];
        EXPECT_TRUE(code[0] == '1' || code[0] == '2') << code;
        EXPECT_EQ(row[3], code[0] == '1' ? "1" : "0") << code;
        categoryFlags[row[2]] = row[3];
    }
    for (const auto& row : sheets.at("计量单位组").rows)
        EXPECT_TRUE(row[2] == "无换算" || row[2] == "固定换算" || row[2] == "浮动换算") << row[2];
    for (const auto& row : sheets.at("计量单位").rows)
        EXPECT_EQ(row[7], "True");
    for (const char* name : {"供应商档案", "客户档案"})
        for (const auto& row : sheets.at(name).rows)
            EXPECT_NO_THROW(ParseShortDate(QString::fromStdString(row[4]))) << name << " " << row[4];
    for (const auto& row : sheets.at("存货档案").rows) {
        EXPECT_EQ(row[4], "13");
        EXPECT_NO_THROW(ParseShortDate(QString::fromStdString(row[5]))) << row[5];
        EXPECT_EQ(row[10], "销售");
        EXPECT_EQ(row[11], "外购");
    }

    ExpectDates(sheets.at("存货期初"), 10, rows, "存货期初");
    ExpectQuantities(sheets.at("存货期初"), 7, true, "存货期初");
    for (const auto& [name, layout] : kVouchers) {
        const SampleSheet& sheet = sheets.at(name);
        const std::vector<std::size_t> starts = sheet.VoucherStarts(layout.key);
        ASSERT_EQ(starts.size(), rows) << name;
        EXPECT_EQ(sheet.rows.size(), lines > 0 ? rows * lines : DefaultLines(rows)) << name;
        std::set<std::string> keys;
        for (std::size_t voucher = 0; voucher < starts.size(); ++voucher) {
            const std::size_t first = starts[voucher];
            const std::size_t end = voucher + 1 < starts.size() ? starts[voucher + 1] : sheet.rows.size();
            EXPECT_EQ(end - first, lines > 0 ? lines : 2 + voucher % 2) << name << " " << voucher;
            // A key that comes back later would make a further voucher; one of the ERP's numbers, nine digits
            // with a "-" in front for opening stock, would stop the run.
            const std::string& key = sheet.At(first, layout.key);
            EXPECT_TRUE(keys.insert(key).second) << name << " " << key;
            EXPECT_TRUE(key.size() >= 4 && key.size() < 9) << name << " " << key;
            for (std::size_t row = first + 1; row < end; ++row)
                for (const int column : layout.header)
                    EXPECT_EQ(sheet.At(row, column), sheet.At(first, column)) << name << " " << row << " " << column;
        }
        // A sample of one row has one category, a receipt category, which serves the issues too.
        for (std::size_t row = 0; row < sheet.rows.size(); ++row)
            for (const auto& [column, flag] : layout.categoryFlags)
                EXPECT_EQ(categoryFlags.at(sheet.At(row, column)), rows > 1 ? flag : "1") << name << " " << column;
        ExpectDates(sheet, layout.date, rows, name);
        ExpectQuantities(sheet, layout.quantity, layout.priced, name);
    }
    // The purchase types the ERP ships with; the business types of other receipts and issues name the voucher
    // types "其他入库单" and "其他出库单".
    const std::set<std::string> purchaseTypes = {"普通采购", "直运采购", "受托代销"};
    for (const auto& row : sheets.at("采购入库单").rows)
        EXPECT_TRUE(purchaseTypes.contains(row[8])) << row[8];
    for (const auto& row : sheets.at("其他入库单").rows)
        EXPECT_EQ(row[1], "其他入库");
    for (const auto& row : sheets.at("其他出库单").rows)
        EXPECT_EQ(row[1], "其他出库");
}

TEST(SampleCommand, EveryReferenceResolvesAndEveryCodeIsUnique) {
    // 12000 rows take the class codes to their third level and widen every serial code and voucher key.
    for (const auto& [rows, lines] : std::vector<std::pair<int, int>>{{1, 0}, {3, 0}, {12000, 0}, {4, 5}}) {
        SCOPED_TRACE(std::to_string(rows) + " rows, " + std::to_string(lines) + " lines");
        ScratchFolder folder;
        const std::string path = folder.File("sample.xlsx");
        ASSERT_EQ(Sample(SizeArguments(path, rows, lines)).status, 0);
        ExpectConsistent(ReadSample(path), static_cast<std::size_t>(rows), static_cast<std::size_t>(lines));
    }
}

using StockKey = std::pair<std::string, std::string>; // warehouse code, item code

// The warehouse code and item code of every line of a voucher sheet, whose stock the line moves.
std::vector<StockKey> StockKeys(const SampleSheets& sheets, const std::string& name) {
    std::map<std::string, std::string> warehouseCodes;
    for (const auto& row : sheets.at("仓库档案").rows)
        warehouseCodes[row[1]] = row[2];
    const VoucherLayout& layout = kVouchers.at(name);
    const SampleSheet& sheet = sheets.at(name);
    std::vector<StockKey> keys;
    for (std::size_t row = 0; row < sheet.rows.size(); ++row) {
        const std::string& warehouse = sheet.At(row, layout.warehouse);
        keys.emplace_back(layout.warehouseByName ? warehouseCodes.at(warehouse) : warehouse,
                          sheet.At(row, layout.item));
    }
    return keys;
}

// Posts the sample's stock sheets in tab order, as one run does: opening stock and receipts add their quantities
// to the stock of their warehouse and item, issues take theirs away, transfers move nothing. An issue line that
// leaves no stock fails the test: all issues together must stay below what came in. Answers the stock.
std::map<StockKey, double> PostSample(const SampleSheets& sheets) {
    std::map<StockKey, double> stock;
    const SampleSheet& opening = sheets.at("存货期初");
    for (std::size_t row = 0; row < opening.rows.size(); ++row)
        stock[{opening.At(row, 3), opening.At(row, 4)}] += std::stod(opening.At(row, 7));
    std::map<int, std::string> byTab;
    for (const auto& [name, layout] : kVouchers) {
        EXPECT_LT(sheets.at("存货期初").tab, sheets.at(name).tab) << name;
        byTab[sheets.at(name).tab] = name;
    }
    for (const auto& [tab, name] : byTab) {
        const VoucherLayout& layout = kVouchers.at(name);
        const std::vector<StockKey> keys = StockKeys(sheets, name);
        for (std::size_t row = 0; row < keys.size() && layout.move != Move::None; ++row) {
            const double quantity = std::stod(sheets.at(name).At(row, layout.quantity));
            double& left = stock[keys[row]];
            left += layout.move == Move::In ? quantity : -quantity;
            if (left < 1e-6) {
                ADD_FAILURE() << name << " row " << row + 2 << " leaves " << left << " of item " << keys[row].second
                              << " in warehouse " << keys[row].first;
                return stock;
            }
        }
    }
    return stock;
}

TEST(SampleCommand, IssuesStayBelowWhatCameInWhateverTheSize) {
    // Few warehouses and items under many lines send many issue lines to each pair.
    for (const auto& [rows, lines] : std::vector<std::pair<int, int>>{
             {1, 0}, {2, 0}, {5, 0}, {13, 0}, {1, 1}, {1, 100}, {2, 100}, {5, 3}, {13, 7}}) {
        SCOPED_TRACE(std::to_string(rows) + " rows, " + std::to_string(lines) + " lines");
        ScratchFolder folder;
        const std::string path = folder.File("sample.xlsx");
        ASSERT_EQ(Sample(SizeArguments(path, rows, lines)).status, 0);
        PostSample(ReadSample(path));
    }
}

// The pairs of warehouse and item whose cost price a run asks the ERP for: those of every line of the transfer
// sheet (its sending warehouse) and of the sales delivery sheet.
std::set<StockKey> CostPricedPairs(const SampleSheets& sheets) {
    std::set<StockKey> pairs;
    for (const char* name : {"调拨单", "销售出库单"}) {
        const std::vector<StockKey> keys = StockKeys(sheets, name);
        pairs.insert(keys.begin(), keys.end());
    }
    return pairs;
}

// Every row of the ERP's accounting summary as "warehouse item month quantity money", in order.
std::vector<std::string> CostPriceRows(Connection& erp) {
    return test::Column(erp, QStringLiteral("SELECT cWhCode || ' ' || cInvCode || ' ' || iMonth || ' ' || iNum || ' ' "
                                            "|| iMoney AS Value FROM IA_Summary ORDER BY cWhCode, cInvCode, iMonth"));
}

// The second line that sample prints with --settings.
std::string CostPricesLine(const std::string& database, std::size_t added, std::size_t pairs, std::size_t kept) {
    std::string line = "已向内置 ERP 数据库“" + database + "”的 IA_Summary 写入 " + std::to_string(added) +
                       " 行成本价（" + std::to_string(pairs) + " 对仓库和存货，各 3 个月";
    if (kept > 0) {
        line += "；已有的 " + std::to_string(kept) + " 行保持不变";
    }
    return line + "）\n";
}

TEST(SampleCommand, GivesTheErpThreeMonthsOfCostPricesForEveryPairItsSheetsPrice) {
    for (const auto& [rows, lines] : std::vector<std::pair<int, int>>{{1, 0}, {4, 0}, {6, 3}, {3, 40}}) {
        SCOPED_TRACE(std::to_string(rows) + " rows, " + std::to_string(lines) + " lines");
        ScratchFolder folder;
        const std::string settings = folder.File("ZirurUzavarUriz.ini");
        const std::string path = folder.File("sample.xlsx");
        ASSERT_EQ(RunProgram(HZ_CLI, {"init-demo", "--settings", settings}).status, 0);
        std::vector<std::string> arguments = SizeArguments(path, rows, lines);
        arguments.insert(arguments.end(), {"--settings", settings});
        const ProgramResult result = Sample(arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        const std::set<StockKey> pairs = CostPricedPairs(ReadSample(path));
        const std::string database = folder.File("HZDEMO_001_2026.db");
        EXPECT_EQ(result.out, "已写入示例工作簿：" + path + "（每个档案工作表 " + std::to_string(rows) +
                                  " 行，存货期初 " + std::to_string(rows) + " 行，每种单据 " + std::to_string(rows) +
                                  " 张）\n" + CostPricesLine(database, 3 * pairs.size(), pairs.size(), 0));

        // Months 1 to 3 of each pair, each with a quantity, so that the latest month gives a cost price.
        const auto erp = test::OpenErp(database);
        Query summary(*erp);
        summary.SetText(QStringLiteral("SELECT cWhCode, cInvCode, count(*) AS months, min(iMonth) AS first, "
                                       "max(iMonth) AS last, min(iNum) AS quantity, min(iMoney) AS money "
                                       "FROM IA_Summary GROUP BY cWhCode, cInvCode"));
        summary.Exec();
        std::set<StockKey> found;
        while (summary.Next()) {
            const StockKey key{summary.Text(QStringLiteral("cWhCode")).toStdString(),
                               summary.Text(QStringLiteral("cInvCode")).toStdString()};
            found.insert(key);
            EXPECT_EQ(summary.Int(QStringLiteral("months")), 3) << key.first << " " << key.second;
            EXPECT_EQ(summary.Int(QStringLiteral("first")), 1);
            EXPECT_EQ(summary.Int(QStringLiteral("last")), 3);
            EXPECT_GT(summary.Double(QStringLiteral("quantity")), 0);
            EXPECT_GT(summary.Double(QStringLiteral("money")), 0);
        }
        EXPECT_EQ(found, pairs);
    }
}

TEST(SampleCommand, ASecondSampleAddsTheMonthsTheErpLacksAndKeepsTheOthers) {
    ScratchFolder folder;
    const std::string settings = folder.File("ZirurUzavarUriz.ini");
    const std::string database = folder.File("HZDEMO_001_2026.db");
    ASSERT_EQ(RunProgram(HZ_CLI, {"init-demo", "--settings", settings}).status, 0);
    ASSERT_EQ(Sample({folder.File("first.xlsx"), "--rows", "2", "--settings", settings}).status, 0);
    // The ERP's own accounts since then: a month that the second sample would give another money.
    test::Execute(*test::OpenErp(database), QStringLiteral("UPDATE IA_Summary SET iMoney = 1 WHERE iMonth = 3"));
    const std::vector<std::string> before = CostPriceRows(*test::OpenErp(database));

    const ProgramResult result = Sample({folder.File("second.xlsx"), "--rows", "4", "--settings", settings});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::set<StockKey> first = CostPricedPairs(ReadSample(folder.File("first.xlsx")));
    const std::set<StockKey> second = CostPricedPairs(ReadSample(folder.File("second.xlsx")));
    std::set<StockKey> both;
    std::set_intersection(first.begin(), first.end(), second.begin(), second.end(), std::inserter(both, both.end()));
    ASSERT_FALSE(both.empty());
    ASSERT_LT(both.size(), second.size());
    EXPECT_NE(
        result.out.find(CostPricesLine(database, 3 * (second.size() - both.size()), second.size(), 3 * both.size())),
        std::string::npos)
        << result.out;

    const std::vector<std::string> after = CostPriceRows(*test::OpenErp(database));
    EXPECT_EQ(after.size(), 3 * (first.size() + second.size() - both.size()));
    for (const std::string& row : before)
        EXPECT_NE(std::find(after.begin(), after.end(), row), after.end()) << row;
}

TEST(SampleCommand, WithSettingsWritesNothingUnlessTheWholeSampleGoesIntoAnEmbeddedErp) {
    struct Case {
        const char* name;
        const char* settings; // null: no settings file
        bool erp;             // init-demo has created the ERP
        const char* erpFile;  // else: the bytes of the ERP's file, null for none
        std::string problem;  // {settings} and {database} stand for the paths
    };
    const std::vector<Case> cases = {
        {"no settings file", nullptr, false, nullptr, "设置文件“{settings}”不存在"},
        {"a server", "[DB]\nGServer=erp-host\nGDBName=ERPDATA_001\nGUser=sa\n", false, nullptr,
         "设置文件“{settings}”的服务器（GServer）不是 sqlite，示例的成本价只能写入内置 ERP"},
        {"no database name", "[DB]\nGServer=sqlite\nGUser=demo\n", false, nullptr,
         "设置文件“{settings}”没有数据库名（GDBName）"},
        {"no ERP yet", kDemoSettings, false, nullptr,
         "内置 ERP 数据库“{database}”不存在，请先运行 huizhang-cli init-demo --settings {settings}"},
        {"no ERP's file", kDemoSettings, false, "",
         "无法打开内置 ERP 数据库“{database}”：数据库文件“{database}”不是内置 ERP 数据库"},
        // The cost prices go in in one transaction: a refused month takes back the months before it.
        {"a refused month", kDemoSettings, true, nullptr, "无法向内置 ERP 数据库“{database}”写入成本价：refused"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ScratchFolder folder;
        const std::string settings = folder.File("ZirurUzavarUriz.ini");
        const std::string database = folder.File("HZDEMO_001_2026.db");
        const std::string path = folder.File("sample.xlsx");
        if (test.erp) {
            ASSERT_EQ(RunProgram(HZ_CLI, {"init-demo", "--settings", settings}).status, 0);
            test::Execute(*test::OpenErp(database),
                          QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON IA_Summary WHEN "
                                         "NEW.iMonth = 3 BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        } else if (test.settings) {
            test::WriteFileBytes(settings, test.settings);
        }
        if (test.erpFile) {
            test::WriteFileBytes(database, test.erpFile);
        }
        const ProgramResult result = Sample({path, "--settings", settings});
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        std::string problem = test.problem;
        for (const auto& [name, value] : {std::pair{"{settings}", settings}, std::pair{"{database}", database}})
            for (std::size_t at; (at = problem.find(name)) != std::string::npos;)
                problem.replace(at, std::string(name).size(), value);
        EXPECT_TRUE(result.err.starts_with(problem)) << result.err;
        EXPECT_FALSE(std::filesystem::exists(path));
        if (test.erp) {
            EXPECT_EQ(CostPriceRows(*test::OpenErp(database)).size(), 0u);
        }
    }
}

TEST(SampleCommand, ImportsWholeIntoAFreshDemoErpAndPostsEveryVoucher) {
    // Ten rows: every category that the vouchers name is among them.
    constexpr int kRows = 10;
    ScratchFolder folder;
    const std::string settings = folder.File("ZirurUzavarUriz.ini");
    const std::string path = folder.File("sample.xlsx");
    ASSERT_EQ(RunProgram(HZ_CLI, {"init-demo", "--settings", settings}).status, 0);
    ASSERT_EQ(Sample({path, "--rows", std::to_string(kRows), "--settings", settings}).status, 0);
    const SampleSheets sheets = ReadSample(path);

    const ProgramResult result = RunProgram(HZ_CLI, {"import", "--workbook", path, "--settings", settings, "--all"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    // No message but the final one, and every one of the 21 sheets read to its first empty row.
    std::string expected = "导入完成！\n";
    for (const SheetKind& kind : SheetKinds()) {
        const std::string caption = kind.caption.toString().toStdString();
        expected += caption + "\t" + std::to_string(sheets.at(caption).rows.size() + 2) + "\n";
    }
    EXPECT_EQ(result.out, expected);

    const auto erp = test::OpenErp(folder.File("HZDEMO_001_2026.db"));
    const auto count = [&erp](const QString& sql) {
        return test::Scalar(*erp, QStringLiteral("SELECT count(*) AS Value FROM ") + sql).toInt();
    };
    for (const char* table :
         {"CustomerClass", "VendorClass", "InventoryClass", "DistrictClass", "Department", "Person", "Rd_Style",
          "ComputationGroup", "ComputationUnit", "Vendor", "Customer", "Warehouse", "Inventory"}) {
        EXPECT_EQ(count(QString::fromLatin1(table)), kRows) << table;
    }
    // The looked-up references arrived as codes.
    EXPECT_EQ(count(QStringLiteral("Inventory i JOIN InventoryClass c ON c.cInvCCode = i.cInvCCode "
                                   "AND c.cInvCName = i.cInvStd")),
              kRows);
    EXPECT_EQ(count(QStringLiteral("Vendor v JOIN Person p ON p.cPersonCode = v.cVenPPerson JOIN Department d "
                                   "ON d.cDepCode = v.cVenDepart")),
              kRows);

    // kRows vouchers of each kind, every line of the sheets in them, every header's names found as codes: the
    // categories of receipts and issues by their flags, the other issue's voucher type by its business type.
    const int lines = static_cast<int>(DefaultLines(kRows));
    for (const char* type : {"34", "01", "10", "08", "32", "11", "09"}) {
        EXPECT_EQ(count(QStringLiteral("RdRecord WHERE cVouchType = '%1'").arg(QLatin1String(type))), kRows) << type;
    }
    EXPECT_EQ(count(QStringLiteral("RdRecords")), kRows + 6 * lines);
    EXPECT_EQ(count(QStringLiteral("RdRecord h JOIN Warehouse w ON w.cWhCode = h.cWhCode "
                                   "JOIN Department d ON d.cDepCode = h.cDepCode")),
              7 * kRows);
    EXPECT_EQ(count(QStringLiteral("RdRecord h JOIN Rd_Style r ON r.cRdCode = h.cRdCode AND r.bRdFlag = h.bRdFlag")),
              5 * kRows);
    EXPECT_EQ(count(QStringLiteral("RdRecord h JOIN PurchaseType p ON p.cPTCode = h.cPTCode "
                                   "JOIN Vendor v ON v.cVenCode = h.cVenCode")),
              kRows);
    EXPECT_EQ(count(QStringLiteral("RdRecord h JOIN Customer c ON c.cCusCode = h.cCusCode")), kRows);
    // Transfers, saved without posting, both sides of each found as codes.
    EXPECT_EQ(count(QStringLiteral("TransVouch")), kRows);
    EXPECT_EQ(count(QStringLiteral("TransVouchs")), lines);
    EXPECT_EQ(
        count(QStringLiteral(
            "TransVouch t JOIN Warehouse wo ON wo.cWhCode = t.cOWhCode JOIN Warehouse wi ON wi.cWhCode = t.cIWhCode "
            "JOIN Department dO ON dO.cDepCode = t.cODepCode JOIN Department di ON di.cDepCode = t.cIDepCode "
            "JOIN Rd_Style ro ON ro.cRdCode = t.cORdCode AND ro.bRdFlag = 0 "
            "JOIN Rd_Style ri ON ri.cRdCode = t.cIRdCode AND ri.bRdFlag = 1")),
        kRows);
    // Every transfer and sales line priced at a cost price of the ERP's accounting summary.
    EXPECT_EQ(count(QStringLiteral("TransVouchs WHERE iTVACost > 0")), lines);
    EXPECT_EQ(count(QStringLiteral("RdRecords d JOIN RdRecord h ON h.ID = d.ID WHERE h.cVouchType = '32' "
                                   "AND d.iUnitCost > 0")),
              lines);

    // Every voucher posted: the stock of each warehouse and item is its opening stock plus its receipts minus its
    // issues.
    EXPECT_EQ(count(QStringLiteral("SCM_EntryLedgerBuffer")), 0);
    const std::map<StockKey, double> expectedStock = PostSample(sheets);
    Query stock(*erp);
    stock.SetText(QStringLiteral("SELECT cWhCode, cInvCode, sum(iQuantity) AS iQuantity FROM CurrentStock "
                                 "GROUP BY cWhCode, cInvCode"));
    stock.Exec();
    EXPECT_EQ(stock.RecordCount(), static_cast<int>(expectedStock.size()));
    while (stock.Next()) {
        const StockKey key{stock.Text(QStringLiteral("cWhCode")).toStdString(),
                           stock.Text(QStringLiteral("cInvCode")).toStdString()};
        ASSERT_TRUE(expectedStock.contains(key)) << key.first << " " << key.second;
        EXPECT_NEAR(stock.Double(QStringLiteral("iQuantity")), expectedStock.at(key), 1e-6)
            << key.first << " " << key.second;
    }
}

} // namespace
} // namespace hz
