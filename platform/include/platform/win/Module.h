// Loading the product's modules by name and binding their exports. "X.dll" is the host module
// "X.so", looked for in the program folder first (as Windows searches the program's folder first),
// then at the path given through the drive map. "Kernel32.dll" and "Ntdll.dll" are built in: their
// GetProcAddress finds the layer's functions that Windows code looks up by name.
#pragma once

#include "platform/win/Types.h"

#pragma GCC visibility push(default)

#define LOAD_WITH_ALTERED_SEARCH_PATH 0x00000008u
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002u
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004u

// Null with ERROR_MOD_NOT_FOUND when no module loads. Each load counts; FreeLibrary undoes one.
HMODULE LoadLibraryW(LPCWSTR fileName);
HMODULE LoadLibraryA(LPCSTR fileName);
// The search-order flags change nothing here: the program folder is always searched first.
HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE file, DWORD flags);
BOOL FreeLibrary(HMODULE module);

// By name only (an ordinal fails); null with ERROR_PROC_NOT_FOUND when the module lacks it.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

// A module already loaded (null: the program), without counting a load.
HMODULE GetModuleHandleW(LPCWSTR moduleName);
// With GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, moduleName is an address inside the module wanted.
BOOL GetModuleHandleExW(DWORD flags, LPCWSTR moduleName, HMODULE* module);

// The module's path as a Windows path (null: the running program, in the program folder when a
// test has set one). A path that does not fit is cut to size - 1 characters and terminated; the
// result is then size, with ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

namespace platform {

// Makes a layer function reachable through GetProcAddress of a built-in module ("Kernel32.dll",
// "Ntdll.dll"; case and ".dll" do not matter). Areas of the layer call it from static initialisers.
void RegisterBuiltinProcedure(const wchar_t* module, const char* name, FARPROC proc);

} // namespace platform

#pragma GCC visibility pop
