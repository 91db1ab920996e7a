// The found files of one scan by size, to find files of equal content: equal size and equal CRC-64
// of the whole content. Contents are read only when a second file of a size turns up, and each at
// most once while it stays readable. Files of one size are kept by the CRC-64 of their ends, so
// that a new file is compared only with those whose ends agree, and only their wholes are read.
#pragma once

#include "ContentPrefetch.h"

#include <cstdint>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

class CBigFileGarbageInfo;

class CSameFileTable {
public:
    void Clear() { groups_.clear(); }

    // The earliest file of the table equal to this one, or null; a file without an equal joins
    // the table. ticket is the file's ticket with sums, which keeps its content's sums. The table
    // holds no reference on its files.
    CBigFileGarbageInfo* FirstCopyOf(CBigFileGarbageInfo* file, uint64_t ticket, CContentPrefetch& sums);

private:
    struct Jex_Same_Info {
        CBigFileGarbageInfo* file;
        uint64_t ticket;
        CContentSum sum;  // as far as it was needed so far
    };
    // The files of one size in the order they joined; those whose ends are known by their ends
    // (positions in order), the others waiting to be read.
    struct SizeGroup {
        std::vector<Jex_Same_Info> entries;
        std::map<std::pair<uint64_t, uint64_t>, std::vector<size_t>> byEnds;
        std::vector<size_t> unread;
    };

    static void Place(SizeGroup& group, size_t at);

    std::unordered_map<uint64_t, SizeGroup> groups_;
};
