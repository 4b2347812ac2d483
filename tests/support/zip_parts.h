#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hz::test {

// One part of a zip package as stored, so that two packages compare part by part, byte for byte.
struct StoredPart {
    std::string name;
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::string compressed; // the stored bytes, not inflated
    std::string content;    // inflated
    bool operator==(const StoredPart&) const = default;
};

// Every part of the zip file in directory order. Throws std::runtime_error when it is not a readable zip.
std::vector<StoredPart> ReadStoredParts(const std::string& path);

} // namespace hz::test
