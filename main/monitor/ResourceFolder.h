// The junk monitor's per-user resource folder, held by its handle, so that what goes into it is
// made and moved relative to that handle and never through a link planted there.
#pragma once

#include "common/HeldFolder.h"

#include <memory>
#include <string>

// The folder (a Windows path, with or without its trailing backslash), made with every missing
// folder above it, and held; null with the Windows error in error when it cannot be had: among
// others when its name leads out of the machine or the folder itself is a link.
std::unique_ptr<CHeldFolder> HoldResourceFolder(const std::wstring& folder, DWORD& error);
