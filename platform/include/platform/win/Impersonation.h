// Acting as the logged-on user with a token borrowed from the user's shell. The machine has one
// user, so acting as that user changes no right; the calls keep Windows' checks (a handle that is
// not a token is refused, a bad level or token type too).
#pragma once

#include "platform/win/Types.h"

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
