#include "common/TallyrunBinding.h"

#include "common/TallyrunLoader.h"

#include <atomic>
#include <cstdint>

namespace {

template <class Proc, class Result, class... Args>
Result CallEntry(const char* entryPoint, Result fallback, Args... args)
{
    // Through void (*)(), the pointer type that stands for any function.
    const auto proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(TallyrunGetProc(entryPoint)));
    return proc ? proc(args...) : fallback;
}

int Widened(bool flag) { return static_cast<int>(static_cast<uint8_t>(flag)); }

std::atomic<ISmartSpy*> g_smartSpy{nullptr};

} // namespace

int Tallyrun_SetActionData(UINT_PTR a, UINT_PTR b, UINT_PTR c, UINT_PTR d, UINT_PTR e, UINT_PTR f)
{
    return CallEntry<TallyrunSetActionDataProc>("_SetActionData", 0, a, b, c, d, e, f);
}

ULONGLONG Tallyrun_BeginAction()
{
    return CallEntry<TallyrunBeginActionProc>("_BeginAction", ~0ULL);
}

int Tallyrun_AddHandle(const wchar_t* name, DWORD handleLow, DWORD handleHigh, const wchar_t* category)
{
    return CallEntry<TallyrunAddHandleProc>("_AddHandle", 0, name, handleLow, handleHigh, category);
}

ISmartSpy* Tallyrun_GetSmartSpy()
{
    if (ISmartSpy* kept = g_smartSpy.load())
        return kept;
    ISmartSpy* found = CallEntry<TallyrunGetSmartSpyProc>("GetSmartSpy", static_cast<ISmartSpy*>(nullptr));
    if (found)
        g_smartSpy.store(found);
    return found;
}

int Tallyrun_SetInfoData(const wchar_t* event, int a, int b, int c, bool flag, const wchar_t* category)
{
    return CallEntry<TallyrunSetInfoDataProc>("_SetInfoData", 0, event, a, b, c, Widened(flag), category);
}

int Tallyrun_SetInfoDataEx(const wchar_t* event, int a, int b, int c, bool flag, const wchar_t* category, int d)
{
    return CallEntry<TallyrunSetInfoDataExProc>("_SetInfoDataEx", 0, event, a, b, c, Widened(flag), category, d);
}

int Tallyrun_SpySetValueEx(int valueId, DWORD valueLow, DWORD valueHigh)
{
    return CallEntry<TallyrunSpySetValueExProc>("SpySetValueEx", 1, valueId, valueLow, valueHigh);
}
