#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hz::test {

// A zip entry written as given, so that a test can state sizes and checksums that do not match the data.
struct RawZipEntry {
    std::string name;
    std::string data; // the bytes as stored: raw deflate data when deflated
    bool deflated = false;
    std::uint32_t crc = 0;
    std::uint32_t size = 0; // the inflated size the headers state
};

RawZipEntry StoredEntry(const std::string& name, const std::string& bytes);
// An entry holding zeroBytes zeros, deflated about 1000 to 1. The stream is built from one compressed MiB
// repeated (each ended by a full flush, so the copies are alike), which takes milliseconds for a GiB.
RawZipEntry DeflatedZerosEntry(const std::string& name, std::uint64_t zeroBytes);

void WriteRawZip(const std::string& path, const std::vector<RawZipEntry>& entries);

} // namespace hz::test
