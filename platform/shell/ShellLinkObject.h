// The shell's link object, which CoCreateInstance gives for CLSID_ShellLink.
#pragma once

#include "platform/win/ShellLink.h"

namespace platform {

// A new link object, handed out through the interface asked for (E_NOINTERFACE for one it does
// not answer).
HRESULT CreateShellLinkObject(REFIID riid, void** object);

} // namespace platform
