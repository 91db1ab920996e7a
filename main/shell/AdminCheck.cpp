#include "AdminCheck.h"

#include "platform/Windows.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

// A security identifier's size from its own header: revision, sub-authority count, six bytes of
// authority, then the sub-authorities.
size_t SidSize(PSID sid)
{
    return 8 + static_cast<size_t>(static_cast<const BYTE*>(sid)[1]) * sizeof(DWORD);
}

bool SameSid(PSID a, PSID b)
{
    return a && b && SidSize(a) == SidSize(b) && std::memcmp(a, b, SidSize(a)) == 0;
}

struct SidFree {
    void operator()(void* sid) const { FreeSid(sid); }
};

struct HandleClose {
    void operator()(void* handle) const { CloseHandle(handle); }
};

constexpr DWORD kTokenAccess = TOKEN_QUERY | TOKEN_DUPLICATE | READ_CONTROL;

// The token of the thread when it acts as another user, else the process's.
bool OpenOwnToken(HANDLE& token)
{
    return OpenThreadToken(GetCurrentThread(), kTokenAccess, TRUE, &token) ||
           OpenProcessToken(GetCurrentProcess(), kTokenAccess, &token);
}

} // namespace

bool IsRunAsAdmin()
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID adminGroup = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                  0, 0, &adminGroup))
        return false;
    const std::unique_ptr<void, SidFree> adminOwner(adminGroup);

    HANDLE token = nullptr;
    if (!OpenOwnToken(token))
        return false;
    const std::unique_ptr<void, HandleClose> tokenOwner(token);

    DWORD size = 0;
    GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
    if (size < sizeof(TOKEN_GROUPS))
        return false;
    std::vector<BYTE> buffer(size, 0);
    if (!GetTokenInformation(token, TokenGroups, buffer.data(), size, &size))
        return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        const SID_AND_ATTRIBUTES& group = groups->Groups[i];
        if (SameSid(group.Sid, adminGroup) && (group.Attributes & (SE_GROUP_ENABLED | SE_GROUP_ENABLED_BY_DEFAULT)))
            return true;
    }
    return false;
}
