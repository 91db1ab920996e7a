// Who may open a named kernel object, as its security descriptor says: the rights granted to
// Everyone, to elevated processes (Administrators) and to the creating user, kept with the object
// where every process of the machine sees it.
#pragma once

#include "platform/win/Types.h"

#include <cstdint>

#pragma GCC visibility push(default)

namespace platform {

struct ObjectSecurity {
    DWORD everyone = 0;
    DWORD administrators = 0;
    DWORD creator = 0;
    uint64_t creatorUser = 0;   // which user made it (a digest of the user name)
};

// The security of a new named object made by the calling process from the attributes' descriptor
// (none, or one without a DACL: the default one). fullAccess is the kind's all-access rights,
// which GENERIC_ALL stands for.
ObjectSecurity SecurityOfNewObject(const SECURITY_ATTRIBUTES* attributes, DWORD fullAccess);

// Whether the calling process may open the object with the access asked for.
bool MayOpen(const ObjectSecurity& security, DWORD access, DWORD fullAccess);

// Whether the calling process runs elevated (an administrator's process).
bool ProcessIsElevated();

} // namespace platform

#pragma GCC visibility pop
