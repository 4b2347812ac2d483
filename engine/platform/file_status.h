#pragma once

#include "engine/platform/system_error.h"

#include <cstdint>
#include <string>

namespace hz {

enum class FileKind { Regular, Folder, Link, Other };

// Which file a name or an open handle stands for: the same for every name and handle of one file, another for a file
// put in its place (the device and inode on POSIX; the volume's serial number and the file index on Windows).
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;

    bool operator==(const FileIdentity&) const = default;
};

struct FileStatus {
    FileKind kind = FileKind::Other;
    FileIdentity identity;
    // Some write permission bit is set (POSIX); the file is not marked read-only (Windows).
    bool writable = false;
};

// Whether a symbolic link at the path is followed to its target or described itself (as Link).
enum class Links { Follow, Keep };

SystemResult<FileStatus> StatusOf(const std::string& path, Links links = Links::Follow);

} // namespace hz
