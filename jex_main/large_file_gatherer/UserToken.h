// The token of the logged-on user, borrowed from the user's shell process ("explorer.exe"), so that
// the elevated gatherer sees the drives and names of that user.
#pragma once

#include "platform/Windows.h"

// A duplicate of the first shell process's token in the process list, or null when no shell runs
// (or none lends its token). The caller closes it.
HANDLE FindUserToken();

// Acts as the token's user on the calling thread while it lives, when there is a token; then
// stops acting as the user.
class CUserContext {
public:
    explicit CUserContext(HANDLE token) : acting_(token && ImpersonateLoggedOnUser(token)) {}
    ~CUserContext()
    {
        if (acting_)
            RevertToSelf();
    }
    CUserContext(const CUserContext&) = delete;
    CUserContext& operator=(const CUserContext&) = delete;

private:
    bool acting_;
};
