// ZIP archives made byte by byte, so that tests control every field a hostile archive may twist.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace update_test {

struct ZipEntrySpec {
    ZipEntrySpec(std::string entryName, std::string entryContent)
        : name(std::move(entryName)), content(std::move(entryContent)) {}

    std::string name;
    std::string content;                  // the entry's uncompressed bytes
    bool deflate = true;
    uint16_t versionMadeBy = 20;          // high byte: the host (0 MS-DOS, 3 Unix)
    uint32_t externalAttributes = 0;
    uint32_t dosDateTime = 0x50B1528F;    // 2020-05-17 10:20:30
    uint16_t flags = 0;                   // bit 0: encrypted
    std::string localExtra;
    std::optional<uint32_t> crc;          // recorded instead of the content's own
    std::optional<uint32_t> declaredSize; // recorded uncompressed size instead of the real one
    std::optional<uint32_t> declaredCompressedSize;
    std::optional<size_t> sharesDataOf;   // an earlier entry whose header and data this one reuses
};

// How the archive ends.
struct ZipEnd {
    std::optional<uint64_t> declaredCount;  // replaces the entry count of the end records
    // A ZIP64 end record and its locator before the end record, whose counts and offsets then
    // say only that the ZIP64 record holds them, as writers do for archives beyond its fields.
    bool zip64 = false;
};

// A whole archive.
std::string BuildZip(const std::vector<ZipEntrySpec>& entries, const ZipEnd& end = {});

std::string Deflate(const std::string& data);

// An extended-timestamp ("UT") record: the flag byte, then the given times.
std::string TimestampRecord(uint8_t flags, const std::vector<int32_t>& times);

// Bytes that deflate cannot shrink.
std::string Incompressible(size_t size, uint32_t seed = 1);

// Bytes that deflate shrinks by about half, as it does text, far from the ratios of a bomb.
std::string Compressible(size_t size, uint32_t seed = 1);

} // namespace update_test
