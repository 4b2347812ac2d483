#pragma once

#include <string>
#include <sys/stat.h>

namespace hz {

// Replaces an existing file with a new one written beside it in the same folder, in one rename, so that the
// file holds either all of the old content or all of the new. The original is held open and locked while the
// new content is written. Every failure is a WorkbookError from WorkbookSaveError(path, ...).
class AtomicFile {
public:
    // Opens the file at path (after symbolic links) for reading and creates the temporary file beside it.
    // Refuses a file that is missing, not a regular file, read-only or locked by another program.
    explicit AtomicFile(const std::string& path);
    // Removes the temporary file unless Commit succeeded.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The file being replaced, with symbolic links resolved.
    const std::string& TargetPath() const { return targetPath; }
    // The original, open for reading (its offset is free for the caller to move).
    int TargetDescriptor() const { return targetFd.fd; }
    const std::string& TemporaryPath() const { return temporaryPath; }
    // The temporary file, open for writing; the caller writes the whole new content through it.
    int Descriptor() const { return temporaryFd.fd; }

    // Flushes the new content to disk, gives it the original's permission bits (and owner, when run as root),
    // renames it over the original and flushes the folder. Refuses when the original was moved or replaced
    // meanwhile.
    void Commit();

private:
    // Closed on destruction, also when the constructor throws.
    struct OwnedDescriptor {
        int fd = -1;
        OwnedDescriptor() = default;
        explicit OwnedDescriptor(int fd) : fd(fd) {}
        ~OwnedDescriptor();
        OwnedDescriptor(const OwnedDescriptor&) = delete;
        OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
    };

    [[noreturn]] void Fail(const std::string& problem) const;

    std::string path; // as given, for messages
    std::string targetPath;
    std::string folder;
    std::string temporaryPath;
    OwnedDescriptor targetFd;
    OwnedDescriptor temporaryFd;
    struct stat original {};
    bool committed = false;
};

} // namespace hz
