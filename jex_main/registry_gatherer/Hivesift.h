// The process-wide registry-junk gatherer: its categories from the rule file and the items its
// scans found. Sinks and the collect context run while the lists' locks are held; the locks are
// recursive, so a callback may call the gatherer again on the same thread.
#pragma once

#include "IHivesift.h"

#include <atomic>
#include <mutex>
#include <vector>

class CRegGarbageCatagory;
class CRegGarbageInfo;
class TiXmlDocument;

class CHivesift : public IHivesift {
public:
    CHivesift() = default;
    ~CHivesift() override;

    OpResult Init(std::wstring ruleXmlPath, std::wstring textXmlPath) override;
    OpResult Uninit() override;
    OpResult ChangeResId(std::wstring textXmlPath) override;
    bool CollectGarbage(void* collectContext) override;
    bool EmptyGarbage(void*) override { return false; }
    OpResult GetCatagories(IHivesiftSink* sink) override;
    OpResult GetGarbages(IHivesiftSink* sink) override;

    // A rule found a junk entry: a new checked item, appended and shown to the collect context.
    void AddGarbage(const std::wstring& displayText, const std::wstring& keyPath, int procType,
                    CRegGarbageCatagory* catagory);

private:
    // False when the root holds no valid category; nothing of a failed build is kept.
    bool BuildCatagories(const TiXmlDocument& rules);
    void ReleaseAll();

    std::atomic<bool> initialised_{false};
    IRegGarbageCollectContext* collectContext_ = nullptr;
    std::recursive_mutex catagoryLock_;
    std::vector<CRegGarbageCatagory*> catagories_;
    std::recursive_mutex itemLock_;
    std::vector<CRegGarbageInfo*> items_;
};
