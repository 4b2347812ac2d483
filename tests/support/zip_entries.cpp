#include "tests/support/zip_entries.h"

#include <stdexcept>
#include <zip.h>

namespace hz::test {

namespace {

std::string ReadEntry(zip_t* archive, zip_uint64_t index, zip_flags_t flags, zip_uint64_t size) {
    zip_file_t* file = zip_fopen_index(archive, index, flags);
    if (!file)
        throw std::runtime_error(std::string("cannot open entry: ") + zip_strerror(archive));
    std::string bytes(size, '\0');
    zip_int64_t got = size == 0 ? 0 : zip_fread(file, bytes.data(), size);
    zip_fclose(file);
    if (got != static_cast<zip_int64_t>(size))
        throw std::runtime_error("cannot read entry");
    return bytes;
}

} // namespace

std::vector<ZipEntry> ReadZipEntries(const std::string& path) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive)
        throw std::runtime_error("cannot open zip " + path);
    std::vector<ZipEntry> entries;
    zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, i, 0, &stat);
        ZipEntry entry;
        entry.name = stat.name;
        entry.method = stat.comp_method;
        entry.crc = stat.crc;
        entry.compressedSize = stat.comp_size;
        entry.compressed = ReadEntry(archive, i, ZIP_FL_COMPRESSED, stat.comp_size);
        entry.content = ReadEntry(archive, i, 0, stat.size);
        entries.push_back(std::move(entry));
    }
    zip_discard(archive);
    return entries;
}

std::string ZipEntryContent(const std::vector<ZipEntry>& entries, const std::string& name) {
    for (const ZipEntry& entry : entries)
        if (entry.name == name)
            return entry.content;
    throw std::runtime_error("no entry " + name);
}

} // namespace hz::test
