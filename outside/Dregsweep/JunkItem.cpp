#include "JunkItem.h"

#include "JunkCatagory.h"

CJunkItem::CJunkItem(CJunkCatagory* parent, JunkRule rule) : parent_(parent), rule_(std::move(rule))
{
    parent_->AddRef();
    info_.name = rule_.folder;
    info_.kind = parent_->GetName()->kind;
}

CJunkItem::~CJunkItem() { Detach(); }

void CJunkItem::Detach()
{
    if (parent_)
        parent_->Release();
    parent_ = nullptr;
}

IDregsweepCatagory* CJunkItem::GetParent() { return parent_; }

void CJunkItem::ResetStatistic() { Publish(JunkFindings()); }

std::wstring CJunkItem::GetFolder()
{
    std::lock_guard<std::mutex> guard(lock_);
    return findings_.folders.empty() ? rule_.folder : findings_.folders.front().path;
}

void CJunkItem::EnumFiles(IGarbageFileSink* sink)
{
    if (!sink)
        return;
    std::vector<std::pair<std::wstring, uint64_t>> files;
    {
        std::lock_guard<std::mutex> guard(lock_);
        files.reserve(findings_.files.size());
        for (const FoundFile& file : findings_.files)
            files.emplace_back(findings_.PathOf(file), file.size);
    }
    for (auto& [path, size] : files)
        sink->OnGarbageFile(std::move(path), size, 0);
}

void CJunkItem::Publish(JunkFindings findings)
{
    std::lock_guard<std::mutex> guard(lock_);
    findings_ = std::move(findings);
    size_ = findings_.size;
    count_ = findings_.files.size();
}

CJunkRemoval::Outcome CJunkItem::Remove(const CJunkRemoval::KeepGoing& keepGoing)
{
    JunkFindings working;
    {
        std::lock_guard<std::mutex> guard(lock_);
        working = std::move(findings_);
    }
    const CJunkRemoval::Outcome outcome = CJunkRemoval(keepGoing).Remove(working);
    Publish(std::move(working));
    return outcome;
}
