#include "KernelTestSupport.h"

#include <gtest/gtest.h>

namespace {

using kernel_test::HelperCommand;
using kernel_test::PipedChild;

TEST(KernelCrossProcess, AMutexWhoseOwnerProcessIsKilledIsAbandoned)
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Global\\KernelTest Killed Owner");
    ASSERT_NE(nullptr, mutex);
    PipedChild child;
    kernel_test::Start(child, HelperCommand(L"hold-mutex \"Global\\KernelTest Killed Owner\""));
    ASSERT_TRUE(child.started);
    ASSERT_EQ("owned", child.ReadLine());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(mutex, 50));

    ASSERT_TRUE(TerminateProcess(child.info.hProcess, 9));
    EXPECT_EQ(WAIT_ABANDONED, WaitForSingleObject(mutex, 10000));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(9u, child.Finish());
    CloseHandle(mutex);
}

TEST(KernelCrossProcess, ANamedMutexLivesWhileAnyProcessHoldsIt)
{
    PipedChild child;
    kernel_test::Start(child, HelperCommand(L"hold-mutex \"Global\\KernelTest Held\""));
    ASSERT_EQ("owned", child.ReadLine());
    HANDLE mutex = CreateMutexW(nullptr, TRUE, L"Global\\KernelTest Held");
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(mutex, 0));
    CloseHandle(mutex);

    TerminateProcess(child.info.hProcess, 1);
    child.Finish();
    EXPECT_EQ(nullptr, OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\KernelTest Held"));
    mutex = CreateMutexW(nullptr, TRUE, L"Global\\KernelTest Held");
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
    EXPECT_TRUE(ReleaseMutex(mutex));
    CloseHandle(mutex);
}

TEST(KernelCrossProcess, AnEventSetInOneProcessWakesAWaiterInAnother)
{
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, L"Global\\KernelTest Ping");
    ASSERT_NE(nullptr, event);

    const kernel_test::Outcome setter = kernel_test::RunToEnd(HelperCommand(L"set-event \"Global\\KernelTest Ping\""));
    ASSERT_TRUE(setter.started);
    EXPECT_EQ(0u, setter.exitCode);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 10000));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0));

    PipedChild waiter;
    kernel_test::Start(waiter, HelperCommand(L"wait-event \"Global\\KernelTest Ping\" 20000"));
    ASSERT_EQ("waiting", waiter.ReadLine());
    EXPECT_TRUE(SetEvent(event));
    EXPECT_EQ(0u, waiter.Finish());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 0)); // the other process took the signal

    const kernel_test::Outcome timedOut = kernel_test::RunToEnd(HelperCommand(L"wait-event \"Global\\KernelTest Ping\" 100"));
    EXPECT_EQ(1u, timedOut.exitCode);
    CloseHandle(event);
}

TEST(KernelCrossProcess, WaitForAnyWakesOnAnEventOfAnotherProcess)
{
    HANDLE events[] = {CreateEventW(nullptr, TRUE, FALSE, L"Global\\KernelTest Any 1"),
                       CreateEventW(nullptr, TRUE, FALSE, L"Global\\KernelTest Any 2")};
    PipedChild setter;
    kernel_test::Start(setter, HelperCommand(L"set-event \"Global\\KernelTest Any 2\""));
    EXPECT_EQ(WAIT_OBJECT_0 + 1, WaitForMultipleObjects(2, events, FALSE, 10000));
    EXPECT_EQ(0u, setter.Finish());
    CloseHandle(events[0]);
    CloseHandle(events[1]);
}

} // namespace
