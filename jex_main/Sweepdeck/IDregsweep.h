// The junk gatherer's contract with the clean-up pages: the gatherer with its three levels of
// categories and the junk items below them, the statistics every one of them carries, and the two
// sinks the pages implement. Every object is reference counted through IKyObject: GetFirst* and
// GetNext* hand out a reference that the caller releases (and may still pass as `previous`, which
// is compared by identity); objects handed to a sink during a call carry no added reference. The
// tree stays alive until Uninit.
#pragma once

#include "common/KyObject.h"
#include "common/OpResult.h"
#include "platform/Windows.h"

#include <cstdint>
#include <string>

class IDregsweepCatagory;
class IDregsweepSink;
class IGarbageFileSink;

// What a category shows.
struct GarbageCatagoryInfo {
    std::wstring name;
    // The kind of the top-level category the entry lies under: 0 system, 1 web browsers, 2 Windows
    // applications, 3 other applications.
    int32_t kind = 0;
    // Top-level and application categories: the row's picture, a file name under "appIcon/"; the
    // rows put "hover_" in front of it while the mouse is over the row. Empty below them.
    std::wstring icon;
};

// Sizes and counts of a category, an item or the whole gatherer: all found junk and its checked part.
class IGarbageStatistic : public virtual IKyObject {
public:
    virtual void ResetStatistic() = 0;
    virtual uint64_t GetTotalSize() = 0;
    virtual uint64_t GetCheckedSize() = 0;
    // 0 not analysed, 1 analysing, 2 analysed, 3 analysed and junk left (waiting for a clean-up, or
    // unchecked, skipped or in use after it), 4 cleaning, 5 cleaned.
    virtual int GetState() = 0;
    virtual uint64_t GetFileCount() = 0;
};

// The tick of a category or item; toggling a parent ticks or unticks everything under it.
class IGarbageCheck : public virtual IKyObject {
public:
    virtual void SetCheck(int state) = 0;
    virtual void ToggleCheck() = 0;
    virtual int GetCheckState() = 0;  // Qt::CheckState: 0 unchecked, 1 partly, 2 checked
};

// Three levels of categories; the children of a level-3 category are junk items.
class IDregsweepCatagory : public IGarbageCheck, public virtual IGarbageStatistic {
public:
    virtual IDregsweepCatagory* GetParent() = 0;
    virtual IDregsweepCatagory* GetFirstChild() = 0;
    virtual IDregsweepCatagory* GetNextChild(IDregsweepCatagory* previous) = 0;
    virtual const GarbageCatagoryInfo* GetName() = 0;
    virtual HICON GetIcon() = 0;
    virtual int IsShown() = 0;  // non-zero when a level-2 category gets a row of its own
};

// A junk item: the files one rule found, handed out as a child of a level-3 category; it has no
// children of its own.
class IDregsweepItem : public IDregsweepCatagory {
public:
    virtual std::wstring GetFolder() = 0;
    // Reports each file found at the last analysis before it returns, on the caller's thread.
    virtual void EnumFiles(IGarbageFileSink* sink) = 0;
};

class IDregsweep : public virtual IGarbageStatistic {
public:
    virtual int GetCatagoryCount() = 0;
    virtual IDregsweepCatagory* GetFirstCatagory() = 0;
    virtual IDregsweepCatagory* GetNextCatagory(IDregsweepCatagory* previous) = 0;
    // The rule file and the display-text table.
    virtual OpResult Init(const wchar_t* configPath, const wchar_t* textPath) = 0;
    virtual OpResult Uninit() = 0;
    virtual bool IsBusy() = 0;
    // Synchronous; the sink is called on the calling thread before the call returns.
    virtual OpResult CollectGarbage(IDregsweepSink* sink) = 0;
    virtual OpResult EmptyGarbage(IDregsweepSink* sink) = 0;
    // Forgets the last analysis; the category tree stays.
    virtual void Reset() = 0;
};

// The pages' callbacks; false from the progress, found and cleaned calls ends the operation soon.
class IDregsweepSink : public virtual IKyObject {
public:
    virtual bool OnScanProgress(int percent, int reserved) = 0;
    virtual bool OnGarbageFound(std::wstring name, uint64_t size, IDregsweepCatagory* category) = 0;
    // processIds ends with a zero; true when the processes were closed, false to skip the
    // application's junk.
    virtual bool OnCloseProcess(std::wstring appName, const DWORD* processIds, int reserved) = 0;
    virtual bool OnGarbageCleaned(std::wstring name, uint64_t size, IDregsweepCatagory* category) = 0;
};

// One file of a junk item.
class IGarbageFileSink {
public:
    virtual void OnGarbageFile(std::wstring path, uint64_t size, int reserved) = 0;
protected:
    ~IGarbageFileSink() = default;
};
