#include "engine/workbook/package/zip_package.h"

#include "engine/workbook/package/package_file.h"
#include "engine/workbook/package/part_name.h"
#include "engine/workbook/workbook_error.h"

#include <algorithm>
#include <cstring>
#include <zip.h>

namespace hz {

namespace {

std::string SizeText(std::uint64_t bytes) {
    constexpr std::uint64_t kMiB = 1 << 20;
    return bytes % kMiB == 0 ? std::to_string(bytes / kMiB) + " MiB" : std::to_string(bytes) + " 字节";
}

// The problem text for a libzip error code met while opening the package.
std::string OpenProblem(zip_error_t& error) {
    switch (zip_error_code_zip(&error)) {
    case ZIP_ER_NOZIP:
        return "文件不是有效的 ZIP 压缩包，可能已损坏或不完整";
    case ZIP_ER_INCONS:
        return "压缩包的目录与内容不一致，文件已损坏或不完整";
    case ZIP_ER_MULTIDISK:
        return "不支持分卷压缩包";
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_EOF:
        return "读取文件时出错，文件可能已损坏或不完整";
    case ZIP_ER_MEMORY:
        return "内存不足";
    default:
        return std::string("无法打开压缩包（") + zip_error_strerror(&error) + "）";
    }
}

// The problem text for a libzip error code met while opening or inflating one part.
std::string PartProblem(const std::string& part, zip_error_t* error) {
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_CRC:
        return "部件 " + part + " 的校验和（CRC）不符，文件已损坏";
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA:
        return "部件 " + part + " 的压缩数据已损坏";
    case ZIP_ER_COMPNOTSUPP:
        return "部件 " + part + " 使用了不支持的压缩方式";
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
        return "部件 " + part + " 已加密，无法读取";
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_EOF:
    case ZIP_ER_INCONS:
        return "读取部件 " + part + " 时出错，文件已损坏或不完整";
    case ZIP_ER_MEMORY:
        return "读取部件 " + part + " 时内存不足";
    default:
        return "读取部件 " + part + " 时出错（" + zip_error_strerror(error) + "）";
    }
}

bool IsUnsafeEntryName(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.front() == '\\')
        return true;
    if (name.size() >= 2 && name[1] == ':')
        return true;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = name.size();
        if (name.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

// One part inflated in chunks. libzip compares the inflated size with the directory only at the end, so the
// limits are counted here, chunk by chunk, before a bomb can fill the memory or the time: the ratio of the bytes
// inflated to the compressed bytes read so far refuses a bomb once the grace is spent.
class ZipPartSource : public ByteSource {
public:
    ZipPartSource(ZipPackage& package, std::string part, zip_file_t* file)
        : package(package), part(std::move(part)), file(file) {}
    ~ZipPartSource() override { zip_fclose(file); }
    ZipPartSource(const ZipPartSource&) = delete;
    ZipPartSource& operator=(const ZipPartSource&) = delete;

    std::size_t Read(char* buffer, std::size_t capacity) override {
        std::uint64_t readBefore = package.file->BytesRead();
        zip_int64_t count = zip_fread(file, buffer, capacity);
        if (count < 0)
            throw WorkbookReadError(package.path, PartProblem(part, zip_file_get_error(file)));
        compressed += package.file->BytesRead() - readBefore;
        Count(static_cast<std::uint64_t>(count));
        return static_cast<std::size_t>(count);
    }

private:
    void Count(std::uint64_t count) {
        const PackageLimits& limits = package.limits;
        inflated += count;
        package.inflatedTotal += count;
        if (inflated > limits.maxPartBytes)
            throw WorkbookReadError(package.path, "部件 " + part + " 解压后超过 " + SizeText(limits.maxPartBytes) +
                                                      " 的上限，文件可能是恶意构造的压缩炸弹");
        if (inflated > limits.ratioGraceBytes && inflated > limits.maxRatio * compressed)
            throw WorkbookReadError(package.path, "部件 " + part + " 的压缩比超过 " + std::to_string(limits.maxRatio) +
                                                      ":1，文件可能是恶意构造的压缩炸弹");
        if (package.inflatedTotal > limits.maxTotalBytes)
            throw WorkbookReadError(package.path, "工作簿解压后超过 " + SizeText(limits.maxTotalBytes) +
                                                      " 的上限，文件可能是恶意构造的压缩炸弹");
    }

    ZipPackage& package;
    std::string part;
    zip_file_t* file;
    std::uint64_t compressed = 0; // bytes libzip has read from the file for this part
    std::uint64_t inflated = 0;
};

ZipPackage::ZipPackage(const std::string& path, PackageLimits limits) : path(path), limits(limits) {
    file = std::make_unique<PackageFile>(path);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = file->CreateSource(&error);
    if (source)
        archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) {
        zip_source_free(source);
        std::string problem = OpenProblem(error);
        zip_error_fini(&error);
        throw WorkbookReadError(path, problem);
    }
    zip_error_fini(&error);
    // From here on the destructor does not run if the constructor throws; the guard closes the archive.
    struct Guard {
        zip_t*& archive;
        bool armed = true;
        ~Guard() {
            if (armed)
                zip_discard(archive);
        }
    } guard{archive};

    zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 0 || static_cast<std::uint64_t>(count) > limits.maxEntries)
        throw WorkbookReadError(path,
                                "压缩包中的条目超过 " + std::to_string(limits.maxEntries) + " 个，不像是 Excel 工作簿");
    for (zip_uint64_t index = 0; index < static_cast<zip_uint64_t>(count); ++index) {
        const char* raw = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
        if (!raw)
            throw WorkbookReadError(path, "压缩包的目录已损坏");
        std::string name(raw);
        if (name.size() > limits.maxNameLength)
            throw WorkbookReadError(path, "压缩包中有条目的名称过长（" + std::to_string(name.size()) + " 字节）");
        if (IsUnsafeEntryName(name))
            throw WorkbookReadError(path,
                                    "压缩包中的条目名称“" + PrintablePartName(name) + "”不安全（含“..”或绝对路径）");
        if (name.back() == '/')
            continue;
        if (!indexByFoldedName.emplace(FoldPartName(name), index).second)
            throw WorkbookReadError(path, "压缩包中有重名的部件 " + PrintablePartName(name));
        entryNames.push_back(std::move(name));
    }
    guard.armed = false;
}

