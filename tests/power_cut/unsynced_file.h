#pragma once

#include <sys/types.h>

#include <cstddef>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace hz::power_cut {

// One file as a power cut would find it: the content that its last sync put on the disk, and the writes and
// truncations made since, which only the page cache holds. The real file takes every change at once, so that reads
// see them; the blocks that a change covers are saved first as the disk holds them, so that a cut can put them back.
class UnsyncedFile {
public:
    // fd: a descriptor of the file's own, open until the file is deleted, through which a cut rewrites it.
    UnsyncedFile(std::string path, int fd);
    ~UnsyncedFile();
    UnsyncedFile(const UnsyncedFile&) = delete;
    UnsyncedFile& operator=(const UnsyncedFile&) = delete;

    // Before a change of the bytes [offset, offset + size): a write, or a truncation to offset.
    void BeforeChange(off_t offset, off_t size);
    void Wrote(off_t offset, const void* data, std::size_t size);
    void Truncated(off_t size);
    // All that was written is on the disk.
    void Synced();

    struct CutOutcome {
        std::size_t unsynced = 0; // changes since the last sync
        std::size_t kept = 0;     // of those, what reached the disk
        bool refused = false;     // the real file refused one of the cut's own writes
    };
    // Leaves the file as the disk holds it after a power cut: its synced content, then, with keepSubset, a random
    // subset of the changes since, in a random order; none of them otherwise.
    CutOutcome Cut(bool keepSubset, std::mt19937_64& random);

    const std::string& Path() const { return path; }
    off_t SyncedSize() const { return syncedSize; }
    std::size_t UnsyncedChanges() const { return changes.size(); }

private:
    struct Change {
        off_t offset; // where a write starts, or the size that a truncation leaves
        std::string data;
        bool truncation;
    };
    static constexpr off_t kBlock = 4096;

    off_t CurrentSize() const;

    std::string path;
    int fd;
    off_t syncedSize;
    std::unordered_map<off_t, std::string> syncedBlocks; // by block number, as the disk holds them
    std::vector<Change> changes;
};

} // namespace hz::power_cut
