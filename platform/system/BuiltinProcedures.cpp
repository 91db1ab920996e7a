// The system area's functions that Windows programs look up by name, since older Windows lacks them.
#include "platform/win/Module.h"
#include "platform/win/SystemInfo.h"

namespace {

template <typename Function>
FARPROC Procedure(Function* function)
{
    // Through void (*)(), the pointer type that stands for any function.
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

const bool g_registered = [] {
    platform::RegisterBuiltinProcedure(L"Kernel32.dll", "IsWow64Process", Procedure(&IsWow64Process));
    platform::RegisterBuiltinProcedure(L"Kernel32.dll", "GetNativeSystemInfo", Procedure(&GetNativeSystemInfo));
    platform::RegisterBuiltinProcedure(L"Kernel32.dll", "Wow64DisableWow64FsRedirection",
                                       Procedure(&Wow64DisableWow64FsRedirection));
    platform::RegisterBuiltinProcedure(L"Kernel32.dll", "Wow64RevertWow64FsRedirection",
                                       Procedure(&Wow64RevertWow64FsRedirection));
    platform::RegisterBuiltinProcedure(L"Kernel32.dll", "Wow64EnableWow64FsRedirection",
                                       Procedure(&Wow64EnableWow64FsRedirection));
    platform::RegisterBuiltinProcedure(L"Ntdll.dll", "RtlGetNtVersionNumbers", Procedure(&RtlGetNtVersionNumbers));
    return true;
}();

} // namespace
