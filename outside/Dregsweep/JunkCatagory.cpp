#include "JunkCatagory.h"

CJunkCatagory::CJunkCatagory(CJunkCatagory* parent, GarbageCatagoryInfo info, std::vector<std::wstring> processes)
    : parent_(parent), info_(std::move(info)), processes_(std::move(processes))
{
    if (parent_)
        parent_->AddRef();
}

CJunkCatagory::~CJunkCatagory() { Detach(); }

void CJunkCatagory::Detach()
{
    std::vector<CJunkCatagory*> catagories = std::move(catagories_);
    std::vector<CJunkItem*> items = std::move(items_);
    catagories_.clear();
    items_.clear();
    for (CJunkCatagory* child : catagories) {
        child->Detach();
        child->Release();
    }
    for (CJunkItem* item : items) {
        item->Detach();
        item->Release();
    }
    if (parent_)
        parent_->Release();
    parent_ = nullptr;
}

IDregsweepCatagory* CJunkCatagory::GetNextChild(IDregsweepCatagory* previous)
{
    if (!catagories_.empty())
        return NextInList(catagories_, previous);
    return NextInList(items_, previous);
}

void CJunkCatagory::SetCheck(int state)
{
    ForEachChild([state](IDregsweepCatagory* child) { child->SetCheck(state); });
}

int CJunkCatagory::GetCheckState()
{
    bool someChecked = false;
    bool someUnchecked = false;
    ForEachChild([&](IDregsweepCatagory* child) {
        const int state = child->GetCheckState();
        someChecked |= state != 0;
        someUnchecked |= state != 2;
    });
    if (someChecked && someUnchecked)
        return 1;
    return someChecked ? 2 : 0;
}

void CJunkCatagory::ResetStatistic()
{
    ForEachChild([](IDregsweepCatagory* child) { child->ResetStatistic(); });
}

uint64_t CJunkCatagory::GetTotalSize()
{
    uint64_t total = 0;
    ForEachChild([&total](IDregsweepCatagory* child) { total += child->GetTotalSize(); });
    return total;
}

uint64_t CJunkCatagory::GetCheckedSize()
{
    uint64_t total = 0;
    ForEachChild([&total](IDregsweepCatagory* child) { total += child->GetCheckedSize(); });
    return total;
}

uint64_t CJunkCatagory::GetFileCount()
{
    uint64_t total = 0;
    ForEachChild([&total](IDregsweepCatagory* child) { total += child->GetFileCount(); });
    return total;
}

void CJunkCatagory::ForEachItem(const std::function<void(CJunkItem*)>& visit) const
{
    for (CJunkCatagory* child : catagories_)
        child->ForEachItem(visit);
    for (CJunkItem* item : items_)
        visit(item);
}

void CJunkCatagory::SetState(int state)
{
    state_ = state;
    for (CJunkCatagory* child : catagories_)
        child->SetState(state);
    for (CJunkItem* item : items_)
        item->SetState(state);
}

void CJunkCatagory::Settle()
{
    for (CJunkCatagory* child : catagories_)
        child->Settle();
    for (CJunkItem* item : items_)
        item->Settle();
    state_ = GetFileCount() ? 3 : 5;
}
