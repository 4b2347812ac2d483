#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hz::test {

// One entry of a zip file as stored: what a byte-for-byte comparison of two packages looks at.
struct ZipEntry {
    std::string name;
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::string compressed; // the stored bytes, not inflated
    std::string content;    // inflated
    bool operator==(const ZipEntry&) const = default;
};

// Every entry of the zip file in directory order. Throws std::runtime_error when it is not a readable zip.
std::vector<ZipEntry> ReadZipEntries(const std::string& path);

// The inflated content of one entry; throws std::runtime_error when it is missing.
std::string ZipEntryContent(const std::vector<ZipEntry>& entries, const std::string& name);

} // namespace hz::test
