#include "engine/workbook/xls/compound_file.h"

#include "engine/workbook/little_endian.h"
#include "engine/workbook/workbook_error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace hz {

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::size_t kHeaderSize = 512;
constexpr std::size_t kEntrySize = 128;
constexpr std::uint32_t kMiniSectorSize = 64;
constexpr std::uint8_t kStorageEntry = 1;
constexpr std::uint8_t kStreamEntry = 2;
constexpr std::uint8_t kRootEntry = 5;
// Far above any workbook a person fills by hand, low enough to hold a stream of it in memory.
constexpr std::uint64_t kMaxFileBytes = 512u << 20;

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

std::vector<std::uint32_t> Words(const std::string& bytes) {
    std::vector<std::uint32_t> words(bytes.size() / 4);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = ReadU32(bytes, 4 * i);
    return words;
}

} // namespace

CompoundFile::CompoundFile(const std::string& path) : path(path), file(path, std::ios::binary | std::ios::ate) {
    if (!file)
        throw WorkbookReadError(path, std::string("无法打开文件（") + std::strerror(errno) + "）");
    std::streamoff size = file.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxFileBytes)
        throw WorkbookReadError(path, "文件过大（超过 512 MB），不是可导入的工作簿");
    fileSize = static_cast<std::uint64_t>(size);
    if (fileSize < kHeaderSize)
        Damaged("复合文档头不完整");
    std::string header(kHeaderSize, '\0');
    ReadAt(0, header.data(), header.size());
    std::uint16_t major = ReadU16(header, 0x1A);
    std::uint16_t sectorShift = ReadU16(header, 0x1E);
    if (ReadU16(header, 0x1C) != 0xFFFE || !((major == 3 && sectorShift == 9) || (major == 4 && sectorShift == 12)) ||
        ReadU16(header, 0x20) != 6)
        Damaged("复合文档头无效");
    sectorSize = 1u << sectorShift;
    miniCutoff = ReadU32(header, 0x38);
    if (miniCutoff != 4096)
        Damaged("复合文档头无效");

    ReadAllocationTable(ReadU32(header, 0x2C), ReadU32(header, 0x44), ReadU32(header, 0x48), header);
    std::uint32_t miniFatStart = ReadU32(header, 0x3C);
    if (ReadU32(header, 0x40) != 0 && miniFatStart != kEndOfChain)
        miniFat = Words(ReadWholeChain(miniFatStart));
    ReadDirectory(ReadU32(header, 0x30));
    if (entries.empty() || entries[0].type != kRootEntry)
        Damaged("缺少根目录项");
    miniStream = ReadChain(entries[0].start, entries[0].size);
}

void CompoundFile::ReadAt(std::uint64_t offset, char* destination, std::size_t count) {
    if (offset > fileSize || count > fileSize - offset)
        Damaged("数据超出文件末尾，文件不完整");
    file.seekg(static_cast<std::streamoff>(offset));
    if (!file.read(destination, static_cast<std::streamsize>(count)))
        throw WorkbookReadError(path, std::string("读取文件失败（") + std::strerror(errno) + "）");
}

void CompoundFile::ReadAllocationTable(std::uint32_t fatSectorCount, std::uint32_t difatSector,
                                       std::uint32_t difatSectorCount, const std::string& header) {
    if (static_cast<std::uint64_t>(fatSectorCount) * sectorSize > fileSize)
        Damaged("分配表大小超出文件范围");
    // The first 109 locations of allocation-table sectors stand in the header, the rest in a chain of DIFAT sectors.
    std::vector<std::uint32_t> difat;
    for (std::uint32_t i = 0; i < 109 && difat.size() < fatSectorCount; ++i)
        difat.push_back(ReadU32(header, 0x4C + 4 * i));
    std::string sector(sectorSize, '\0');
    std::uint32_t perDifatSector = sectorSize / 4 - 1;
    for (std::uint32_t visited = 0; difat.size() < fatSectorCount; ++visited) {
        if (visited >= difatSectorCount)
            Damaged("分配表位置链无效");
        ReadAt((static_cast<std::uint64_t>(difatSector) + 1) * sectorSize, sector.data(), sectorSize);
        for (std::uint32_t i = 0; i < perDifatSector && difat.size() < fatSectorCount; ++i)
            difat.push_back(ReadU32(sector, 4 * i));
        difatSector = ReadU32(sector, 4 * perDifatSector);
    }
    fat.reserve(static_cast<std::size_t>(fatSectorCount) * (sectorSize / 4));
    for (std::uint32_t location : difat) {
        ReadAt((static_cast<std::uint64_t>(location) + 1) * sectorSize, sector.data(), sectorSize);
        for (std::uint32_t i = 0; i < sectorSize / 4; ++i)
            fat.push_back(ReadU32(sector, 4 * i));
    }
}

