#include "platform/win/Security.h"

#include "Impersonating.h"

#include "platform/Machine.h"
#include "platform/ObjectSecurity.h"
#include "platform/win/Process.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

// A security identifier as Windows lays it out.
struct SidLayout {
    BYTE revision;
    BYTE subAuthorityCount;
    SID_IDENTIFIER_AUTHORITY authority;
    DWORD subAuthority[1];
};

constexpr BYTE kSidRevision = 1;

size_t SidSize(BYTE subAuthorityCount) { return offsetof(SidLayout, subAuthority) + subAuthorityCount * sizeof(DWORD); }

// A group of the token: authority (last byte of its six) and sub-authorities.
struct Group {
    BYTE authority;
    std::vector<DWORD> subAuthorities;
};

// The groups of the one user that runs the machine's processes: Everyone, Interactive,
// Authenticated Users and Users, and Administrators when the process is elevated.
std::vector<Group> TokenGroupList()
{
    std::vector<Group> groups = {{1, {SECURITY_WORLD_RID}},
                                 {5, {SECURITY_INTERACTIVE_RID}},
                                 {5, {SECURITY_AUTHENTICATED_USER_RID}},
                                 {5, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS}}};
    if (platform::ProcessIsElevated())
        groups.push_back({5, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}});
    return groups;
}

void WriteSid(const Group& group, SidLayout* sid)
{
    sid->revision = kSidRevision;
    sid->subAuthorityCount = static_cast<BYTE>(group.subAuthorities.size());
    std::memset(sid->authority.Value, 0, sizeof(sid->authority.Value));
    sid->authority.Value[5] = group.authority;
    std::memcpy(sid->subAuthority, group.subAuthorities.data(), group.subAuthorities.size() * sizeof(DWORD));
}

bool Matches(const Group& group, const SidLayout* sid)
{
    static const BYTE zeros[5] = {};
    return sid->revision == kSidRevision && sid->subAuthorityCount == group.subAuthorities.size() &&
           std::memcmp(sid->authority.Value, zeros, 5) == 0 && sid->authority.Value[5] == group.authority &&
           std::memcmp(sid->subAuthority, group.subAuthorities.data(), group.subAuthorities.size() * sizeof(DWORD)) == 0;
}

// The token of a process: everything about it comes from the machine when asked.
class CAccessToken : public platform::KernelObject {};

bool IsToken(HANDLE token) { return dynamic_cast<CAccessToken*>(platform::ObjectOf(token)) != nullptr; }

// Lays out TOKEN_GROUPS with its SIDs after the array, as Windows hands it out; returns the size
// needed and writes only when the buffer holds it.
DWORD WriteTokenGroups(void* buffer, DWORD length)
{
    const std::vector<Group> groups = TokenGroupList();
    const size_t arrayEnd = offsetof(TOKEN_GROUPS, Groups) + groups.size() * sizeof(SID_AND_ATTRIBUTES);
    size_t needed = arrayEnd;
    for (const auto& group : groups)
        needed += SidSize(static_cast<BYTE>(group.subAuthorities.size()));
    if (!buffer || length < needed)
        return static_cast<DWORD>(needed);
    auto* bytes = static_cast<BYTE*>(buffer);
    auto* list = static_cast<TOKEN_GROUPS*>(buffer);
    list->GroupCount = static_cast<DWORD>(groups.size());
    size_t offset = arrayEnd;
    for (size_t i = 0; i < groups.size(); ++i) {
        auto* sid = reinterpret_cast<SidLayout*>(bytes + offset);
        WriteSid(groups[i], sid);
        list->Groups[i].Sid = sid;
        list->Groups[i].Attributes = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED;
        offset += SidSize(sid->subAuthorityCount);
    }
    return static_cast<DWORD>(needed);
}

const SidLayout* ValidSid(PSID sid)
{
    const auto* layout = static_cast<const SidLayout*>(sid);
    return layout && layout->revision == kSidRevision && layout->subAuthorityCount <= 15 ? layout : nullptr;
}

} // namespace

bool platform::ProcessIsElevated()
{
    const auto& machine = platform::Machine();
    return machine.administrator ? *machine.administrator : geteuid() == 0;
}

BOOL IsUserAnAdmin() { return platform::ProcessIsElevated() ? TRUE : FALSE; }

BOOL OpenProcessToken(HANDLE process, DWORD, PHANDLE token)
{
    if (!process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!token) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    *token = platform::HandleOf(new CAccessToken);
    return TRUE;
}

BOOL OpenThreadToken(HANDLE thread, DWORD desiredAccess, BOOL, PHANDLE token)
{
    if (thread != GetCurrentThread()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!platform::ThreadImpersonates()) {
        SetLastError(ERROR_NO_TOKEN);
        return FALSE;
    }
    return OpenProcessToken(GetCurrentProcess(), desiredAccess, token);
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass, LPVOID information, DWORD length,
                         LPDWORD returnLength)
{
    if (!IsToken(token)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!returnLength) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    DWORD needed = 0;
    switch (informationClass) {
    case TokenElevation:
        needed = sizeof(TOKEN_ELEVATION);
        if (information && length >= needed)
            static_cast<TOKEN_ELEVATION*>(information)->TokenIsElevated = platform::ProcessIsElevated() ? 1 : 0;
        break;
    case TokenGroups:
        needed = WriteTokenGroups(information, length);
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *returnLength = needed;
    if (!information || length < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    return TRUE;
}

BOOL CheckTokenMembership(HANDLE token, PSID sid, PBOOL isMember)
{
    if (token && !IsToken(token)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!sid || !isMember) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *isMember = FALSE;
    for (const auto& group : TokenGroupList())
        if (Matches(group, static_cast<const SidLayout*>(sid)))
            *isMember = TRUE;
    return TRUE;
}

BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE subAuthorityCount, DWORD subAuthority0,
                              DWORD subAuthority1, DWORD subAuthority2, DWORD subAuthority3, DWORD subAuthority4,
                              DWORD subAuthority5, DWORD subAuthority6, DWORD subAuthority7, PSID* sid)
{
    if (!authority || !sid || subAuthorityCount > 8) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto* made = static_cast<SidLayout*>(std::malloc(std::max(SidSize(subAuthorityCount), sizeof(SidLayout))));
    if (!made) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    const DWORD values[8] = {subAuthority0, subAuthority1, subAuthority2, subAuthority3,
                             subAuthority4, subAuthority5, subAuthority6, subAuthority7};
    made->revision = kSidRevision;
    made->subAuthorityCount = subAuthorityCount;
    made->authority = *authority;
    std::memcpy(made->subAuthority, values, subAuthorityCount * sizeof(DWORD));
    *sid = made;
    return TRUE;
}

PVOID FreeSid(PSID sid)
{
    std::free(sid);
    return nullptr;
}

BOOL IsValidSid(PSID sid) { return ValidSid(sid) ? TRUE : FALSE; }

DWORD GetLengthSid(PSID sid)
{
    const SidLayout* layout = ValidSid(sid);
    return layout ? static_cast<DWORD>(SidSize(layout->subAuthorityCount)) : 0;
}

BOOL EqualSid(PSID a, PSID b)
{
    const DWORD length = GetLengthSid(a);
    return length && length == GetLengthSid(b) && std::memcmp(a, b, length) == 0 ? TRUE : FALSE;
}
