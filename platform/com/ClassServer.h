// Where a COM class's server is registered on the machine, and whether its file is there.
#pragma once

#include "platform/win/Com.h"

namespace platform {

// S_OK when a server of one of the asked kinds (CLSCTX_*) is registered and its file exists;
// otherwise the error Windows gives for the first kind that is registered (see Com.h), or
// REGDB_E_CLASSNOTREG when none is.
HRESULT FindClassServer(REFCLSID classId, DWORD classContext);

} // namespace platform
