#include "engine/workbook/package/zip_package.h"
#include "engine/workbook/workbook_error.h"
#include "tests/support/raw_package.h"
#include "tests/support/scratch_folder.h"
#include "tests/workbook/raw_zip.h"
#include "tests/workbook/workbook_fixtures.h"

#include <gtest/gtest.h>

namespace hz {
namespace {

using test::Part;

using test::ReadErrorPrefix;
using test::WorkbookErrorOf;

TEST(ZipPackage, FindsPartsWithoutRegardToCaseAndReadsThemWholeOrInChunks) {
    test::ScratchFolder folder;
    std::string path = folder.File("book.xlsx");
    std::string big(300000, 'x');
    for (std::size_t i = 0; i < big.size(); i += 7)
        big[i] = static_cast<char>('a' + i % 26);
    test::WriteZipPackage(path, {{"xl/workbook.xml", "<workbook/>"}, {"xl/Big.xml", big}, {"xl/media/", ""}});

    ZipPackage package(path);
    EXPECT_TRUE(package.Contains("XL/WORKBOOK.XML"));
    EXPECT_TRUE(package.Contains("/xl/workbook.xml"));
    EXPECT_FALSE(package.Contains("xl/media/"));
    EXPECT_EQ(package.EntryName("/XL/big.xml"), "xl/Big.xml");
    EXPECT_EQ(package.EntryNames(), (std::vector<std::string>{"xl/workbook.xml", "xl/Big.xml"}));
    EXPECT_EQ(package.ReadPart("xl/workbook.xml"), "<workbook/>");

    std::unique_ptr<ByteSource> source = package.OpenPart("xl/big.xml");
    std::string streamed;
    char buffer[1000];
    while (std::size_t count = source->Read(buffer, sizeof buffer))
        streamed.append(buffer, count);
    EXPECT_EQ(streamed, big);

    EXPECT_EQ(WorkbookErrorOf([&] { package.ReadPart("xl/big.xml", 1000); }),
              ReadErrorPrefix(path) + "部件 xl/big.xml 过大（超过 1000 字节），无法读取");
    EXPECT_EQ(WorkbookErrorOf([&] { package.ReadPart("xl/styles.xml"); }),
              ReadErrorPrefix(path) + "缺少部件 xl/styles.xml");
}

TEST(ZipPackage, RefusesFilesThatAreNotSoundZipPackages) {
    test::ScratchFolder folder;
    std::string valid = folder.File("valid.xlsx");
    test::WriteZipPackage(valid, test::MinimalXlsxParts({test::SheetXml("")}));
    std::string bytes = test::ReadFileBytes(valid);

    struct Case {
        const char* name;
        std::string bytes;
        std::string problem;
    };
    const std::string notZip = "文件不是有效的 ZIP 压缩包，可能已损坏或不完整";
    const std::vector<Case> cases = {
        {"plain_text", "PK\x03\x04 but then just some text", notZip},
        {"truncated_to_half", bytes.substr(0, bytes.size() / 2), notZip},
        {"directory_cut_short", bytes.substr(0, bytes.size() - 30), notZip},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder.File(std::string(c.name) + ".xlsx");
        test::WriteFileBytes(path, c.bytes);
        EXPECT_EQ(WorkbookErrorOf([&] { ZipPackage package(path); }), ReadErrorPrefix(path) + c.problem);
    }
}

TEST(ZipPackage, RefusesUnsafeAndSuspiciousEntryNames) {
    test::ScratchFolder folder;
    struct Case {
        const char* name;
        std::vector<Part> parts;
        std::string problem;
    };
    const std::string unsafe = "”不安全（含“..”或绝对路径）";
    const std::vector<Case> cases = {
        {"parent_folder", {{"../evil.xml", "x"}}, "压缩包中的条目名称“../evil.xml" + unsafe},
        {"parent_inside", {{"xl/../../evil.xml", "x"}}, "压缩包中的条目名称“xl/../../evil.xml" + unsafe},
        {"backslash_parent", {{"xl\\..\\evil.xml", "x"}}, "压缩包中的条目名称“xl\\..\\evil.xml" + unsafe},
        {"absolute", {{"/etc/passwd", "x"}}, "压缩包中的条目名称“/etc/passwd" + unsafe},
        {"drive", {{"C:/evil.xml", "x"}}, "压缩包中的条目名称“C:/evil.xml" + unsafe},
        {"too_long", {{std::string(1025, 'a'), "x"}}, "压缩包中有条目的名称过长（1025 字节）"},
        {"same_name_other_case",
         {{"xl/workbook.xml", "a"}, {"XL/Workbook.xml", "b"}},
         "压缩包中有重名的部件 XL/Workbook.xml"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = folder.File(std::string(c.name) + ".zip");
        test::WriteZipPackage(path, c.parts);
        EXPECT_EQ(WorkbookErrorOf([&] { ZipPackage package(path); }), ReadErrorPrefix(path) + c.problem);
    }
}

TEST(ZipPackage, RefusesMoreEntriesThanTheLimit) {
    test::ScratchFolder folder;
    std::string path = folder.File("many.zip");
    std::vector<Part> parts;
    for (int i = 0; i <= 10000; ++i)
        parts.emplace_back("p/" + std::to_string(i), "");
    test::WriteZipPackage(path, parts, true);
    EXPECT_EQ(WorkbookErrorOf([&] { ZipPackage package(path); }),
              ReadErrorPrefix(path) + "压缩包中的条目超过 10000 个，不像是 Excel 工作簿");

    parts.pop_back();
    test::WriteZipPackage(path, parts, true);
    EXPECT_EQ(ZipPackage(path).EntryNames().size(), 10000u);
}

TEST(ZipPackage, ReportsACorruptEntryByItsChecksum) {
    test::ScratchFolder folder;
    std::string path = folder.File("crc.xlsx");
    test::WriteZipPackage(path, {{"xl/workbook.xml", "<workbook>original content</workbook>"}}, true);
    std::string bytes = test::ReadFileBytes(path);
    bytes[bytes.find("original")] = 'O';
    test::WriteFileBytes(path, bytes);

    ZipPackage package(path);
    EXPECT_EQ(WorkbookErrorOf([&] { package.ReadPart("xl/workbook.xml"); }),
              ReadErrorPrefix(path) + "部件 xl/workbook.xml 的校验和（CRC）不符，文件已损坏");
}

TEST(ZipPackage, ReportsDamagedDeflateData) {
    test::ScratchFolder folder;
    std::string path = folder.File("zlib.xlsx");
    test::RawZipEntry entry = test::DeflatedZerosEntry("xl/sharedStrings.xml", 1 << 20);
    entry.data[0] = 0x07; // block type 3, which deflate reserves
    test::WriteRawZip(path, {entry});

    ZipPackage package(path);
    EXPECT_EQ(WorkbookErrorOf([&] { package.ReadPart("xl/sharedStrings.xml"); }),
              ReadErrorPrefix(path) + "部件 xl/sharedStrings.xml 的压缩数据已损坏");
}

// Reads a part to its end through a small buffer, as the worksheet reader does.
void Drain(ZipPackage& package, const std::string& part) {
    std::unique_ptr<ByteSource> source = package.OpenPart(part);
    char buffer[64 * 1024];
    while (source->Read(buffer, sizeof buffer) != 0) {
    }
}

TEST(ZipPackage, RefusesADeflateBombWhetherItsSizeIsStatedOrHidden) {
    test::ScratchFolder folder;
    const std::uint64_t gib = std::uint64_t{1} << 30;
    test::RawZipEntry bomb = test::DeflatedZerosEntry("xl/worksheets/sheet1.xml", gib);
    ASSERT_LT(bomb.data.size(), 1200000u);
    const std::string problem = "部件 xl/worksheets/sheet1.xml 的压缩比超过 250:1，文件可能是恶意构造的压缩炸弹";

    std::string honest = folder.File("honest.xlsx");
    test::WriteRawZip(honest, {test::StoredEntry("xl/workbook.xml", "<workbook/>"), bomb});
    ZipPackage honestPackage(honest);
    EXPECT_EQ(WorkbookErrorOf([&] { Drain(honestPackage, "xl/worksheets/sheet1.xml"); }),
              ReadErrorPrefix(honest) + problem);

    // Headers that state a small size do not let more through: the inflated bytes themselves are counted.
    std::string hidden = folder.File("hidden.xlsx");
    bomb.size = 1000;
    test::WriteRawZip(hidden, {test::StoredEntry("xl/workbook.xml", "<workbook/>"), bomb});
    ZipPackage hiddenPackage(hidden);
    EXPECT_EQ(WorkbookErrorOf([&] { Drain(hiddenPackage, "xl/worksheets/sheet1.xml"); }),
              ReadErrorPrefix(hidden) + problem);
}

TEST(ZipPackage, CountsEachLimitAsItInflates) {
    test::ScratchFolder folder;
    std::string path = folder.File("limits.xlsx");
    test::RawZipEntry first = test::DeflatedZerosEntry("a.xml", 3 << 20);
    test::RawZipEntry second = test::DeflatedZerosEntry("b.xml", 3 << 20);
    test::RawZipEntry hidden = test::DeflatedZerosEntry("c.xml", 3 << 20);
    hidden.size = 10;
    test::WriteRawZip(path, {first, second, hidden});

    PackageLimits small;
    small.maxRatio = 100000;
    small.maxPartBytes = 2 << 20;
    ZipPackage partLimited(path, small);
    const std::string tooLarge = "解压后超过 2 MiB 的上限，文件可能是恶意构造的压缩炸弹";
    EXPECT_EQ(WorkbookErrorOf([&] { Drain(partLimited, "a.xml"); }), ReadErrorPrefix(path) + "部件 a.xml " + tooLarge);
    EXPECT_EQ(WorkbookErrorOf([&] { Drain(partLimited, "c.xml"); }), ReadErrorPrefix(path) + "部件 c.xml " + tooLarge);

    small.maxPartBytes = 4 << 20;
    small.maxTotalBytes = 5 << 20;
    ZipPackage totalLimited(path, small);
    Drain(totalLimited, "a.xml");
    EXPECT_EQ(WorkbookErrorOf([&] { Drain(totalLimited, "b.xml"); }),
              ReadErrorPrefix(path) + "工作簿解压后超过 5 MiB 的上限，文件可能是恶意构造的压缩炸弹");

    // Within the grace a high ratio is fine.
    PackageLimits grace;
    grace.ratioGraceBytes = 4 << 20;
    ZipPackage graced(path, grace);
    Drain(graced, "a.xml");
}

} // namespace
} // namespace hz
