#include "engine/workbook/xlsx/package_writer.h"

#include "engine/workbook/edit/worksheet_writer.h"
#include "engine/workbook/workbook_error.h"
#include "tests/support/raw_package.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/zip_entries.h"
#include "tests/workbook/child_process.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace hz {
namespace {

namespace fs = std::filesystem;
using Type = CellEdit::Type;
using Edits = std::map<std::string, std::vector<CellEdit>>;

const std::string kSheet1 = "xl/worksheets/sheet1.xml";

std::vector<test::Part> Fixture(const std::string& sheet1Data = R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)") {
    return test::MinimalXlsxParts(
        {test::SheetXml(sheet1Data), test::SheetXml(R"(<row r="1"><c r="A1"><v>42</v></c></row>)")},
        R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="1" uniqueCount="1">)"
        R"(<si><t>T001</t></si></sst>)",
        R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"/>)");
}

void ExpectUnchangedExcept(const std::vector<test::ZipEntry>& before, const std::vector<test::ZipEntry>& after,
                           const std::vector<std::string>& changed) {
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].name, before[i].name) << "entry " << i;
        if (std::find(changed.begin(), changed.end(), before[i].name) == changed.end()) {
            EXPECT_TRUE(after[i] == before[i]) << before[i].name << " differs";
        }
    }
}

TEST(PackageWriter, RewritesOnlyTheEditedPartsAndCopiesTheRestByteForByte) {
    for (bool stored : {false, true}) {
        SCOPED_TRACE(stored ? "stored entries" : "deflated entries");
        test::ScratchFolder folder;
        std::string path = folder.File("book.xlsx");
        test::WriteZipPackage(path, Fixture(), stored);
        ASSERT_EQ(chmod(path.c_str(), 0604), 0);
        std::vector<test::ZipEntry> before = test::ReadZipEntries(path);
        std::vector<CellEdit> edits = {{5, 1, Type::InlineString, "Error:", 0}, {6, 1, Type::SharedString, "0", 0}};

        SaveWorksheetEdits(path, {{kSheet1, edits}});

        std::vector<test::ZipEntry> after = test::ReadZipEntries(path);
        ExpectUnchangedExcept(before, after, {kSheet1});
        EXPECT_EQ(test::ZipEntryContent(after, kSheet1),
                  ApplyCellEdits(test::ZipEntryContent(before, kSheet1), edits).xml);
        auto sheet = std::find_if(after.begin(), after.end(), [](const auto& e) { return e.name == kSheet1; });
        EXPECT_EQ(sheet->method, 8) << "deflated";
        struct stat status {};
        stat(path.c_str(), &status);
        EXPECT_EQ(status.st_mode & 07777, 0604u);
        EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{"book.xlsx"});
    }
}

TEST(PackageWriter, TwoSpellingsOfOnePartEditItInTurn) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteZipPackage(path, Fixture());
    SaveWorksheetEdits(path, {{"XL/Worksheets/Sheet1.xml", {{2, 1, Type::Number, "1", 0}}},
                              {kSheet1, {{3, 1, Type::Number, "2", 0}}}});
    std::string sheet = test::ZipEntryContent(test::ReadZipEntries(path), kSheet1);
    EXPECT_NE(sheet.find(R"(<row r="2"><c r="A2"><v>1</v></c></row><row r="3"><c r="A3"><v>2</v></c></row>)"),
              std::string::npos)
        << sheet;
}

