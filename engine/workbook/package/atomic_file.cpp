#include "engine/workbook/package/atomic_file.h"

#include "engine/platform/file_access.h"
#include "engine/platform/file_path.h"
#include "engine/platform/file_replace.h"
#include "engine/platform/folder_entries.h"

namespace hz {

namespace {

std::string SystemText(const SystemError& error) {
    return "（" + error.text + "）";
}

// The start of the temporary file's name: one that a user recognises and that stays within the file system's
// name limit.
std::string TemporaryPrefix(const std::string& name) {
    constexpr std::size_t kMaxNameBytes = 200;
    return ".~" + name.substr(0, kMaxNameBytes) + ".";
}

// Removes what saves of name killed before their rename left in folder: temporary files of our own pattern. Only
// called with the file's lock held, which a save in progress would hold instead.
void RemoveStaleTemporaryFiles(const std::string& folder, const std::string& name) {
    const std::string prefix = TemporaryPrefix(name);
    for (const std::string& found : ListFolder(folder).value)
        if (IsTemporaryName(found, prefix))
            RemoveFile(JoinPath(folder, found));
}

} // namespace

void ThrowWorkbookSaveError(const std::string& path, const std::string& problem, SaveFault fault) {
    if (fault == SaveFault::HeldOpen)
        throw WorkbookHeldOpenError(WorkbookSaveError(path, problem).what());
    throw WorkbookSaveError(path, problem);
}

AtomicFile::AtomicFile(const std::string& path, Missing missing, AtomicFileFailure failure)
    : path(path), failure(failure ? failure : ThrowWorkbookSaveError) {
    SystemResult<std::string> resolved = ResolvePath(path);
    if (resolved.error) {
        const SystemFault fault = resolved.error.fault;
        // A missing file, or a file where a folder should be: a new file is refused only for want of its folder.
        if ((fault == SystemFault::NotFound || fault == SystemFault::NotFolder) && missing == Missing::Create) {
            PrepareNewFile();
            return;
        }
        Fail(fault == SystemFault::NotFound ? "文件不存在" : "无法找到文件" + SystemText(resolved.error));
    }
    targetPath = std::move(resolved.value);
    const PathParts parts = SplitPath(targetPath);
    folder = parts.folder;
    OpenTarget();

    RemoveStaleTemporaryFiles(folder, parts.name);
    SystemResult<TemporaryFile> created =
        CreateTemporaryFile(folder, TemporaryPrefix(parts.name), NewFileAccess::OwnerOnly);
    if (created.error)
        Fail("无法在文件夹“" + folder + "”中创建临时文件" + SystemText(created.error));
    temporary = std::move(created.value);
}

void AtomicFile::OpenTarget() {
    const SystemResult<FileStatus> status = StatusOf(targetPath);
    if (status.error)
        Fail("无法读取文件信息" + SystemText(status.error));
    if (status.value.kind == FileKind::Folder)
        Fail("这是一个文件夹，不是文件");
    if (status.value.kind != FileKind::Regular)
        Fail("不是普通文件");

    // Opened for writing although only read, so that the system says now whether we may change the file.
    if (const SystemError error = target.Open(targetPath, FileOpen::ReadWrite)) {
        if (error.fault == SystemFault::HeldOpen)
            Fail("文件正被其他程序（例如 Excel）打开" + SystemText(error), SaveFault::HeldOpen);
        const bool readOnly = error.fault == SystemFault::AccessDenied || error.fault == SystemFault::ReadOnlyVolume;
        Fail((readOnly ? "文件是只读的" : "无法打开文件") + SystemText(error));
    }
    const SystemResult<FileStatus> opened = target.Status();
    if (opened.error)
        Fail("无法读取文件信息" + SystemText(opened.error));
    if (opened.value.kind != FileKind::Regular)
        Fail("不是普通文件");
    // Without any write permission bit the file is marked read-only, which even root honours here.
    if (!opened.value.writable)
        Fail("文件是只读的");
    original = opened.value.identity;

    if (target.TryLock().fault == SystemFault::Locked)
        Fail("文件正被其他程序使用（已被锁定）");
}

AtomicFile::~AtomicFile() {
    if (!committed && !temporary.path.empty()) {
        temporary.file.Close();
        RemoveFile(temporary.path);
    }
}

void AtomicFile::PrepareNewFile() {
    // The folder as given must exist; the name is the path's last component.
    const PathParts given = SplitPath(path);
    if (given.name.empty() || given.name == "." || given.name == "..")
        Fail("路径没有文件名");

    SystemResult<std::string> resolved = ResolvePath(given.folder);
    if (resolved.error)
        Fail(resolved.error.fault == SystemFault::NotFound
                 ? "文件夹“" + given.folder + "”不存在"
                 : "无法找到文件夹“" + given.folder + "”" + SystemText(resolved.error));
    folder = std::move(resolved.value);
    const SystemResult<FileStatus> folderStatus = StatusOf(folder);
    if (folderStatus.error)
        Fail("无法读取文件夹“" + folder + "”的信息" + SystemText(folderStatus.error));
    if (folderStatus.value.kind != FileKind::Folder)
        Fail("“" + folder + "”不是文件夹");
    targetPath = JoinPath(folder, given.name);

    // The path did not resolve, yet a name is there: a symbolic link to nothing, or a file just created.
    const SystemResult<FileStatus> status = StatusOf(targetPath, Links::Keep);
    if (!status.error)
        Fail(status.value.kind == FileKind::Link ? "这是一个符号链接，它指向的文件不存在"
                                                 : "文件在打开过程中被其他程序创建");
    createsFile = true;
    SystemResult<TemporaryFile> created =
        CreateTemporaryFile(folder, TemporaryPrefix(given.name), NewFileAccess::AsAnyNewFile);
    if (created.error)
        Fail("无法在文件夹“" + folder + "”中创建临时文件" + SystemText(created.error));
    temporary = std::move(created.value);
}

void AtomicFile::Fail(const std::string& problem, SaveFault fault) const {
    failure(path, problem, fault);
    // A failure function must throw; should one return, the save fails all the same.
    ThrowWorkbookSaveError(path, problem, fault);
}

void AtomicFile::Commit() {
    if (createsFile) {
        CommitNewFile();
        return;
    }
    // The owner first: changing it clears the set-user-ID and set-group-ID bits that the permissions then restore.
    if (const SystemError error = TakeOwnerOf(temporary.file, target))
        Fail("无法设置新文件的所有者" + SystemText(error));
    if (const SystemError error = TakeAccessOf(temporary.file, target))
        Fail("无法设置新文件的权限" + SystemText(error));
    if (const SystemError error = temporary.file.Sync())
        Fail("无法将新文件写入磁盘" + SystemText(error));
    temporary.file.Close();

    const SystemResult<FileStatus> current = StatusOf(targetPath);
    if (current.error || current.value.identity != original)
        Fail("原文件在保存过程中被移动、删除或替换");
    // The original stays open and locked through the rename.
    if (const SystemError error = MoveIntoPlace(temporary.path, targetPath))
        Fail("无法用新文件替换原文件" + SystemText(error),
             error.fault == SystemFault::HeldOpen ? SaveFault::HeldOpen : SaveFault::Other);
    committed = true;
    SyncFolder("新文件已替换原文件，但无法将文件夹写入磁盘");
}

void AtomicFile::CommitNewFile() {
    if (const SystemError error = temporary.file.Sync())
        Fail("无法将新文件写入磁盘" + SystemText(error));
    temporary.file.Close();
    // The move refuses to replace a file that another program created at the path meanwhile.
    if (const SystemError error = MoveToFreeName(temporary.path, targetPath))
        Fail(error.fault == SystemFault::Exists ? "文件在保存过程中被其他程序创建"
                                                : "无法将新文件移到其位置" + SystemText(error));
    committed = true;
    SyncFolder("新文件已写入，但无法将文件夹写入磁盘");
}

void AtomicFile::SyncFolder(const std::string& problem) const {
    // The rename lasts only once the folder that records it is on disk.
    if (const SystemError error = hz::SyncFolder(folder))
        Fail(problem + SystemText(error));
}

} // namespace hz
