// An export bound by name, in the type the caller knows it by.
#pragma once

#include "platform/Windows.h"

template <typename Function>
Function ProcAddress(HMODULE module, const char* name)
{
    // Through void*: FARPROC's own type says nothing about the export's.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
