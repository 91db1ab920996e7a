#include "KernelTestSupport.h"

#include "support/TempMachine.h"

#include "platform/Machine.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

INT_PTR KernelTestProcedure() { return 7; }

class KernelModules : public testing::Test {
protected:
    void SetUp() override { folder_ = machine_.UseProgramFolder(); }

    // Puts a test module (by default the one that only answers) into a host folder under a name.
    std::string Install(const std::string& folder, const std::string& name,
                        const char* module = "KernelTestModule.so")
    {
        fs::create_directories(folder);
        const std::string path = folder + "/" + name;
        fs::copy_file(fs::path(kernel_test::HelperPath()).parent_path() / module, path,
                      fs::copy_options::overwrite_existing);
        return path;
    }

    testing_support::TempMachine machine_;
    std::string folder_;
};

using Answer = int (*)();

// Function addresses compared and called as Windows code does, through a neutral pointer type.
template <class Function>
Function As(FARPROC proc)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

template <class Function>
void* Address(Function* function)
{
    return reinterpret_cast<void*>(function);
}

TEST_F(KernelModules, LoadsXDllAsXSoFromTheProgramFolder)
{
    const std::string path = Install(folder_, "Sample.so");
    HMODULE module = LoadLibraryW(L"Sample.dll");
    ASSERT_NE(nullptr, module);
    auto answer = As<Answer>(GetProcAddress(module, "KernelTestAnswer"));
    ASSERT_NE(nullptr, answer);
    EXPECT_EQ(42, answer());

    EXPECT_EQ(module, LoadLibraryA("sample"));
    EXPECT_EQ(module, GetModuleHandleW(L"SAMPLE.DLL"));
    WCHAR name[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, name, MAX_PATH);
    EXPECT_EQ(platform::WindowsPath(path), std::wstring(name, length));

    HMODULE fromAddress = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCWSTR>(answer), &fromAddress));
    EXPECT_EQ(module, fromAddress);
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                   reinterpret_cast<LPCWSTR>(&KernelTestProcedure), &fromAddress));
    EXPECT_EQ(GetModuleHandleW(nullptr), fromAddress);

    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(0x1234)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(KernelModules, LoadsByWindowsPathAndReportsWhatIsMissing)
{
    Install(platform::HostPath(std::wstring(L"C:\\Program Files")) + "/Maker", "Plugin.so");
    HMODULE module = LoadLibraryW(L"C:\\Program Files\\Maker\\Plugin.dll");
    ASSERT_NE(nullptr, module);

    SetLastError(0);
    EXPECT_EQ(nullptr, GetProcAddress(module, "Missing"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
    EXPECT_EQ(nullptr, GetProcAddress(module, reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(1))));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());

    EXPECT_EQ(nullptr, LoadLibraryW(L"Nothing.dll"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
    machine_.WriteFile("program/Broken.so", "not a module");
    EXPECT_EQ(nullptr, LoadLibraryW(L"Broken.dll"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
    EXPECT_EQ(nullptr, GetModuleHandleW(L"Nothing.dll"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
    FreeLibrary(module);
}

// A module whose imports no loaded library has, a function or a variable, fails the load as a
// missing module does, rather than end the program when the function is first called.
TEST_F(KernelModules, AModuleWhoseImportsCannotBeBoundIsNotLoaded)
{
    for (const char* file : {"KernelTestLateImport.so", "KernelTestMissingData.so"}) {
        SCOPED_TRACE(file);
        Install(folder_, "Broken.so", file);
        SetLastError(0);
        EXPECT_EQ(nullptr, LoadLibraryW(L"Broken.dll"));
        EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
    }
}

TEST_F(KernelModules, BuiltinModulesFindTheLayersFunctions)
{
    HMODULE kernel32 = LoadLibraryW(L"Kernel32.dll");
    ASSERT_NE(nullptr, kernel32);
    EXPECT_EQ(kernel32, LoadLibraryA("KERNEL32"));
    EXPECT_EQ(kernel32, GetModuleHandleW(L"kernel32.dll"));
    HMODULE ntdll = GetModuleHandleW(L"ntdll");
    ASSERT_NE(nullptr, ntdll);
    EXPECT_NE(kernel32, ntdll);

    EXPECT_EQ(Address(&Wow64DisableWow64FsRedirection),
              As<void*>(GetProcAddress(kernel32, "Wow64DisableWow64FsRedirection")));
    EXPECT_EQ(Address(&Wow64RevertWow64FsRedirection), As<void*>(GetProcAddress(kernel32, "Wow64RevertWow64FsRedirection")));
    EXPECT_EQ(Address(&RtlGetNtVersionNumbers), As<void*>(GetProcAddress(ntdll, "RtlGetNtVersionNumbers")));
    EXPECT_EQ(nullptr, GetProcAddress(ntdll, "Wow64DisableWow64FsRedirection"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());

    platform::RegisterBuiltinProcedure(L"KERNEL32", "KernelTestProcedure", &KernelTestProcedure);
    EXPECT_EQ(7, GetProcAddress(kernel32, "KernelTestProcedure")());
    EXPECT_EQ(nullptr, GetProcAddress(kernel32, "kerneltestprocedure")); // names keep their case

    WCHAR name[MAX_PATH];
    const DWORD length = GetModuleFileNameW(kernel32, name, MAX_PATH);
    EXPECT_EQ(L"C:\\Windows\\System32\\kernel32.dll", std::wstring(name, length));
    EXPECT_TRUE(FreeLibrary(kernel32));
}

// An update moves the running program's file aside before it puts the new one in its place: the
// program keeps the name it was started by, as a Windows module keeps the path it was loaded from.
TEST_F(KernelModules, TheProgramKeepsItsNameWhenItsFileIsMoved)
{
    kernel_test::InstallHelper(folder_, "Moved");
    const std::wstring program = platform::WindowsPath(folder_ + "/Moved");
    const kernel_test::Outcome outcome = kernel_test::RunToEnd(platform::QuoteProgramName(program) + L" moved");
    ASSERT_TRUE(outcome.started);
    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_EQ(platform::ToUtf8(program) + "\n" + platform::ToUtf8(program) + "\n", outcome.output);
    EXPECT_TRUE(fs::exists(folder_ + "/Moved.old"));
}

TEST_F(KernelModules, ProgramFileNameIsCutAsWindowsCutsIt)
{
    const std::wstring expected = platform::WindowsPath(folder_ + "/platform_kernel_tests");
    const DWORD size = static_cast<DWORD>(expected.size());
    WCHAR name[MAX_PATH];
    EXPECT_EQ(size, GetModuleFileNameW(nullptr, name, size + 1));
    EXPECT_EQ(expected, name);

    SetLastError(0);
    EXPECT_EQ(size, GetModuleFileNameW(nullptr, name, size));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(expected.substr(0, size - 1), name);
    EXPECT_EQ(4u, GetModuleFileNameW(GetModuleHandleW(nullptr), name, 4));
    EXPECT_EQ(expected.substr(0, 3), name);
    EXPECT_EQ(0u, GetModuleFileNameW(nullptr, name, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());

    char narrow[MAX_PATH];
    EXPECT_EQ(size, GetModuleFileNameA(nullptr, narrow, MAX_PATH));
    EXPECT_EQ(platform::ToUtf8(expected), narrow);
    EXPECT_EQ(0u, GetModuleFileNameW(reinterpret_cast<HMODULE>(0x1234), name, MAX_PATH));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

} // namespace
