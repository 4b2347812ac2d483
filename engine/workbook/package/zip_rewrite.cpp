#include "engine/workbook/package/zip_rewrite.h"

#include "engine/workbook/package/part_name.h"
#include "engine/workbook/workbook_error.h"

#include <cerrno>
#include <memory>
#include <unistd.h>
#include <zip.h>

namespace hz {

namespace {

// A libzip destination that writes a new archive to a descriptor the caller owns: libzip's own file
// destination would write a second temporary file and rename it, out of our control.
class DescriptorSink {
public:
    explicit DescriptorSink(int fd) : fd(fd) { zip_error_init(&error); }
    ~DescriptorSink() { zip_error_fini(&error); }
    DescriptorSink(const DescriptorSink&) = delete;
    DescriptorSink& operator=(const DescriptorSink&) = delete;

    static zip_int64_t Callback(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command) {
        return static_cast<DescriptorSink*>(self)->Handle(data, length, command);
    }

private:
    zip_int64_t SystemFailure(int zipError) {
        zip_error_set(&error, zipError, errno);
        return -1;
    }

    zip_int64_t Write(const char* bytes, zip_uint64_t length) {
        zip_uint64_t written = 0;
        while (written < length) {
            ssize_t n = write(fd, bytes + written, length - written);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return SystemFailure(ZIP_ER_WRITE);
            written += static_cast<zip_uint64_t>(n);
        }
        return static_cast<zip_int64_t>(length);
    }

    zip_int64_t Handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                                  ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE,
                                                  ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE,
                                                  ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
        case ZIP_SOURCE_STAT:
            // Reported as absent, so that libzip starts a new archive instead of reading one.
            zip_error_set(&error, ZIP_ER_READ, ENOENT);
            return -1;
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&error, data, length);
        case ZIP_SOURCE_BEGIN_WRITE:
            if (ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) != 0)
                return SystemFailure(ZIP_ER_WRITE);
            return 0;
        case ZIP_SOURCE_WRITE:
            return Write(static_cast<const char*>(data), length);
        case ZIP_SOURCE_SEEK_WRITE: {
            auto* seek = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &error);
            if (!seek)
                return -1;
            if (lseek(fd, seek->offset, seek->whence) < 0)
                return SystemFailure(ZIP_ER_SEEK);
            return 0;
        }
        case ZIP_SOURCE_TELL_WRITE: {
            off_t position = lseek(fd, 0, SEEK_CUR);
            return position < 0 ? SystemFailure(ZIP_ER_TELL) : position;
        }
        // Flushing, renaming and removing the file are the caller's.
        case ZIP_SOURCE_COMMIT_WRITE:
        case ZIP_SOURCE_ROLLBACK_WRITE:
        case ZIP_SOURCE_REMOVE:
        case ZIP_SOURCE_FREE:
            return 0;
        default:
            zip_error_set(&error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }

    int fd;
    zip_error_t error;
};

struct ArchiveDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveDiscard>;

Archive OpenSource(const std::string& path, int sourceFd) {
    int copy = dup(sourceFd);
    if (copy < 0)
        throw WorkbookSaveError(path, "无法再次读取原文件");
    int error = 0;
    zip_t* archive = zip_fdopen(copy, ZIP_RDONLY, &error);
    if (!archive) {
        close(copy);
        zip_error_t detail;
        zip_error_init_with_code(&detail, error);
        std::string text = zip_error_strerror(&detail);
        zip_error_fini(&detail);
        throw WorkbookSaveError(path, "原文件不是有效的 zip 包（" + text + "）");
    }
    return Archive(archive);
}

Archive CreateTarget(const std::string& path, DescriptorSink& sink) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_function_create(&DescriptorSink::Callback, &sink, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_CREATE | ZIP_TRUNCATE, &error) : nullptr;
    if (!archive) {
        std::string text = zip_error_strerror(&error);
        zip_error_fini(&error);
        if (source)
            zip_source_free(source);
        throw WorkbookSaveError(path, "无法创建新的 zip 包（" + text + "）");
    }
    zip_error_fini(&error);
    return Archive(archive);
}

