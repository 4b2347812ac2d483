#include "engine/cell_conversions.h"
#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/regional_date.h"
#include "engine/run_error.h"
#include "engine/sheet_kinds.h"
#include "engine/workbook/workbook.h"
#include "tests/support/child_process.h"
#include "tests/support/fresh_erp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

namespace hz {
namespace {

using test::ProgramResult;
using test::RunProgram;
using test::ScratchFolder;

const char kSampleUsage[] = "用法：huizhang-cli sample FILE.xlsx [--rows N]\n";

ProgramResult Sample(const std::vector<std::string>& arguments) {
    std::vector<std::string> all = {"sample"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProgram(HZ_CLI, all);
}

// The column that holds each sheet's code, whose first empty cell ends the sheet.
const std::map<std::string, int> kCodeColumns = {
    {"客户分类", 2}, {"供应商分类", 2}, {"存货分类", 2},   {"地区分类", 2}, {"部门", 2},
    {"员工", 2},     {"收发类别", 2},   {"计量单位组", 1}, {"计量单位", 2}, {"供应商档案", 2},
    {"客户档案", 2}, {"仓库档案", 3},   {"存货档案", 2},
};

// One worksheet of a sample as texts: its place in tab order and its data rows, each from column A to L.
struct SampleSheet {
    int tab = 0;
    std::vector<std::vector<std::string>> rows;

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
};

std::map<std::string, SampleSheet> ReadSample(const std::string& path) {
    const auto workbook = OpenWorkbook(path);
    std::map<std::string, SampleSheet> sheets;
    for (int tab = 1; tab <= workbook->WorksheetCount(); ++tab) {
        Worksheet& worksheet = workbook->WorksheetAt(tab);
        SampleSheet& sheet = sheets[worksheet.Name()];
        sheet.tab = tab;
        const auto code = kCodeColumns.find(worksheet.Name());
        if (code == kCodeColumns.end())
            continue;
        for (int row = 2; worksheet.Cell(row, code->second).kind != CellKind::Empty; ++row) {
            std::vector<std::string> texts;
            for (int column = 1; column <= 12; ++column)
                texts.push_back(CellToText(worksheet.Cell(row, column)).toStdString());
            sheet.rows.push_back(texts);
        }
    }
    return sheets;
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

TEST(SampleCommand, WritesTheMasterDataSheetsInImportOrderUnderTheTemplateHeaders) {
    ScratchFolder folder;
    const std::string path = folder.File("sample.xlsx");
    ProgramResult result = Sample({path});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "已写入示例工作簿：" + path + "（每个工作表 5 行）\n");
    ASSERT_EQ(RunProgram(HZ_CLI, {"template", folder.File("template.xlsx")}).status, 0);

    const std::vector<std::string> order = {"客户分类", "供应商分类", "存货分类",   "地区分类", "部门",
                                            "员工",     "收发类别",   "计量单位组", "计量单位", "供应商档案",
                                            "客户档案", "仓库档案",   "存货档案"};
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
        const int code = kCodeColumns.at(sheet.Name());
        EXPECT_NE(sheet.Cell(6, code).kind, CellKind::Empty) << sheet.Name();
        EXPECT_EQ(sheet.Cell(7, code).kind, CellKind::Empty) << sheet.Name();
    }

    result = Sample({"--rows", "1", path});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, "无法写入示例工作簿“" + path + "”：文件已存在，不会覆盖它\n");
    ASSERT_EQ(Sample({"--rows", "1", folder.File("one.xlsx")}).status, 0);
    for (const auto& [name, sheet] : ReadSample(folder.File("one.xlsx")))
        EXPECT_EQ(sheet.rows.size(), 1u) << name;
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
};

void ExpectUnique(const std::vector<std::string>& keys, const std::string& what) {
    const std::set<std::string> distinct(keys.begin(), keys.end());
    EXPECT_EQ(distinct.size(), keys.size()) << what;
}

// What the importers check row by row, and what makes one run import the whole sample.
void ExpectConsistent(const std::map<std::string, SampleSheet>& sheets, std::size_t rows) {
    ASSERT_EQ(sheets.size(), kCodeColumns.size());
    for (const auto& [name, column] : kCodeColumns) {
        EXPECT_EQ(sheets.at(name).rows.size(), rows) << name;
        ExpectUnique(sheets.at(name).Keys({column}), name + " codes");
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
    for (const auto& row : sheets.at("收发类别").rows) {
        // A child category receives or issues as its parent does: "1..." receipts, "2..." issues.
        const std::string& code = row[1];
        EXPECT_TRUE(code[0] == '1' || code[0] == '2') << code;
        EXPECT_EQ(row[3], code[0] == '1' ? "1" : "0") << code;
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
}

TEST(SampleCommand, EveryReferenceResolvesAndEveryCodeIsUnique) {
    // 12000 rows take the class codes to their third level and widen every serial code.
    for (const int rows : {3, 12000}) {
        SCOPED_TRACE(rows);
        ScratchFolder folder;
        const std::string path = folder.File("sample.xlsx");
        ASSERT_EQ(Sample({path, "--rows", std::to_string(rows)}).status, 0);
        ExpectConsistent(ReadSample(path), static_cast<std::size_t>(rows));
    }
}

TEST(SampleCommand, ImportsWholeIntoAFreshDemoErp) {
    ScratchFolder folder;
    const std::string settings = folder.File("ZirurUzavarUriz.ini");
    const std::string path = folder.File("sample.xlsx");
    ASSERT_EQ(RunProgram(HZ_CLI, {"init-demo", "--settings", settings}).status, 0);
    ASSERT_EQ(Sample({path, "--rows", "3"}).status, 0);

    const ProgramResult result = RunProgram(HZ_CLI, {"import", "--workbook", path, "--settings", settings, "--all"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    // No message but the final one, and every sample sheet read to its first empty row.
    std::string expected = "导入完成！\n";
    for (const SheetKind& kind : SheetKinds()) {
        const bool sampled = kCodeColumns.contains(kind.caption.toString().toStdString());
        expected += kind.caption.toString().toStdString() + (sampled ? "\t5\n" : "\t2\n");
    }
    EXPECT_EQ(result.out, expected);

    Connection erp;
    InstallEmbeddedErp(erp);
    erp.OpenSqliteFile(QString::fromStdString(folder.File("HZDEMO_001_2026.db")));
    for (const char* table :
         {"CustomerClass", "VendorClass", "InventoryClass", "DistrictClass", "Department", "Person", "Rd_Style",
          "ComputationGroup", "ComputationUnit", "Vendor", "Customer", "Warehouse", "Inventory"}) {
        EXPECT_EQ(test::Scalar(erp, QStringLiteral("SELECT count(*) AS Value FROM %1").arg(table)).toInt(), 3) << table;
    }
    // The looked-up references arrived as codes.
    EXPECT_EQ(test::Scalar(erp, QStringLiteral("SELECT count(*) AS Value FROM Inventory i JOIN InventoryClass c "
                                               "ON c.cInvCCode = i.cInvCCode AND c.cInvCName = i.cInvStd"))
                  .toInt(),
              3);
    EXPECT_EQ(test::Scalar(erp, QStringLiteral("SELECT count(*) AS Value FROM Vendor v JOIN Person p "
                                               "ON p.cPersonCode = v.cVenPPerson JOIN Department d "
                                               "ON d.cDepCode = v.cVenDepart"))
                  .toInt(),
              3);
}

} // namespace
} // namespace hz
