#include "tests/support/compound_file_builder.h"

#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace hz::test {

namespace {

constexpr std::uint32_t kSector = 512;
constexpr std::uint32_t kMiniSector = 64;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;

void Put16(std::string& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    Put16(bytes, at, value & 0xFFFF);
    Put16(bytes, at + 2, value >> 16);
}

std::size_t Blocks(std::size_t size, std::size_t block) {
    return (size + block - 1) / block;
}

// Appends bytes to a chain of blocks in table, starting at the next free block; returns the first block.
std::uint32_t AddChain(std::vector<std::uint32_t>& table, std::string& area, const std::string& bytes,
                       std::size_t block) {
    std::size_t count = Blocks(bytes.size(), block);
    if (count == 0)
        return kEndOfChain;
    auto first = static_cast<std::uint32_t>(table.size());
    for (std::size_t i = 0; i < count; ++i)
        table.push_back(i + 1 < count ? first + static_cast<std::uint32_t>(i) + 1 : kEndOfChain);
    area += bytes;
    area.resize(table.size() * block, '\0');
    return first;
}

std::string DirectoryEntry(const std::string& name, std::uint8_t type, std::uint32_t right, std::uint32_t child,
                           std::uint32_t start, std::uint32_t size) {
    std::string entry(128, '\0');
    for (std::size_t i = 0; i < name.size(); ++i)
        Put16(entry, 2 * i, static_cast<unsigned char>(name[i]));
    Put16(entry, 0x40, static_cast<std::uint32_t>(2 * (name.size() + 1)));
    entry[0x42] = static_cast<char>(type);
    entry[0x43] = 1; // black
    Put32(entry, 0x44, kFree);
    Put32(entry, 0x48, right);
    Put32(entry, 0x4C, child);
    Put32(entry, 0x74, start);
    Put32(entry, 0x78, size);
    return entry;
}

} // namespace

void WriteCompoundFile(const std::string& path, const std::vector<Stream>& streams) {
    // Siblings must be ordered by name length, then by name, to form a valid (if lopsided) search tree.
    std::vector<Stream> sorted = streams;
    std::sort(sorted.begin(), sorted.end(), [](const Stream& a, const Stream& b) {
        return a.first.size() != b.first.size() ? a.first.size() < b.first.size() : a.first < b.first;
    });

    std::vector<std::uint32_t> fat;
    std::string sectors;
    std::vector<std::uint32_t> miniFat;
    std::string miniStream;
    std::vector<std::uint32_t> starts;
    for (const auto& [name, bytes] : sorted)
        starts.push_back(bytes.size() < 4096 ? AddChain(miniFat, miniStream, bytes, kMiniSector)
                                             : AddChain(fat, sectors, bytes, kSector));
    std::uint32_t miniStreamStart = AddChain(fat, sectors, miniStream, kSector);
    std::string miniFatBytes(miniFat.size() * 4, '\0');
    for (std::size_t i = 0; i < miniFat.size(); ++i)
        Put32(miniFatBytes, 4 * i, miniFat[i]);
    std::uint32_t miniFatStart = AddChain(fat, sectors, miniFatBytes, kSector);

    std::string directory = DirectoryEntry("Root Entry", 5, kFree, sorted.empty() ? kFree : 1, miniStreamStart,
                                           static_cast<std::uint32_t>(miniStream.size()));
    for (std::size_t i = 0; i < sorted.size(); ++i)
        directory +=
            DirectoryEntry(sorted[i].first, 2, i + 1 < sorted.size() ? static_cast<std::uint32_t>(i + 2) : kFree, kFree,
                           starts[i], static_cast<std::uint32_t>(sorted[i].second.size()));
    while (directory.size() % kSector != 0)
        directory += DirectoryEntry("", 0, kFree, kFree, kFree, 0);
    std::uint32_t directoryStart = AddChain(fat, sectors, directory, kSector);

    // The allocation table also maps its own sectors.
    std::size_t fatSectors = 1;
    while (Blocks((fat.size() + fatSectors) * 4, kSector) > fatSectors)
        ++fatSectors;
    if (fatSectors > 109)
        throw std::runtime_error("compound file too large for the test builder");
    auto firstFatSector = static_cast<std::uint32_t>(fat.size());
    fat.insert(fat.end(), fatSectors, kFatSector);
    fat.resize(fatSectors * kSector / 4, kFree);
    std::string fatBytes(fat.size() * 4, '\0');
    for (std::size_t i = 0; i < fat.size(); ++i)
        Put32(fatBytes, 4 * i, fat[i]);

    std::string header(kSector, '\0');
    header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    Put16(header, 0x18, 0x3E);
    Put16(header, 0x1A, 3);
    Put16(header, 0x1C, 0xFFFE);
    Put16(header, 0x1E, 9);
    Put16(header, 0x20, 6);
    Put32(header, 0x2C, static_cast<std::uint32_t>(fatSectors));
    Put32(header, 0x30, directoryStart);
    Put32(header, 0x38, 4096);
    Put32(header, 0x3C, miniFatStart);
    Put32(header, 0x40, static_cast<std::uint32_t>(Blocks(miniFatBytes.size(), kSector)));
    Put32(header, 0x44, kEndOfChain);
    for (std::uint32_t i = 0; i < 109; ++i)
        Put32(header, 0x4C + 4 * i, i < fatSectors ? firstFatSector + i : kFree);
    WriteFileBytes(path, header + sectors + fatBytes);
}

void ForEachXlsRecord(std::string& fileBytes,
                      const std::function<void(unsigned type, char* record, unsigned size)>& visit) {
    auto read16 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(fileBytes[at]) |
                                     static_cast<unsigned char>(fileBytes[at + 1]) << 8);
    };
    for (std::size_t at = kSector; at + 4 <= fileBytes.size();) {
        unsigned type = read16(at);
        unsigned size = read16(at + 2);
        if (type == 0 || at + 4 + size > fileBytes.size())
            return;
        visit(type, fileBytes.data() + at, size);
        at += 4 + size;
    }
}

} // namespace hz::test
