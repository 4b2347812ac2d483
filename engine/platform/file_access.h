#pragma once

#include "engine/platform/file_handle.h"
#include "engine/platform/system_error.h"

namespace hz {

// Who may do what with a file, set through open handles: a file written anew to take another's place takes its
// access first, and a file that holds a secret is closed to everyone but its owner before anyone else may read it.

// Gives file the owner and group of original where the program may (running as root on POSIX). Elsewhere a new file
// stays its creator's, as on Windows, where the access list (TakeAccessOf) says who may use a file.
SystemError TakeOwnerOf(const FileHandle& file, const FileHandle& original);

// Gives file the permissions of original: its permission bits (with the set-user-ID, set-group-ID and sticky bits) on
// POSIX, its access list on Windows. The handle of file must have created it on Windows.
SystemError TakeAccessOf(const FileHandle& file, const FileHandle& original);

// Leaves file readable and writable by its owner alone: on POSIX its owner keeps the execute bit it has and everyone
// else loses every right; on Windows a protected access list of the user alone replaces what it had. The handle of
// file must have created it on Windows.
SystemError MakeOwnerOnly(const FileHandle& file);

} // namespace hz
