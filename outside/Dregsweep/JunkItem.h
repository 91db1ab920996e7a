// A junk item: one rule under a junk-type category, with what it found at the last analysis.
// Sizes, counts, states and the tick are read by the pages' thread while a worker analyses or
// cleans, so they are atomic; the found files are guarded by a lock that is never held across a
// call into a sink.
#pragma once

#include "JunkFindings.h"
#include "JunkRemoval.h"
#include "JunkRule.h"

#include "jex_main/Sweepdeck/IDregsweep.h"

#include <atomic>
#include <mutex>

class CJunkCatagory;

class CJunkItem final : public IDregsweepItem {
public:
    // Holds a reference to its category until it is detached.
    CJunkItem(CJunkCatagory* parent, JunkRule rule);
    ~CJunkItem() override;

    IDregsweepCatagory* GetParent() override;
    IDregsweepCatagory* GetFirstChild() override { return nullptr; }
    IDregsweepCatagory* GetNextChild(IDregsweepCatagory*) override { return nullptr; }
    const GarbageCatagoryInfo* GetName() override { return &info_; }
    HICON GetIcon() override { return nullptr; }
    int IsShown() override { return 1; }

    void SetCheck(int state) override { checked_ = state != 0; }
    void ToggleCheck() override { checked_ = !checked_; }
    int GetCheckState() override { return checked_ ? 2 : 0; }

    // Forgets the found files.
    void ResetStatistic() override;
    uint64_t GetTotalSize() override { return size_; }
    uint64_t GetCheckedSize() override { return checked_ ? size_.load() : 0; }
    int GetState() override { return state_; }
    uint64_t GetFileCount() override { return count_; }

    // The first of the rule's folders the last analysis walked, else the rule's folder as written.
    std::wstring GetFolder() override;
    void EnumFiles(IGarbageFileSink* sink) override;

    const JunkRule& Rule() const { return rule_; }
    CJunkCatagory* Catagory() const { return parent_; }
    void SetState(int state) { state_ = state; }
    // After a clean-up: 3 when junk stays, else 5.
    void Settle() { state_ = count_ ? 3 : 5; }
    // The findings of a new analysis replace the old.
    void Publish(JunkFindings findings);
    // Removes the found files; the item keeps those that stay.
    CJunkRemoval::Outcome Remove(const CJunkRemoval::KeepGoing& keepGoing);
    // Lets go of the category (the tree is being taken down).
    void Detach();

private:
    CJunkCatagory* parent_;
    JunkRule rule_;
    GarbageCatagoryInfo info_;
    std::atomic<bool> checked_{true};
    std::atomic<int> state_{0};
    std::atomic<uint64_t> size_{0};
    std::atomic<uint64_t> count_{0};
    std::mutex lock_;
    JunkFindings findings_;
};
