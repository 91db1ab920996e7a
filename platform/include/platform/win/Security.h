// What a Windows program needs to ask "is this process an administrator": the answer comes from the
// machine (machine.ini's Administrator; unset: the effective user id is 0). An administrator's
// process is elevated and its token holds the Administrators group.
//
// Also the security descriptors a program gives its named objects: a DACL of access-allowed
// entries for Everyone (S-1-1-0) and Administrators (S-1-5-32-544), or a null DACL, decides who
// may open the object. Without a descriptor (or without a DACL in it) the object gets the
// default one: an elevated creator's object admits elevated processes only, another's the
// creator's user only. The machine's users are the user name of machine.ini, elevated or not.
#pragma once

#include "platform/win/Errors.h"
#include "platform/win/Handles.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/Types.h"

#pragma GCC visibility push(default)

typedef PVOID PSID;

typedef struct _SID_IDENTIFIER_AUTHORITY {
    BYTE Value[6];
} SID_IDENTIFIER_AUTHORITY, *PSID_IDENTIFIER_AUTHORITY;

#define SECURITY_NULL_SID_AUTHORITY {0, 0, 0, 0, 0, 0}
#define SECURITY_WORLD_SID_AUTHORITY {0, 0, 0, 0, 0, 1}
#define SECURITY_NT_AUTHORITY {0, 0, 0, 0, 0, 5}

#define SECURITY_WORLD_RID 0x00000000L
#define SECURITY_INTERACTIVE_RID 0x00000004L
#define SECURITY_AUTHENTICATED_USER_RID 0x0000000BL
#define SECURITY_BUILTIN_DOMAIN_RID 0x00000020L
#define DOMAIN_ALIAS_RID_ADMINS 0x00000220L
#define DOMAIN_ALIAS_RID_USERS 0x00000221L

#define SE_GROUP_MANDATORY 0x00000001L
#define SE_GROUP_ENABLED_BY_DEFAULT 0x00000002L
#define SE_GROUP_ENABLED 0x00000004L

#define TOKEN_DUPLICATE 0x0002
#define TOKEN_QUERY 0x0008
#define TOKEN_ALL_ACCESS 0x000F01FF

#ifndef ERROR_NO_TOKEN
#define ERROR_NO_TOKEN 1008L
#endif
#define ERROR_INVALID_ACL 1336L
#define ERROR_INVALID_SID 1337L
#define ERROR_INVALID_SECURITY_DESCR 1338L
#define ERROR_ALLOTTED_SPACE_EXCEEDED 1344L

typedef DWORD ACCESS_MASK;
typedef WORD SECURITY_DESCRIPTOR_CONTROL;

#define SECURITY_DESCRIPTOR_REVISION 1
#define ACL_REVISION 2
#define ACCESS_ALLOWED_ACE_TYPE 0x0
#define SE_DACL_PRESENT 0x0004

typedef struct _ACL {
    BYTE AclRevision;
    BYTE Sbz1;
    WORD AclSize;
    WORD AceCount;
    WORD Sbz2;
} ACL, *PACL;

typedef struct _ACE_HEADER {
    BYTE AceType;
    BYTE AceFlags;
    WORD AceSize;
} ACE_HEADER;

typedef struct _ACCESS_ALLOWED_ACE {
    ACE_HEADER Header;
    ACCESS_MASK Mask;
    DWORD SidStart;
} ACCESS_ALLOWED_ACE;

typedef struct _SECURITY_DESCRIPTOR {
    BYTE Revision;
    BYTE Sbz1;
    SECURITY_DESCRIPTOR_CONTROL Control;
    PSID Owner;
    PSID Group;
    PACL Sacl;
    PACL Dacl;
} SECURITY_DESCRIPTOR, *PISECURITY_DESCRIPTOR;
typedef PVOID PSECURITY_DESCRIPTOR;

#define SECURITY_DESCRIPTOR_MIN_LENGTH (sizeof(SECURITY_DESCRIPTOR))

typedef struct _SID_AND_ATTRIBUTES {
    PSID Sid;
    DWORD Attributes;
} SID_AND_ATTRIBUTES, *PSID_AND_ATTRIBUTES;

typedef struct _TOKEN_GROUPS {
    DWORD GroupCount;
    SID_AND_ATTRIBUTES Groups[1];
} TOKEN_GROUPS, *PTOKEN_GROUPS;

typedef struct _TOKEN_ELEVATION {
    DWORD TokenIsElevated;
} TOKEN_ELEVATION, *PTOKEN_ELEVATION;

// Only the classes an administrators check asks for; others fail with ERROR_INVALID_PARAMETER.
typedef enum _TOKEN_INFORMATION_CLASS {
    TokenGroups = 2,
    TokenElevation = 20,
} TOKEN_INFORMATION_CLASS;

BOOL IsUserAnAdmin();

// Any process handle of the machine gives the same token (one user runs everything); close it with
// CloseHandle.
BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE token);
// The token of a thread that acts as another user (Impersonation.h); ERROR_NO_TOKEN when the
// thread acts as its process.
BOOL OpenThreadToken(HANDLE thread, DWORD desiredAccess, BOOL openAsSelf, PHANDLE token);
// returnLength receives the size needed; ERROR_INSUFFICIENT_BUFFER when length is below it.
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass, LPVOID information,
                         DWORD length, LPDWORD returnLength);
// A null token is the calling process's.
BOOL CheckTokenMembership(HANDLE token, PSID sid, PBOOL isMember);

BOOL AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE subAuthorityCount, DWORD subAuthority0,
                              DWORD subAuthority1, DWORD subAuthority2, DWORD subAuthority3, DWORD subAuthority4,
                              DWORD subAuthority5, DWORD subAuthority6, DWORD subAuthority7, PSID* sid);
// Returns null.
PVOID FreeSid(PSID sid);

DWORD GetLengthSid(PSID sid);
BOOL IsValidSid(PSID sid);
BOOL EqualSid(PSID a, PSID b);

BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision);
// A null dacl with present set is the null DACL, which admits everybody.
BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL present, PACL dacl, BOOL defaulted);
BOOL InitializeAcl(PACL acl, DWORD length, DWORD revision);
// ERROR_ALLOTTED_SPACE_EXCEEDED when the entry does not fit the ACL's size.
BOOL AddAccessAllowedAce(PACL acl, DWORD revision, DWORD accessMask, PSID sid);

#pragma GCC visibility pop
