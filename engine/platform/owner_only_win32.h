#pragma once

#include "engine/platform/system_error.h"

#include <memory>
#include <windows.h>

namespace hz {

// A protected access list that lets the user this program runs as, alone, do anything with a file: what 0600 is on
// POSIX. Built once per use; Error() says why it could not be.
class OwnerOnlyAccess {
public:
    OwnerOnlyAccess();

    const SystemError& Error() const { return error; }
    // For CreateFileW: a new file gets the list from the start, so that no one else may open it even for a moment.
    SECURITY_ATTRIBUTES* Attributes() { return error ? nullptr : &attributes; }
    // For SetKernelObjectSecurity on a file that exists.
    PSECURITY_DESCRIPTOR Descriptor() { return error ? nullptr : &descriptor; }

private:
    PACL List() const { return reinterpret_cast<PACL>(list.get()); }

    SystemError error;
    std::unique_ptr<unsigned char[]> user;
    std::unique_ptr<unsigned char[]> list;
    SECURITY_DESCRIPTOR descriptor{};
    SECURITY_ATTRIBUTES attributes{};
};

} // namespace hz
