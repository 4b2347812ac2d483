#pragma once

#include <string>

namespace hz {

// Whether a file could be opened for writing now, and if not, why.
enum class FileWriteAccess {
    Writable,
    HeldByAnotherProgram, // another program holds it open without sharing writes (Excel) or holds a lock on it
    ReadOnly,             // marked read-only, or the user may not write it
    Unknown,              // missing, not a plain file, or refused for another reason: whoever opens it will say
};

// Asks the system whether the file at path (UTF-8) could be opened for writing, without changing it.
FileWriteAccess ProbeFileWrite(const std::string& path);

} // namespace hz
