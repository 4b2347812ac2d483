#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace hz {

class CompoundFile;

// One stream of a compound file, read in pieces straight from the file, so that a large stream is never held in
// memory whole. Its file must stay open while it is read.
class CompoundStream {
public:
    std::uint64_t Size() const { return size; }
    // Copies count bytes from offset on; the caller keeps them inside the stream.
    void Read(std::uint64_t offset, char* destination, std::size_t count);

private:
    friend class CompoundFile;
    CompoundFile* file = nullptr;
    std::uint64_t size = 0;
    std::vector<std::uint32_t> chain; // the stream's sectors, when it lies in the file's own sectors
    std::string small;                // the stream's bytes, when it lies in the mini stream
};

// A read-only OLE2 compound file (the container of .xls and of encrypted .xlsx), checked on opening: every
// sector, chain and directory entry that is used lies inside the file, chains have no cycles. Streams are read
// straight from the file in runs of adjacent sectors.
class CompoundFile {
public:
    // Reads the header, allocation tables and directory. Throws WorkbookError naming path when the file is not a
    // sound compound file.
    explicit CompoundFile(const std::string& path);

    // Whether a stream of that name lies directly under the root (names compare without regard to ASCII case).
    bool HasStream(std::string_view name) const;
    // The stream, for reading in pieces; throws WorkbookError when it is missing or its sector chain is damaged.
    CompoundStream OpenStream(std::string_view name);

private:
    friend class CompoundStream;
    struct Entry {
        std::string name; // ASCII names as they are; any other character stands as '?'
        std::uint8_t type = 0;
        std::uint32_t left = 0, right = 0, child = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    void ReadAt(std::uint64_t offset, char* destination, std::size_t count);
    std::vector<std::uint32_t> Chain(std::uint32_t start, const std::vector<std::uint32_t>& table) const;
    CompoundStream ChainStream(std::uint32_t start, std::uint64_t size);
    std::string ReadChain(std::uint32_t start, std::uint64_t size);
    std::string ReadWholeChain(std::uint32_t start);
    std::string ReadMiniChain(std::uint32_t start, std::uint64_t size) const;
    void ReadAllocationTable(std::uint32_t fatSectorCount, std::uint32_t difatSector, std::uint32_t difatSectorCount,
                             const std::string& header);
    void ReadDirectory(std::uint32_t firstSector);
    const Entry* FindRootStream(std::string_view name) const;
    [[noreturn]] void Damaged(const std::string& detail) const;

    std::string path;
    std::ifstream file;
    std::uint64_t fileSize = 0;
    std::uint32_t sectorSize = 512;
    std::uint32_t miniCutoff = 4096;
    std::vector<std::uint32_t> fat;
    std::vector<std::uint32_t> miniFat;
    std::vector<Entry> entries;
    std::string miniStream;
};

} // namespace hz
