// How far an archive may expand when extracted. An archive beyond these is refused before
// anything is written: a bomb declares sizes, ratios or numbers of files that no honest archive
// needs. What is bounded is what extracting costs: the bytes written, the files made, and the
// entries read to find them. Folder entries make nothing of their own (folders are made as the
// parents of files), so they count only towards the entries read.
#pragma once

#include <cstdint>

constexpr uint64_t kZipMaxEntries = 1000000;
constexpr uint64_t kZipMaxFileEntries = 200000;
constexpr uint64_t kZipMaxTotalBytes = 1ull << 30;
// Deflate alone cannot pass about 1032:1; ratios above this come from runs of one byte, which is
// how bombs are built. Small entries may compress better than this without doing harm.
constexpr uint64_t kZipMaxRatio = 200;
constexpr uint64_t kZipRatioFloorBytes = 1ull << 20;

constexpr bool ExpandsTooFar(uint64_t compressed, uint64_t uncompressed)
{
    return uncompressed > kZipRatioFloorBytes && uncompressed / kZipMaxRatio > compressed;
}
