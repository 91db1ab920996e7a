// Windows versions, the file-system redirection switch and the host program's folder, as the
// plug-in's runs need them.
#pragma once

#include "common/OpResult.h"

#include <string>

// GetVersionExW's major version above 5.
OpResult IsVistaOrLater(bool& vistaOrLater);
// Major 6 with a non-zero minor, or major above 6.
OpResult IsWin7OrLater(bool& win7OrLater);
// The true version from Ntdll's RtlGetNtVersionNumbers, or GetVersionExW's when that is missing.
OpResult GetNtVersion(DWORD& major, DWORD& minor);
// Switches redirection of the calling thread when the process runs under WOW64; nothing otherwise.
OpResult SetWow64FsRedirection(bool on);
// The host program's folder: its executable's path before the last backslash.
OpResult GetHostFolder(std::wstring& folder);
