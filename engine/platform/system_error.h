#pragma once

#include <string>

namespace hz {

// How a call into the operating system failed, as far as its callers tell the cases apart.
enum class SystemFault {
    None,
    NotFound,       // no file or folder at the path, or no folder on the way to it
    NotFolder,      // a part of the path that should be a folder is not one
    AccessDenied,   // the file, the folder or the system does not permit it
    ReadOnlyVolume, // the volume takes no writes
    Locked,         // another program holds a lock on the file
    HeldOpen,       // another program holds the file open and shares it not for this (Windows' share modes)
    Exists,         // a file is at the name already
    Unsupported,    // the file system cannot do it
    Other,
};

// The outcome of a call into the operating system: nothing went wrong, or what did, with the system's own text.
struct SystemError {
    SystemFault fault = SystemFault::None;
    std::string text; // UTF-8, without a final line break

    explicit operator bool() const { return fault != SystemFault::None; }
};

// A result of a call into the operating system, valid when error is false.
template <typename Value> struct SystemResult {
    Value value{};
    SystemError error;
};

// The error that the last failed call of this thread left (errno; GetLastError on Windows).
SystemError LastSystemError();

} // namespace hz
