// The byte sources minizip reads an archive from: a file through the layer's C runtime, or a
// block of memory.
#pragma once

#include <minizip/unzip.h>

#include <cstdint>
#include <vector>

// Opens the archive at a Windows or host path (wide text); null when it cannot be opened.
unzFile OpenZipFile(const wchar_t* path);

// Opens an archive in a block the caller keeps alive (and unchanged) until unzClose.
unzFile OpenZipMemory(const std::vector<uint8_t>& block);
