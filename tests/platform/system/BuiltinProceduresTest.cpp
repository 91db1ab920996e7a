#include "platform/Windows.h"
#include "platform/win/Module.h"

#include <gtest/gtest.h>

namespace {

// Any function pointer as the pointer type that stands for all of them.
template <typename Function>
void (*AnyFunction(Function* function))()
{
    return reinterpret_cast<void (*)()>(function);
}

} // namespace

TEST(BuiltinProcedures, WowSwitchesAndVersionNumbersAreFoundByName)
{
    HMODULE kernel32 = LoadLibraryW(L"Kernel32.dll");
    ASSERT_NE(kernel32, nullptr);
    EXPECT_EQ(AnyFunction(GetProcAddress(kernel32, "Wow64DisableWow64FsRedirection")),
              AnyFunction(&Wow64DisableWow64FsRedirection));
    EXPECT_EQ(AnyFunction(GetProcAddress(kernel32, "Wow64RevertWow64FsRedirection")),
              AnyFunction(&Wow64RevertWow64FsRedirection));
    EXPECT_EQ(AnyFunction(GetProcAddress(kernel32, "IsWow64Process")), AnyFunction(&IsWow64Process));
    HMODULE ntdll = LoadLibraryW(L"Ntdll.dll");
    ASSERT_NE(ntdll, nullptr);
    EXPECT_EQ(AnyFunction(GetProcAddress(ntdll, "RtlGetNtVersionNumbers")), AnyFunction(&RtlGetNtVersionNumbers));
    FreeLibrary(ntdll);
    FreeLibrary(kernel32);
}
