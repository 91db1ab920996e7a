// Handles a child is handed when it inherits: inheritable events (named or not) and pipe ends
// reach it under the values the starter had, others do not.
#include "KernelTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Value(HANDLE handle) { return std::to_wstring(reinterpret_cast<uintptr_t>(handle)); }

// Runs the helper, which sets the event and writes "hello" to the pipe end through their values.
DWORD RunInheriting(HANDLE event, HANDLE pipe, BOOL inheritHandles)
{
    std::wstring line = kernel_test::HelperCommand(L"inherited " + Value(event) + L" " + Value(pipe) + L" hello");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, inheritHandles, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info))
        return GetLastError();
    WaitForSingleObject(info.hProcess, 30000);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return code;
}

bool Signalled(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

TEST(KernelInheritance, InheritableEventsAndPipeEndsReachTheChildUnderTheirValues)
{
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, &inheritable, 0));
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    HANDLE unnamed = CreateEventW(&inheritable, TRUE, FALSE, nullptr);
    HANDLE named = CreateEventW(&inheritable, TRUE, FALSE, L"Global\\KernelTest Inherited");
    HANDLE kept = CreateEventW(nullptr, TRUE, FALSE, nullptr);

    EXPECT_EQ(RunInheriting(unnamed, write, TRUE), 0u);
    EXPECT_TRUE(Signalled(unnamed));
    char text[16] = {};
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(read, text, sizeof text, &got, nullptr));
    EXPECT_EQ(std::string(text, got), "hello");
    EXPECT_EQ(RunInheriting(named, write, TRUE), 0u);
    EXPECT_TRUE(Signalled(named));

    EXPECT_EQ(RunInheriting(kept, write, TRUE), 2u) << "a handle not made inheritable stays behind";
    EXPECT_FALSE(Signalled(kept));
    DWORD flags = HANDLE_FLAG_INHERIT;
    ASSERT_TRUE(GetHandleInformation(kept, &flags));
    EXPECT_EQ(flags, 0u);
    ASSERT_TRUE(SetHandleInformation(kept, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT));
    ASSERT_TRUE(GetHandleInformation(kept, &flags));
    EXPECT_EQ(flags, static_cast<DWORD>(HANDLE_FLAG_INHERIT));
    EXPECT_EQ(RunInheriting(kept, write, FALSE), 2u) << "nothing is handed without inheritance";
    EXPECT_EQ(RunInheriting(kept, write, TRUE), 0u);
    EXPECT_TRUE(Signalled(kept));

    for (HANDLE handle : {read, write, unnamed, named, kept})
        CloseHandle(handle);
    EXPECT_FALSE(GetHandleInformation(kept, &flags));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

} // namespace
