// Finding the usage-statistics library beside the module that holds the calling code.
#pragma once

#include "platform/Windows.h"

// The folder of the module holding this code, with its trailing backslash, into a buffer of
// MAX_PATH characters; false for a null buffer, an unreadable name or one without a backslash.
bool GetModuleDirA(char* buffer);

// The library from this module's folder, else by its bare name (the system's search order); null
// when neither loads.
HMODULE LoadLibFromModuleDir(const char* name);

// The entry point of "Tallyrun.dll", or null when the library or the entry point is missing. Every
// call loads the library again; it is never freed.
FARPROC TallyrunGetProc(const char* entryPoint);