void CompoundFile::ReadDirectory(std::uint32_t firstSector) {
    std::string directory = ReadWholeChain(firstSector);
    bool version3 = sectorSize == 512;
    for (std::size_t at = 0; at + kEntrySize <= directory.size(); at += kEntrySize) {
        Entry entry;
        std::uint16_t nameBytes = ReadU16(directory, at + 0x40);
        entry.type = static_cast<std::uint8_t>(directory[at + 0x42]);
        // A name longer than its 64-byte field makes some readers run past the entry: refuse it outright.
        if (nameBytes > 64 || nameBytes % 2 != 0 ||
            (entry.type != 0 && entry.type != kStorageEntry && entry.type != kStreamEntry && entry.type != kRootEntry))
            Damaged("目录项无效");
        for (std::size_t i = 0; i + 2 < nameBytes; i += 2) {
            std::uint16_t unit = ReadU16(directory, at + i);
            entry.name.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
        }
        entry.left = ReadU32(directory, at + 0x44);
        entry.right = ReadU32(directory, at + 0x48);
        entry.child = ReadU32(directory, at + 0x4C);
        entry.start = ReadU32(directory, at + 0x74);
        // Version 3 files may leave garbage in the high half of the size.
        entry.size = version3 ? ReadU32(directory, at + 0x78) : ReadU64(directory, at + 0x78);
        entries.push_back(std::move(entry));
    }
}

std::vector<std::uint32_t> CompoundFile::Chain(std::uint32_t start, const std::vector<std::uint32_t>& table) const {
    std::vector<std::uint32_t> chain;
    for (std::uint32_t sector = start; sector != kEndOfChain; sector = table[sector]) {
        if (sector >= table.size())
            Damaged("扇区链超出文件范围，文件可能不完整");
        if (chain.size() >= table.size())
            Damaged("扇区链有环");
        chain.push_back(sector);
    }
    return chain;
}

CompoundStream CompoundFile::ChainStream(std::uint32_t start, std::uint64_t size) {
    if (size > fileSize)
        Damaged("数据流长度超出文件大小");
    CompoundStream stream;
    stream.file = this;
    stream.size = size;
    if (size == 0)
        return stream;
    stream.chain = Chain(start, fat);
    if (stream.chain.size() < (size + sectorSize - 1) / sectorSize)
        Damaged("数据流比其扇区链长");
    return stream;
}

std::string CompoundFile::ReadChain(std::uint32_t start, std::uint64_t size) {
    CompoundStream stream = ChainStream(start, size);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    stream.Read(0, bytes.data(), bytes.size());
    return bytes;
}

std::string CompoundFile::ReadWholeChain(std::uint32_t start) {
    return ReadChain(start, static_cast<std::uint64_t>(Chain(start, fat).size()) * sectorSize);
}

std::string CompoundFile::ReadMiniChain(std::uint32_t start, std::uint64_t size) const {
    std::string stream;
    stream.reserve(static_cast<std::size_t>(size));
    for (std::uint32_t sector : Chain(start, miniFat)) {
        if (stream.size() == size)
            break;
        std::uint64_t offset = static_cast<std::uint64_t>(sector) * kMiniSectorSize;
        std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(kMiniSectorSize, size - stream.size()));
        if (offset + piece > miniStream.size())
            Damaged("小数据流超出范围");
        stream.append(miniStream, static_cast<std::size_t>(offset), piece);
    }
    if (stream.size() != size)
        Damaged("数据流比其扇区链长");
    return stream;
}

const CompoundFile::Entry* CompoundFile::FindRootStream(std::string_view name) const {
    // The root's children form a tree through the left and right links; a damaged file may link in circles.
    std::vector<bool> seen(entries.size());
    std::vector<std::uint32_t> pending{entries[0].child};
    while (!pending.empty()) {
        std::uint32_t index = pending.back();
        pending.pop_back();
        if (index == kNoStream)
            continue;
        if (index >= entries.size() || seen[index])
            Damaged("目录树无效");
        seen[index] = true;
        const Entry& entry = entries[index];
        if (entry.type == kStreamEntry && SameNameIgnoringCase(entry.name, name))
            return &entry;
        pending.push_back(entry.left);
        pending.push_back(entry.right);
    }
    return nullptr;
}

bool CompoundFile::HasStream(std::string_view name) const {
    return FindRootStream(name) != nullptr;
}

CompoundStream CompoundFile::OpenStream(std::string_view name) {
    const Entry* entry = FindRootStream(name);
    if (!entry)
        Damaged("缺少数据流 " + std::string(name));
    if (entry->size >= miniCutoff)
        return ChainStream(entry->start, entry->size);
    CompoundStream stream;
    stream.file = this;
    stream.size = entry->size;
    stream.small = ReadMiniChain(entry->start, entry->size);
    return stream;
}

void CompoundStream::Read(std::uint64_t offset, char* destination, std::size_t count) {
    if (chain.empty()) {
        std::memcpy(destination, small.data() + offset, count);
        return;
    }
    const std::uint32_t sectorSize = file->sectorSize;
    // Writers mostly store a stream in adjacent sectors: read each run of them at once.
    while (count > 0) {
        std::size_t i = static_cast<std::size_t>(offset / sectorSize);
        std::uint64_t within = offset % sectorSize;
        std::size_t run = 1;
        while (i + run < chain.size() && chain[i + run] == chain[i] + run)
            ++run;
        std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(run * sectorSize - within, count));
        file->ReadAt((static_cast<std::uint64_t>(chain[i]) + 1) * sectorSize + within, destination, piece);
        destination += piece;
        offset += piece;
        count -= piece;
    }
}

void CompoundFile::Damaged(const std::string& detail) const {
    throw WorkbookReadError(path, "文件已损坏（" + detail + "）");
}

} // namespace hz
