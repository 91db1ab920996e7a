// The English message file of the Windows defragmenter, which the plug-in keeps for Windows 6.1,
// 6.2, 6.3 and for 6.4 and 10.0, and writes out for the Windows version that runs.
#pragma once

#include "common/OpResult.h"

#include <string>

// The kept file for a true Windows version; empty for a version none serves.
std::string MessageFileFor(DWORD major, DWORD minor);

// Writes the file that the true Windows version needs to the path; 0xAC0001 when none serves it.
OpResult WriteMessageFile(const wchar_t* path);
