#include "engine/workbook/package/zip_rewrite.h"

#include "engine/workbook/package/part_name.h"
#include "engine/workbook/workbook_error.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <zip.h>

namespace hz {

namespace {

// What a callback of a libzip source met: libzip's own text for it names errno's number, which Windows' errors are
// not, so the text is kept here as libzip would give it on POSIX ("Write error: File too large").
class SourceFailure {
public:
    zip_int64_t Set(zip_error_t* error, int zipError, const char* what, const SystemError& failure) {
        zip_error_set(error, zipError, 0);
        text = std::string(what) + ": " + failure.text;
        return -1;
    }
    const std::string& Text() const { return text; }

private:
    std::string text;
};

// Where a seek leads from position in a file of size bytes; -1 when before the start.
zip_int64_t SeekTarget(const zip_source_args_seek_t& seek, zip_uint64_t position, zip_uint64_t size) {
    const zip_int64_t from = seek.whence == SEEK_SET   ? 0
                             : seek.whence == SEEK_CUR ? static_cast<zip_int64_t>(position)
                             : seek.whence == SEEK_END ? static_cast<zip_int64_t>(size)
                                                       : -1;
    if (from < 0 || (seek.offset < 0 && -seek.offset > from))
        return -1;
    return from + seek.offset;
}

// A libzip source that reads the original archive through the handle the caller holds open.
class HandleSource {
public:
    explicit HandleSource(const FileHandle& file) : file(file) { zip_error_init(&error); }
    ~HandleSource() { zip_error_fini(&error); }
    HandleSource(const HandleSource&) = delete;
    HandleSource& operator=(const HandleSource&) = delete;

    static zip_int64_t Callback(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command) {
        return static_cast<HandleSource*>(self)->Handle(data, length, command);
    }
    const std::string& FailureText() const { return failure.Text(); }

private:
    zip_int64_t Handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                                  ZIP_SOURCE_SUPPORTS, -1);
        case ZIP_SOURCE_OPEN: {
            const SystemResult<std::uint64_t> found = file.Size();
            if (found.error)
                return failure.Set(&error, ZIP_ER_READ, "Read error", found.error);
            size = found.value;
            position = 0;
            return 0;
        }
        case ZIP_SOURCE_READ: {
            const SystemResult<std::size_t> got = file.ReadAt(position, static_cast<char*>(data), length);
            if (got.error)
                return failure.Set(&error, ZIP_ER_READ, "Read error", got.error);
            position += got.value;
            return static_cast<zip_int64_t>(got.value);
        }
        case ZIP_SOURCE_STAT: {
            // Asked before the source is opened as well.
            auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &error);
            if (!stat)
                return -1;
            const SystemResult<std::uint64_t> found = file.Size();
            if (found.error)
                return failure.Set(&error, ZIP_ER_READ, "Read error", found.error);
            zip_stat_init(stat);
            stat->size = found.value;
            stat->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_SEEK: {
            auto* seek = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &error);
            if (!seek)
                return -1;
            const zip_int64_t to = SeekTarget(*seek, position, size);
            if (to < 0) {
                zip_error_set(&error, ZIP_ER_INVAL, 0);
                return -1;
            }
            position = static_cast<zip_uint64_t>(to);
            return 0;
        }
        case ZIP_SOURCE_TELL:
            return static_cast<zip_int64_t>(position);
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&error, data, length);
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE:
            return 0;
        default:
            zip_error_set(&error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }

    const FileHandle& file;
    zip_error_t error;
    SourceFailure failure;
    zip_uint64_t size = 0;
    zip_uint64_t position = 0;
};

// A libzip destination that writes a new archive through a handle the caller owns: libzip's own file destination
// would write a second temporary file and rename it, out of our control.
class HandleSink {
public:
    explicit HandleSink(const FileHandle& file) : file(file) { zip_error_init(&error); }
    ~HandleSink() { zip_error_fini(&error); }
    HandleSink(const HandleSink&) = delete;
    HandleSink& operator=(const HandleSink&) = delete;

    static zip_int64_t Callback(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command) {
        return static_cast<HandleSink*>(self)->Handle(data, length, command);
    }
    const std::string& FailureText() const { return failure.Text(); }

private:
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
            if (const SystemError truncated = file.Truncate(0))
                return failure.Set(&error, ZIP_ER_WRITE, "Write error", truncated);
            position = 0;
            return 0;
        case ZIP_SOURCE_WRITE:
            if (const SystemError wrote = file.WriteAt(position, static_cast<const char*>(data), length))
                return failure.Set(&error, ZIP_ER_WRITE, "Write error", wrote);
            position += length;
            return static_cast<zip_int64_t>(length);
        case ZIP_SOURCE_SEEK_WRITE: {
            auto* seek = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &error);
            if (!seek)
                return -1;
            const SystemResult<std::uint64_t> size = file.Size();
            if (size.error)
                return failure.Set(&error, ZIP_ER_SEEK, "Seek error", size.error);
            const zip_int64_t to = SeekTarget(*seek, position, size.value);
            if (to < 0) {
                zip_error_set(&error, ZIP_ER_INVAL, 0);
                return -1;
            }
            position = static_cast<zip_uint64_t>(to);
            return 0;
        }
        case ZIP_SOURCE_TELL_WRITE:
            return static_cast<zip_int64_t>(position);
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

    const FileHandle& file;
    zip_error_t error;
    SourceFailure failure;
    zip_uint64_t position = 0;
};

struct ArchiveDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveDiscard>;

Archive OpenSource(const std::string& path, HandleSource& reader) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_function_create(&HandleSource::Callback, &reader, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
        const std::string text = reader.FailureText().empty() ? zip_error_strerror(&error) : reader.FailureText();
        zip_error_fini(&error);
        if (source)
            zip_source_free(source);
        throw WorkbookSaveError(path, "原文件不是有效的 zip 包（" + text + "）");
    }
    zip_error_fini(&error);
    return Archive(archive);
}

Archive CreateTarget(const std::string& path, HandleSink& sink) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_function_create(&HandleSink::Callback, &sink, &error);
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

void RewriteZip(const std::string& path, const FileHandle& sourceFile, const FileHandle& targetFile,
                const PackageChanges& changes) {
    HandleSource reader(sourceFile);
    Archive source = OpenSource(path, reader);
    HandleSink sink(targetFile);
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
    if (zip_close(target.get()) != 0) {
        const std::string& failure = !sink.FailureText().empty() ? sink.FailureText() : reader.FailureText();
        throw WorkbookSaveError(path,
                                "写入临时文件失败（" + (failure.empty() ? zip_strerror(target.get()) : failure) + "）");
    }
    target.release();
}

} // namespace hz
