#include "engine/workbook/package/atomic_file.h"

#include "engine/workbook/workbook_error.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
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

// Removes what saves of name killed before their rename left in folder: temporary files of our own pattern. Only
// called with the file's lock held, which a save in progress would hold instead.
void RemoveStaleTemporaryFiles(const std::string& folder, const std::string& name) {
    const std::string pattern = TemporaryTemplate(folder, name);
    const std::string prefix = pattern.substr(folder.size() + 1, pattern.size() - folder.size() - 1 - 6);
    DIR* entries = opendir(folder.c_str());
    if (!entries)
        return;
    while (const dirent* entry = readdir(entries)) {
        const std::string found = entry->d_name;
        if (found.size() == prefix.size() + 6 && found.starts_with(prefix) &&
            std::all_of(found.end() - 6, found.end(), [](unsigned char c) { return std::isalnum(c) != 0; }))
            unlinkat(dirfd(entries), found.c_str(), 0);
    }
    closedir(entries);
}

} // namespace

AtomicFile::OwnedDescriptor::~OwnedDescriptor() {
    if (fd >= 0)
        close(fd);
}

void ThrowWorkbookSaveError(const std::string& path, const std::string& problem) {
    throw WorkbookSaveError(path, problem);
}

AtomicFile::AtomicFile(const std::string& path, Missing missing, AtomicFileFailure failure)
    : path(path), failure(failure ? failure : ThrowWorkbookSaveError) {
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved)) {
        int error = errno;
        // A missing file, or a file where a folder should be: a new file is refused only for want of its folder.
        if ((error == ENOENT || error == ENOTDIR) && missing == Missing::Create) {
            PrepareNewFile();
            return;
        }
        Fail(error == ENOENT ? "文件不存在" : "无法找到文件" + SystemText(error));
    }
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

    RemoveStaleTemporaryFiles(folder, targetPath.substr(slash + 1));
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

void AtomicFile::PrepareNewFile() {
    // The folder as given must exist; the name is the path's last component.
    std::size_t slash = path.rfind('/');
    std::string givenFolder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        Fail("路径没有文件名");

    char resolved[PATH_MAX];
    if (!realpath(givenFolder.c_str(), resolved)) {
        int error = errno;
        Fail(error == ENOENT ? "文件夹“" + givenFolder + "”不存在"
                             : "无法找到文件夹“" + givenFolder + "”" + SystemText(error));
    }
    folder = resolved;
    struct stat folderStatus {};
    if (stat(folder.c_str(), &folderStatus) != 0)
        Fail("无法读取文件夹“" + folder + "”的信息" + SystemText(errno));
    if (!S_ISDIR(folderStatus.st_mode))
        Fail("“" + folder + "”不是文件夹");
    targetPath = (folder == "/" ? "" : folder) + "/" + name;

    // The path did not resolve, yet a name is there: a symbolic link to nothing, or a file just created.
    struct stat status {};
    if (lstat(targetPath.c_str(), &status) == 0)
        Fail(S_ISLNK(status.st_mode) ? "这是一个符号链接，它指向的文件不存在" : "文件在打开过程中被其他程序创建");
    createsFile = true;
    CreateNewTemporaryFile(name);
}

// Like mkostemp, but with the permissions that any new file gets (0666 less the umask, or the folder's default
// access list), which the new file keeps.
void AtomicFile::CreateNewTemporaryFile(const std::string& name) {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937_64 random(seed());
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string pattern = TemporaryTemplate(folder, name);
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        for (std::size_t i = pattern.size() - 6; i < pattern.size(); ++i)
            pattern[i] = kLetters[pick(random)];
        temporaryFd.fd = open(pattern.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (temporaryFd.fd >= 0) {
            temporaryPath = pattern;
            return;
        }
        error = errno;
    }
    Fail("无法在文件夹“" + folder + "”中创建临时文件" + SystemText(error));
}

void AtomicFile::Fail(const std::string& problem) const {
    failure(path, problem);
    // A failure function must throw; should one return, the save fails all the same.
    ThrowWorkbookSaveError(path, problem);
}

void AtomicFile::Commit() {
    if (createsFile) {
        CommitNewFile();
        return;
    }
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
    SyncFolder("新文件已替换原文件，但无法将文件夹写入磁盘");
}

void AtomicFile::CommitNewFile() {
    if (fsync(temporaryFd.fd) != 0)
        Fail("无法将新文件写入磁盘" + SystemText(errno));
    // The rename refuses to replace a file that another program created at the path meanwhile.
    if (renameat2(AT_FDCWD, temporaryPath.c_str(), AT_FDCWD, targetPath.c_str(), RENAME_NOREPLACE) != 0) {
        int error = errno;
        if (error == EEXIST)
            Fail("文件在保存过程中被其他程序创建");
        if (error != EINVAL && error != ENOSYS)
            Fail("无法将新文件移到其位置" + SystemText(error));
        // A file system that cannot rename without replacing: the check and the rename are two steps.
        struct stat status {};
        if (lstat(targetPath.c_str(), &status) == 0)
            Fail("文件在保存过程中被其他程序创建");
        if (rename(temporaryPath.c_str(), targetPath.c_str()) != 0)
            Fail("无法将新文件移到其位置" + SystemText(errno));
    }
    committed = true;
    SyncFolder("新文件已写入，但无法将文件夹写入磁盘");
}

void AtomicFile::SyncFolder(const std::string& problem) const {
    // The rename lasts only once the folder that records it is on disk.
    OwnedDescriptor folderFd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.fd < 0 || fsync(folderFd.fd) != 0)
        Fail(problem + SystemText(errno));
}

} // namespace hz
