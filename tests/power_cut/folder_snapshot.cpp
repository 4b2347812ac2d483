#include "tests/power_cut/folder_snapshot.h"

#include "tests/power_cut/real_libc.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace hz::power_cut {

namespace {

void CopyFile(const std::string& from, const std::string& to) {
    const int source = Libc().open(from.c_str(), O_RDONLY | O_CLOEXEC);
    const int target = Libc().open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    char buffer[65536];
    off_t at = 0;
    while (source >= 0 && target >= 0) {
        const ssize_t got = read(source, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0 || !WriteAll(target, buffer, static_cast<size_t>(got), at)) {
            break;
        }
        at += got;
    }
    Libc().close(source);
    Libc().close(target);
}

} // namespace

void CopyFolder(const std::string& from, const std::string& to) {
    DIR* folder = opendir(from.c_str());
    if (folder == nullptr) {
        return;
    }
    mkdir(to.c_str(), 0700);
    while (const dirent* entry = readdir(folder)) {
        const std::string path = from + '/' + entry->d_name;
        struct stat status {};
        if (stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
            CopyFile(path, to + '/' + entry->d_name);
        }
    }
    closedir(folder);
}

} // namespace hz::power_cut
