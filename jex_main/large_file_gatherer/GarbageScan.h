// One scan of the checked categories: the walk of each category, the filters, the found files and
// the search for files of equal content, reported to the host's sink as they happen. The walk runs
// ahead on a thread of its own and contents are read ahead on worker threads; the scan takes their
// results on the calling thread in the order the walk met the files, so that what it finds and
// reports is the same as if it did all the work itself.
#pragma once

#include "BigFileCatagory.h"
#include "BulkseekOption.h"
#include "ContentPrefetch.h"
#include "FoundFiles.h"
#include "WalkAhead.h"

#include <memory>
#include <vector>

class CGarbageScan {
public:
    // A null sink scans without reporting. The scan's threads act as the token's user when there
    // is one.
    CGarbageScan(IBulkseek* gatherer, CFoundFiles& found, IBulkseekSink* sink, CBulkseekOption& options,
                 HANDLE userToken);

    // Each category gets an equal share of the overall progress, in the order given; what one
    // category's walk answers does not stop the next.
    void Run(const std::vector<CBigFileCatagory*>& catagories);

private:
    void ScanCatagory(CBigFileCatagory& catagory);
    // Hands the files to be found to the readers ahead, which give each its ticket.
    void Listed(std::vector<CWalkAhead::File>& batch);
    // Whether a file is kept as a found file.
    bool Keeps(const WIN32_FIND_DATAW& data) const;
    bool OnFile(CBigFileCatagory& catagory, CWalkAhead::File& file);

    IBulkseek* gatherer_;
    CFoundFiles& found_;
    IBulkseekSink* sink_;
    CBulkseekOption& options_;
    HANDLE userToken_;
    std::unique_ptr<CContentPrefetch> sums_;  // only when equal files are searched for
};
