#include "engine/platform/file_access.h"

#include "engine/platform/owner_only_win32.h"
#include "engine/platform/system_error_win32.h"

#include <aclapi.h>
#include <windows.h>

namespace hz {

namespace {

HANDLE Handle(const FileHandle& file) {
    return reinterpret_cast<HANDLE>(file.Native());
}

} // namespace

SystemError TakeOwnerOf(const FileHandle&, const FileHandle&) {
    // Only an administrator may give a file another owner, and the access list that TakeAccessOf copies is what
    // decides who may use it.
    return {};
}

// The list is set through the handle as it is (SetKernelObjectSecurity): SetSecurityInfo would merge what the folder
// passes on, which the original's list holds already, and Wine leaves a file's permissions as they were by it.
SystemError TakeAccessOf(const FileHandle& file, const FileHandle& original) {
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status = GetSecurityInfo(Handle(original), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                         &list, nullptr, &descriptor);
    if (status != ERROR_SUCCESS)
        return SystemErrorOf(status);
    const bool set = SetKernelObjectSecurity(Handle(file), DACL_SECURITY_INFORMATION, descriptor);
    const SystemError error = set ? SystemError{} : LastSystemError();
    LocalFree(descriptor);
    return error;
}

SystemError MakeOwnerOnly(const FileHandle& file) {
    OwnerOnlyAccess ownerOnly;
    if (ownerOnly.Error())
        return ownerOnly.Error();
    if (!SetKernelObjectSecurity(Handle(file), DACL_SECURITY_INFORMATION, ownerOnly.Descriptor()))
        return LastSystemError();
    return {};
}

} // namespace hz
