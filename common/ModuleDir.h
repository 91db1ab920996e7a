// The folder of the running program, as Windows code finds it.
#pragma once

#include <string>

// The running program's folder with its trailing backslash; empty when the module path cannot be
// read or holds no backslash.
std::wstring GetModuleDir();
