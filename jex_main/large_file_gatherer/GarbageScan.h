// One scan of the checked categories: the walk of each category, the filters, the found files and
// the search for files of equal content, reported to the host's sink as they happen.
#pragma once

#include "BigFileCatagory.h"
#include "BulkseekOption.h"
#include "FoundFiles.h"

#include <vector>

class CGarbageScan {
public:
    // A null sink scans without reporting.
    CGarbageScan(IBulkseek* gatherer, CFoundFiles& found, IBulkseekSink* sink, CBulkseekOption& options)
        : gatherer_(gatherer), found_(found), sink_(sink), options_(options)
    {
    }

    // Each category gets an equal share of the overall progress, in the order given; what one
    // category's walk answers does not stop the next.
    void Run(const std::vector<CBigFileCatagory*>& catagories);

private:
    void ScanCatagory(CBigFileCatagory& catagory);
    bool OnFile(CBigFileCatagory& catagory, const std::wstring& path, const WIN32_FIND_DATAW& data);

    IBulkseek* gatherer_;
    CFoundFiles& found_;
    IBulkseekSink* sink_;
    CBulkseekOption& options_;
};
