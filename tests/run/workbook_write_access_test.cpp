#include "engine/platform/write_probe.h"
#include "engine/run/sheet_kinds.h"
#include "tests/support/import_fixture.h"
#include "tests/support/run_error_text.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/typed_workbook_xls.h"

#include <gtest/gtest.h>

#include <QtGlobal>

#include <filesystem>
#include <string>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace hz {
namespace {

using namespace std::string_literals;
using test::ReadFileBytes;
using test::RunErrorText;
using test::TypedSheet;

// A UTF-8 path as std::filesystem takes it on every system (a plain string is in the ANSI code page on Windows).
std::filesystem::path FilePath(const std::string& utf8) {
    return std::u8string(utf8.begin(), utf8.end());
}

// Holds a file as a program that has a document open for editing does: Excel opens it without sharing writes; an
// office suite on Linux takes a record lock on it. Released at the end of scope.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path) {
#ifdef Q_OS_WIN
        handle = CreateFileW(FilePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(handle, INVALID_HANDLE_VALUE);
#else
        fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        EXPECT_EQ(fcntl(fd, F_OFD_SETLK, &lock), 0);
#endif
    }
    ~HeldOpen() {
#ifdef Q_OS_WIN
        CloseHandle(handle);
#else
        close(fd);
#endif
    }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;

private:
#ifdef Q_OS_WIN
    HANDLE handle;
#else
    int fd;
#endif
};

// Takes every write permission off the file: on Windows it gets the read-only attribute.
void MakeReadOnly(const std::string& path) {
    using std::filesystem::perms;
    std::filesystem::permissions(FilePath(path), perms::owner_write | perms::group_write | perms::others_write,
                                 std::filesystem::perm_options::remove);
}

// Writable again, so that the scratch folder can go.
void MakeWritable(const std::string& path) {
    std::filesystem::permissions(FilePath(path), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
}

TEST(WriteProbe, SaysWhyAFileCannotBeWrittenAndLeavesItAsItWas) {
    const test::ScratchFolder folder;
    const std::string path = folder.File("工作簿.xlsx");
    test::WriteFileBytes(path, "bytes");
    const auto modified = std::filesystem::last_write_time(FilePath(path));
    EXPECT_EQ(ProbeFileWrite(path), FileWriteAccess::Writable);
    {
        const HeldOpen excel(path);
        EXPECT_EQ(ProbeFileWrite(path), FileWriteAccess::HeldByAnotherProgram);
    }
    EXPECT_EQ(ProbeFileWrite(path), FileWriteAccess::Writable);
    MakeReadOnly(path);
    EXPECT_EQ(ProbeFileWrite(path), FileWriteAccess::ReadOnly);
    MakeWritable(path);
    EXPECT_EQ(ReadFileBytes(path), "bytes");
    EXPECT_EQ(std::filesystem::last_write_time(FilePath(path)), modified);
    // Whoever opens these says what is wrong with them.
    EXPECT_EQ(ProbeFileWrite(folder.File("missing.xlsx")), FileWriteAccess::Unknown);
    EXPECT_EQ(ProbeFileWrite(folder.Path()), FileWriteAccess::Unknown);
}

// A department to import ahead of the transfers, so that a refused run shows that it imported nothing.
const TypedSheet kDepartments{"部门", {{"编码"s, "名称"s}, {{}, "D1"s, "人事部"s}}};
const TypedSheet kTransfers{"调拨单", {{"日期"s, "单号"s}}};

class WorkbookWriteAccessTest : public test::ImportFixture {
protected:
    void SetUp() override { test::WriteTypedWorkbook(workbookPath, {kDepartments, kTransfers}); }

    // The run with departments and transfers ticked ends with error before the first row: the user was told
    // nothing else, and the ERP, the workbook and the run journal are as they were.
    void ExpectRefusedBeforeImporting(const std::string& error) {
        const std::string before = ReadFileBytes(workbookPath);
        observer.events.clear();
        EXPECT_EQ(RunErrorText([&] { ImportBook(workbookPath, {{"部门", "2"}, {"调拨单", "2"}}); }), error);
        EXPECT_TRUE(observer.events.empty());
        EXPECT_EQ(Count(QStringLiteral("Department")), 0);
        EXPECT_EQ(ReadFileBytes(workbookPath), before);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(erp.Folder().Path()) / "huizhang-journal"));
    }
};

// The transfers write an error area into the workbook, which must then take it: a workbook that cannot is refused
// before anything is imported, with the reason.
TEST_F(WorkbookWriteAccessTest, AWorkbookThatCannotTakeAnErrorAreaEndsTheRunBeforeAnythingIsImported) {
    {
        const HeldOpen excel(workbookPath);
        ExpectRefusedBeforeImporting("工作簿正被其他程序（例如 Excel）打开，请关闭后再导入");
    }
    MakeReadOnly(workbookPath);
    ExpectRefusedBeforeImporting("工作簿是只读的，无法写入出错区，请取消只读后再导入");
    MakeWritable(workbookPath);
    // Once it is closed, the same run goes through.
    EXPECT_EQ(ImportBook(workbookPath, {{"部门", "2"}, {"调拨单", "2"}}), RunOutcome::Completed);
    EXPECT_EQ(Count(QStringLiteral("Department")), 1);
}

// A kind without an error area, a check and a legacy workbook (its error area goes into a copy) write nothing into
// the workbook: a read-only one is imported or checked as before.
TEST_F(WorkbookWriteAccessTest, OnlyAnImportThatMayWriteTheWorkbookNeedsItWritable) {
    MakeReadOnly(workbookPath);
    EXPECT_EQ(ImportBook(workbookPath, {{"部门", "2"}}), RunOutcome::Completed);
    EXPECT_EQ(Count(QStringLiteral("Department")), 1);

    mode = RunMode::Check;
    EXPECT_EQ(ImportBook(workbookPath, {{"调拨单", "2"}}), RunOutcome::CheckPassed);
    MakeWritable(workbookPath);

    mode = RunMode::Import;
    const std::string legacy = erp.Folder().File("book.xls");
    test::WriteTypedWorkbookXls(legacy, {kTransfers});
    MakeReadOnly(legacy);
    observer.events.clear();
    EXPECT_EQ(ImportBook(legacy, {{"调拨单", "2"}}), RunOutcome::Completed);
    EXPECT_EQ(Messages(), std::vector<std::string>{"导入完成！"});
    MakeWritable(legacy);
}

// The table of kinds says which ones write an error area; the importers decide what is written. They agree: an
// import of an empty sheet of each kind changes the workbook exactly when its kind has an error area.
TEST_F(WorkbookWriteAccessTest, TheKindsWithAnErrorAreaAreThoseWhoseImportWritesTheWorkbook) {
    for (const SheetKind& kind : SheetKinds()) {
        const std::string caption = kind.caption.toString().toStdString();
        SCOPED_TRACE(caption);
        test::WriteTypedWorkbook(workbookPath, {{caption, {{"标题"s}}}});
        const std::string before = ReadFileBytes(workbookPath);
        EXPECT_EQ(ImportBook(workbookPath, {{caption, "2"}}), RunOutcome::Completed);
        EXPECT_EQ(ReadFileBytes(workbookPath) != before, kind.errorArea);
    }
}

} // namespace
} // namespace hz
