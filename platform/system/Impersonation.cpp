#include "platform/win/Impersonation.h"

#include "Impersonating.h"

#include "platform/win/Errors.h"
#include "platform/win/Process.h"
#include "platform/win/Security.h"

namespace {

// Only a token answers a question about its elevation.
bool IsToken(HANDLE handle)
{
    TOKEN_ELEVATION elevation{};
    DWORD length = 0;
    return GetTokenInformation(handle, TokenElevation, &elevation, sizeof(elevation), &length) != FALSE;
}

thread_local bool t_impersonates = false;

} // namespace

bool platform::ThreadImpersonates() { return t_impersonates; }

void platform::SetThreadImpersonates(bool impersonates) { t_impersonates = impersonates; }

BOOL DuplicateTokenEx(HANDLE existingToken, DWORD desiredAccess, LPSECURITY_ATTRIBUTES, SECURITY_IMPERSONATION_LEVEL level,
                      TOKEN_TYPE type, PHANDLE newToken)
{
    if (!IsToken(existingToken)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!newToken || (type != TokenPrimary && type != TokenImpersonation)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (level < SecurityAnonymous || level > SecurityDelegation) {
        SetLastError(ERROR_BAD_IMPERSONATION_LEVEL);
        return FALSE;
    }
    return OpenProcessToken(GetCurrentProcess(), desiredAccess, newToken);
}

BOOL ImpersonateLoggedOnUser(HANDLE token)
{
    if (!IsToken(token)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    platform::SetThreadImpersonates(true);
    return TRUE;
}

BOOL RevertToSelf()
{
    platform::SetThreadImpersonates(false);
    return TRUE;
}
