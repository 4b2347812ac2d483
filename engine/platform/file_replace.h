#pragma once

#include "engine/platform/system_error.h"

#include <string>

namespace hz {

// Moving a finished file into its place, so that the name holds either all of the old content or all of the new.
// The file at from must be closed (Windows moves no file that is open without sharing its deletion).

// Puts the file at from in place of the file at to, in one step, or at to where no file is. POSIX: rename. Windows:
// ReplaceFileW, which keeps the replaced file's access list and attributes and works while another program holds it
// open sharing its deletion, else MoveFileExW writing through; HeldOpen when another program holds the file at to
// open without sharing it (Excel does).
SystemError MoveIntoPlace(const std::string& from, const std::string& to);

// Moves the file at from to to, where no file may be: Exists when one is, also one that another program created
// there a moment before. The file system's own refusal where it has one (renameat2's RENAME_NOREPLACE, MoveFileExW
// without replacing), else a look and a rename.
SystemError MoveToFreeName(const std::string& from, const std::string& to);

// Makes the moves into folder last: on POSIX they do once the folder is on disk (fsync of the folder). Windows has
// no such call (FlushFileBuffers refuses a folder): its moves are journaled by the file system, and MoveFileExW
// writes through.
SystemError SyncFolder(const std::string& folder);

} // namespace hz
