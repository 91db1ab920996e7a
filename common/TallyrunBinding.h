// The usage-statistics binding: one function per entry point of the outside library Tallyrun,
// each looking the entry point up afresh and passing its arguments through unchanged. When the
// library or the entry point is missing nothing is reported and the fixed fallback result is
// returned: 0, or -1 for an action handle, 1 for SpySetValueEx, null for the counter.
#pragma once

#include "outside/Tallyrun/TallyrunApi.h"

int Tallyrun_SetActionData(UINT_PTR a, UINT_PTR b, UINT_PTR c, UINT_PTR d, UINT_PTR e, UINT_PTR f);
ULONGLONG Tallyrun_BeginAction();
int Tallyrun_AddHandle(const wchar_t* name, DWORD handleLow, DWORD handleHigh, const wchar_t* category);
// The first counter found is kept for the rest of the process; while none is found every call
// looks again.
ISmartSpy* Tallyrun_GetSmartSpy();
int Tallyrun_SetInfoData(const wchar_t* event, int a, int b, int c, bool flag, const wchar_t* category);
int Tallyrun_SetInfoDataEx(const wchar_t* event, int a, int b, int c, bool flag, const wchar_t* category, int d);
int Tallyrun_SpySetValueEx(int valueId, DWORD valueLow, DWORD valueHigh);
