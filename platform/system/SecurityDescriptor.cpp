#include "platform/win/Security.h"

#include "platform/Machine.h"
#include "platform/ObjectSecurity.h"
#include "platform/Text.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr size_t kAceSidOffset = offsetof(ACCESS_ALLOWED_ACE, SidStart);

// Walks the entries of an ACL within its stated size; false when one does not fit.
template <class Visit>
bool ForEachAce(const ACL* acl, Visit visit)
{
    const auto* bytes = reinterpret_cast<const BYTE*>(acl);
    size_t offset = sizeof(ACL);
    for (WORD i = 0; i < acl->AceCount; ++i) {
        if (offset + sizeof(ACE_HEADER) > acl->AclSize)
            return false;
        const auto* header = reinterpret_cast<const ACE_HEADER*>(bytes + offset);
        if (header->AceSize < sizeof(ACE_HEADER) || offset + header->AceSize > acl->AclSize)
            return false;
        visit(header, header->AceSize);
        offset += header->AceSize;
    }
    return true;
}

// The rights a mask grants on an object whose all-access rights are fullAccess.
DWORD Mapped(DWORD mask, DWORD fullAccess)
{
    DWORD rights = mask & fullAccess;
    if (mask & GENERIC_ALL)
        rights |= fullAccess;
    if (mask & GENERIC_READ)
        rights |= READ_CONTROL & fullAccess;
    if (mask & GENERIC_WRITE)
        rights |= fullAccess & 0xFFFFu;
    if (mask & GENERIC_EXECUTE)
        rights |= SYNCHRONIZE & fullAccess;
    return rights;
}

// A well-known SID of the NT or world authority, for comparing entries with.
class CWellKnownSid {
public:
    CWellKnownSid(SID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD first, DWORD second)
    {
        AllocateAndInitializeSid(&authority, count, first, second, 0, 0, 0, 0, 0, 0, &sid_);
    }
    ~CWellKnownSid() { FreeSid(sid_); }
    CWellKnownSid(const CWellKnownSid&) = delete;
    CWellKnownSid& operator=(const CWellKnownSid&) = delete;
    bool Is(PSID other) const { return sid_ && EqualSid(sid_, other); }

private:
    PSID sid_ = nullptr;
};

uint64_t UserDigest(const std::wstring& userName)
{
    uint64_t hash = 14695981039346656037ull;
    for (const char c : platform::ToUtf8(platform::UpperCase(userName)))
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

const ACL* DaclOf(const SECURITY_ATTRIBUTES* attributes, bool& present)
{
    present = false;
    const auto* descriptor = attributes ? static_cast<const SECURITY_DESCRIPTOR*>(attributes->lpSecurityDescriptor)
                                        : nullptr;
    if (!descriptor || descriptor->Revision != SECURITY_DESCRIPTOR_REVISION ||
        !(descriptor->Control & SE_DACL_PRESENT))
        return nullptr;
    present = true;
    return descriptor->Dacl;
}

} // namespace

namespace platform {

ObjectSecurity SecurityOfNewObject(const SECURITY_ATTRIBUTES* attributes, DWORD fullAccess)
{
    ObjectSecurity security;
    security.creatorUser = UserDigest(Machine().userName);
    bool present = false;
    const ACL* dacl = DaclOf(attributes, present);
    if (!present) {
        // the default DACL of the creator's token
        (ProcessIsElevated() ? security.administrators : security.creator) = fullAccess;
        return security;
    }
    if (!dacl) {
        security.everyone = fullAccess;
        return security;
    }
    const CWellKnownSid world(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID, 0);
    const CWellKnownSid administrators(SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS);
    // A damaged ACL grants nobody anything.
    ObjectSecurity granted = security;
    const bool whole = ForEachAce(dacl, [&](const ACE_HEADER* header, WORD size) {
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || size < kAceSidOffset + 8)
            return;
        const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        auto* sid = const_cast<DWORD*>(&ace->SidStart);
        const DWORD sidLength = GetLengthSid(sid);
        if (!sidLength || kAceSidOffset + sidLength > size)
            return;
        if (world.Is(sid))
            granted.everyone |= Mapped(ace->Mask, fullAccess);
        else if (administrators.Is(sid))
            granted.administrators |= Mapped(ace->Mask, fullAccess);
    });
    return whole ? granted : security;
}

bool MayOpen(const ObjectSecurity& security, DWORD access, DWORD fullAccess)
{
    DWORD allowed = security.everyone;
    if (ProcessIsElevated())
        allowed |= security.administrators;
    if (UserDigest(Machine().userName) == security.creatorUser)
        allowed |= security.creator;
    const DWORD wanted = Mapped(access, fullAccess) | (access & ~(GENERIC_ALL | GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE));
    return (wanted & ~allowed) == 0;
}

} // namespace platform

BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision)
{
    if (!descriptor || revision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(descriptor ? ERROR_INVALID_PARAMETER : ERROR_NOACCESS);
        return FALSE;
    }
    *static_cast<SECURITY_DESCRIPTOR*>(descriptor) = SECURITY_DESCRIPTOR{SECURITY_DESCRIPTOR_REVISION, 0, 0, nullptr,
                                                                          nullptr, nullptr, nullptr};
    return TRUE;
}

BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL present, PACL dacl, BOOL)
{
    auto* made = static_cast<SECURITY_DESCRIPTOR*>(descriptor);
    if (!made || made->Revision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return FALSE;
    }
    made->Control = static_cast<SECURITY_DESCRIPTOR_CONTROL>(present ? made->Control | SE_DACL_PRESENT
                                                                     : made->Control & ~SE_DACL_PRESENT);
    made->Dacl = present ? dacl : nullptr;
    return TRUE;
}

BOOL InitializeAcl(PACL acl, DWORD length, DWORD revision)
{
    if (!acl || revision != ACL_REVISION || length < sizeof(ACL) || length > 0xFFFF) {
        SetLastError(acl && length < sizeof(ACL) ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::memset(acl, 0, sizeof(ACL));
    acl->AclRevision = ACL_REVISION;
    acl->AclSize = static_cast<WORD>(length & ~3u);
    return TRUE;
}

BOOL AddAccessAllowedAce(PACL acl, DWORD revision, DWORD accessMask, PSID sid)
{
    if (!acl || acl->AclRevision != ACL_REVISION || revision != ACL_REVISION) {
        SetLastError(ERROR_INVALID_ACL);
        return FALSE;
    }
    const DWORD sidLength = GetLengthSid(sid);
    if (!sidLength) {
        SetLastError(ERROR_INVALID_SID);
        return FALSE;
    }
    size_t used = sizeof(ACL);
    if (!ForEachAce(acl, [&](const ACE_HEADER*, WORD size) { used += size; })) {
        SetLastError(ERROR_INVALID_ACL);
        return FALSE;
    }
    const size_t size = kAceSidOffset + sidLength;
    if (used + size > acl->AclSize) {
        SetLastError(ERROR_ALLOTTED_SPACE_EXCEEDED);
        return FALSE;
    }
    auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(reinterpret_cast<BYTE*>(acl) + used);
    ace->Header.AceType = ACCESS_ALLOWED_ACE_TYPE;
    ace->Header.AceFlags = 0;
    ace->Header.AceSize = static_cast<WORD>(size);
    ace->Mask = accessMask;
    std::memcpy(&ace->SidStart, sid, sidLength);
    ++acl->AceCount;
    return TRUE;
}
