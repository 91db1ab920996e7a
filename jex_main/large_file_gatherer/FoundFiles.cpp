#include "FoundFiles.h"

#include "BigFileGarbageInfo.h"

#include <algorithm>

void CFoundFiles::Insert(CBigFileGarbageInfo* file) { files_[file->GetInfo()->size].push_back(file); }

bool CFoundFiles::Contains(CBigFileGarbageInfo* file) const
{
    const auto found = files_.find(file->GetInfo()->size);
    return found != files_.end() && std::find(found->second.begin(), found->second.end(), file) != found->second.end();
}

bool CFoundFiles::Remove(CBigFileGarbageInfo* file)
{
    const auto found = files_.find(file->GetInfo()->size);
    if (found == files_.end())
        return false;
    std::vector<CBigFileGarbageInfo*>& sameSize = found->second;
    const auto entry = std::find(sameSize.begin(), sameSize.end(), file);
    if (entry == sameSize.end())
        return false;
    sameSize.erase(entry);
    if (sameSize.empty())
        files_.erase(found);
    file->Release();
    return true;
}

std::vector<CBigFileGarbageInfo*> CFoundFiles::Ordered() const
{
    std::vector<uint64_t> sizes;
    sizes.reserve(files_.size());
    for (const auto& entry : files_)
        sizes.push_back(entry.first);
    std::sort(sizes.begin(), sizes.end(), std::greater<uint64_t>());
    std::vector<CBigFileGarbageInfo*> files;
    for (const uint64_t size : sizes) {
        const std::vector<CBigFileGarbageInfo*>& sameSize = files_.at(size);
        files.insert(files.end(), sameSize.begin(), sameSize.end());
    }
    return files;
}

void CFoundFiles::ForEach(const std::function<Visit(CBigFileGarbageInfo*)>& visit)
{
    Lock lock = Hold();
    const std::vector<CBigFileGarbageInfo*> files = Ordered();
    for (CBigFileGarbageInfo* file : files)
        file->AddRef();
    for (CBigFileGarbageInfo* file : files) {
        if (!Contains(file))
            continue;
        const Visit answer = visit(file);
        if (answer == Visit::RemoveAndNext || answer == Visit::RemoveAndStop)
            Remove(file);
        if (answer == Visit::Stop || answer == Visit::RemoveAndStop)
            break;
    }
    for (CBigFileGarbageInfo* file : files)
        file->Release();
}

size_t CFoundFiles::CountChecked()
{
    Lock lock = Hold();
    size_t checked = 0;
    for (const auto& [size, sameSize] : files_)
        for (CBigFileGarbageInfo* file : sameSize)
            checked += file->GetCheckState() ? 1 : 0;
    return checked;
}

void CFoundFiles::Clear()
{
    Lock lock = Hold();
    Files files;
    files.swap(files_);
    for (const auto& [size, sameSize] : files)
        for (CBigFileGarbageInfo* file : sameSize)
            file->Release();
}
