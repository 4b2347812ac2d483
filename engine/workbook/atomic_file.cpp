#include "engine/workbook/atomic_file.h"

#include "engine/workbook/workbook_error.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace hz {

namespace {

std::string SystemText(int error) {
    return std::string("（") + std::strerror(error) + "）";
}

// A name for the temporary file that a user recognises and that stays within the file system's name limit.
std::string TemporaryTemplate(const std::string& folder, const std::string& name) {
    constexpr std::size_t kMaxNameBytes = 200;
    return folder + "/.~" + name.substr(0, kMaxNameBytes) + ".XXXXXX";
}

} // namespace

AtomicFile::OwnedDescriptor::~OwnedDescriptor() {
    if (fd >= 0)
        close(fd);
}

AtomicFile::AtomicFile(const std::string& path) : path(path) {
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved))
        Fail(errno == ENOENT ? "文件不存在" : "无法找到文件" + SystemText(errno));
    targetPath = resolved;
    std::size_t slash = targetPath.rfind('/');
    folder = slash == 0 ? "/" : targetPath.substr(0, slash);

    struct stat status {};
    if (stat(targetPath.c_str(), &status) != 0)
        Fail("无法读取文件信息" + SystemText(errno));
    if (S_ISDIR(status.st_mode))
        Fail("这是一个文件夹，不是文件");
    if (!S_ISREG(status.st_mode))
        Fail("不是普通文件");

    // Opened for writing although only read, so that the system says now whether we may change the file.
    targetFd.fd = open(targetPath.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (targetFd.fd < 0) {
        int error = errno;
        Fail(error == EACCES || error == EPERM || error == EROFS ? "文件是只读的" + SystemText(error)
                                                                 : "无法打开文件" + SystemText(error));
    }
    if (fstat(targetFd.fd, &original) != 0)
        Fail("无法读取文件信息" + SystemText(errno));
    if (!S_ISREG(original.st_mode))
        Fail("不是普通文件");
    // Without any write permission bit the file is marked read-only, which even root honours here.
    if ((original.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        Fail("文件是只读的");

    // An open file description lock, so that closing other descriptors of the file does not release it; it
    // conflicts with the record locks that other programs take on documents they have open.
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (fcntl(targetFd.fd, F_OFD_SETLK, &lock) != 0 && (errno == EAGAIN || errno == EACCES))
        Fail("文件正被其他程序使用（已被锁定）");

    std::string pattern = TemporaryTemplate(folder, targetPath.substr(slash + 1));
    temporaryFd.fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (temporaryFd.fd < 0)
        Fail("无法在文件夹“" + folder + "”中创建临时文件" + SystemText(errno));
    temporaryPath = pattern;
}

AtomicFile::~AtomicFile() {
    if (!committed && !temporaryPath.empty())
        unlink(temporaryPath.c_str());
}

void AtomicFile::Fail(const std::string& problem) const {
    throw WorkbookSaveError(path, problem);
}

void AtomicFile::Commit() {
    // The owner first: changing it clears the set-user-ID and set-group-ID bits that chmod then restores.
    if (geteuid() == 0 && fchown(temporaryFd.fd, original.st_uid, original.st_gid) != 0)
        Fail("无法设置新文件的所有者" + SystemText(errno));
    if (fchmod(temporaryFd.fd, original.st_mode & 07777) != 0)
        Fail("无法设置新文件的权限" + SystemText(errno));
    if (fsync(temporaryFd.fd) != 0)
        Fail("无法将新文件写入磁盘" + SystemText(errno));

    struct stat current {};
    if (stat(targetPath.c_str(), &current) != 0 || current.st_dev != original.st_dev ||
        current.st_ino != original.st_ino)
        Fail("原文件在保存过程中被移动、删除或替换");
    if (rename(temporaryPath.c_str(), targetPath.c_str()) != 0)
        Fail("无法用新文件替换原文件" + SystemText(errno));
    committed = true;

    // The rename lasts only once the folder that records it is on disk.
    OwnedDescriptor folderFd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.fd < 0 || fsync(folderFd.fd) != 0)
        Fail("新文件已替换原文件，但无法将文件夹写入磁盘" + SystemText(errno));
}

} // namespace hz
