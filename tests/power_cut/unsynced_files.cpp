#include "tests/power_cut/unsynced_files.h"

#include "tests/power_cut/real_libc.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace hz::power_cut {

UnsyncedFiles& UnsyncedFiles::Instance() {
    static UnsyncedFiles* const instance = new UnsyncedFiles;
    return *instance;
}

UnsyncedFile* UnsyncedFiles::Follow(const char* path) {
    std::lock_guard guard(lock);
    struct stat status {};
    if (stat(path, &status) != 0) {
        return nullptr;
    }
    // A second descriptor of a file that is followed already is never opened: closing it would drop the POSIX locks
    // that SQLite holds on the file through its own.
    if (const auto found = files.find({status.st_dev, status.st_ino}); found != files.end()) {
        return found->second.get();
    }
    const int fd = Libc().open(path, O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    if (fstat(fd, &status) != 0) {
        Libc().close(fd);
        return nullptr;
    }
    auto& file = files[{status.st_dev, status.st_ino}];
    if (!file) {
        file = std::make_unique<UnsyncedFile>(path, fd);
    } else {
        Libc().close(fd);
    }
    return file.get();
}

void UnsyncedFiles::Forget(const char* path) {
    std::lock_guard guard(lock);
    struct stat status {};
    if (stat(path, &status) == 0) {
        files.erase({status.st_dev, status.st_ino});
    }
}

std::vector<UnsyncedFile*> UnsyncedFiles::All() {
    std::lock_guard guard(lock);
    std::vector<UnsyncedFile*> all;
    for (const auto& [id, file] : files) {
        all.push_back(file.get());
    }
    return all;
}

} // namespace hz::power_cut