TEST(PackageWriter, NothingToWriteLeavesTheFileAlone) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteZipPackage(path, Fixture());
    struct stat before {};
    stat(path.c_str(), &before);
    SaveWorksheetEdits(path, {});
    struct stat after {};
    stat(path.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

// A workbook whose calculation chain names the formula cell A1 of the first sheet.
std::vector<test::Part> FixtureWithCalcChain() {
    const std::string relationship = "<Relationship Id=\"rIdC\" Type=\"http://schemas.openxmlformats.org/"
                                     "officeDocument/2006/relationships/calcChain\" Target=\"calcChain.xml\"/>";
    const std::string override = "<Override PartName=\"/xl/calcChain.xml\" ContentType=\"application/"
                                 "vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml\"/>";
    std::vector<test::Part> parts = Fixture(R"(<row r="1"><c r="A1"><f>1+1</f><v>2</v></c></row>)");
    for (auto& [name, bytes] : parts) {
        if (name == "[Content_Types].xml")
            bytes.insert(bytes.find("</Types>"), override);
        if (name == "xl/_rels/workbook.xml.rels")
            bytes.insert(bytes.find("</Relationships>"), relationship);
    }
    parts.emplace_back("xl/calcChain.xml", R"(<calcChain xmlns="http://schemas.openxmlformats.org/)"
                                           R"(spreadsheetml/2006/main"><c r="A1" i="1"/></calcChain>)");
    return parts;
}

TEST(PackageWriter, OverwritingAFormulaTakesTheCalculationChainOut) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteZipPackage(path, FixtureWithCalcChain());
    std::vector<test::ZipEntry> before = test::ReadZipEntries(path);

    SaveWorksheetEdits(path, {{kSheet1, {{1, 1, Type::Number, "7", 0}}}});

    std::vector<test::ZipEntry> after = test::ReadZipEntries(path);
    std::vector<test::ZipEntry> expected = before;
    std::erase_if(expected, [](const auto& e) { return e.name == "xl/calcChain.xml"; });
    ExpectUnchangedExcept(expected, after, {kSheet1, "[Content_Types].xml", "xl/_rels/workbook.xml.rels"});
    std::string types = test::ZipEntryContent(after, "[Content_Types].xml");
    std::string relationships = test::ZipEntryContent(after, "xl/_rels/workbook.xml.rels");
    EXPECT_EQ(types.find("calcChain"), std::string::npos) << types;
    EXPECT_EQ(relationships.find("calcChain"), std::string::npos) << relationships;
    // Nothing else of the two parts changed.
    EXPECT_EQ(types.size(), test::ZipEntryContent(before, "[Content_Types].xml").size() -
                                std::string("<Override PartName=\"/xl/calcChain.xml\" ContentType=\"application/"
                                            "vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml\"/>")
                                    .size());
    EXPECT_NE(relationships.find("Target=\"worksheets/sheet2.xml\""), std::string::npos);
}

TEST(PackageWriter, EditsBesideFormulasKeepTheCalculationChain) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteZipPackage(path, FixtureWithCalcChain());
    std::vector<test::ZipEntry> before = test::ReadZipEntries(path);
    SaveWorksheetEdits(path, {{kSheet1, {{1, 2, Type::Number, "7", 0}}}});
    ExpectUnchangedExcept(before, test::ReadZipEntries(path), {kSheet1});
}

