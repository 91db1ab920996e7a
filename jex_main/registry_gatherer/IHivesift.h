// The registry-junk gatherer as its host sees it: the gatherer handed out by GetImp, its
// categories and found items, and the sink and collect context the host implements.
#pragma once

#include "common/KyObject.h"
#include "common/OpResult.h"

#include <cstdint>
#include <string>

class IHivesift;
class IRegGarbageCatagory;

struct _Jex_RegGarbage_Catagory_ {
    std::wstring displayName;
};

struct _Jex_RegGarbage_Info_ {
    std::wstring displayText; // what the rule's display item produced; the key name for empty keys
    std::wstring keyPath;     // below the rule's root: "RegItem" and, for a subkey, "\" and its name
    int32_t procType = 0;     // the rule's "ProcType"
    IHivesift* gatherer = nullptr;
    IRegGarbageCatagory* catagory = nullptr;
};

class IRegGarbageCatagory : public ICheckStateProc {
public:
    virtual _Jex_RegGarbage_Catagory_* GetInfo() = 0;

protected:
    IRegGarbageCatagory() : ICheckStateProc(1) {}
};

class IRegGarbageInfo : public ICheckStateProc {
public:
    virtual _Jex_RegGarbage_Info_* GetInfo() = 0;
    virtual IRegGarbageCatagory* GetCatagory() = 0;

protected:
    IRegGarbageInfo() : ICheckStateProc(1) {}
};

// Objects reach the sink without an added reference; a sink that keeps one calls AddRef.
class IHivesiftSink : public virtual IKyObject {
public:
    virtual bool OnCatagory(IRegGarbageCatagory* catagory) = 0;
    virtual bool OnGarbage(IRegGarbageInfo* garbage) = 0;
};

// What a host may pass to CollectGarbage: a reference-counted host object whose third operation
// hears of each item at the moment it is found (without an added reference). The gatherer calls
// nothing else of it.
class IRegGarbageCollectContext {
public:
    virtual long AddRef() = 0;
    virtual long Release() = 0;
    virtual bool OnRegGarbage(IRegGarbageInfo* garbage) = 0;

protected:
    ~IRegGarbageCollectContext() = default;
};

class IHivesift : public ICheckStateProc {
public:
    // 0, or 0x240006 when the rule set could not be built.
    virtual OpResult Init(std::wstring ruleXmlPath, std::wstring textXmlPath) = 0;
    // 0, or 0x330006 when not initialised.
    virtual OpResult Uninit() = 0;
    // 0, or 0x3D0006 when the display-text file cannot be loaded.
    virtual OpResult ChangeResId(std::wstring textXmlPath) = 0;
    // Scans the registry by the rules of the checked categories; always false. collectContext is
    // null or an IRegGarbageCollectContext*.
    virtual bool CollectGarbage(void* collectContext) = 0;
    // The gatherer never changes the registry: always false, nothing done.
    virtual bool EmptyGarbage(void*) = 0;
    // 0; 0x650006 not initialised; 0x720002 null sink.
    virtual OpResult GetCatagories(IHivesiftSink* sink) = 0;
    // 0; 0x790006 not initialised; 0x860002 null sink.
    virtual OpResult GetGarbages(IHivesiftSink* sink) = 0;

protected:
    IHivesift() : ICheckStateProc(0) {}
};

// The factory export: one gatherer per process; every call hands the caller one reference.
extern "C" IHivesift* GetImp();
typedef IHivesift* (*GetImpFn)();
