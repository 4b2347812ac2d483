#include "engine/platform/owner_only_win32.h"

namespace hz {

OwnerOnlyAccess::OwnerOnlyAccess() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        error = LastSystemError();
        return;
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user = std::make_unique<unsigned char[]>(size);
    const bool known = size > 0 && GetTokenInformation(token, TokenUser, user.get(), size, &size);
    if (!known)
        error = LastSystemError();
    CloseHandle(token);
    if (error)
        return;
    PSID sid = reinterpret_cast<TOKEN_USER*>(user.get())->User.Sid;
    const DWORD listSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid);
    list = std::make_unique<unsigned char[]>(listSize);
    if (!InitializeAcl(List(), listSize, ACL_REVISION) ||
        !AddAccessAllowedAce(List(), ACL_REVISION, FILE_ALL_ACCESS, sid) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, List(), FALSE) ||
        !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
        error = LastSystemError();
        return;
    }
    attributes = {sizeof attributes, &descriptor, FALSE};
}

} // namespace hz
