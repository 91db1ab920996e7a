// Acting as the logged-on user with a token borrowed from the user's shell.
//
// What acting as the user does here: the thread is marked as acting as the user until
// RevertToSelf, so OpenThreadToken gives it a token (and ERROR_NO_TOKEN otherwise). What it cannot
// do here: change what the thread reaches. The machine has one user, whose drives, profile
// folders and HKEY_CURRENT_USER hive every process already uses, so the files and registry keys
// a call touches are the same with or without a token; and the thread keeps the rights of its
// process, elevated or not, for files, keys and named objects alike. The calls keep Windows'
// checks (a handle that is not a token is refused, a bad level or token type too).
#pragma once

#include "platform/win/Types.h"

#pragma GCC visibility push(default)

#ifndef ERROR_BAD_IMPERSONATION_LEVEL
#define ERROR_BAD_IMPERSONATION_LEVEL 1346L
#endif

typedef enum _SECURITY_IMPERSONATION_LEVEL {
    SecurityAnonymous,
    SecurityIdentification,
    SecurityImpersonation,
    SecurityDelegation
} SECURITY_IMPERSONATION_LEVEL;

typedef enum _TOKEN_TYPE { TokenPrimary = 1, TokenImpersonation } TOKEN_TYPE;

// A new token of the same user; ERROR_INVALID_HANDLE when existingToken is not a token.
BOOL DuplicateTokenEx(HANDLE existingToken, DWORD desiredAccess, LPSECURITY_ATTRIBUTES attributes,
                      SECURITY_IMPERSONATION_LEVEL level, TOKEN_TYPE type, PHANDLE newToken);
// The calling thread acts as the token's user until RevertToSelf (which always succeeds).
BOOL ImpersonateLoggedOnUser(HANDLE token);
BOOL RevertToSelf();

#pragma GCC visibility pop
