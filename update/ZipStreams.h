// The byte sources minizip reads an archive from: a file through the layer's C runtime, or a
// block of memory.
#pragma once

#include <minizip/unzip.h>

#include <cstdint>
#include <cstdio>
#include <vector>

// The archive's bytes as minizip opened them, also for reading an entry's stored data in large
// pieces past minizip.
class ZipSource {
public:
    // Reads up to size bytes at offset; fewer only at the end of the archive or on a read error.
    size_t ReadAt(uint64_t offset, void* buffer, size_t size) const;
    uint64_t Size() const { return size_ - start_; }

private:
    friend struct ZipStreamAccess;

    // Where the archive starts in the file or block. A self-extracting archive is an archive
    // behind a program; where the program was put in front without the archive's offsets changed,
    // they count from the archive's start. minizip finds such an archive by its end record, but
    // not by its ZIP64 end record, which it looks for where the offsets say: there the archive is
    // shown from its start.
    void SkipShiftedStart();

    // minizip reads the central directory and the entries' data by turns, each read after a seek:
    // a window of the file for each keeps most of those reads from reaching the kernel.
    struct Window {
        uint64_t start = 0;
        size_t length = 0;
        std::vector<uint8_t> bytes;
    };

    FILE* file_ = nullptr;                         // while minizip holds the file open
    const std::vector<uint8_t>* block_ = nullptr;
    uint64_t size_ = 0;
    uint64_t start_ = 0;
    mutable Window windows_[2];
    mutable int lastUsed_ = 0;
};

// Opens the archive at a Windows or host path (wide text); null when it cannot be opened. The
// source, which must outlive the reader, is filled for it.
unzFile OpenZipFile(const wchar_t* path, ZipSource& source);

// Opens an archive in a block the caller keeps alive (and unchanged) until unzClose.
unzFile OpenZipMemory(const std::vector<uint8_t>& block, ZipSource& source);
