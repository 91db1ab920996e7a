// The bounds of each kind of download of the update fetcher: a server that sends without end, or
// trickles just fast enough never to stall, holds neither the disk nor its caller beyond them.
#pragma once

#include "update/IUpdateFixt.h"

#include <cstdint>

// An update or resource description is an INI file, which the profile functions read only up to
// 1 MiB.
inline constexpr uint64_t kLargestDescription = 1ull << 20;
// Thirty-one pictures of the assistant's card and their texts come to a few MiB.
inline constexpr uint64_t kLargestPack = 16ull << 20;
// Far beyond any update of the product; a larger file is no package of its.
inline constexpr uint64_t kLargestUpdatePackage = 256ull << 20;

struct DownloadLimits {
    uint64_t maxBytes;
    uint32_t deadlineMs;
};

// Renewer's download (a description, then a package) ends within 9 minutes, before the main
// program's 10-minute wait for it runs out, so that Renewer itself removes what it left.
constexpr DownloadLimits LimitsOf(DownloadKind kind)
{
    switch (kind) {
    case DownloadKind::Description: return {kLargestDescription, 2 * 60 * 1000};
    case DownloadKind::Pack: return {kLargestPack, 3 * 60 * 1000};
    case DownloadKind::Package: break;
    }
    return {kLargestUpdatePackage, 7 * 60 * 1000};
}
