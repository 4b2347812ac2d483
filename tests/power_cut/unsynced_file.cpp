#include "tests/power_cut/unsynced_file.h"

#include "tests/power_cut/real_libc.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace hz::power_cut {

UnsyncedFile::UnsyncedFile(std::string path, int fd) : path(std::move(path)), fd(fd), syncedSize(CurrentSize()) {}

UnsyncedFile::~UnsyncedFile() {
    Libc().close(fd);
}

off_t UnsyncedFile::CurrentSize() const {
    struct stat status {};
    return fstat(fd, &status) == 0 ? status.st_size : 0;
}

void UnsyncedFile::BeforeChange(off_t offset, off_t size) {
    const off_t end = std::min(offset + size, syncedSize);
    for (off_t block = offset / kBlock; block * kBlock < end; ++block) {
        if (syncedBlocks.contains(block)) {
            continue;
        }
        // Not changed since the sync, so the real file still holds what the disk does.
        std::string bytes(static_cast<std::size_t>(std::min(kBlock, syncedSize - block * kBlock)), '\0');
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t read = pread(fd, bytes.data() + got, bytes.size() - got, block * kBlock + off_t(got));
            if (read < 0 && errno == EINTR) {
                continue;
            }
            if (read <= 0) {
                break;
            }
            got += static_cast<std::size_t>(read);
        }
        bytes.resize(got);
        syncedBlocks.emplace(block, std::move(bytes));
    }
}

void UnsyncedFile::Wrote(off_t offset, const void* data, std::size_t size) {
    changes.push_back({offset, std::string(static_cast<const char*>(data), size), false});
}

void UnsyncedFile::Truncated(off_t size) {
    changes.push_back({size, {}, true});
}

void UnsyncedFile::Synced() {
    changes.clear();
    syncedBlocks.clear();
    syncedSize = CurrentSize();
}

UnsyncedFile::CutOutcome UnsyncedFile::Cut(bool keepSubset, std::mt19937_64& random) {
    CutOutcome outcome;
    outcome.unsynced = changes.size();
    for (const auto& [block, bytes] : syncedBlocks) {
        outcome.refused |= !WriteAll(fd, bytes.data(), bytes.size(), block * kBlock);
    }
    outcome.refused |= ftruncate(fd, syncedSize) != 0;
    if (!keepSubset) {
        return outcome;
    }
    // A share drawn anew for each file, so that cuts keep anything from none to all of a file's changes.
    std::bernoulli_distribution keep(std::uniform_real_distribution<double>(0, 1)(random));
    std::vector<const Change*> kept;
    for (const Change& change : changes) {
        if (keep(random)) {
            kept.push_back(&change);
        }
    }
    std::shuffle(kept.begin(), kept.end(), random);
    for (const Change* change : kept) {
        outcome.refused |=
            !(change->truncation ? ftruncate(fd, change->offset) == 0
                                 : WriteAll(fd, change->data.data(), change->data.size(), change->offset));
    }
    outcome.kept = kept.size();
    return outcome;
}

} // namespace hz::power_cut
