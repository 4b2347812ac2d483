#pragma once

#include "tests/power_cut/unsynced_file.h"

#include <sys/types.h>

#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace hz::power_cut {

// The files whose unsynced changes a power cut takes back: one for each file, however many descriptors it is open by,
// as the page cache holds one copy of it. Every change, sync and the cut itself happen under Lock(), so that a cut
// finds no change half made by another thread.
class UnsyncedFiles {
public:
    // Never destroyed: threads may write until the process ends.
    static UnsyncedFiles& Instance();

    // Recursive: a change passed on to SQLite's own VFS comes back through the C library's pwrite.
    std::recursive_mutex& Lock() { return lock; }
    // The file at path, followed from now on when it is not yet; nullptr when it cannot be opened.
    UnsyncedFile* Follow(const char* path);
    // The file at path is about to be deleted; its changes go with it. New files and deletions reach the disk at
    // once: only contents wait for a sync.
    void Forget(const char* path);
    std::vector<UnsyncedFile*> All();

private:
    using FileId = std::pair<dev_t, ino_t>;

    std::recursive_mutex lock;
    std::map<FileId, std::unique_ptr<UnsyncedFile>> files;
};

} // namespace hz::power_cut
