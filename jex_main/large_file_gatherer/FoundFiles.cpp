#include "FoundFiles.h"

#include "BigFileGarbageInfo.h"

#include <vector>

void CFoundFiles::Insert(CBigFileGarbageInfo* file) { files_.emplace(file->GetInfo()->size, file); }

CFoundFiles::Files::iterator CFoundFiles::Find(CBigFileGarbageInfo* file)
{
    const auto [begin, end] = files_.equal_range(file->GetInfo()->size);
    for (auto it = begin; it != end; ++it)
        if (it->second == file)
            return it;
    return files_.end();
}

void CFoundFiles::ForEach(const std::function<Visit(CBigFileGarbageInfo*)>& visit)
{
    Lock lock = Hold();
    std::vector<CBigFileGarbageInfo*> files;
    files.reserve(files_.size());
    for (const auto& entry : files_) {
        entry.second->AddRef();
        files.push_back(entry.second);
    }
    for (CBigFileGarbageInfo* file : files) {
        if (Find(file) == files_.end())
            continue;
        const Visit answer = visit(file);
        if (answer == Visit::RemoveAndNext || answer == Visit::RemoveAndStop) {
            const auto found = Find(file);
            if (found != files_.end()) {
                files_.erase(found);
                file->Release();
            }
        }
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
    for (const auto& entry : files_)
        checked += entry.second->GetCheckState() ? 1 : 0;
    return checked;
}

void CFoundFiles::Clear()
{
    Lock lock = Hold();
    Files files;
    files.swap(files_);
    for (const auto& entry : files)
        entry.second->Release();
}
