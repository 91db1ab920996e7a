// The found files of one scan by size, to find files of equal content: equal size and equal CRC-64
// of the whole content. Contents are read only when a second file of a size turns up, and each at
// most once while it stays readable; first blocks that differ spare reading the rest.
#pragma once

#include "ContentSum.h"

#include <cstdint>
#include <map>

class CBigFileGarbageInfo;

class CSameFileTable {
public:
    void Clear() { entries_.clear(); }

    // The earliest file of the table equal to this one, or null; a file without an equal joins
    // the table. The table holds no reference on its files.
    CBigFileGarbageInfo* FirstCopyOf(CBigFileGarbageInfo* file);

private:
    struct Jex_Same_Info {
        CBigFileGarbageInfo* file;
        CContentSum sum;
    };

    // Entries of one size stay in the order they joined.
    std::multimap<uint64_t, Jex_Same_Info> entries_;
};