// Another process holding a record lock on the file, as office programs do on documents they have open.
class LockHolder {
public:
    explicit LockHolder(const std::string& path) {
        int ready[2];
        int release[2];
        if (pipe(ready) != 0 || pipe(release) != 0)
            throw std::runtime_error("pipe");
        child = fork();
        if (child == 0) {
            close(ready[0]);
            close(release[1]);
            int fd = open(path.c_str(), O_RDWR);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            char done = fd >= 0 && fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
            (void)!write(ready[1], &done, 1);
            (void)!read(release[0], &done, 1);
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        releaseFd = release[1];
        char done = 'n';
        (void)!read(ready[0], &done, 1);
        close(ready[0]);
        if (done != 'y')
            throw std::runtime_error("cannot lock " + path);
    }
    ~LockHolder() {
        close(releaseFd);
        waitpid(child, nullptr, 0);
    }

private:
    pid_t child = -1;
    int releaseFd = -1;
};

// How a failure case runs the save.
enum class Run {
    Here,
    WhileLocked,   // while another process holds a lock on the file
    AsNobody,      // in a child that gave up root, for whom permission bits count
    WithSizeLimit, // in a child that may not grow a file past 300 bytes
};

struct FailureCase {
    const char* name;
    // Prepares the scratch folder holding book.xlsx; returns the path to save.
    std::function<std::string(const test::ScratchFolder&, const std::string&)> setUp;
    Edits edits;
    std::string problem; // the text after "无法保存工作簿“path”：", with FOLDER for the scratch folder
    Run run = Run::Here;
};

std::string SaveAndReport(const std::string& path, const Edits& edits) {
    try {
        SaveWorksheetEdits(path, edits);
        return "saved";
    } catch (const WorkbookError& error) {
        return error.what();
    }
}

std::string RunSave(Run run, const std::string& path, const Edits& edits) {
    switch (run) {
    case Run::Here:
        break;
    case Run::WhileLocked: {
        LockHolder lock(path);
        return SaveAndReport(path, edits);
    }
    case Run::AsNobody:
        return test::RunInChild([&] { return SaveAndReport(path, edits); }, true);
    case Run::WithSizeLimit:
        return test::RunInChild([&] {
            // The kernel refuses to grow a file past the limit (EFBIG), as a full disk refuses (ENOSPC): the same
            // failed write() reaches the save, without a small file system to mount.
            signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit {};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 300;
            setrlimit(RLIMIT_FSIZE, &limit);
            return SaveAndReport(path, edits);
        });
    }
    return SaveAndReport(path, edits);
}

TEST(PackageWriter, AFailedSaveLeavesTheOriginalAndNoTemporaryFile) {
    const Edits sheet1Edit = {{kSheet1, {{9, 1, Type::InlineString, "Error:", 0}}}};
    auto Same = [](const test::ScratchFolder&, const std::string& path) { return path; };
    const FailureCase cases[] = {
        {"MissingPart",
         Same,
         {{"xl/worksheets/sheet9.xml", {{1, 1, Type::Number, "1", 0}}}},
         "部件 xl/worksheets/sheet9.xml 不存在"},
        {"DamagedPart",
         [](const test::ScratchFolder&, const std::string& path) {
             std::vector<test::Part> parts = Fixture();
             parts[4].second = "<worksheet><sheetData></worksheet>";
             test::WriteZipPackage(path, parts);
             return path;
         },
         sheet1Edit, "部件 xl/worksheets/sheet1.xml：不是格式正确的 XML（第 24 字节附近）"},
        {"ReadOnlyFile",
         [](const test::ScratchFolder&, const std::string& path) {
             chmod(path.c_str(), 0444);
             return path;
         },
         sheet1Edit, "文件是只读的"},
        {"ADirectory",
         [](const test::ScratchFolder& folder, const std::string&) {
             fs::create_directory(folder.File("folder.xlsx"));
             return folder.File("folder.xlsx");
         },
         sheet1Edit, "这是一个文件夹，不是文件"},
        {"MissingFile", [](const test::ScratchFolder& folder, const std::string&) { return folder.File("gone.xlsx"); },
         sheet1Edit, "文件不存在"},
        {"FolderRemoved",
         [](const test::ScratchFolder& folder, const std::string&) { return folder.File("removed/book.xlsx"); },
         sheet1Edit, "文件不存在"},
        {"LockedByAnotherProgram", Same, sheet1Edit, "文件正被其他程序使用（已被锁定）", Run::WhileLocked},
        {"ReadOnlyFolder",
         [](const test::ScratchFolder& folder, const std::string& path) {
             // nobody owns the file but may not write into the folder.
             if (geteuid() == 0)
                 (void)!chown(path.c_str(), test::kNobody, test::kNobody);
             chmod(path.c_str(), 0644);
             chmod(folder.Path().c_str(), 0555);
             return path;
         },
         sheet1Edit, "无法在文件夹“FOLDER”中创建临时文件（Permission denied）", Run::AsNobody},
        {"DiskFull", Same, sheet1Edit, "写入临时文件失败（Write error: File too large）", Run::WithSizeLimit},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchFolder folder;
        std::string original = folder.File("book.xlsx");
        test::WriteZipPackage(original, Fixture());
        std::string path = c.setUp(folder, original);
        std::string originalBytes = test::ReadFileBytes(original);
        std::vector<std::string> names = test::FileNames(folder.Path());

        std::string report = RunSave(c.run, path, c.edits);
        chmod(folder.Path().c_str(), 0755);

        std::string problem = c.problem;
        if (auto at = problem.find("FOLDER"); at != std::string::npos)
            problem.replace(at, 6, folder.Path());
        EXPECT_EQ(report, "无法保存工作簿“" + path + "”：" + problem);
        EXPECT_EQ(test::ReadFileBytes(original), originalBytes);
        EXPECT_EQ(test::FileNames(folder.Path()), names);
    }
}

TEST(PackageWriter, AFileThatIsNoLongerAPackageIsReportedAsUnreadable) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    test::WriteFileBytes(path, "not a zip at all");
    std::string report = SaveAndReport(path, {{kSheet1, {{1, 1, Type::Number, "1", 0}}}});
    EXPECT_TRUE(report.starts_with("无法读取工作簿“" + path + "”：")) << report;
    EXPECT_EQ(test::ReadFileBytes(path), "not a zip at all");
    EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{"book.xlsx"});
}

} // namespace
} // namespace hz