ZipPackage::~ZipPackage() {
    zip_discard(archive);
}

std::unordered_map<std::string, std::uint64_t> ZipPackage::ContentFingerprints() const {
    std::unordered_map<std::string, std::uint64_t> fingerprints;
    for (const std::string& name : entryNames) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        std::uint64_t fingerprint = 0;
        // An entry whose directory record cannot be read has no fingerprint and so never matches one.
        if (zip_stat_index(archive, IndexOf(name), 0, &stat) == 0 && (stat.valid & ZIP_STAT_CRC) &&
            (stat.valid & ZIP_STAT_SIZE))
            fingerprint = stat.size << 32 ^ stat.crc;
        else
            fingerprint = ~std::uint64_t{0};
        fingerprints.emplace(name, fingerprint);
    }
    return fingerprints;
}

bool ZipPackage::Contains(std::string_view partName) const {
    return indexByFoldedName.count(FoldPartName(partName)) != 0;
}

std::optional<std::string> ZipPackage::EntryName(std::string_view partName) const {
    auto found = indexByFoldedName.find(FoldPartName(partName));
    if (found == indexByFoldedName.end())
        return std::nullopt;
    return std::string(zip_get_name(archive, found->second, ZIP_FL_ENC_RAW));
}

std::uint64_t ZipPackage::IndexOf(std::string_view partName) const {
    auto found = indexByFoldedName.find(FoldPartName(partName));
    if (found == indexByFoldedName.end())
        throw WorkbookReadError(path, "缺少部件 " + PrintablePartName(partName));
    return found->second;
}

std::unique_ptr<ByteSource> ZipPackage::OpenPart(std::string_view partName) {
    zip_uint64_t index = IndexOf(partName);
    std::string part = PrintablePartName(partName);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, index, 0, &stat) != 0)
        throw WorkbookReadError(path, PartProblem(part, zip_get_error(archive)));
    // A size stated in the directory past the limit is refused before inflating anything.
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > limits.maxPartBytes)
        throw WorkbookReadError(path, "部件 " + part + " 解压后超过 " + SizeText(limits.maxPartBytes) +
                                          " 的上限，文件可能是恶意构造的压缩炸弹");
    zip_file_t* file = zip_fopen_index(archive, index, 0);
    if (!file)
        throw WorkbookReadError(path, PartProblem(part, zip_get_error(archive)));
    return std::make_unique<ZipPartSource>(*this, std::move(part), file);
}

std::string ZipPackage::ReadPart(std::string_view partName, std::uint64_t maxBytes) {
    std::unique_ptr<ByteSource> source = OpenPart(partName);
    std::string bytes;
    // The stated size spares a large part its copies while it grows; past the limits it is only a hint.
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, IndexOf(partName), 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE))
        bytes.reserve(static_cast<std::size_t>(std::min({stat.size, maxBytes, limits.maxPartBytes})));
    char buffer[64 * 1024];
    while (std::size_t count = source->Read(buffer, sizeof buffer)) {
        if (bytes.size() + count > maxBytes)
            throw WorkbookReadError(path, "部件 " + PrintablePartName(partName) + " 过大（超过 " + SizeText(maxBytes) +
                                              "），无法读取");
        bytes.append(buffer, count);
    }
    return bytes;
}

} // namespace hz
