// The found files of one scan by size, to find files of equal content: equal size and equal CRC-64
// of the whole content. Contents are read only when a second file of a size turns up, and each at
// most once while it stays readable; files whose ends differ are told apart without reading the
// rest.
#pragma once

#include "ContentPrefetch.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

class CBigFileGarbageInfo;

class CSameFileTable {
public:
    void Clear() { entries_.clear(); }

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

    // Entries of one size stay in the order they joined.
    std::unordered_map<uint64_t, std::vector<Jex_Same_Info>> entries_;
};
