#include "GarbageScan.h"

#include "BigFileGarbageInfo.h"

#include <algorithm>
#include <new>

namespace {

constexpr int kFileMarker = 1;

} // namespace

CGarbageScan::CGarbageScan(IBulkseek* gatherer, CFoundFiles& found, IBulkseekSink* sink, CBulkseekOption& options,
                           HANDLE userToken)
    : gatherer_(gatherer), found_(found), sink_(sink), options_(options), userToken_(userToken)
{
    if (options_.findSameFiles)
        sums_ = std::make_unique<CContentPrefetch>(userToken_);
}

void CGarbageScan::Run(const std::vector<CBigFileCatagory*>& catagories)
{
    if (catagories.empty())
        return;
    const double step = 100.0 / static_cast<double>(catagories.size());
    double position = 0.0;
    for (CBigFileCatagory* catagory : catagories) {
        catagory->progress.beginPercent = static_cast<int>(position);
        catagory->progress.endPercent = step * 2 > 100.0 - position ? 100 : static_cast<int>(position + step);
        position += step;
        ScanCatagory(*catagory);
    }
}

void CGarbageScan::ScanCatagory(CBigFileCatagory& catagory)
{
    catagory.progress.bytesMet = 0;
    if (sink_ && !sink_->OnProgress(catagory.progress.beginPercent, catagory.progress.endPercent))
        return;
    const CShellItemProc* item = catagory.ShellItem();
    if (!item)
        return;
    CWalkAhead walk(*item, userToken_, [this](std::vector<CWalkAhead::File>& batch) { Listed(batch); });
    CWalkAhead::File file;
    while (walk.Next(file) && OnFile(catagory, file)) {
    }
}

void CGarbageScan::Listed(std::vector<CWalkAhead::File>& batch)
{
    if (!sums_)
        return;
    std::vector<CContentPrefetch::Listing> listings;
    for (const CWalkAhead::File& file : batch)
        if (Keeps(file.data))
            listings.push_back({file.path, file.place.volume, file.place.fileIndex, FileSizeOf(file.data), 0});
    sums_->Listed(listings);
    auto listing = listings.begin();
    for (CWalkAhead::File& file : batch)
        if (Keeps(file.data))
            file.ticket = (listing++)->ticket;
}

bool CGarbageScan::Keeps(const WIN32_FIND_DATAW& data) const
{
    return !(data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) && options_.Passes(data);
}

bool CGarbageScan::OnFile(CBigFileCatagory& catagory, CWalkAhead::File& met)
{
    // A category whose drive reports no used bytes counts as walked whole.
    uint64_t& bytesMet = catagory.progress.bytesMet;
    bytesMet = std::min(bytesMet + FileSizeOf(met.data), catagory.usedBytes);
    const double fraction =
        catagory.usedBytes ? static_cast<double>(bytesMet) / static_cast<double>(catagory.usedBytes) : 1.0;

    auto* file = Keeps(met.data) ? new (std::nothrow)
                                       CBigFileGarbageInfo(gatherer_, met.path, met.data, std::move(met.place))
                                 : nullptr;
    if (!file)
        return !sink_ || sink_->OnScanFile(nullptr, met.path, kFileMarker, fraction);

    CFoundFiles::Lock lock = found_.Hold();
    found_.Insert(file);
    CBigFileGarbageInfo* firstCopy = sums_ ? options_.SameFiles().FirstCopyOf(file, met.ticket, *sums_) : nullptr;
    if (!sink_)
        return true;
    return firstCopy ? sink_->OnSameFile(file, firstCopy) : sink_->OnScanFile(file, met.path, kFileMarker, fraction);
}
