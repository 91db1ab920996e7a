// What the maker's usage-statistics library Tallyrun offers its callers: the entry points looked
// up by name, with their arguments in the order the callers pass them, and the event counter that
// "GetSmartSpy" hands out. The library is never linked; callers bind these names at run time.
#pragma once

#include "platform/Windows.h"

// The library's own event counter; it outlives every caller.
class ISmartSpy {
public:
    virtual int CountEvent(int eventId) = 0;
    virtual void Close() = 0;

protected:
    ~ISmartSpy() = default;
};

// Six values passed through unchanged; callers put texts and handle halves into them, so each is
// pointer-sized.
typedef int (*TallyrunSetActionDataProc)(UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR);
typedef ULONGLONG (*TallyrunBeginActionProc)();
typedef int (*TallyrunAddHandleProc)(const wchar_t* name, DWORD handleLow, DWORD handleHigh, const wchar_t* category);
typedef ISmartSpy* (*TallyrunGetSmartSpyProc)();
// The flag travels as one byte widened to 32 bits.
typedef int (*TallyrunSetInfoDataProc)(const wchar_t* event, int, int, int, int flag, const wchar_t* category);
typedef int (*TallyrunSetInfoDataExProc)(const wchar_t* event, int, int, int, int flag, const wchar_t* category, int);
typedef int (*TallyrunSpySetValueExProc)(int valueId, DWORD valueLow, DWORD valueHigh);
