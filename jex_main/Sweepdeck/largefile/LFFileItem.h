// One row of the large-file results: a found file, held by one reference, and how its deletion went.
#pragma once

#include "jex_main/large_file_gatherer/IBulkseek.h"

#include <atomic>

struct LFFileItem {
    enum State { Untouched = 0, Deleted = 1, DeletionFailed = 2 };

    explicit LFFileItem(IBigFileGarbageInfo* file) : info(file) { info->AddRef(); }
    ~LFFileItem() { info->Release(); }
    LFFileItem(const LFFileItem&) = delete;
    LFFileItem& operator=(const LFFileItem&) = delete;

    IBigFileGarbageInfo* const info;
    // Written by the deletion worker, read by painting.
    std::atomic<int> state{Untouched};
};