// A rewritten worksheet part is deflated at the fastest level: a few percent larger than the default level and
// several times quicker, which is what the user waits for at the end of a run on a large sheet.
constexpr zip_uint32_t kNewPartLevel = 1;

// Adds one entry to the new archive: the old compressed bytes, or the new bytes to be deflated.
void AddEntry(const std::string& path, zip_t* target, zip_t* source, zip_uint64_t index, const std::string& name,
              const std::string* newBytes) {
    zip_stat_t stat;
    if (zip_stat_index(source, index, ZIP_FL_ENC_RAW, &stat) != 0)
        throw WorkbookSaveError(path,
                                "无法读取部件 " + PrintablePartName(name) + " 的信息（" + zip_strerror(source) + "）");
    zip_source_t* data = newBytes ? zip_source_buffer(target, newBytes->data(), newBytes->size(), 0)
                                  : zip_source_zip(target, source, index, ZIP_FL_COMPRESSED, 0, -1);
    zip_int64_t added = data ? zip_file_add(target, name.c_str(), data, ZIP_FL_ENC_GUESS) : -1;
    if (added < 0) {
        if (data)
            zip_source_free(data);
        throw WorkbookSaveError(path, "无法复制部件 " + PrintablePartName(name) + "（" + zip_strerror(target) + "）");
    }
    auto entry = static_cast<zip_uint64_t>(added);
    // An unchanged entry keeps its method; a stored one would otherwise be deflated on the way.
    zip_int32_t method = newBytes ? ZIP_CM_DEFLATE : (stat.comp_method == ZIP_CM_STORE ? ZIP_CM_STORE : ZIP_CM_DEFAULT);
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    zip_uint32_t commentLength = 0;
    const char* comment = zip_file_get_comment(source, index, &commentLength, ZIP_FL_ENC_RAW);
    bool ok = zip_set_file_compression(target, entry, method, newBytes ? kNewPartLevel : 0) == 0 &&
              zip_file_set_mtime(target, entry, stat.mtime, 0) == 0 &&
              zip_file_get_external_attributes(source, index, 0, &system, &attributes) == 0 &&
              zip_file_set_external_attributes(target, entry, 0, system, attributes) == 0 &&
              (commentLength == 0 ||
               zip_file_set_comment(target, entry, comment, static_cast<zip_uint16_t>(commentLength), 0) == 0);
    if (!ok)
        throw WorkbookSaveError(path,
                                "无法复制部件 " + PrintablePartName(name) + " 的属性（" + zip_strerror(target) + "）");
}

} // namespace

void RewriteZip(const std::string& path, int sourceFd, int targetFd, const PackageChanges& changes) {
    Archive source = OpenSource(path, sourceFd);
    DescriptorSink sink(targetFd);
    Archive target = CreateTarget(path, sink);

    zip_int64_t count = zip_get_num_entries(source.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        auto index = static_cast<zip_uint64_t>(i);
        const char* rawName = zip_get_name(source.get(), index, ZIP_FL_ENC_RAW);
        if (!rawName)
            throw WorkbookSaveError(path, std::string("无法读取部件名称（") + zip_strerror(source.get()) + "）");
        std::string name = rawName;
        if (changes.removed.contains(name))
            continue;
        auto replaced = changes.replaced.find(name);
        AddEntry(path, target.get(), source.get(), index, name,
                 replaced == changes.replaced.end() ? nullptr : &replaced->second);
    }
    int commentLength = 0;
    const char* comment = zip_get_archive_comment(source.get(), &commentLength, ZIP_FL_ENC_RAW);
    if (commentLength > 0 &&
        zip_set_archive_comment(target.get(), comment, static_cast<zip_uint16_t>(commentLength)) != 0)
        throw WorkbookSaveError(path, std::string("无法复制 zip 包的注释（") + zip_strerror(target.get()) + "）");

    // Reads the unchanged entries from the source as it writes, so the source stays open until it is done.
    if (zip_close(target.get()) != 0)
        throw WorkbookSaveError(path, std::string("写入临时文件失败（") + zip_strerror(target.get()) + "）");
    target.release();
}

} // namespace hz
