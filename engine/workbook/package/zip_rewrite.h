#pragma once

#include "engine/platform/file_handle.h"

#include <map>
#include <set>
#include <string>

namespace hz {

// What changes between the old and the new package, by entry name as stored in the zip.
struct PackageChanges {
    std::map<std::string, std::string> replaced; // new bytes of a part, deflated anew in its old place
    std::set<std::string> removed;
};

// Writes a copy of the zip open as source to target, from its start: every entry in its old order, each unchanged
// one with its compressed bytes, CRC, time, attributes and comment as they were. The source is read through its own
// handle, which another program's lock on the file does not stop. Neither file is closed.
// Throws WorkbookError from WorkbookSaveError(path, ...).
void RewriteZip(const std::string& path, const FileHandle& source, const FileHandle& target,
                const PackageChanges& changes);

} // namespace hz
