// A category of the junk tree: a kind of junk at the top, an application or area of the machine
// below it, a type of junk below that, and the junk items (rules) under the types. Sizes, counts
// and the tick are those of everything below; the row state is set by the gatherer as its
// operations reach the category. The tree does not change between Init and Uninit, so walking it
// needs no lock.
#pragma once

#include "JunkItem.h"

#include "jex_main/Sweepdeck/IDregsweep.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <vector>

// The entry after previous (by identity) with a reference added for the caller, or null at the end
// and for an entry not in the list.
template <class TEntry>
IDregsweepCatagory* NextInList(const std::vector<TEntry*>& list, IDregsweepCatagory* previous)
{
    auto at = previous ? std::find_if(list.begin(), list.end(),
                                      [previous](TEntry* entry) { return static_cast<IDregsweepCatagory*>(entry) == previous; })
                       : list.begin();
    if (previous && at != list.end())
        ++at;
    if (at == list.end())
        return nullptr;
    (*at)->AddRef();
    return *at;
}

class CJunkCatagory final : public IDregsweepCatagory {
public:
    // Holds a reference to its parent (null at the top) until it is detached. processes are the
    // image names of the application whose junk lies below ("chrome.exe").
    CJunkCatagory(CJunkCatagory* parent, GarbageCatagoryInfo info, std::vector<std::wstring> processes = {});
    ~CJunkCatagory() override;

    IDregsweepCatagory* GetParent() override { return parent_; }
    IDregsweepCatagory* GetFirstChild() override { return GetNextChild(nullptr); }
    IDregsweepCatagory* GetNextChild(IDregsweepCatagory* previous) override;
    const GarbageCatagoryInfo* GetName() override { return &info_; }
    HICON GetIcon() override { return nullptr; }
    int IsShown() override { return 1; }

    void SetCheck(int state) override;
    void ToggleCheck() override { SetCheck(GetCheckState() == 2 ? 0 : 2); }
    int GetCheckState() override;

    void ResetStatistic() override;
    uint64_t GetTotalSize() override;
    uint64_t GetCheckedSize() override;
    int GetState() override { return state_; }
    uint64_t GetFileCount() override;

    // Takes over the reference of the new child.
    void Add(CJunkCatagory* child) { catagories_.push_back(child); }
    void Add(CJunkItem* item) { items_.push_back(item); }
    bool IsEmpty() const { return catagories_.empty() && items_.empty(); }
    const std::vector<CJunkCatagory*>& Catagories() const { return catagories_; }
    const std::vector<std::wstring>& Processes() const { return processes_; }
    // The items below, in tree order.
    void ForEachItem(const std::function<void(CJunkItem*)>& visit) const;

    // For the category and everything below it.
    void SetState(int state);
    // After a clean-up: 3 where junk stays, else 5.
    void Settle();
    // Releases everything below and lets go of the parent: the tree is being taken down.
    void Detach();

private:
    template <class TVisit>
    void ForEachChild(TVisit visit) const
    {
        for (CJunkCatagory* child : catagories_)
            visit(static_cast<IDregsweepCatagory*>(child));
        for (CJunkItem* item : items_)
            visit(static_cast<IDregsweepCatagory*>(item));
    }

    CJunkCatagory* parent_;
    GarbageCatagoryInfo info_;
    std::vector<std::wstring> processes_;
    std::vector<CJunkCatagory*> catagories_;
    std::vector<CJunkItem*> items_;
    std::atomic<int> state_{0};
};
