#pragma once

#include "engine/platform/file_handle.h"
#include "engine/platform/file_status.h"
#include "engine/platform/temporary_file.h"
#include "engine/workbook/workbook_error.h"

#include <string>

namespace hz {

// Why a save failed, beside its text: what the caller may do about it differs.
enum class SaveFault {
    Other,
    // Another program holds the file open without sharing it (Excel does on Windows): the file is as it was, and the
    // changes may go elsewhere.
    HeldOpen,
};

// Throws the error for a failure to write the file at path (as given), with the problem in Chinese; never returns.
using AtomicFileFailure = void (*)(const std::string& path, const std::string& problem, SaveFault fault);

// The failure of a workbook's save because another program holds the file open; what() reads as WorkbookSaveError's.
class WorkbookHeldOpenError : public WorkbookError {
public:
    using WorkbookError::WorkbookError;
};

// Throws WorkbookSaveError(path, problem), as a WorkbookHeldOpenError when the fault is HeldOpen.
[[noreturn]] void ThrowWorkbookSaveError(const std::string& path, const std::string& problem, SaveFault fault);

// Replaces an existing file with a new one written beside it in the same folder, in one rename, so that the
// file holds either all of the old content or all of the new. The original is held open and locked while the
// new content is written. Every failure is thrown by the failure function, by default a WorkbookError from
// WorkbookSaveError(path, ...).
class AtomicFile {
public:
    // What to do when no file is at the path.
    enum class Missing {
        Refuse, // a failure: "文件不存在"
        Create, // writes a new file in the existing folder; it gets the permissions of any new file there
    };

    // Opens the file at path (after symbolic links) for reading and creates the temporary file beside it.
    // Refuses a file that is not a regular file, read-only, locked or held open by another program, and a missing
    // one unless missing is Create. A new file's temporary file is created as an ordinary new file is (0666 less the
    // umask, or the folder's default access list), so the file keeps these permissions.
    explicit AtomicFile(const std::string& path, Missing missing = Missing::Refuse,
                        AtomicFileFailure failure = ThrowWorkbookSaveError);
    // Removes the temporary file unless Commit succeeded.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The file being replaced (or created), with symbolic links resolved.
    const std::string& TargetPath() const { return targetPath; }
    // Whether no file was at the path: Commit creates it.
    bool CreatesFile() const { return createsFile; }
    // The original, open for reading; not open when CreatesFile().
    const FileHandle& Target() const { return target; }
    const std::string& TemporaryPath() const { return temporary.path; }
    // The temporary file, open for writing; the caller writes the whole new content through it (or by its name).
    const FileHandle& Temporary() const { return temporary.file; }

    // Flushes the new content to disk, gives it the original's permissions (and owner, when run as root), closes it,
    // renames it over the original and flushes the folder. Refuses when the original was moved or replaced
    // meanwhile, and, for a new file, when a file has appeared at the path meanwhile.
    void Commit();

private:
    void OpenTarget();
    void PrepareNewFile();
    void CommitNewFile();
    void SyncFolder(const std::string& problem) const;
    [[noreturn]] void Fail(const std::string& problem, SaveFault fault = SaveFault::Other) const;

    std::string path; // as given, for messages
    AtomicFileFailure failure;
    bool createsFile = false;
    std::string targetPath;
    std::string folder;
    FileHandle target;
    FileIdentity original;
    TemporaryFile temporary;
    bool committed = false;
};

} // namespace hz
