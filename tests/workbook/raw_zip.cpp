#include "tests/workbook/raw_zip.h"

#include "tests/support/scratch_folder.h"

#include <stdexcept>
#include <zlib.h>

namespace hz::test {

namespace {

void Put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::string Deflate(const std::string& input, int flush) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string output(deflateBound(&stream, input.size()) + 64, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    stream.avail_in = static_cast<uInt>(input.size());
    stream.next_out = reinterpret_cast<Bytef*>(output.data());
    stream.avail_out = static_cast<uInt>(output.size());
    deflate(&stream, flush);
    output.resize(stream.total_out);
    deflateEnd(&stream);
    return output;
}

} // namespace

RawZipEntry StoredEntry(const std::string& name, const std::string& bytes) {
    auto crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
    return {name, bytes, false, crc, static_cast<std::uint32_t>(bytes.size())};
}

RawZipEntry DeflatedZerosEntry(const std::string& name, std::uint64_t zeroBytes) {
    constexpr std::uint64_t kChunk = 1 << 20;
    if (zeroBytes % kChunk != 0 || zeroBytes > UINT32_MAX)
        throw std::runtime_error("zero count must be whole MiB below 4 GiB");
    std::string zeros(kChunk, '\0');
    std::string block = Deflate(zeros, Z_FULL_FLUSH);
    auto chunkCrc = crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), kChunk);
    RawZipEntry entry{name, {}, true, 0, static_cast<std::uint32_t>(zeroBytes)};
    uLong crc = 0;
    for (std::uint64_t done = 0; done < zeroBytes; done += kChunk) {
        entry.data += block;
        crc = crc32_combine(crc, chunkCrc, kChunk);
    }
    entry.data += Deflate("", Z_FINISH); // the final, empty block
    entry.crc = static_cast<std::uint32_t>(crc);
    return entry;
}

void WriteRawZip(const std::string& path, const std::vector<RawZipEntry>& entries) {
    std::string file;
    std::string directory;
    for (const RawZipEntry& entry : entries) {
        std::uint32_t offset = static_cast<std::uint32_t>(file.size());
        std::string common;
        Put16(common, 20); // version needed
        Put16(common, 0);  // flags
        Put16(common, entry.deflated ? 8 : 0);
        Put16(common, 0);    // time
        Put16(common, 0x21); // date: 1980-01-01
        Put32(common, entry.crc);
        Put32(common, static_cast<std::uint32_t>(entry.data.size()));
        Put32(common, entry.size);
        Put16(common, static_cast<std::uint32_t>(entry.name.size()));
        Put16(common, 0); // extra length
        Put32(file, 0x04034b50);
        file += common + entry.name + entry.data;
        Put32(directory, 0x02014b50);
        Put16(directory, 20); // version made by
        directory += common;
        Put16(directory, 0); // comment length
        Put16(directory, 0); // disk
        Put16(directory, 0); // internal attributes
        Put32(directory, 0); // external attributes
        Put32(directory, offset);
        directory += entry.name;
    }
    std::uint32_t directoryOffset = static_cast<std::uint32_t>(file.size());
    file += directory;
    Put32(file, 0x06054b50);
    Put16(file, 0);
    Put16(file, 0);
    Put16(file, static_cast<std::uint32_t>(entries.size()));
    Put16(file, static_cast<std::uint32_t>(entries.size()));
    Put32(file, static_cast<std::uint32_t>(directory.size()));
    Put32(file, directoryOffset);
    Put16(file, 0);
    WriteFileBytes(path, file);
}

} // namespace hz::test
