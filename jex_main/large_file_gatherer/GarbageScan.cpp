#include "GarbageScan.h"

#include "BigFileGarbageInfo.h"

#include <algorithm>
#include <new>

namespace {

constexpr int kFileMarker = 1;

uint64_t SizeOf(const WIN32_FIND_DATAW& data)
{
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

} // namespace

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
    item->Walk([&](const std::wstring& path, const WIN32_FIND_DATAW& data) { return OnFile(catagory, path, data); },
               [](const std::wstring&) { return true; });
}

bool CGarbageScan::OnFile(CBigFileCatagory& catagory, const std::wstring& path, const WIN32_FIND_DATAW& data)
{
    // A category whose drive reports no used bytes counts as walked whole.
    uint64_t& met = catagory.progress.bytesMet;
    met = std::min(met + SizeOf(data), catagory.usedBytes);
    const double fraction =
        catagory.usedBytes ? static_cast<double>(met) / static_cast<double>(catagory.usedBytes) : 1.0;

    auto* file = (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) || !options_.Passes(data)
                     ? nullptr
                     : new (std::nothrow) CBigFileGarbageInfo(gatherer_, path, data);
    if (!file)
        return !sink_ || sink_->OnScanFile(nullptr, path, kFileMarker, fraction);
    CFoundFiles::Lock lock = found_.Hold();
    found_.Insert(file);
    CBigFileGarbageInfo* firstCopy = options_.findSameFiles ? options_.SameFiles().FirstCopyOf(file) : nullptr;
    if (!sink_)
        return true;
    return firstCopy ? sink_->OnSameFile(file, firstCopy) : sink_->OnScanFile(file, path, kFileMarker, fraction);
}
