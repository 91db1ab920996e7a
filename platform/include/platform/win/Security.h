// What a Windows program needs to ask "is this process an administrator": the answer comes from the
// machine (machine.ini's Administrator; unset: the effective user id is 0). An administrator's
// process is elevated and its token holds the Administrators group.
#pragma once

#include "platform/win/Errors.h"
#include "platform/win/Handles.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/Types.h"

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

#define TOKEN_QUERY 0x0008
#define TOKEN_ALL_ACCESS 0x000F01FF

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
