#include "engine/workbook/package/package_file.h"

#include "engine/workbook/workbook_error.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace hz {

PackageFile::PackageFile(const std::string& path) {
    zip_error_init(&error);
    std::filesystem::path name(reinterpret_cast<const char8_t*>(path.c_str()));
    std::error_code ignored;
    if (std::filesystem::is_directory(name, ignored))
        throw WorkbookReadError(path, "这是一个文件夹，不是文件");
    errno = 0;
    file.open(name, std::ios::binary);
    if (!file) {
        if (errno == ENOENT)
            throw WorkbookReadError(path, "文件不存在");
        throw WorkbookReadError(path, std::string("无法打开文件（") + std::strerror(errno) + "）");
    }
    file.seekg(0, std::ios::end);
    std::streamoff end = file.tellg();
    file.seekg(0);
    if (end < 0 || !file)
        throw WorkbookReadError(path, "读取文件时出错，文件可能已损坏或不完整");
    if (end == 0)
        throw WorkbookReadError(path, "文件是空的");
    size = static_cast<std::uint64_t>(end);
}

zip_source_t* PackageFile::CreateSource(zip_error_t* sourceError) {
    return zip_source_function_create(&PackageFile::Callback, this, sourceError);
}

zip_int64_t PackageFile::Callback(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    return static_cast<PackageFile*>(self)->Handle(data, length, command);
}

zip_int64_t PackageFile::Fail(int zipError) {
    zip_error_set(&error, zipError, errno);
    return -1;
}

zip_int64_t PackageFile::Handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
    switch (command) {
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                              ZIP_SOURCE_SUPPORTS, -1);
    case ZIP_SOURCE_OPEN:
        position = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        file.clear();
        if (streamPosition != position)
            file.seekg(static_cast<std::streamoff>(position));
        file.read(static_cast<char*>(data), static_cast<std::streamsize>(length));
        if (file.bad() || (!file && !file.eof()))
            return Fail(ZIP_ER_READ);
        auto count = static_cast<std::uint64_t>(file.gcount());
        position += count;
        streamPosition = file.eof() ? UINT64_MAX : position;
        bytesRead += count;
        return static_cast<zip_int64_t>(count);
    }
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_STAT: {
        zip_stat_t* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error);
        if (!stat)
            return -1;
        zip_stat_init(stat);
        stat->size = size;
        stat->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&error, data, length);
    case ZIP_SOURCE_SEEK: {
        zip_int64_t target = zip_source_seek_compute_offset(position, size, data, length, &error);
        if (target < 0)
            return -1;
        position = static_cast<std::uint64_t>(target);
        return 0;
    }
    case ZIP_SOURCE_TELL:
        return static_cast<zip_int64_t>(position);
    default:
        zip_error_set(&error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace hz
