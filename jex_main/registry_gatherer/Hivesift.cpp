#include "Hivesift.h"

#include "RefSnapshot.h"
#include "RegGarbageCatagory.h"
#include "RegGarbageInfo.h"
#include "common/RuleXml.h"

#include "common/WriteLog.h"

#include <new>

namespace {

constexpr OpResult kInitFailed = MakeResult(0x24, RESULT_NOT_INITIALISED);
constexpr OpResult kUninitNotInitialised = MakeResult(0x33, RESULT_NOT_INITIALISED);
constexpr OpResult kTextFileNotLoaded = MakeResult(0x3D, RESULT_NOT_INITIALISED);
constexpr OpResult kCatagoriesNotInitialised = MakeResult(0x65, RESULT_NOT_INITIALISED);
constexpr OpResult kCatagoriesNullSink = MakeResult(0x72, RESULT_BAD_ARGUMENT);
constexpr OpResult kGarbagesNotInitialised = MakeResult(0x79, RESULT_NOT_INITIALISED);
constexpr OpResult kGarbagesNullSink = MakeResult(0x86, RESULT_BAD_ARGUMENT);

// Empties the list under its lock and gives back the list's references after it.
template <class T>
void ReleaseList(std::recursive_mutex& lock, std::vector<T*>& list)
{
    std::vector<T*> taken;
    {
        std::lock_guard<std::recursive_mutex> guard(lock);
        taken.swap(list);
    }
    for (T* object : taken)
        object->Release();
}

// Calls the sink for every object of the list, in order, under the list's lock.
template <size_t N, class T, class Call>
OpResult HandOut(bool initialised, IHivesiftSink* sink, OpResult notInitialised, OpResult nullSink,
                 const wchar_t (&failFormat)[N], std::recursive_mutex& lock, const std::vector<T*>& list, Call call)
{
    const OpResult result = !initialised ? notInitialised : !sink ? nullSink : RESULT_OK;
    if (result != RESULT_OK) {
        WriteLog(failFormat, ResultLow(result));
        return result;
    }
    std::lock_guard<std::recursive_mutex> guard(lock);
    const CRefSnapshot<T> objects(list);
    for (T* object : objects)
        call(object);
    return RESULT_OK;
}

} // namespace

CHivesift::~CHivesift() { ReleaseAll(); }

// A new Init replaces whatever an earlier one left; a failed one keeps nothing of its rule file.
OpResult CHivesift::Init(std::wstring ruleXmlPath, std::wstring textXmlPath)
{
    ReleaseAll();
    TiXmlDocument rules;
    if (!rule_xml::LoadXmlFile(ruleXmlPath, rules) || !BuildCatagories(rules)) {
        WriteLog(L"[Hivesift] Init fail %d", static_cast<int>(GetLastError()));
        return kInitFailed;
    }
    initialised_ = true;
    ChangeResId(textXmlPath);
    return RESULT_OK;
}

bool CHivesift::BuildCatagories(const TiXmlDocument& rules)
{
    const TiXmlElement* root = rules.RootElement();
    if (!root)
        return false;
    std::vector<CRegGarbageCatagory*> made;
    bool valid = true;
    for (const TiXmlElement* child = root->FirstChildElement(); valid && child; child = child->NextSiblingElement()) {
        if (!rule_xml::NameIs(*child, "RegGarbageCatagory"))
            continue;
        CRegGarbageCatagory* catagory = new (std::nothrow) CRegGarbageCatagory(this);
        valid = catagory && catagory->Load(*child);
        if (catagory)
            made.push_back(catagory);
    }
    if (!valid || made.empty()) {
        for (CRegGarbageCatagory* catagory : made)
            catagory->Release();
        return false;
    }
    std::lock_guard<std::recursive_mutex> guard(catagoryLock_);
    catagories_ = std::move(made);
    return true;
}

OpResult CHivesift::Uninit()
{
    if (!initialised_)
        return kUninitNotInitialised;
    ReleaseAll();
    return RESULT_OK;
}

void CHivesift::ReleaseAll()
{
    initialised_ = false;
    ReleaseList(itemLock_, items_);
    ReleaseList(catagoryLock_, catagories_);
}

OpResult CHivesift::ChangeResId(std::wstring textXmlPath)
{
    TiXmlDocument texts;
    if (!rule_xml::LoadXmlFile(textXmlPath, texts)) {
        WriteLog(L"[Hivesift] ChangeResId fail 0x%x %d", ResultLow(kTextFileNotLoaded), ResultHigh(kTextFileNotLoaded));
        return kTextFileNotLoaded;
    }
    const TiXmlElement* root = texts.RootElement();
    const TiXmlElement* table = root ? root->FirstChildElement("RegGarbage") : nullptr;
    if (table) {
        std::lock_guard<std::recursive_mutex> guard(catagoryLock_);
        for (CRegGarbageCatagory* catagory : catagories_)
            catagory->ApplyResIdText(*table);
    }
    return RESULT_OK;
}

bool CHivesift::CollectGarbage(void* collectContext)
{
    if (!initialised_)
        return false;
    std::lock_guard<std::recursive_mutex> guard(catagoryLock_);
    IRegGarbageCollectContext* const outerContext = collectContext_;
    collectContext_ = static_cast<IRegGarbageCollectContext*>(collectContext);
    {
        const CRefSnapshot<CRegGarbageCatagory> catagories(catagories_);
        for (CRegGarbageCatagory* catagory : catagories)
            if (catagory->GetCheckState())
                catagory->Collect();
    }
    collectContext_ = outerContext;
    return false;
}

void CHivesift::AddGarbage(const std::wstring& displayText, const std::wstring& keyPath, int procType,
                           CRegGarbageCatagory* catagory)
{
    if (!initialised_)
        return; // a callback ended the gatherer during its scan
    CRegGarbageInfo* item = new (std::nothrow) CRegGarbageInfo(displayText, keyPath, procType, this, catagory);
    if (!item)
        return;
    std::lock_guard<std::recursive_mutex> guard(itemLock_);
    items_.push_back(item);
    if (collectContext_)
        collectContext_->OnRegGarbage(item);
}

OpResult CHivesift::GetCatagories(IHivesiftSink* sink)
{
    return HandOut(initialised_, sink, kCatagoriesNotInitialised, kCatagoriesNullSink,
                   L"[Hivesift] GetCatagories fail! 0x%x", catagoryLock_, catagories_,
                   [sink](CRegGarbageCatagory* catagory) { sink->OnCatagory(catagory); });
}

OpResult CHivesift::GetGarbages(IHivesiftSink* sink)
{
    return HandOut(initialised_, sink, kGarbagesNotInitialised, kGarbagesNullSink,
                   L"[Hivesift] GetGarbages fail! 0x%x", itemLock_, items_,
                   [sink](CRegGarbageInfo* item) { sink->OnGarbage(item); });
}
