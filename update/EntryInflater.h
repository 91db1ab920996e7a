// Inflates a large deflated entry into a file on two threads: the caller's thread reads the
// stored data and inflates it while a second one sums the CRC and writes, so that the entry takes
// about as long as its inflating alone.
#pragma once

#include "platform/Windows.h"

#include <cstdint>
#include <vector>

class ZipSource;
struct z_stream_s;

// Where an entry's deflated data lies and what it must inflate to.
struct StoredEntry {
    uint64_t offset;
    uint64_t compressedSize;
    uint64_t uncompressedSize;
    uint32_t crc;
};

class CEntryInflater {
public:
    CEntryInflater();
    CEntryInflater(const CEntryInflater&) = delete;
    CEntryInflater& operator=(const CEntryInflater&) = delete;

    // A ZipLayerResult. Inflating stops at the recorded size, as minizip's does; the file holds
    // the entry only when the result is ZIP_OK. No thread outlives the call.
    uint32_t Extract(const ZipSource& source, const StoredEntry& entry, HANDLE file);
    // The Windows error of the write that failed the last Extract with ZIP_WRITE_ERROR.
    DWORD WriteError() const { return writeError_; }

private:
    class CWriter;
    uint32_t Inflate(z_stream_s& stream, const ZipSource& source, const StoredEntry& entry, CWriter& writer);

    std::vector<uint8_t> input_;
    std::vector<std::vector<uint8_t>> slots_;  // inflated pieces on their way to the file, in turn
    DWORD writeError_ = ERROR_SUCCESS;
};
