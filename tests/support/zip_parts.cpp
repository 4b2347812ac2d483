#include "tests/support/zip_parts.h"

#include <stdexcept>
#include <zip.h>

namespace hz::test {

namespace {

std::string ReadPart(zip_t* archive, zip_uint64_t index, zip_flags_t flags, zip_uint64_t size) {
    zip_file_t* file = zip_fopen_index(archive, index, flags);
    if (!file)
        throw std::runtime_error(std::string("cannot open part: ") + zip_strerror(archive));
    std::string bytes(size, '\0');
    const zip_int64_t got = size == 0 ? 0 : zip_fread(file, bytes.data(), size);
    zip_fclose(file);
    if (got != static_cast<zip_int64_t>(size))
        throw std::runtime_error("cannot read part");
    return bytes;
}

} // namespace

std::vector<StoredPart> ReadStoredParts(const std::string& path) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive)
        throw std::runtime_error("cannot open zip " + path);
    std::vector<StoredPart> parts;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, i, 0, &stat);
        StoredPart part;
        part.name = stat.name;
        part.method = stat.comp_method;
        part.crc = stat.crc;
        part.compressed = ReadPart(archive, i, ZIP_FL_COMPRESSED, stat.comp_size);
        part.content = ReadPart(archive, i, 0, stat.size);
        parts.push_back(std::move(part));
    }
    zip_discard(archive);
    return parts;
}

} // namespace hz::test
