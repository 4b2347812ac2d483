// What a report does with POSIX modes, links, folders that cannot be written and a disk that fills up.
#include "engine/report/run_report.h"

#include "tests/report/run_report_fixture.h"
#include "tests/support/run_error_text.h"
#include "tests/support/scoped_umask.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace hz {
namespace {

namespace fs = std::filesystem;

using test::DumpWithOpenpyxl;
using test::Q;
using test::ReadFileBytes;
using test::ReportError;
using test::RunErrorText;
using test::ScratchFolder;
using test::SmallRun;
using test::WriteFileBytes;

unsigned ModeOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

// Lowers the limit of the size of a file this process writes, as a full disk would; writing past it fails with
// EFBIG (the signal it would raise is ignored meanwhile). Root is bound by the limit too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved;
        lowered.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

TEST(RunReport, ANewReportGetsTheModeOfAnyNewFile) {
    ScratchFolder folder;
    for (mode_t mask : {022, 027, 077}) {
        test::ScopedUmask scoped(mask);
        for (const char* name : {"new.csv", "new.xlsx"}) {
            const std::string path = folder.File(std::to_string(mask) + name);
            WriteRunReport(Q(path), SmallRun());
            EXPECT_EQ(ModeOf(path), 0666u & ~mask) << path;
        }
    }
}

TEST(RunReport, AnExistingReportIsReplacedAndKeepsItsMode) {
    for (const char* name : {"report.csv", "report.xlsx"}) {
        ScratchFolder folder;
        const std::string path = folder.File(name);
        WriteFileBytes(path, "old report");
        ASSERT_EQ(chmod(path.c_str(), 0604), 0);
        WriteRunReport(Q(path), SmallRun());
        EXPECT_NE(ReadFileBytes(path), "old report");
        EXPECT_EQ(ModeOf(path), 0604u);
        EXPECT_EQ(test::FileNames(folder.Path()), std::vector<std::string>{name});
        if (std::string(name).ends_with(".xlsx")) {
            EXPECT_NE(DumpWithOpenpyxl(path).find("存货/str|15/int"), std::string::npos);
        }
    }
}

TEST(RunReport, ASymbolicLinkStaysALinkAndItsTargetIsReplaced) {
    ScratchFolder folder;
    fs::create_directory(folder.File("real"));
    WriteFileBytes(folder.File("real/report.csv"), "old");
    fs::create_symlink("real/report.csv", folder.File("link.csv"));
    WriteRunReport(Q(folder.File("link.csv")), {RunMessage(Q("新"))});
    EXPECT_TRUE(fs::is_symlink(folder.File("link.csv")));
    EXPECT_EQ(ReadFileBytes(folder.File("real/report.csv")), "\xEF\xBB\xBF工作表,行,消息\r\n,,新\r\n");
}

TEST(RunReport, AReadOnlyFolderLeavesTheOldReportAsItWas) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into a read-only folder";
    for (const char* name : {"report.csv", "report.xlsx", "new.csv"}) {
        ScratchFolder folder;
        const std::string path = folder.File(name);
        const bool exists = std::string(name).starts_with("report");
        if (exists)
            WriteFileBytes(path, "old report");
        ASSERT_EQ(chmod(folder.Path().c_str(), 0555), 0);
        std::string error = RunErrorText([&] { WriteRunReport(Q(path), SmallRun()); });
        EXPECT_EQ(error, ReportError(path, "无法在文件夹“" + folder.Path() + "”中创建临时文件（" +
                                               std::strerror(EACCES) + "）"));
        ASSERT_EQ(chmod(folder.Path().c_str(), 0755), 0);
        EXPECT_EQ(test::FileNames(folder.Path()), exists ? std::vector<std::string>{name} : std::vector<std::string>{});
        if (exists) {
            EXPECT_EQ(ReadFileBytes(path), "old report");
        }
    }
}

TEST(RunReport, AWriteThatFailsMidwayLeavesTheOldReportAndNoTemporaryFile) {
    std::vector<RunMessage> many;
    for (int i = 1; i <= 20000; ++i)
        many.emplace_back(Q("第 " + std::to_string(i) + " 行的消息，长一些，好让文件超过上限"), Q("客户"), i);
    for (const char* name : {"report.csv", "report.xlsx", "new.csv", "new.xlsx"}) {
        ScratchFolder folder;
        const std::string path = folder.File(name);
        const bool exists = std::string(name).starts_with("report");
        if (exists)
            WriteFileBytes(path, "old report");
        std::string error;
        {
            FileSizeLimit limit(16 * 1024);
            error = RunErrorText([&] { WriteRunReport(Q(path), many); });
        }
        if (std::string(name).ends_with(".csv")) {
            EXPECT_EQ(error, ReportError(path, "无法写入文件（" + std::string(std::strerror(EFBIG)) + "）"));
        } else {
            // libxlsxwriter does not notice that its temporary files were cut short; reading back does.
            EXPECT_TRUE(error == ReportError(path, "写入的文件不完整，临时文件夹或磁盘可能已满") ||
                        error.starts_with(ReportError(path, "无法写入文件，文件夹可能不可写或磁盘已满")))
                << error;
        }
        EXPECT_EQ(test::FileNames(folder.Path()), exists ? std::vector<std::string>{name} : std::vector<std::string>{});
        if (exists) {
            EXPECT_EQ(ReadFileBytes(path), "old report");
        }
    }
}

} // namespace
} // namespace hz
