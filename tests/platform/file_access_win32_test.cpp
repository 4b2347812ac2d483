#include "engine/platform/file_access.h"

#include "engine/platform/file_handle.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/utf8_path.h"

#include <aclapi.h>
#include <gtest/gtest.h>
#include <sddl.h>
#include <set>
#include <windows.h>

namespace hz {
namespace {

// Whom a file's access list lets in, by their security identifiers ("S-1-5-18" for the system itself, which Wine
// always lists).
std::set<std::wstring> AllowedOn(const std::string& path) {
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::set<std::wstring> allowed;
    if (GetNamedSecurityInfoW(test::PathOfUtf8(path).wstring().c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, &list, nullptr, &descriptor) != ERROR_SUCCESS)
        return {L"unreadable"};
    ACL_SIZE_INFORMATION size{};
    if (list && GetAclInformation(list, &size, sizeof size, AclSizeInformation))
        for (DWORD i = 0; i < size.AceCount; ++i) {
            void* entry = nullptr;
            wchar_t* sid = nullptr;
            if (GetAce(list, i, &entry) && static_cast<ACE_HEADER*>(entry)->AceType == ACCESS_ALLOWED_ACE_TYPE &&
                ConvertSidToStringSidW(&static_cast<ACCESS_ALLOWED_ACE*>(entry)->SidStart, &sid)) {
                allowed.insert(sid);
                LocalFree(sid);
            }
        }
    LocalFree(descriptor);
    return allowed;
}

std::wstring ThisUser() {
    HANDLE token = nullptr;
    unsigned char user[256];
    DWORD length = 0;
    wchar_t* sid = nullptr;
    std::wstring text;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) &&
        GetTokenInformation(token, TokenUser, user, sizeof user, &length) &&
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid)) {
        text = sid;
        LocalFree(sid);
    }
    CloseHandle(token);
    return text;
}

// The user alone, the system aside.
bool OnlyThisUser(const std::string& path) {
    std::set<std::wstring> allowed = AllowedOn(path);
    allowed.erase(L"S-1-5-18");
    return allowed == std::set<std::wstring>{ThisUser()};
}

TEST(FileAccess, AnOwnerOnlyFileListsTheUserAloneFromItsCreation) {
    test::ScratchFolder folder;
    FileHandle file;
    ASSERT_FALSE(file.Open(folder.File("secret.ini"), FileOpen::CreateNew, NewFileAccess::OwnerOnly));
    EXPECT_TRUE(OnlyThisUser(folder.File("secret.ini")));
    EXPECT_FALSE(file.WriteAt(0, "secret", 6));
}

TEST(FileAccess, ANewFileTakesTheOriginalsListOrTheUserAlone) {
    test::ScratchFolder folder;
    FileHandle secret;
    ASSERT_FALSE(secret.Open(folder.File("secret.ini"), FileOpen::CreateNew, NewFileAccess::OwnerOnly));
    FileHandle copy;
    ASSERT_FALSE(copy.Open(folder.File("copy.ini"), FileOpen::CreateNew));
    EXPECT_FALSE(OnlyThisUser(folder.File("copy.ini")));
    ASSERT_FALSE(TakeOwnerOf(copy, secret));
    const SystemError taken = TakeAccessOf(copy, secret);
    ASSERT_FALSE(taken) << taken.text;
    EXPECT_TRUE(OnlyThisUser(folder.File("copy.ini")));

    FileHandle shared;
    ASSERT_FALSE(shared.Open(folder.File("shared.ini"), FileOpen::CreateNew));
    const SystemError closed = MakeOwnerOnly(shared);
    ASSERT_FALSE(closed) << closed.text;
    EXPECT_TRUE(OnlyThisUser(folder.File("shared.ini")));
}

} // namespace
} // namespace hz
