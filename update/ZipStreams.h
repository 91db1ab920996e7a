// The byte sources minizip reads an archive from: a file through the layer's C runtime, or a
// block of memory.
#pragma once

#include <minizip/unzip.h>

#include <cstdint>
#include <cstdio>
#include <vector>

// The archive's bytes as minizip opened them, for reading an entry's stored data in large pieces
// past minizip. minizip seeks before each read of its own, so moving the file's position under it
// does no harm.
struct ZipSource {
    FILE* file = nullptr;                        // while minizip holds the file open
    const std::vector<uint8_t>* block = nullptr;
};

// Opens the archive at a Windows or host path (wide text); null when it cannot be opened. The
// source, which must outlive the reader, is filled for it.
unzFile OpenZipFile(const wchar_t* path, ZipSource& source);

// Opens an archive in a block the caller keeps alive (and unchanged) until unzClose.
unzFile OpenZipMemory(const std::vector<uint8_t>& block, ZipSource& source);

// Reads up to size bytes at offset; fewer only at the end of the archive or on a read error.
size_t ReadZipSource(const ZipSource& source, uint64_t offset, void* buffer, size_t size);
