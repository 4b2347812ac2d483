#pragma once

#include "engine/workbook/byte_source.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct zip;

namespace hz {

class PackageFile;

// Bounds on what one package may make us inflate; a package past any of them is refused, not read.
struct PackageLimits {
    std::uint64_t maxPartBytes = std::uint64_t{1} << 30;     // inflated bytes of one part
    std::uint64_t maxTotalBytes = std::uint64_t{2} << 30;    // inflated bytes of all parts read, together
    std::uint64_t ratioGraceBytes = std::uint64_t{16} << 20; // a part may inflate this much before the ratio counts
    // Inflated bytes per compressed byte read so far for the part, past the grace; deflate bombs reach 1000.
    std::uint64_t maxRatio = 250;
    std::uint64_t maxEntries = 10000; // entries in the zip directory
    std::size_t maxNameLength = 1024; // bytes of one entry name
};

// A zip package (OPC) opened read-only. Part names are entry names ("xl/workbook.xml"; a leading "/" is
// accepted) and match without regard to ASCII case. Every failure is a WorkbookError naming the file and,
// where there is one, the part. Not thread-safe; the package must outlive the parts it opens.
class ZipPackage {
public:
    explicit ZipPackage(const std::string& path, PackageLimits limits = {});
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    const std::string& Path() const { return path; }
    bool Contains(std::string_view partName) const;
    // The entry name as stored in the zip (its bytes unconverted) for a part name matched without regard to case.
    std::optional<std::string> EntryName(std::string_view partName) const;
    // Every file entry in the order of the zip directory (folders left out).
    const std::vector<std::string>& EntryNames() const { return entryNames; }

    // Each entry's CRC-32 and inflated size from the zip directory, by entry name: what tells, without inflating
    // anything, whether a part's content is the same as in another package.
    std::unordered_map<std::string, std::uint64_t> ContentFingerprints() const;

    // The whole inflated part, for small parts; throws when it is missing or longer than maxBytes.
    std::string ReadPart(std::string_view partName, std::uint64_t maxBytes = UINT64_MAX);
    // The part as a stream inflated in chunks, counted against the limits as it goes.
    std::unique_ptr<ByteSource> OpenPart(std::string_view partName);

private:
    friend class ZipPartSource;
    std::uint64_t IndexOf(std::string_view partName) const;

    std::string path;
    PackageLimits limits;
    std::unique_ptr<PackageFile> file;
    zip* archive = nullptr;
    std::uint64_t inflatedTotal = 0; // bytes inflated from all parts so far
    std::vector<std::string> entryNames;
    std::unordered_map<std::string, std::uint64_t> indexByFoldedName;
};

} // namespace hz
